// The headless recorder's pieces in one process: its command line, its messages on a stream,
// the stop signals and the runner around the recording cycle.
#include "recorder/headless/headless_recorder.h"
#include "recorder/headless/qt_messages.h"
#include "recorder/headless/stderr_dialogs.h"
#include "recorder/headless/stop_signals.h"

#include "common/record_file.h"
#include "manual_tick.h"
#include "recorder/recording/result_log_files.h"
#include "recorder/session/recorder_options.h"
#include "recorder/session/site_refresh.h"
#include "recorder_test_data.h"
#include "tests/support/fakes.h"
#include "tests/support/store_text.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::recorder;
using vantor::test::ManualTick;
using vantor::test::readLogFixture;
using vantor::test::RecordingDialogs;
using vantor::test::TempFolder;
using vantor::test::writeFile;
using Mode = RecorderOptions::Mode;
using Choice = RecorderOptions::LiveStatsChoice;

TEST(RecorderCommandLine, ChoosesTheModeAndRefusesWhatItCannotDo) {
    struct Case {
        QStringList args;
        Mode mode;
        Choice liveStats;
        std::optional<QString> site = std::nullopt;
    };
    const Case cases[] = {
        {{}, Mode::Window, Choice::FromSettings},
        {{"-platform", "offscreen"}, Mode::Window, Choice::FromSettings},
        {{"--headless"}, Mode::Headless, Choice::FromSettings},
        {{"--live-stats", "--headless"}, Mode::Headless, Choice::On},
        {{"--headless", "--no-live-stats", "--no-live-stats"}, Mode::Headless, Choice::Off},
        {{"--headless", "--bogus", "--help"}, Mode::Invalid, Choice::FromSettings},
        {{"--headless", "-h"}, Mode::Help, Choice::FromSettings},
        {{"--headless", "--live-stats", "--no-live-stats"}, Mode::Invalid, Choice::On},
        {{"--live-stats"}, Mode::Invalid, Choice::On},
        {{"--headless", "-platform", "offscreen"}, Mode::Invalid, Choice::FromSettings},
        {{"--bogus"}, Mode::Invalid, Choice::FromSettings},
        {{"stats.log"}, Mode::Invalid, Choice::FromSettings},
        {{"--headless", "--site", "www"}, Mode::Headless, Choice::FromSettings, "www"},
        {{"--headless", "--site=-odd name"}, Mode::Headless, Choice::FromSettings, "-odd name"},
        {{"--headless", "--no-site"}, Mode::Headless, Choice::FromSettings, ""},
        {{"--headless", "--site"}, Mode::Invalid, Choice::FromSettings},
        {{"--headless", "--site", "a", "--no-site"}, Mode::Invalid, Choice::FromSettings},
        {{"--site", "www"}, Mode::Invalid, Choice::FromSettings},
    };
    for (const Case& c : cases) {
        const RecorderOptions o = parseRecorderArguments(QStringList{"VantorRecorder"} + c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(o.mode, c.mode) << what;
        if (c.mode == Mode::Invalid) {
            EXPECT_FALSE(o.problem.isEmpty()) << what;
        } else {
            EXPECT_EQ(o.liveStats, c.liveStats) << what;
            EXPECT_EQ(o.siteFolder, c.site) << what;
        }
    }
}

TEST(StderrMessages, OneTimeStampedLinePerMessageAndQuestionsAnsweredNo) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    const QDateTime at(QDate(2026, 12, 8), QTime(21, 30, 5));
    StderrDialogs dialogs(out, [at] { return at; });
    dialogs.information(QStringLiteral("Rogue Spear is not installed"));
    dialogs.error(QStringLiteral("Cannot read \"x\": gone\n\nThe game was not recorded."));
    EXPECT_FALSE(dialogs.askYesNo(QStringLiteral("Delete \"Zoë\"?")));
    dialogs.beep();
    // A map, a game type or a server's reply never reaches the terminal with its controls.
    dialogs.information(QStringLiteral("< 220 \x1b]0;owned\x07 map \u009b2J\tBank"));

    std::rewind(out);
    char buffer[1024] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(QString::fromLocal8Bit(buffer, qsizetype(n)),
              "2026-12-08 21:30:05 Rogue Spear is not installed\n"
              "2026-12-08 21:30:05 Error: Cannot read \"x\": gone The game was not recorded.\n"
              "2026-12-08 21:30:05 Delete \"Zoë\"? (answered No)\n"
              "2026-12-08 21:30:05 < 220 ?]0;owned? map ?2J?Bank\n");
}

