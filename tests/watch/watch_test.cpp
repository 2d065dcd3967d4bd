#include "tests/support/temp_folder.h"

#include "common/data_files.h"
#include "common/error.h"
#include "watch/alerts.h"
#include "watch/recorder_status.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vantor::watch {
namespace {

QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd HH:mm:ss");
}

// One step of a recorder's life and the alert texts it must give, in order.
struct Step {
    const char* what;
    std::function<void(RecorderStatus&)> change;
    const char* now;
    QStringList said;
};

TEST(Alerts, OneAlertPerConditionUntilItClears) {
    const auto failUpload = [](RecorderStatus& s) {
        ++s.uploadFailuresInARow;
        s.liveUpload.detail = "connection refused";
    };
    const auto game = [](RecorderStatus& s) {
        s.lastGameTime = "2026-12-01 10:00:00";
        s.setAside.clear();
    };
    const Step steps[] = {
        {"recording starts",
         [](RecorderStatus& s) { s.recordingSince = "2026-12-01 09:00:00"; },
         "2026-12-01 09:00:00",
         {}},
        {"upload fails", failUpload, "2026-12-01 09:10:00", {}},
        {"twice", failUpload, "2026-12-01 09:20:00", {}},
        {"three times",
         failUpload,
         "2026-12-01 09:30:00",
         {"Alert: The live stats page has failed to upload 3 times in a row (connection "
          "refused)."}},
        {"four times: no second alert", failUpload, "2026-12-01 09:40:00", {}},
        {"a log set aside",
         [](RecorderStatus& s) { s.setAside << "RSResults0.bad-1.log"; },
         "2026-12-01 09:45:00",
         {"Alert: A result log could not be read and was set aside as \"RSResults0.bad-1.log\"."}},
        {"uploads again",
         [](RecorderStatus& s) { s.uploadFailuresInARow = 0; },
         "2026-12-01 09:50:00",
         {"Back to normal: the live stats page was uploaded."}},
        {"a game", game, "2026-12-01 10:00:00", {"Back to normal: a game was recorded."}},
        {"history out of step",
         [](RecorderStatus& s) { s.historyOutOfStep = "stats.log changed"; },
         "2026-12-02 10:00:00",
         {"Alert: The game history \"games.db\" no longer agrees with the stats files: stats.log "
          "changed"}},
        {"six days quiet", [](RecorderStatus&) {}, "2026-12-07 10:00:00", {}},
        {"seven days quiet",
         [](RecorderStatus&) {},
         "2026-12-08 10:00:00",
         {"Alert: No game has been recorded for 7 days while recording is on."}},
        {"eight days: said once", [](RecorderStatus&) {}, "2026-12-09 10:00:00", {}},
        {"rebuilt, and a game",
         [game](RecorderStatus& s) {
             game(s);
             s.lastGameTime = "2026-12-09 11:00:00";
             s.historyOutOfStep.clear();
         },
         "2026-12-09 11:00:00",
         {"Back to normal: the game history agrees with the stats files.",
          "Back to normal: a game was recorded."}},
        {"stopped: days no longer count",
         [](RecorderStatus& s) { s.recordingSince.clear(); },
         "2027-01-09 11:00:00",
         {}},
    };
    RecorderStatus status;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(status);
        QStringList said;
        for (const AlertChange& c : updateAlerts(status, AlertLimits{3, 7}, at(step.now)))
            said << c.text;
        EXPECT_EQ(said, step.said);
    }
    EXPECT_TRUE(status.alerts.isEmpty());
}

TEST(RecorderStatusFile, KeptWholeAndRefusedWhenNotOurs) {
    test::TempFolder folder;
    RecorderStatus s;
    s.lastGameId = 7;
    s.lastGameMap = "Caf\xe9";
    s.liveUpload = {"2026-12-09 11:00:00", false, "ftp.example.org", "530 Login incorrect."};
    s.alerts = {kUploadsFailing};
    s.setAside = {"RSResults0.bad-x.log"};
    writeRecorderStatus(folder.path(), s);
    const RecorderStatus back = readRecorderStatus(folder.path()).value();
    EXPECT_EQ(back.lastGameMap, s.lastGameMap);
    EXPECT_EQ(back.liveUpload.detail, s.liveUpload.detail);
    EXPECT_EQ(back.alerts, s.alerts);
    EXPECT_EQ(statusJson(back), statusJson(s));
    EXPECT_FALSE(QFile::exists(folder.file(kRecorderStatusWorkFile)));

    struct Bad {
        const char* what;
        std::function<void()> make;
    } bad[] = {
        {"not JSON",
         [&] { test::writeFile(folder.file(kRecorderStatusFile), "{\"lastGameId\":"); }},
        {"a list", [&] { test::writeFile(folder.file(kRecorderStatusFile), "[1,2]"); }},
        {"too large",
         [&] { test::writeFile(folder.file(kRecorderStatusFile), QByteArray(300 * 1024, ' ')); }},
        {"a link",
         [&] {
             QFile::remove(folder.file(kRecorderStatusFile));
             test::writeFile(folder.file("elsewhere"), statusJson(s));
             QFile::link(folder.file("elsewhere"), folder.file(kRecorderStatusFile));
         }},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        b.make();
        EXPECT_THROW(readRecorderStatus(folder.path()), Error);
    }
    // Wrong types read as absent rather than as garbage.
    QFile::remove(folder.file(kRecorderStatusFile));
    test::writeFile(folder.file(kRecorderStatusFile),
                    R"({"lastGameId":"x","uploadFailuresInARow":-5,"alerts":[1,"uploads"]})");
    const RecorderStatus odd = readRecorderStatus(folder.path()).value();
    EXPECT_EQ(odd.lastGameId, 0);
    EXPECT_EQ(odd.uploadFailuresInARow, 0);
    EXPECT_EQ(odd.alerts, QStringList{"uploads"});
}

} // namespace
} // namespace vantor::watch
