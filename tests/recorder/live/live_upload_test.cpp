// The upload of the live stats page against a real FTP server, and the game's sound after it.
#include "ftp/control_port.h"
#include "recorder/live/live_upload.h"

#include "tests/ftp/fake_ftp_server.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <gtest/gtest.h>
#include <utility>

using namespace vantor;
using namespace vantor::recorder;
using namespace vantor::test;

namespace {

// The game folder holds the sound in another case than the one asked for, as a copy from a
// Windows disc may.
class LiveUpload : public testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
        qputenv("VANTOR_FTP_PORT", QByteArray::number(server.port()));
        ASSERT_TRUE(QDir().mkpath(game + "/Data/Sound/english"));
        writeFile(game + "/Data/Sound/english/TM_CMPDN.WAV", "RIFF....WAVE");
        ASSERT_TRUE(QDir().mkpath(data));
        ASSERT_TRUE(QDir(server.root()).mkdir("www"));
        setupLiveStatsClient(client);
        set("hostname", "127.0.0.1");
        set("username", server.userName());
        set("ftppassword", server.password());
        set("hostdirname", "www");
        set("hostfilename", "live.html");
        writeFile(data + "/live.html", page);
    }
    void TearDown() override { qunsetenv("VANTOR_FTP_PORT"); }

    void set(const char* name, const QString& value) {
        store.openKey(kVantorKey, true)->writeString(QString::fromLatin1(name), value);
    }
    bool send() { return uploadAndPlaySound(store, client, sound, game, data); }
    QString soundFile() const { return game + "/Data/Sound/english/TM_CMPDN.WAV"; }

    TempFolder dir;
    QString game = dir.file("game");
    QString data = dir.file("data");
    SettingsStore store{dir.file("registry.reg")};
    LocalFtpServer server;
    FtpClient client;
    RecordingSound sound;
    QByteArray page = "<html>\r\n<body>live</body>\r\n</html>\r\n";
};

} // namespace

TEST_F(LiveUpload, ThePageLandsUnderItsOwnNameAndTheSoundFollows) {
    ASSERT_TRUE(send()) << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(server.root() + "/www/live.html"), page);
    EXPECT_EQ(sound.played, QStringList{soundFile()});
    // The page stays in the data folder; the next one overwrites it.
    EXPECT_EQ(readFile(data + "/live.html"), page);
    EXPECT_EQ(client.HostFileName, "live.html");
    EXPECT_EQ(client.Port, QByteArray::number(server.port()));
    EXPECT_EQ(client.Timeout, 15);
}

TEST_F(LiveUpload, EveryUploadReadsTheSettingsAfresh) {
    set("ftppassword", "wrong");
    EXPECT_FALSE(send());
    EXPECT_FALSE(QFile::exists(server.root() + "/www/live.html"));
    EXPECT_EQ(sound.played.size(), 1); // played after a failure too

    set("ftppassword", server.password());
    set("hostdirname", "");
    ASSERT_TRUE(send()) << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(server.root() + "/live.html"), page);
    EXPECT_EQ(sound.played.size(), 2);
}

TEST_F(LiveUpload, MissingSettingsFailWithoutHangingAndStillPlayTheSound) {
    set("hostname", "");
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(send());
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(sound.played.size(), 1);

    // A store that can be neither read nor made reads as empty values.
    writeFile(dir.file("plain-file"), "");
    EXPECT_FALSE(uploadAndPlaySound(SettingsStore(dir.file("plain-file/registry.reg")), client,
                                    sound, game, data));
    EXPECT_EQ(sound.played.size(), 2);
}

TEST_F(LiveUpload, AServerThatNeverAnswersEndsAtTheTimeOut) {
    QTcpServer silent; // takes the connection and says nothing
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    qputenv("VANTOR_FTP_PORT", QByteArray::number(silent.serverPort()));
    client.Timeout = 1;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(send());
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    EXPECT_EQ(sound.played, QStringList{soundFile()});

    // Nobody listening at all: refused at once, the sound all the same.
    const quint16 closed = silent.serverPort();
    silent.close();
    qputenv("VANTOR_FTP_PORT", QByteArray::number(closed));
    EXPECT_FALSE(send());
    EXPECT_TRUE(client.ErrorMessage().startsWith("500 ")) << client.ErrorMessage().toStdString();
    EXPECT_EQ(sound.played.size(), 2);
}

TEST_F(LiveUpload, ASoundThatCannotBePlayedIsReportedAfterTheUpload) {
    sound.failure = QStringLiteral("Cannot open the wave file");
    try {
        send();
        FAIL() << "the sound's failure was swallowed";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Cannot open the wave file");
    }
    EXPECT_EQ(readFile(server.root() + "/www/live.html"), page);
}

TEST_F(LiveUpload, SettingsThatWouldSmuggleInACommandAreRefusedBeforeConnecting) {
    // Sent as it stands, this folder would delete the file on the server.
    writeFile(server.root() + "/www/important.html", "keep");
    set("hostdirname", "www\r\nDELE important.html");
    EXPECT_FALSE(send());
    EXPECT_EQ(client.ErrorMessage(), "The folder contains a line break or NUL character");
    EXPECT_EQ(readFile(server.root() + "/www/important.html"), "keep");
    EXPECT_FALSE(QFile::exists(server.root() + "/www/live.html"));
    EXPECT_EQ(sound.played.size(), 1); // the sound as after any failed upload

    // A scripted server sees nothing of the other fields either.
    FakeFtpServer hostile;
    qputenv("VANTOR_FTP_PORT", hostile.portText());
    set("hostdirname", "www");
    const struct {
        const char* name;
        QString value;
        QByteArray message;
    } cases[] = {
        {"username", "vantor\r\nDELE important.html",
         "The user name contains a line break or NUL character"},
        {"ftppassword", "pw\nRMD www", "The password contains a line break or NUL character"},
        {"hostfilename", "live.html\r\nDELE important.html",
         "The file name contains a line break or NUL character"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString before = store.openKey(kVantorKey, false)->readString(c.name);
        set(c.name, c.value);
        EXPECT_FALSE(send());
        EXPECT_EQ(client.ErrorMessage(), c.message);
        set(c.name, before);
    }
    ASSERT_TRUE(send()) << client.ErrorMessage().toStdString();
    EXPECT_EQ(hostile.controlConnections, 1);
    ASSERT_FALSE(hostile.commands.isEmpty());
    EXPECT_EQ(hostile.commands.first(), "USER " + server.userName());
    for (const QByteArray& command : std::as_const(hostile.commands))
        EXPECT_FALSE(command.startsWith("DELE") || command.startsWith("RMD")) << command.data();
    EXPECT_EQ(hostile.stored, page);
}

TEST_F(LiveUpload, TheStoredPortUnlessATestServerNamesAnother) {
    qunsetenv("VANTOR_FTP_PORT");
    EXPECT_EQ(uploadControlPort(), "ftp");
    qputenv("VANTOR_FTP_PORT", " 2121 ");
    EXPECT_EQ(uploadControlPort(), "2121");
    // The "port" setting is shared with the utilities' tab: both programs upload to it.
    qunsetenv("VANTOR_FTP_PORT");
    set("hostname", "");
    for (const auto& [stored, used] : {std::pair{"2121", "2121"}, std::pair{"", "ftp"}}) {
        set("port", stored);
        send();
        EXPECT_EQ(client.Port, used);
    }
}
