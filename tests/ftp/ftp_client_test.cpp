#include "tests/ftp/upload_fixture.h"

#include <QRegularExpression>
#include <QTimer>

namespace vantor::test {
namespace {

TEST_F(UploadTest, HappyPathShowsEveryCommandReplyAndTheSummary) {
    ASSERT_TRUE(transmit());
    ASSERT_EQ(lines.size(), 15) << lines.join('\n').toStdString();
    const QList<QByteArray> head = lines.mid(0, 7);
    EXPECT_EQ(head, (QList<QByteArray>{"< 220 Fake server ready", "> USER bob",
                                       "< 331 Password required", "> PASS secret",
                                       "< 230 Logged in", "> TYPE I", "< 200 Type set"}));
    EXPECT_TRUE(QRegularExpression("^> PORT 127,0,0,1,\\d+,\\d+$")
                    .match(QString::fromLatin1(lines[7]))
                    .hasMatch());
    EXPECT_EQ(lines[8], "< 200 Port command successful");
    EXPECT_EQ(lines[9], "> STOR page.html");
    EXPECT_EQ(lines[10], "< 150 Opening data connection");
    EXPECT_EQ(lines[11], "< 226 Transfer complete");
    EXPECT_TRUE(
        QRegularExpression("^! 33 bytes received/sent in 0 seconds( \\(\\d+ Bytes/sec\\))?$")
            .match(QString::fromLatin1(lines[12]))
            .hasMatch())
        << lines[12].toStdString();
    EXPECT_EQ(lines.mid(13), (QList<QByteArray>{"> QUIT", "< 221 Goodbye"}));

    EXPECT_EQ(server.stored, page);
    EXPECT_EQ(server.portAddress, QHostAddress(QHostAddress::LocalHost));
    // The STOR reply is the result again after QUIT.
    EXPECT_EQ(client.LastResponse(), "226 Transfer complete");
    EXPECT_EQ(client.StatusCode(), 226);
    EXPECT_EQ(client.ErrorMessage(), "");
    EXPECT_EQ(client.State(), FtpState::Ready);
    EXPECT_FALSE(client.Connected());
}

TEST_F(UploadTest, UserAnsweredWith230SendsNoPassword) {
    server.replies["USER"] = {"230 Welcome, no password needed"};
    ASSERT_TRUE(transmit());
    EXPECT_FALSE(sent("PASS"));
    EXPECT_FALSE(lines.contains("> PASS secret"));
    EXPECT_EQ(server.stored, page);
}

TEST_F(UploadTest, DirectoryChangeAcceptsReply257) {
    client.HostDirName = "/www/stats";
    server.replies["CWD"] = {"257 \"/www/stats\" is current directory"};
    ASSERT_TRUE(transmit());
    EXPECT_TRUE(shown("> CWD /www/stats"));
    EXPECT_EQ(server.stored, page);
}

TEST_F(UploadTest, EmptyDirectorySendsNoCwd) {
    ASSERT_TRUE(transmit());
    EXPECT_FALSE(sent("CWD"));
}

TEST_F(UploadTest, RefusedDirectoryEndsWithQuitAndTheNextUploadStarts) {
    client.HostDirName = "missing";
    server.replies["CWD"] = {"550 No such directory"};
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "550 No such directory");
    EXPECT_EQ(client.ErrorCode(), 550);
    EXPECT_EQ(client.LastResponse(), "550 No such directory");
    EXPECT_FALSE(sent("TYPE"));
    EXPECT_FALSE(sent("STOR"));
    EXPECT_EQ(server.commands.last(), "QUIT");
    EXPECT_EQ(lines.last(), "< 221 Goodbye");
    EXPECT_EQ(client.State(), FtpState::Ready);
    EXPECT_FALSE(client.Connected());
    EXPECT_LT(elapsedMs, 5000);

    server.replies.remove("CWD");
    lines.clear();
    ASSERT_TRUE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "");
    EXPECT_EQ(server.controlConnections, 2);
    EXPECT_EQ(server.stored, page);
}

