// The real VantorRecorder run with --headless as a game host would run it: no display at all,
// games dropped into the game folder, stopped by a signal.
#include "common/record_file.h"
#include "common/records.h"
#include "recorder_test_data.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/ftp/tls_ftp_servers.h"
#include "tests/webhook/hook_receiver.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

using namespace vantor;
using vantor::test::readLogFixture;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

const QString kTimeStamp = QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ");

class HeadlessProgram : public testing::Test {
protected:
    HeadlessProgram() { QDir().mkdir(game); }
    ~HeadlessProgram() override {
        if (recorder.state() != QProcess::NotRunning) {
            recorder.kill();
            recorder.waitForFinished(5000);
        }
    }

    void writeStore(bool withGame, const QString& vantorValues = QString()) {
        QString text =
            QStringLiteral("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n") + vantorValues;
        if (withGame)
            text += QStringLiteral("\n[HKEY_LOCAL_MACHINE\\Software\\Red Storm Entertainment\\"
                                   "Rogue Spear]\n\"InstallationPath\"=\"%1\"\n"
                                   "\"MultiplayerPlayerName\"=\"Marrow\"\n")
                        .arg(game);
        writeFile(store, text.toUtf8());
    }

    // As on a host without a desktop: no display, and no platform plugin chosen for it.
    QProcessEnvironment noDisplay() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "");
        env.insert("VANTOR_REGISTRY", store);
        env.insert("WINEPREFIX", dir.file("no-wine"));
        for (auto it = extraEnv.cbegin(); it != extraEnv.cend(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }

    void start(const QStringList& args = {"--headless"}) {
        recorder.setProcessEnvironment(noDisplay());
        recorder.setWorkingDirectory(dir.path());
        recorder.start(QStringLiteral(VANTOR_RECORDER), args);
        ASSERT_TRUE(recorder.waitForStarted(10000));
    }

    // Waits for a line of standard error that matches; false on time-out or exit.
    bool waitForLine(const QString& pattern, int ms = 15000) {
        const QRegularExpression re(pattern, QRegularExpression::MultilineOption);
        QElapsedTimer t;
        t.start();
        while (!re.match(err).hasMatch()) {
            if (t.elapsed() > ms || recorder.state() == QProcess::NotRunning)
                return false;
            recorder.waitForReadyRead(100);
            err += QString::fromLocal8Bit(recorder.readAllStandardError());
        }
        return true;
    }
    bool waitUntil(const std::function<bool()>& done, int ms = 15000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QThread::msleep(50);
        }
        return true;
    }

    // Finished being written before it appears, as a game closes its log.
    void dropLog(const char* fixture) {
        writeFile(game + "/incoming.tmp", readLogFixture(QString::fromLatin1(fixture)));
        ASSERT_TRUE(QFile::rename(game + "/incoming.tmp", game + "/RSResults0.log"));
    }
    bool logGone() const { return !QFile::exists(game + "/RSResults0.log"); }

    void stopWith(int signalNumber) {
        ASSERT_EQ(::kill(pid_t(recorder.processId()), signalNumber), 0);
        // A stop lets the game's upload finish first: over TLS, under the sanitizers on a busy
        // machine, that has taken more than ten seconds.
        ASSERT_TRUE(recorder.waitForFinished(60000));
        err += QString::fromLocal8Bit(recorder.readAllStandardError());
        EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit) << err.toStdString();
        EXPECT_EQ(recorder.exitCode(), 0) << err.toStdString();
    }

    TempFolder dir;
    QString game = dir.file("game");
    QString store = dir.file("registry.reg");
    QProcess recorder;
    QString err;
    QHash<QString, QString> extraEnv;
};

std::vector<PlayerStatsRecord> statsFile(const QString& path) {
    return readAllRecords<PlayerStatsRecord>(path);
}

} // namespace