TEST(StopSignalsTest, SigtermAndSigintArriveThroughTheEventLoop) {
    StopSignals signals_;
    QSignalSpy spy(&signals_, &StopSignals::stopRequested);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_EQ(spy.count(), 0); // nothing happens inside the handler
    ASSERT_TRUE(spy.wait(2000) || spy.count() > 0);
    if (spy.count() < 2)
        spy.wait(500);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toInt(), SIGTERM);
    EXPECT_EQ(spy[1][0].toInt(), SIGINT);
    EXPECT_THROW(StopSignals second, Error); // one watcher per process
}

namespace {

class Headless : public testing::Test {
protected:
    Headless() { QDir().mkdir(QStringLiteral("game")); }

    void writeStore(const QString& vantorValues, bool withGame = true) {
        writeFile(storePath, test::storeText(vantorValues, withGame ? game : QString()).toUtf8());
    }
    // A recorder on the test's own ticks; uploads are only counted unless `realUpload`.
    std::unique_ptr<HeadlessRecorder> make(Choice choice = Choice::FromSettings,
                                           bool realUpload = false,
                                           const QString& dataFolder = QStringLiteral(".")) {
        auto own = std::make_unique<ManualTick>();
        ticks = own.get();
        auto r = std::make_unique<HeadlessRecorder>(
            dialogs, SettingsStore(storePath),
            [this](const SettingsStore& s) { return readGameKey(s, noWine); }, choice,
            std::move(own), dataFolder);
        r->session().setSoundPlayer(sound);
        if (!realUpload)
            r->session().liveStatsStep().onPageWritten = [this] { ++uploads; };
        return r;
    }
    // Where leases are not to be had, a finished log is seen at the second look.
    void tick() {
        ticks->tick();
        if (QFile::exists(resultLogPath(game, 0)))
            ticks->tick();
    }

    TempFolder data;
    QString game = data.file(QStringLiteral("game"));
    QString storePath = data.file(QStringLiteral("registry.reg"));
    QString noWine = data.file(QStringLiteral("no-wine"));
    RecordingDialogs dialogs;
    vantor::test::RecordingSound sound;
    ManualTick* ticks = nullptr; // owned by the recorder's session
    int uploads = 0;
};

const char* kBothSettings = "\"hostname\"=\"ftp.example.org\"\n\"hostfilename\"=\"live.html\"";

} // namespace

TEST_F(Headless, StartClearsStaleFilesAndRecordsWhatEndsAfterwards) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"false\""));
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    writeFile(resultLogPath(game, 7), "old");
    writeFile("lastgame.log", "stale");
    auto r = make();
    EXPECT_TRUE(r->start());
    // Recording is on whatever "AutoRecord" says; a game that ended before is not counted.
    EXPECT_TRUE(ticks->isActive());
    EXPECT_EQ(TimerTick().interval(), 3000); // what the program ticks with
    EXPECT_TRUE(QDir(game).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_FALSE(QFile::exists("stats.log"));
    EXPECT_EQ(r->session().cycle().gameFolder(), game);
    EXPECT_FALSE(r->liveStats());

    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tick();
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    EXPECT_EQ(uploads, 0);
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Headless, LiveStatsFollowTheSettingsUnlessTheCommandLineSays) {
    struct Case {
        const char* settings;
        Choice choice;
        bool on;
    };
    const Case cases[] = {
        {kBothSettings, Choice::FromSettings, true},
        {"\"hostname\"=\"ftp.example.org\"", Choice::FromSettings, false},
        {"\"hostfilename\"=\"live.html\"", Choice::FromSettings, false},
        {kBothSettings, Choice::Off, false},
        {"", Choice::On, true},
    };
    for (const Case& c : cases) {
        writeStore(QString::fromLatin1(c.settings));
        dialogs.shown.clear();
        auto r = make(c.choice);
        r->start();
        EXPECT_EQ(r->liveStats(), c.on) << c.settings;
        // Forced on without a server: said once, at start.
        EXPECT_EQ(dialogs.shown.size(), c.choice == Choice::On ? 1 : 0) << c.settings;
    }
}

