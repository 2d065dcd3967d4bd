#include "platform/sound.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(Sound, AFileThatIsNoWaveIsRefusedAtOnce) {
    vantor::test::TempFolder dir;
    QtSoundPlayer player;
    EXPECT_THROW(player.play(dir.file(QStringLiteral("missing.wav"))), Error);
    vantor::test::writeFile(dir.file(QStringLiteral("text.wav")), "hello, not a wave file");
    try {
        player.play(dir.file(QStringLiteral("text.wav")));
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("is not a wave file")));
    }
}