TEST_F(HeadlessProgram, RecordsTwoGamesOnceEachAndStopsWholeOnSigterm) {
    writeStore(true);
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording the games of \"" +
                            QRegularExpression::escape(game) + "\".*live stats off"))
        << err.toStdString();

    const QString stats = dir.file("stats.log");
    dropLog("demo_adversarial.log");
    ASSERT_TRUE(waitUntil([&] { return logGone() && QFile::exists(stats); })) << err.toStdString();
    const auto first = statsFile(stats);
    ASSERT_EQ(first.size(), 4u);
    for (const auto& p : first)
        EXPECT_EQ(p.games, 1);

    dropLog("demo_adversarial.log");
    ASSERT_TRUE(waitUntil([&] { return logGone() && statsFile(stats)[0].games == 2; }))
        << err.toStdString();
    stopWith(SIGTERM);

    // Each game counted once: every total doubled, nothing appended, nothing cut.
    EXPECT_EQ(QFile(stats).size(), 4 * qint64(sizeof(PlayerStatsRecord)));
    const auto second = statsFile(stats);
    ASSERT_EQ(second.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(second[i].name.text(), first[i].name.text());
        EXPECT_EQ(second[i].games, 2);
        EXPECT_EQ(second[i].kills, 2 * first[i].kills);
        EXPECT_EQ(second[i].roundsFired, 2 * first[i].roundsFired);
    }
    EXPECT_EQ(QFile(dir.file("team.log")).size(), 2 * qint64(sizeof(TeamWinsRecord)));
    const auto teams = readAllRecords<TeamWinsRecord>(dir.file("team.log"));
    EXPECT_EQ(teams[0].wins, 2);
    EXPECT_EQ(teams[1].wins, 0);
    EXPECT_FALSE(QFile::exists(dir.file("work.dat")));
    EXPECT_FALSE(QFile::exists(dir.file("lastgame.log")));
    EXPECT_TRUE(QDir(game).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(waitForLine(kTimeStamp + "SIGTERM: stopping", 0) || err.contains("SIGTERM"));
    EXPECT_FALSE(err.contains("Error:")) << err.toStdString();
}

// A tenth of a second of silence, where the game keeps the sound played after an upload.
void writeGameSound(const QString& game) {
    const QByteArray samples(800, char(128));
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(8000) << quint16(1)
        << quint16(8);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    out.writeRawData(samples.constData(), int(samples.size()));
    ASSERT_TRUE(QDir().mkpath(game + "/data/sound/English"));
    writeFile(game + "/data/sound/English/tm_cmpdn.wav", wave);
}

TEST_F(HeadlessProgram, UploadsTheLivePageOfEachGameToARealFtpServer) {
    vantor::test::LocalFtpServer server;
    QString why;
    ASSERT_TRUE(server.start(&why)) << why.toStdString();
    writeStore(true, QStringLiteral("\"hostname\"=\"127.0.0.1\"\n\"username\"=\"%1\"\n"
                                    "\"ftppassword\"=\"%2\"\n\"hostfilename\"=\"live.html\"\n"
                                    "\"LiveStatsReloadtime\"=\"45\"\n")
                         .arg(QString::fromLatin1(server.userName()),
                              QString::fromLatin1(server.password())));
    writeGameSound(game);
    extraEnv.insert("VANTOR_FTP_PORT", QString::number(server.port()));
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording the games of .*live stats on"))
        << err.toStdString();

    const QString local = dir.file("live.html");
    const QString uploaded = server.root() + "/live.html";
    const auto sameAsLocal = [&] {
        return QFile::exists(uploaded) && QFile::exists(local) &&
               vantor::test::readFile(uploaded) == vantor::test::readFile(local);
    };
    dropLog("demo_adversarial.log");
    ASSERT_TRUE(waitUntil([&] { return logGone() && sameAsLocal(); }, 30000)) << err.toStdString();
    const QByteArray firstPage = vantor::test::readFile(uploaded);
    EXPECT_TRUE(firstPage.contains("var x = 45"));
    EXPECT_TRUE(firstPage.contains("Marrow"));

    dropLog("cooperative.log");
    ASSERT_TRUE(waitUntil(
        [&] { return logGone() && sameAsLocal() && vantor::test::readFile(uploaded) != firstPage; },
        30000))
        << err.toStdString();
    stopWith(SIGTERM);

    EXPECT_TRUE(vantor::test::readFile(uploaded).contains(
        "These Stats were Recorded playing <font color=\"00FF00\">Cooperative"));
    EXPECT_TRUE(sameAsLocal());
    EXPECT_EQ(QFile(dir.file("stats.log")).size() % qint64(sizeof(PlayerStatsRecord)), 0);
    EXPECT_EQ(statsFile(dir.file("stats.log")).size(), 4u);
    EXPECT_FALSE(statsFile(dir.file("coop_stats.log")).empty());
    EXPECT_EQ(QFile(dir.file("coop_stats.log")).size() % qint64(sizeof(PlayerStatsRecord)), 0);
    EXPECT_EQ(QFile(dir.file("team.log")).size(), 2 * qint64(sizeof(TeamWinsRecord)));
    EXPECT_FALSE(QFile::exists(dir.file("lastgame.log"))); // on the page, then deleted
    EXPECT_FALSE(QFile::exists(dir.file("work.dat")));
    EXPECT_FALSE(err.contains("Error:")) << err.toStdString();
    EXPECT_FALSE(err.contains("was not uploaded")) << err.toStdString();
}