TEST_F(UploadTest, MultiLineRepliesCompleteOnTheirLastLine) {
    server.greeting = {"220-Welcome to the fake server", "   a line without a code", "220-", "",
                       "220 Ready"};
    server.replies["PASS"] = {"230-Your quota:", "230-   10 MB", "230 Logged in"};
    ASSERT_TRUE(transmit());
    const QList<QByteArray> head = lines.mid(0, 6);
    EXPECT_EQ(head,
              (QList<QByteArray>{"< 220-Welcome to the fake server", "<    a line without a code",
                                 "< 220-", "< ", "< 220 Ready", "> USER bob"}));
    const qsizetype pass = lines.indexOf("> PASS secret");
    ASSERT_GE(pass, 0);
    EXPECT_EQ(lines.mid(pass + 1, 4), (QList<QByteArray>{"< 230-Your quota:", "< 230-   10 MB",
                                                         "< 230 Logged in", "> TYPE I"}));
}

TEST_F(UploadTest, RepliesEndingInLineFeedAloneAreAccepted) {
    server.lineEnd = "\n";
    ASSERT_TRUE(transmit());
    EXPECT_TRUE(shown("< 220 Fake server ready"));
}

TEST_F(UploadTest, WithoutAcceptLFOnlyCarriageReturnLineFeedEndsALine) {
    client.Options = {};
    ASSERT_TRUE(transmit());

    server.lineEnd = "\n";
    client.Timeout = 1;
    lines.clear();
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(UploadTest, EmptyFileSendsNothingAndReportsZeroBytes) {
    writeFile("page.html", "");
    ASSERT_TRUE(transmit());
    EXPECT_TRUE(blocks.isEmpty());
    EXPECT_EQ(server.dataConnections, 1);
    EXPECT_EQ(server.stored, "");
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) {
        return l.startsWith("! 0 bytes received/sent in 0 seconds");
    }));
}

TEST_F(UploadTest, FileGoesOutInBlocksOf1514Bytes) {
    QByteArray data(4000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 + i / 256);
    writeFile("page.html", data);
    ASSERT_TRUE(transmit());
    EXPECT_EQ(blocks, (QList<qint64>{1514, 1514, 972}));
    EXPECT_EQ(server.stored, data);
}

// A file several times the size the client reads ahead: every block whole but the last, the
// bytes in order across the read-ahead's ends.
TEST_F(UploadTest, ALargeFileGoesOutInWholeBlocksInOrder) {
    QByteArray data(1 << 20, '\0');
    data.append("tail");
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 13 + i / 1000);
    writeFile("page.html", data);
    ASSERT_TRUE(transmit());
    ASSERT_EQ(blocks.size(), (data.size() + 1513) / 1514);
    for (int i = 0; i + 1 < blocks.size(); ++i)
        ASSERT_EQ(blocks[i], 1514) << "block " << i;
    EXPECT_EQ(blocks.last(), data.size() % 1514);
    EXPECT_EQ(server.stored, data);
}

TEST_F(UploadTest, AsciiTypeWhenNotBinary) {
    client.Binary = false;
    ASSERT_TRUE(transmit());
    EXPECT_TRUE(shown("> TYPE A"));
}

TEST_F(UploadTest, SilentServerTimesOutAndTheNextUploadStarts) {
    server.greeting = {};
    client.Timeout = 1;
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    EXPECT_EQ(client.StatusCode(), 426);
    EXPECT_GE(elapsedMs, 950);
    EXPECT_LT(elapsedMs, 5000);
    EXPECT_EQ(client.State(), FtpState::Ready);
    EXPECT_FALSE(client.Connected());

    server.greeting = {"220 Awake now"};
    ASSERT_TRUE(transmit());
    EXPECT_EQ(server.stored, page);
}

TEST_F(UploadTest, TimeOutCountsFromTheLastBlockNotFromTheStart) {
    // Three pauses of 600 ms: longer than the time-out in sum, each one shorter.
    QByteArray data(24 * 1024 * 1024, 'x');
    writeFile("page.html", data);
    server.pauseEvery = 4 * 1024 * 1024;
    server.pauseMs = 600;
    server.pauseCount = 3;
    client.Timeout = 1;
    ASSERT_TRUE(transmit()) << client.ErrorMessage().toStdString();
    EXPECT_GT(elapsedMs, 1800);
    EXPECT_EQ(server.stored.size(), data.size());
}

