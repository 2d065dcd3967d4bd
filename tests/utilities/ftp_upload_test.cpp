// The upload's settings, checks and display lines, and the upload command run as a program
// against a real FTP server.
#include "utilities/core/ftp_upload.h"

#include "common/error.h"
#include "ftp/ftp_client.h"
#include "platform/settings_store.h"
#include "tests/ftp/fake_ftp_server.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;
using namespace vantor::utilities;

namespace {

// Sets an environment variable for the life of the object.
QList<QByteArray> valueLines(const QByteArray& storeFile) {
    QList<QByteArray> values;
    for (const QByteArray& line : storeFile.split('\n'))
        if (line.startsWith('"'))
            values << line.trimmed();
    return values;
}

const FtpSettings kFilled{"ftp.example.org", "2121", "bob", "se\"cr\\et", "www/stats"};

} // namespace

TEST(FtpSettings, SavedInTheirOrderAndReadBack) {
    TempFolder dir;
    const SettingsStore store(dir.file("registry.reg"));
    saveFtpSettings(store, kFilled);
    EXPECT_EQ(valueLines(readFile(store.path())),
              QList<QByteArray>({"\"hostname\"=\"ftp.example.org\"", "\"port\"=\"2121\"",
                                 "\"username\"=\"bob\"", "\"ftppassword\"=\"se\\\"cr\\\\et\"",
                                 "\"hostdirname\"=\"www/stats\""}));
    const FtpSettings back = readFtpSettings(store, false);
    EXPECT_EQ(back.hostName, kFilled.hostName);
    EXPECT_EQ(back.port, kFilled.port);
    EXPECT_EQ(back.userName, kFilled.userName);
    EXPECT_EQ(back.password, kFilled.password);
    EXPECT_EQ(back.hostDirName, kFilled.hostDirName);

    // Empty fields are stored empty, not skipped.
    saveFtpSettings(store, {});
    const auto key = store.openKey(kVantorKey, false);
    for (const char* name : {"hostname", "port", "username", "ftppassword", "hostdirname"}) {
        EXPECT_TRUE(key->valueExists(QString::fromLatin1(name))) << name;
        EXPECT_EQ(key->readString(QString::fromLatin1(name)), QString()) << name;
    }
}

TEST(FtpSettings, MissingStoreReadsEmptyAndOnlyCreateMakesTheKey) {
    TempFolder dir;
    const SettingsStore store(dir.file("registry.reg"));
    EXPECT_EQ(readFtpSettings(store, false).hostName, QString());
    EXPECT_FALSE(store.keyExists(kVantorKey));
    EXPECT_EQ(readFtpSettings(store, true).userName, QString());
    EXPECT_TRUE(store.keyExists(kVantorKey));
}

TEST(FtpSettings, AStoreThatCannotBeWrittenNamesTheFirstValue) {
    TempFolder dir;
    const QString path = dir.file("registry.reg");
    QDir().mkpath(path + "/x"); // a folder where the file should be
    try {
        saveFtpSettings(SettingsStore(path), kFilled);
        FAIL() << "saved into a folder";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Failed to set data for 'hostname'"));
    }
}

TEST(FtpSettings, HostThenLoginThenPasswordAreRequired) {
    FtpSettings s;
    EXPECT_EQ(missingFtpField(s), QStringLiteral("Please enter Host address."));
    s.userName = "bob";
    s.password = "pw";
    EXPECT_EQ(missingFtpField(s), QStringLiteral("Please enter Host address."));
    s = {"host", "", "", "pw", ""};
    EXPECT_EQ(missingFtpField(s), QStringLiteral("Please enter Username."));
    s.userName = "bob";
    s.password.clear();
    EXPECT_EQ(missingFtpField(s), QStringLiteral("Please enter password."));
    s.password = "pw"; // port and directory stay empty: never checked
    EXPECT_EQ(missingFtpField(s), QString());
}

TEST(FtpSettings, TheClientConnectsToTheStoredPortOrTheFtpService) {
    FtpClient client;
    applyFtpSettings(client, kFilled);
    EXPECT_EQ(client.HostName, "ftp.example.org");
    EXPECT_EQ(client.Port, "2121");
    EXPECT_EQ(client.UserName, "bob");
    EXPECT_EQ(client.PassWord, "se\"cr\\et");
    EXPECT_EQ(client.HostDirName, "www/stats");
    {
        ScopedEnv port("VANTOR_FTP_PORT", "2100");
        applyFtpSettings(client, kFilled);
        EXPECT_EQ(client.Port, "2100");
    }
    FtpSettings unset = kFilled;
    unset.port = " ";
    applyFtpSettings(client, unset);
    EXPECT_EQ(client.Port, "ftp");
}