TEST_F(HeadlessProgram, UploadsTheLivePageInPassiveModeOverTlsWithAPinnedCertificate) {
    if (vantor::test::VsftpdServer::program().isEmpty())
        GTEST_SKIP() << "vsftpd is not installed (Debian package vsftpd)";
    vantor::test::VsftpdServer server;
    QString why;
    ASSERT_TRUE(server.start(&why)) << why.toStdString();
    writeStore(true, QStringLiteral("\"hostname\"=\"127.0.0.1\"\n\"username\"=\"%1\"\n"
                                    "\"ftppassword\"=\"%2\"\n\"hostdirname\"=\"%3\"\n"
                                    "\"hostfilename\"=\"live.html\"\n\"ftpmode\"=\"passive\"\n"
                                    "\"ftptls\"=\"explicit\"\n\"ftpcertsha256\"=\"%4\"\n")
                         .arg(QString::fromLatin1(server.userName()),
                              QString::fromLatin1(server.password()),
                              QString::fromLatin1(server.hostDir()),
                              QString::fromLatin1(server.fingerprint())));
    writeGameSound(game);
    extraEnv.insert("VANTOR_FTP_PORT", QString::number(server.port()));
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording the games of .*live stats on"))
        << err.toStdString();

    const QString local = dir.file("live.html");
    const QString uploaded = server.uploadFolder() + "/live.html";
    dropLog("demo_adversarial.log");
    ASSERT_TRUE(waitUntil(
        [&] {
            return logGone() && QFile::exists(uploaded) && QFile::exists(local) &&
                   vantor::test::readFile(uploaded) == vantor::test::readFile(local);
        },
        30000))
        << err.toStdString() << server.log().toStdString();
    stopWith(SIGTERM);
    EXPECT_TRUE(vantor::test::readFile(uploaded).contains("Marrow"));
    EXPECT_FALSE(err.contains("was not uploaded")) << err.toStdString();
}

TEST_F(HeadlessProgram, AFailedUploadAndAMissingSoundAreBothSaidWithoutThePassword) {
    vantor::test::LocalFtpServer server;
    QString why;
    ASSERT_TRUE(server.start(&why)) << why.toStdString();
    // A password the server refuses, and no game sound at all.
    writeStore(true, QStringLiteral("\"hostname\"=\"127.0.0.1\"\n\"username\"=\"%1\"\n"
                                    "\"ftppassword\"=\"not-the-password-42\"\n"
                                    "\"hostfilename\"=\"live.html\"\n")
                         .arg(QString::fromLatin1(server.userName())));
    extraEnv.insert("VANTOR_FTP_PORT", QString::number(server.port()));
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording the games of .*live stats on"))
        << err.toStdString();
    dropLog("demo_adversarial.log");
    ASSERT_TRUE(waitForLine(kTimeStamp + "Error: .*tm_cmpdn.wav", 30000)) << err.toStdString();
    stopWith(SIGTERM);

    EXPECT_TRUE(QRegularExpression(kTimeStamp + "The live stats page \"live.html\" was not "
                                                "uploaded to \"127.0.0.1\": 530 ",
                                   QRegularExpression::MultilineOption)
                    .match(err)
                    .hasMatch())
        << err.toStdString();
    EXPECT_TRUE(
        QRegularExpression(kTimeStamp + "> PASS \\*{8}$", QRegularExpression::MultilineOption)
            .match(err)
            .hasMatch())
        << err.toStdString();
    EXPECT_FALSE(err.contains("not-the-password-42")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(server.root() + "/live.html"));
    EXPECT_EQ(statsFile(dir.file("stats.log")).size(), 4u); // the game itself is recorded
}