TEST_F(UploadTest, StalledTransferTimesOut) {
    writeFile("page.html", QByteArray(24 * 1024 * 1024, 'x'));
    server.pauseEvery = 1024 * 1024;
    server.pauseMs = 4000;
    server.pauseCount = 1;
    client.Timeout = 1;
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    EXPECT_LT(elapsedMs, 3500);
}

TEST_F(UploadTest, RefusedConnectionGivesTheWinsockText) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    client.Port = QByteArray::number(closedPort);
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.LastResponse(), "500 Connection refused (Winsock error #10061)");
    EXPECT_EQ(client.ErrorMessage(), client.LastResponse());
    EXPECT_EQ(client.StatusCode(), 500);
    EXPECT_EQ(client.ErrorCode(), 10061);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_LT(elapsedMs, 5000);
}

TEST_F(UploadTest, UnresolvableHostGivesTheWinsockText) {
    client.HostName = "no-such-host.invalid";
    EXPECT_FALSE(transmit());
    const QString reply = QString::fromLatin1(client.LastResponse());
    EXPECT_TRUE(QRegularExpression("^500 (Host not found|Non-authoritative host not found) "
                                   "\\(Winsock error #1100[12]\\)$")
                    .match(reply)
                    .hasMatch())
        << reply.toStdString();
    EXPECT_EQ(client.ErrorMessage(), client.LastResponse());
    EXPECT_EQ(server.controlConnections, 0);
}

TEST_F(UploadTest, HostNameIsLookedUp) {
    client.HostName = "localhost";
    ASSERT_TRUE(transmit()) << client.ErrorMessage().toStdString();
    EXPECT_EQ(server.stored, page);
}

TEST_F(UploadTest, UnknownServiceNameFailsToStart) {
    client.Port = "no-such-service";
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(),
              "500 SocketException: Can't resolve port for service 'no-such-service'");
    EXPECT_EQ(client.StatusCode(), 500);
}

TEST_F(UploadTest, OwnErrorsEndTheUploadAtOnce) {
    client.Timeout = 10;
    client.HostName = "";
    EXPECT_FALSE(transmit());
    EXPECT_EQ(lines, (QList<QByteArray>{"! DNS lookup: invalid host name."}));
    EXPECT_EQ(client.ErrorMessage(), "DNS lookup: invalid host name.");
    EXPECT_EQ(server.controlConnections, 0);

    struct Case {
        const char* notice;
        std::function<void(FtpClient&)> setUp;
    };
    const Case cases[] = {
        {"! UserName emtpy", [](FtpClient& c) { c.UserName = ""; }},
        {"! Password emtpy", [](FtpClient& c) { c.PassWord = ""; }},
        {"! LocalFileName empty", [](FtpClient& c) { c.LocalFileName = ""; }},
        {"! 426 Unable to open local file nothere.html",
         [](FtpClient& c) { c.LocalFileName = "nothere.html"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice);
        client.HostName = "127.0.0.1";
        client.UserName = "bob";
        client.PassWord = "secret";
        client.LocalFileName = "page.html";
        c.setUp(client);
        lines.clear();
        server.commands.clear();
        EXPECT_FALSE(transmit());
        EXPECT_LT(elapsedMs, 5000);
        ASSERT_TRUE(shown(c.notice));
        EXPECT_EQ(client.ErrorMessage(), QByteArray(c.notice).mid(2));
        // A server still connected is told goodbye, and nothing is stored.
        EXPECT_EQ(lines.mid(lines.indexOf(c.notice) + 1),
                  (QList<QByteArray>{"> QUIT", "< 221 Goodbye"}));
        EXPECT_FALSE(sent("STOR"));
        EXPECT_EQ(client.State(), FtpState::Ready);
        EXPECT_FALSE(client.Connected());
    }
}

TEST_F(UploadTest, RefusedStorSendsNoDataAndQuits) {
    server.replies["STOR"] = {"553 Could not create file"};
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "553 Could not create file");
    EXPECT_EQ(client.ErrorCode(), 553);
    EXPECT_EQ(server.dataConnections, 0);
    EXPECT_EQ(server.commands.last(), "QUIT");
}

TEST_F(UploadTest, FailedFinalReplyShowsStorFailed) {
    server.storFinal = "451 Local error in processing";
    EXPECT_FALSE(transmit());
    const qsizetype at = lines.indexOf("< 451 Local error in processing");
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.mid(at + 1), (QList<QByteArray>{"! STOR Failed", "> QUIT", "< 221 Goodbye"}));
    EXPECT_EQ(client.ErrorMessage(), "451 Local error in processing");
}