TEST_F(Headless, AGameRecordedWithLiveStatsWritesAndUploadsThePage) {
    writeStore(QString::fromLatin1(kBothSettings));
    auto r = make();
    r->session().liveStatsStep().onPageWritten = [this] {
        ++uploads;
        EXPECT_TRUE(QFile::exists("live.html"));
    };
    r->start();
    writeFile(resultLogPath(game, 0), readLogFixture("cooperative.log"));
    tick();
    EXPECT_EQ(uploads, 1);
    EXPECT_TRUE(vantor::test::readFile("live.html")
                    .contains("recorded by: <font color=\"#00FF00\">Marrow<"));
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Headless, AStopDuringACycleWaitsForItsEnd) {
    writeStore(QString::fromLatin1(kBothSettings));
    auto r = make();
    QSignalSpy finished(&r->session(), &RecorderSession::finished);
    bool finishedInside = true;
    // The upload lets events run: a signal can be handled in the middle of it.
    r->session().liveStatsStep().onPageWritten = [&] {
        r->session().stop();
        finishedInside = finished.count() > 0;
    };
    r->start();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tick();
    EXPECT_FALSE(finishedInside);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(ticks->isActive());
    EXPECT_TRUE(QFile::exists("live.html"));
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);

    // Stopped: a log that comes now stays for the next run.
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    ticks->tick();
    r->session().onTick();
    r->session().stop();
    EXPECT_TRUE(QFile::exists(resultLogPath(game, 0)));
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(Headless, AFailingPageIsReportedAndRecordingGoesOn) {
    writeStore("\"hostname\"=\"ftp.example.org\"\n\"hostfilename\"=\"no-such-folder/live.html\"");
    auto r = make();
    r->start();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tick();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].startsWith("error: ")) << dialogs.shown[0].toStdString();
    EXPECT_EQ(uploads, 0);
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    EXPECT_TRUE(ticks->isActive());
    EXPECT_FALSE(r->session().cycle().isRunning());
}

TEST_F(Headless, AFailedUploadIsSaidAndTheSoundStillPlays) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    qputenv("VANTOR_FTP_PORT", QByteArray::number(closedPort));
    const auto unset = qScopeGuard([] { qunsetenv("VANTOR_FTP_PORT"); });
    writeStore("\"hostname\"=\"127.0.0.1\"\n\"hostfilename\"=\"live.html\"");
    auto r = make(Choice::FromSettings, true);
    r->start();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tick();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].startsWith(
        "info: The live stats page \"live.html\" was not uploaded to \"127.0.0.1\": "))
        << dialogs.shown[0].toStdString();
    EXPECT_EQ(sound.played, QStringList{game + "/data/sound/English/tm_cmpdn.wav"});
    EXPECT_TRUE(QFile::exists("live.html"));
}

TEST_F(Headless, AFailedUploadIsSaidWithItsExchangeEvenWhenTheSoundIsMissing) {
    // A server that refuses the login: the exchange tells why, without the password.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        QTcpSocket* s = server.nextPendingConnection();
        s->write("220 Ready\r\n");
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            while (s->canReadLine()) {
                const QByteArray verb = s->readLine().left(4);
                s->write(verb == "USER"   ? "331 Password required\r\n"
                         : verb == "QUIT" ? "221 Goodbye\r\n"
                                          : "530 Login incorrect\r\n");
            }
        });
    });
    qputenv("VANTOR_FTP_PORT", QByteArray::number(server.serverPort()));
    const auto unset = qScopeGuard([] { qunsetenv("VANTOR_FTP_PORT"); });
    writeStore("\"hostname\"=\"127.0.0.1\"\n\"hostfilename\"=\"live.html\"\n"
               "\"username\"=\"marrow\"\n\"ftppassword\"=\"hunter2-secret\"");
    sound.failure = QStringLiteral("Cannot open the wave file");
    auto r = make(Choice::FromSettings, true);
    r->start();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tick();

    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.shown.first(), "info: The live stats page \"live.html\" was not uploaded to "
                                     "\"127.0.0.1\": 530 Login incorrect");
    EXPECT_EQ(dialogs.shown.last(), "error: Cannot open the wave file");
    EXPECT_TRUE(dialogs.shown.contains("info: > USER marrow"));
    EXPECT_TRUE(dialogs.shown.contains("info: > PASS ********"));
    EXPECT_TRUE(dialogs.shown.contains("info: < 530 Login incorrect"));
    for (const QString& line : std::as_const(dialogs.shown))
        EXPECT_FALSE(line.contains("hunter2")) << line.toStdString();
    EXPECT_EQ(sound.played.size(), 1);
}

