// The real VantorRecorder program, started as a newcomer would start it: a settings store with
// auto-record on and the game's key, then a result log dropped into the game folder.
#include "common/record_file.h"
#include "common/records.h"
#include "platform/settings_store.h"
#include "recorder_test_data.h"
#include "tests/support/store_text.h"
#include "tests/support/wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::readLogFixture;
using vantor::test::storeText;
using vantor::test::TempFolder;
using vantor::test::waitFor;
using vantor::test::writeFile;

TEST(RecorderProgram, RecordsALogDroppedIntoTheGameFolder) {
    TempFolder dir;
    const QString game = dir.file("game");
    const QString data = dir.file("data");
    const QString store = dir.file("registry.reg");
    ASSERT_TRUE(QDir().mkdir(game) && QDir().mkdir(data));
    writeFile(store, storeText(QStringLiteral("\"AutoRecord\"=\"true\""), game).toUtf8());

    QProcess recorder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VANTOR_REGISTRY", store);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("WINEPREFIX", dir.file("no-wine"));
    recorder.setProcessEnvironment(env);
    recorder.setWorkingDirectory(data);
    recorder.start(QStringLiteral(VANTOR_RECORDER), {});
    ASSERT_TRUE(recorder.waitForStarted(10000));
    const auto stop = qScopeGuard([&] {
        recorder.kill();
        recorder.waitForFinished(10000);
    });

    // Its activation publishes the data folder.
    ASSERT_TRUE(waitFor(
        [&] {
            auto key = SettingsStore(store).openKey(kVantorKey, false);
            return key && key->readString("RecorderPath") == data;
        },
        15000));

    // Start-up deletes logs it finds, so a log that vanished unrecorded is dropped again. One
    // that was taken waits in the data folder until "stats.log" holds it (looked at in this
    // order, so a game committed meanwhile is never taken for one deleted).
    const QString log = game + "/RSResults0.log";
    const QString claimed = data + "/.vantor.game";
    const QString stats = data + "/stats.log";
    const QString team = data + "/team.log";
    const bool recorded = waitFor(
        [&] {
            if (!QFile::exists(log) && !QFile::exists(claimed) && !QFile::exists(stats)) {
                writeFile(game + "/incoming.tmp", readLogFixture("demo_adversarial.log"));
                QFile::rename(game + "/incoming.tmp", log);
            }
            return QFile::exists(stats) && QFile::exists(team) && !QFile::exists(log) &&
                   !QFile::exists(claimed);
        },
        20000);
    ASSERT_TRUE(recorded) << recorder.readAllStandardError().toStdString();

    const auto players = readAllRecords<PlayerStatsRecord>(stats);
    ASSERT_EQ(players.size(), 4u);
    for (const auto& p : players)
        EXPECT_EQ(p.games, 1) << p.name.text().toStdString();
    const auto teams = readAllRecords<TeamWinsRecord>(team);
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_EQ(teams[0].team.text(), "blue");
    EXPECT_EQ(teams[0].wins, 1);
    EXPECT_EQ(teams[1].wins, 0);
    EXPECT_EQ(recorder.state(), QProcess::Running);
}
