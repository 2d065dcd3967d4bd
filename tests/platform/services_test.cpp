#include "platform/date_time_text.h"
#include "platform/guarded_application.h"
#include "platform/sound.h"

#include "common/error.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <QLocale>
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

TEST(DateTimeText, UsesTheSystemFormatsWithoutATimeZone) {
    const QDate d(2000, 6, 10);
    EXPECT_EQ(shortDateText(d), QLocale::system().toString(d, QLocale::ShortFormat));
    const QString t = longTimeText(QTime(13, 5, 9));
    EXPECT_TRUE(t.contains(QStringLiteral("05")));
    EXPECT_TRUE(t.contains(QStringLiteral("09")));
    EXPECT_FALSE(t.contains(QStringLiteral("UTC")));
}

TEST(ReportFailures, ShowsTheMessageAndGoesOn) {
    vantor::test::RecordingDialogs dialogs;
    EXPECT_FALSE(reportFailures(dialogs, [] { throw Error(QStringLiteral("disk full")); }));
    EXPECT_TRUE(reportFailures(dialogs, [] {}));
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("error: disk full")});
}
