#include "platform/game_paths.h"

#include "tests/support/temp_folder.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::TempFolder;
using vantor::test::writeFile;

TEST(GamePaths, BackslashPathsJoinAndCaseIsFoundLikeWine) {
    TempFolder dir;
    QDir().mkpath(dir.file(QStringLiteral("Data/Sound/english")));
    writeFile(dir.file(QStringLiteral("Data/Sound/english/TM_CMPDN.WAV")), "RIFF");
    EXPECT_EQ(joinGamePath(QStringLiteral("/g"), QStringLiteral("\\data\\x.wav")),
              QStringLiteral("/g/data/x.wav"));
    EXPECT_EQ(findGameFile(dir.path(), QStringLiteral("\\data\\sound\\English\\tm_cmpdn.wav")),
              dir.file(QStringLiteral("Data/Sound/english/TM_CMPDN.WAV")));
    EXPECT_EQ(findGameFile(dir.path(), QStringLiteral("\\data\\missing.wav")),
              dir.path() + QStringLiteral("/data/missing.wav"));
}