TEST_F(UploadTest, DataConnectionCutByTheServerFailsTheUpload) {
    writeFile("page.html", QByteArray(16 * 1024 * 1024, 'x'));
    server.cutDataAfter = 1514;
    EXPECT_FALSE(transmit());
    EXPECT_NE(client.ErrorCode(), 0);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) {
        return l == "! STOR Failed" || (l.startsWith("! Error #") && l.endsWith(" sending data"));
    })) << lines.join('\n').toStdString();
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) {
        return l.contains("bytes received/sent");
    }));
}

TEST_F(UploadTest, UnreadableFileFailsTheUpload) {
    // Opens like a file, but reading at offset 0 fails.
    client.LocalFileName = "/proc/self/mem";
    EXPECT_FALSE(transmit());
    EXPECT_TRUE(shown("! Error reading file"));
    EXPECT_EQ(client.ErrorMessage(), "Error reading file");
}

TEST_F(UploadTest, ServerClosingTheControlConnectionEndsTheUploadAtOnce) {
    server.dropOn = "USER";
    client.Timeout = 10;
    EXPECT_FALSE(transmit());
    EXPECT_LT(elapsedMs, 5000);
    EXPECT_EQ(client.ErrorMessage(), "500 Connection reset by peer (Winsock error #10054)");
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.State(), FtpState::Ready);
}

TEST_F(UploadTest, RejectedGreetingClosesTheConnection) {
    server.greeting = {"421 Too many users"};
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "421 Too many users");
    EXPECT_EQ(client.ErrorCode(), 421);
    EXPECT_TRUE(server.commands.isEmpty());
    EXPECT_FALSE(client.Connected());
}

TEST_F(UploadTest, OverlongReplyLineDoesNotStallTheReader) {
    const QByteArray longLine = "220 " + QByteArray(6000, 'w');
    server.greeting = {longLine};
    ASSERT_TRUE(transmit());
    EXPECT_EQ(lines[0], "< " + longLine.left(FtpReplyReader::kCapacity));
    EXPECT_EQ(lines[1], "> USER bob");
}

TEST_F(UploadTest, SecondTransmitWhileBusyIsRefusedAndTheFirstGoesOn) {
    bool inner = true;
    QByteArray refusal;
    client.OnDisplay = [&](QObject*, const QByteArray& line) {
        lines << line;
        if (line == "> TYPE I") {
            inner = client.Transmit();
            client.startUpload(&refusal);
        }
    };
    ASSERT_TRUE(transmit());
    EXPECT_FALSE(inner);
    EXPECT_EQ(refusal, "FTP component not ready");
    EXPECT_EQ(server.controlConnections, 1);
    EXPECT_EQ(server.stored, page);
}

TEST_F(UploadTest, EventsAreProcessedWhileTransmitWaits) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    server.replies["PASS"] = {};
    QTimer::singleShot(200, &server, [&] { server.replies.remove("PASS"); });
    // The reply to PASS never comes: the wait lasts the time-out, with the timer ticking.
    client.Timeout = 1;
    EXPECT_FALSE(transmit());
    EXPECT_GT(ticks, 10);
}

TEST_F(UploadTest, DefaultsAreThoseBothProgramsUse) {
    FtpClient fresh;
    EXPECT_EQ(fresh.Port, "ftp");
    EXPECT_EQ(fresh.Timeout, 15);
    EXPECT_TRUE(fresh.Binary);
    EXPECT_FALSE(fresh.MultiThreaded);
    EXPECT_TRUE(fresh.Options.testFlag(ftpAcceptLF));
    EXPECT_EQ(fresh.State(), FtpState::Ready);
    EXPECT_FALSE(fresh.Connected());
    EXPECT_EQ(FtpSocket::resolvePort("ftp"), 21);
    EXPECT_EQ(FtpSocket::resolvePort("2121"), 2121);
    EXPECT_THROW(FtpSocket::resolvePort("0"), SocketException);
    EXPECT_THROW(FtpSocket::resolvePort("70000"), SocketException);
}

} // namespace
} // namespace vantor::test