TEST_F(Headless, RefusesToStartWithoutAGameOrAWritableDataFolder) {
    struct Case {
        const char* what;
        bool withGame;
        QString gameFolder;
        QString dataFolder;
        QString problem;
    };
    const QString gone = data.file("removed");
    const QString file = data.file("a-file");
    ASSERT_TRUE(QDir().mkdir(gone) && QDir().rmdir(gone));
    writeFile(file, "x");
    const Case cases[] = {
        {"no game key", false, QString(), ".",
         "No game installation found: the game's key holds no \"InstallationPath\", neither in "
         "the settings store \"" +
             storePath + "\" nor in the Wine prefix (WINEPREFIX, else ~/.wine)."},
        {"game folder gone", true, gone, ".",
         "No game installation found: the game folder \"" + gone + "\" does not exist."},
        {"data folder gone", true, game, gone,
         "The data folder \"" + gone + "\" cannot be written: No such file or directory."},
        {"data folder a file", true, game, file,
         "The data folder \"" + file + "\" cannot be written: Not a directory."},
    };
    for (const Case& c : cases) {
        writeFile(storePath,
                  test::storeText("\"AutoRecord\"=\"true\"", c.withGame ? c.gameFolder : QString())
                      .toUtf8());
        writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
        auto r = make(Choice::FromSettings, false, c.dataFolder);
        EXPECT_FALSE(r->start()) << c.what;
        EXPECT_EQ(r->problem(), c.problem) << c.what;
        // Nothing was started: no tick, no log taken.
        EXPECT_FALSE(ticks->isActive()) << c.what;
        EXPECT_FALSE(r->session().isRecording()) << c.what;
        EXPECT_TRUE(QFile::exists(resultLogPath(game, 0))) << c.what;
    }
    EXPECT_FALSE(QFile::exists("stats.log"));
}

TEST(QtMessages, GoThroughTheTimeStampedStreamWithAPrefix) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    const QDateTime at(QDate(2026, 12, 8), QTime(21, 30, 5));
    StderrDialogs dialogs(out, [at] { return at; });
    {
        const QtMessagesTo guard(dialogs);
        qWarning("No audio device");
        const QLoggingCategory category("qt.multimedia.audiooutput");
        qCWarning(category) << "PulseAudio: connection refused";
    }
    std::rewind(out);
    char buffer[1024] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(QString::fromLocal8Bit(buffer, qsizetype(n)),
              "2026-12-08 21:30:05 Qt: No audio device\n"
              "2026-12-08 21:30:05 Qt (qt.multimedia.audiooutput): PulseAudio: connection "
              "refused\n");
}

// After a game the site is made by the utilities in a process of their own, in the data
// folder, with the folder after "--" so no name is read as an option; no folder, no process.
TEST(SiteRefresh, StartsTheUtilitiesInTheDataFolderWithTheSitesFolder) {
    TempFolder dir;
    const QString bin = dir.file(QStringLiteral("bin"));
    const QString data = dir.file(QStringLiteral("data"));
    QDir().mkpath(bin);
    QDir().mkpath(data);
    const QString program = bin + QStringLiteral("/VantorUtilities");
    writeFile(program, "#!/bin/sh\necho \"$(pwd -P) $*\" > started.txt\n");
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner);
    const struct {
        SiteRefreshSettings settings;
        const char* expected; // the arguments, or "" when nothing is started
    } cases[] = {
        {{QStringLiteral("www"), false}, "site --quiet -- www"},
        {{QStringLiteral("--odd"), true}, "site --quiet --upload -- --odd"},
        {{QString(), true}, ""},
    };
    for (const auto& c : cases) {
        QFile::remove(data + QStringLiteral("/started.txt"));
        EXPECT_EQ(startSiteRefresh(bin, QString(), data, c.settings), QString());
        if (*c.expected == '\0') {
            QTest::qWait(200);
            EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/started.txt")));
            continue;
        }
        QByteArray line;
        for (int i = 0; i < 100 && line.isEmpty(); ++i) {
            QTest::qWait(50);
            if (QFileInfo::exists(data + QStringLiteral("/started.txt")))
                line = vantor::test::readFile(data + QStringLiteral("/started.txt")).trimmed();
        }
        EXPECT_EQ(line, QDir(data).canonicalPath().toUtf8() + ' ' + c.expected);
    }
    EXPECT_FALSE(startSiteRefresh(dir.file(QStringLiteral("none")), QString(), data,
                                  {QStringLiteral("www"), false})
                     .isEmpty());
}