TEST_F(HeadlessProgram, SigintWhileIdleEndsAtOnce) {
    writeStore(true);
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording")) << err.toStdString();
    QElapsedTimer t;
    t.start();
    stopWith(SIGINT);
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_TRUE(err.contains(
        QRegularExpression(kTimeStamp + "Stopped\\.$", QRegularExpression::MultilineOption)))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("stats.log")));
}

TEST_F(HeadlessProgram, AMissingGameIsSaidWithATimeStampAndEndsWithCodeOne) {
    writeStore(false);
    start();
    ASSERT_TRUE(recorder.waitForFinished(10000));
    err += QString::fromLocal8Bit(recorder.readAllStandardError());
    // A service manager shows the unit as failed, with the reason in its journal.
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(waitForLine(kTimeStamp + "Rogue Spear is not installed$", 0)) << err.toStdString();
    EXPECT_TRUE(
        waitForLine(kTimeStamp + "Error: No game installation found: .*InstallationPath", 0))
        << err.toStdString();
    EXPECT_FALSE(err.contains("Recording the games")) << err.toStdString();
}

TEST_F(HeadlessProgram, HelpAndAWrongCommandLineNeedNoDisplayEither) {
    writeStore(true);
    start({"--help"});
    ASSERT_TRUE(recorder.waitForFinished(10000));
    EXPECT_EQ(recorder.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(recorder.readAllStandardOutput());
    for (const char* option : {"--headless", "--live-stats", "--no-live-stats", "--help"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    for (const QString& line : help.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();

    // The window without a display: what to do instead, not the toolkit's abort.
    start({});
    ASSERT_TRUE(recorder.waitForFinished(10000));
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 1);
    EXPECT_EQ(recorder.readAllStandardError(),
              "No display: run VantorRecorder --headless, or set DISPLAY\n");

    start({"--headless", "--live-stats", "--no-live-stats"});
    ASSERT_TRUE(recorder.waitForFinished(10000));
    EXPECT_EQ(recorder.exitCode(), 2);
    EXPECT_TRUE(recorder.readAllStandardError().contains("--help"));
}

TEST_F(HeadlessProgram, ASecondRecorderOnTheSameFolderRefusesAndNoGameIsCountedTwice) {
    writeStore(true);
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording the games of")) << err.toStdString();

    // The game ends while the second one starts: it must neither record it nor delete it.
    dropLog("demo_adversarial.log");
    QProcess second;
    second.setProcessEnvironment(noDisplay());
    second.setWorkingDirectory(dir.path());
    second.start(QStringLiteral(VANTOR_RECORDER), {QStringLiteral("--headless")});
    ASSERT_TRUE(second.waitForFinished(15000));
    const QString secondErr = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1) << secondErr.toStdString();
    EXPECT_TRUE(
        secondErr.contains(QStringLiteral("Another recorder is already recording into \"%1\"")
                               .arg(QDir(dir.path()).absolutePath())))
        << secondErr.toStdString();

    const QString stats = dir.file("stats.log");
    ASSERT_TRUE(waitUntil([&] { return logGone() && QFile::exists(stats); })) << err.toStdString();
    dropLog("demo_adversarial.log");
    const auto allTwice = [&] {
        const auto players = statsFile(stats);
        return std::all_of(players.begin(), players.end(),
                           [](const PlayerStatsRecord& p) { return p.games == 2; });
    };
    ASSERT_TRUE(waitUntil([&] { return logGone() && allTwice(); })) << err.toStdString();
    stopWith(SIGTERM);
    for (const auto& p : statsFile(stats))
        EXPECT_EQ(p.games, 2);

    // Once the first has stopped, a recorder may record there again.
    err.clear();
    start();
    ASSERT_TRUE(waitForLine(kTimeStamp + "Recording the games of")) << err.toStdString();
    stopWith(SIGTERM);
}

// systemd's side of the recorder: a datagram socket standing in for NOTIFY_SOCKET.
class NotifySocket {
public:
    explicit NotifySocket(const QString& path) : path_(QFile::encodeName(path)) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.constData(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { ::close(fd_); }
    bool bound() const { return bound_; }
    // The messages so far that hold what.
    QByteArrayList received(const QByteArray& what) {
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            messages_ << QByteArray(buffer, n);
        QByteArrayList found;
        for (const QByteArray& m : std::as_const(messages_))
            if (m.contains(what))
                found << m;
        return found;
    }

private:
    QByteArray path_;
    int fd_ = -1;
    bool bound_ = false;
    QByteArrayList messages_;
};

// The FTP server goes away for three games and comes back: one alert, then one "back to normal",
// on standard error and at the web hook, while systemd hears READY, WATCHDOG and STATUS.
TEST_F(HeadlessProgram, AlertsOnceWhenUploadsFailAndOnceWhenTheyRecover) {
    vantor::test::LocalFtpServer server;
    vantor::test::HookReceiver hook(false);
    QString why;
    ASSERT_TRUE(server.start(&why)) << why.toStdString();
    ASSERT_TRUE(hook.start(&why)) << why.toStdString();
    NotifySocket systemd(dir.file("notify"));
    ASSERT_TRUE(systemd.bound());
    writeStore(true, QStringLiteral("\"hostname\"=\"127.0.0.1\"\n\"username\"=\"%1\"\n"
                                    "\"ftppassword\"=\"%2\"\n\"hostfilename\"=\"live.html\"\n"
                                    "\"webhookurl\"=\"%3\"\n")
                         .arg(QString::fromLatin1(server.userName()),
                              QString::fromLatin1(server.password()), hook.url("/ok")));
    writeGameSound(game);
    extraEnv.insert("VANTOR_FTP_PORT", QString::number(server.port()));
    extraEnv.insert("NOTIFY_SOCKET", dir.file("notify"));
    extraEnv.insert("WATCHDOG_USEC", "6000000");
    start();
    // Events run while waiting: the hook answers from this process.
    const auto waitFor = [&](const std::function<bool()>& done) {
        return QTest::qWaitFor(
                   [&] {
                       err += QString::fromLocal8Bit(recorder.readAllStandardError());
                       // Drained as systemd does: a full queue would hold the sender.
                       systemd.received({});
                       return done() || recorder.state() == QProcess::NotRunning;
                   },
                   30000) &&
               done();
    };
    const auto received = [&](const QByteArray& what) { return systemd.received(what).size(); };
    ASSERT_TRUE(waitFor([&] { return received("READY=1") == 1; })) << err.toStdString();
    EXPECT_TRUE(systemd.received("READY=1").first().contains("STATUS=Recording into"));

    const auto playGame = [&](int hookMessages) {
        dropLog("demo_adversarial.log");
        ASSERT_TRUE(waitFor([&] { return logGone() && hook.requests().size() == hookMessages; }))
            << err.toStdString() << hook.requests().size();
    };
    playGame(1);
    server.takeDown();
    playGame(2);
    playGame(3);
    playGame(5); // the game, and the alert after the third failure
    playGame(6); // failing on: no second alert
    ASSERT_TRUE(server.bringBack(&why)) << why.toStdString();
    playGame(8); // the game, and back to normal
    ASSERT_TRUE(waitFor([&] { return received("WATCHDOG=1") >= 2; }));
    stopWith(SIGTERM);

    EXPECT_EQ(
        err.count(QRegularExpression(kTimeStamp.mid(1) + "! Alert: The live stats page has "
                                                         "failed to upload 3 times in a row")),
        1)
        << err.toStdString();
    EXPECT_EQ(err.count("! Back to normal: the live stats page was uploaded."), 1)
        << err.toStdString();
    QByteArrayList alerts;
    for (const auto& r : hook.requests()) {
        EXPECT_EQ(vantor::test::HookReceiver::discordProblem(r.body), QString());
        if (!r.body.contains("\"embeds\""))
            alerts << r.body;
    }
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts[0].contains("Alert: The live stats page has failed to upload 3 times"));
    EXPECT_TRUE(alerts[1].contains("Back to normal"));
    EXPECT_TRUE(systemd.received("STATUS=").last().contains("last game"))
        << systemd.received("").join('|').toStdString();
    EXPECT_EQ(received("STOPPING=1"), 1);
    EXPECT_FALSE(err.contains("SECRET-TOKEN"));
}