TEST(FtpSettings, DisplayLinesDecodeAsUtf8OrTheWindowsCodePage) {
    EXPECT_EQ(displayLineText("< 250 \xC3\xB6k"), QStringLiteral("< 250 \u00F6k"));
    EXPECT_EQ(displayLineText("< 250 \xF6k"), QStringLiteral("< 250 \u00F6k"));
}

// The upload command, run as a game host runs it.
namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

struct UploadCommand : testing::Test {
    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
        ASSERT_TRUE(QDir(server.root()).mkdir("www"));
        saveFtpSettings(store, {"127.0.0.1", "ftp", QString::fromLatin1(server.userName()),
                                QString::fromLatin1(server.password()), "www"});
        writeFile("MyStats.html", page);
    }

    // Runs the program against the real server, or the one on port. The test's own event loop
    // runs meanwhile, so that a server living in it can answer.
    Outcome utilities(const QStringList& arguments, quint16 port = 0) {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "no-such-platform"); // no window may be needed
        env.insert("LC_ALL", "C.UTF-8");
        env.insert("VANTOR_REGISTRY", store.path());
        env.insert("VANTOR_FTP_PORT", QString::number(port != 0 ? port : server.port()));
        p.setProcessEnvironment(env);
        QEventLoop loop;
        QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        p.start(QStringLiteral(VANTOR_UTILITIES), arguments);
        loop.exec();
        if (p.state() != QProcess::NotRunning || p.exitStatus() != QProcess::NormalExit)
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    TempFolder folder;
    LocalFtpServer server;
    SettingsStore store{folder.file("registry.reg")};
    QByteArray page = "<html><body>stats</body></html>\r\n";
};

} // namespace

TEST_F(UploadCommand, PrintsTheExchangeAndSucceeds) {
    const Outcome r = utilities({"upload", "MyStats.html"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(readFile(server.root() + "/www/MyStats.html"), page);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith("< 220"));
    // The output goes to terminals and logs: the password never shows.
    EXPECT_TRUE(lines.contains("> PASS ********"));
    EXPECT_FALSE(r.out.contains("rogue-spear"));
    EXPECT_TRUE(lines.contains("> CWD www"));
    EXPECT_TRUE(lines.contains("> STOR MyStats.html"));
    EXPECT_TRUE(
        lines.filter(QRegularExpression("^! 33 bytes received/sent in \\d+ seconds")).size() == 1)
        << r.out.toStdString();
    EXPECT_TRUE(lines.last().startsWith("< 221"));
    EXPECT_EQ(r.err, QString());

    // A path is read where it lies and stored under its own name.
    QDir().mkdir("out");
    writeFile("out/Other.html", "other");
    EXPECT_EQ(utilities({"upload", "out/Other.html"}).status, 0);
    EXPECT_EQ(readFile(server.root() + "/www/Other.html"), "other");
}

TEST_F(UploadCommand, ARefusedLoginFails) {
    saveFtpSettings(store, {"127.0.0.1", "ftp", "vantor", "wrong", "www"});
    const Outcome r = utilities({"upload", "MyStats.html"});
    EXPECT_EQ(r.status, 1);
    // The refusal is shown once, as the server's reply.
    EXPECT_EQ(r.out.count("\n< 530 "), 1) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("\n! ")) << r.out.toStdString();
    // The last line names the server and gives its answer as it came, with no stop added.
    EXPECT_TRUE(r.err.startsWith(
        QStringLiteral("The upload to 127.0.0.1 port %1 failed: 530 ").arg(server.port())))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("..")));
    EXPECT_FALSE(QFile::exists(server.root() + "/www/MyStats.html"));
}

TEST_F(UploadCommand, MissingSettingsOrFileAreRefused) {
    saveFtpSettings(store, {"127.0.0.1", "ftp", "vantor", "", "www"});
    Outcome r = utilities({"upload", "MyStats.html"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(r.err, QStringLiteral("Please enter password.\n"));

    EXPECT_EQ(utilities({"upload"}).status, 2);
    EXPECT_EQ(utilities({"upload", "a.html", "b.html"}).status, 2);

    // The file is looked for before the server is; nothing listening on the port says so.
    saveFtpSettings(store, {"127.0.0.1", "", QString::fromLatin1(server.userName()),
                            QString::fromLatin1(server.password()), ""});
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 nothing = closed.serverPort();
    closed.close();
    const struct {
        const char* file;
        quint16 port;
        QString err;
    } cases[] = {
        {"missing.html", nothing, "The upload did not start: there is no file \"missing.html\".\n"},
        {".", nothing, "The upload did not start: \".\" is not a file.\n"},
        {"MyStats.html", nothing,
         QStringLiteral("Could not connect to 127.0.0.1 port %1: connection refused\n")
             .arg(nothing)},
    };
    for (const auto& c : cases) {
        r = utilities({"upload", c.file}, c.port);
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_EQ(r.out, QString()) << c.file;
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(UploadCommand, PassiveAndTlsChosenOnTheCommandLine) {
    Outcome r = utilities({"upload", "MyStats.html", "--passive"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("\n> EPSV\n")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("> PORT"));
    EXPECT_EQ(readFile(server.root() + "/www/MyStats.html"), page);

    // This server speaks no TLS: the upload fails before the login, never in clear.
    r = utilities({"upload", "MyStats.html", "--tls", "--fingerprint", QString(64, u'c')});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("> AUTH TLS")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("> USER")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("> PASS")) << r.out.toStdString();

    // The store keeps its choices: the next plain upload is active again.
    r = utilities({"upload", "MyStats.html"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains("> PORT 127,0,0,1,")) << r.out.toStdString();
    EXPECT_FALSE(store.openKey(kVantorKey, false)->valueExists("ftpmode"));

    for (const QStringList& wrong :
         {QStringList{"upload", "MyStats.html", "--fingerprint"},
          QStringList{"upload", "MyStats.html", "--fingerprint", "12:34"},
          QStringList{"list", "--passive"}}) {
        r = utilities(wrong);
        EXPECT_EQ(r.status, 2) << wrong.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
}

TEST_F(UploadCommand, StoredLineBreaksOrNulSendNothingToTheServer) {
    // Sent as it stands, this folder would delete the file on the server.
    writeFile(server.root() + "/www/important.html", "keep");
    saveFtpSettings(store, {"127.0.0.1", "ftp", QString::fromLatin1(server.userName()),
                            QString::fromLatin1(server.password()), "www\r\nDELE important.html"});
    Outcome r = utilities({"upload", "MyStats.html"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "! The folder contains a line break or NUL character\n");
    EXPECT_EQ(r.err, QStringLiteral("The upload to 127.0.0.1 port %1 failed: the folder contains a "
                                    "line break or NUL character\n")
                         .arg(server.port()));
    EXPECT_EQ(readFile(server.root() + "/www/important.html"), "keep");
    EXPECT_FALSE(QFile::exists(server.root() + "/www/MyStats.html"));

    // A scripted server on the test's own event loop hears nothing of the login fields, nor of
    // a file whose name holds a line break.
    FakeFtpServer hostile;
    writeFile("Evil\nDELE important.html", page);
    const struct {
        FtpSettings settings;
        QString file;
        const char* field;
    } cases[] = {
        {{"127.0.0.1", "ftp", "bob\r\nDELE important.html", "pw", ""}, "MyStats.html", "user name"},
        {{"127.0.0.1", "ftp", "bob", "pw\nRMD www", ""}, "MyStats.html", "password"},
        {{"127.0.0.1", "ftp", "bob", "pw", ""}, "Evil\nDELE important.html", "file name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        saveFtpSettings(store, c.settings);
        r = utilities({"upload", c.file}, hostile.port());
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, QStringLiteral("The upload to 127.0.0.1 port %1 failed: the %2 contains a "
                                        "line break or NUL character\n")
                             .arg(hostile.port())
                             .arg(c.field));
    }
    EXPECT_EQ(hostile.controlConnections, 0);
    EXPECT_TRUE(hostile.commands.isEmpty());

    // The same server gets the clean upload, so it was listening all along.
    saveFtpSettings(store, {"127.0.0.1", "ftp", "bob", "pw", ""});
    r = utilities({"upload", "MyStats.html"}, hostile.port());
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(hostile.controlConnections, 1);
    EXPECT_EQ(hostile.stored, page);
}
