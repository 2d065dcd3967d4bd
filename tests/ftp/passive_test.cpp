#include "tests/ftp/upload_fixture.h"

namespace vantor::test {
namespace {

QList<QByteArray> verbs(const QList<QByteArray>& commands) {
    QList<QByteArray> out;
    for (const QByteArray& c : commands)
        out << c.split(' ').first();
    return out;
}

TEST_F(UploadTest, DefaultExchangeIsActiveAndInTheClear) {
    ASSERT_TRUE(transmit());
    EXPECT_EQ(verbs(server.commands),
              (QList<QByteArray>{"USER", "PASS", "TYPE", "PORT", "STOR", "QUIT"}));
    EXPECT_EQ(server.dataConnections, 1);
    EXPECT_EQ(server.passiveConnections, 0);
}

TEST_F(UploadTest, PassiveModeConnectsToTheEpsvPort) {
    client.Passive = true;
    ASSERT_TRUE(transmit()) << lines.join('\n').toStdString();
    EXPECT_EQ(verbs(server.commands),
              (QList<QByteArray>{"USER", "PASS", "TYPE", "EPSV", "STOR", "QUIT"}));
    EXPECT_EQ(server.stored, page);
    EXPECT_EQ(server.passiveConnections, 1);
    EXPECT_EQ(server.dataConnections, 0);
    const qsizetype epsv = lines.indexOf("> EPSV");
    ASSERT_GE(epsv, 0);
    EXPECT_TRUE(lines[epsv + 1].startsWith("< 229 Entering Extended Passive Mode (|||"));
    EXPECT_EQ(lines[epsv + 2], "> STOR page.html");
    EXPECT_EQ(client.StatusCode(), 226);
}

TEST_F(UploadTest, RefusedEpsvFallsBackToPasv) {
    client.Passive = true;
    for (const QByteArray refusal : {"500 Unknown command", "502 Not implemented"}) {
        server.replies["EPSV"] = {refusal};
        server.stored.clear();
        lines.clear();
        ASSERT_TRUE(transmit()) << lines.join('\n').toStdString();
        EXPECT_EQ(server.stored, page);
        EXPECT_TRUE(shown("< " + refusal));
        EXPECT_TRUE(shown("> PASV"));
        EXPECT_FALSE(std::any_of(lines.begin(), lines.end(),
                                 [](const QByteArray& l) { return l.startsWith("! The reply"); }));
    }
    EXPECT_EQ(server.passiveConnections, 2);
}

TEST_F(UploadTest, PasvNamingAnotherAddressStillConnectsToTheServer) {
    client.Passive = true;
    server.replies["EPSV"] = {"502 Not implemented"};
    server.pasvAddress = "10,9,8,7";
    ASSERT_TRUE(transmit()) << lines.join('\n').toStdString();
    EXPECT_EQ(server.stored, page);
    const auto notice = std::find_if(lines.begin(), lines.end(),
                                     [](const QByteArray& l) { return l.startsWith("! "); });
    ASSERT_NE(notice, lines.end());
    EXPECT_TRUE(notice->contains("10.9.8.7")) << notice->toStdString();
    EXPECT_TRUE(notice->contains("127.0.0.1")) << notice->toStdString();
}

TEST_F(UploadTest, PassiveFailuresEndWithQuit) {
    client.Passive = true;
    server.replies["EPSV"] = {"425 Can't open passive connection"};
    EXPECT_FALSE(transmit());
    EXPECT_EQ(client.ErrorMessage(), "425 Can't open passive connection");
    EXPECT_FALSE(sent("PASV"));
    EXPECT_FALSE(sent("STOR"));
    EXPECT_EQ(server.commands.last(), "QUIT");

    // A reply without a port cannot be followed.
    server.replies["EPSV"] = {"229 Entering Extended Passive Mode"};
    server.commands.clear();
    EXPECT_FALSE(transmit());
    EXPECT_TRUE(client.ErrorMessage().contains("229 Entering")) << client.ErrorMessage().data();
    EXPECT_FALSE(sent("STOR"));
    EXPECT_EQ(server.commands.last(), "QUIT");

    // Nobody listens on the named port.
    server.replies["EPSV"] = {"229 Entering Extended Passive Mode (|||1|)"};
    server.commands.clear();
    EXPECT_FALSE(transmit());
    EXPECT_TRUE(client.ErrorMessage().contains("Connection refused"))
        << client.ErrorMessage().data();
    EXPECT_EQ(server.commands.last(), "QUIT");
    EXPECT_EQ(client.State(), FtpState::Ready);
    EXPECT_FALSE(client.Connected());
}

TEST_F(UploadTest, RefusedAuthTlsNeverSendsTheLogin) {
    client.Security = ftpTlsExplicit;
    for (const QByteArray refusal : {"502 Command not implemented", "534 TLS not available"}) {
        server.replies["AUTH"] = {refusal};
        server.commands.clear();
        EXPECT_FALSE(transmit());
        EXPECT_EQ(client.ErrorMessage(), refusal);
        EXPECT_EQ(verbs(server.commands), (QList<QByteArray>{"AUTH", "QUIT"}));
        EXPECT_EQ(server.commands.first(), "AUTH TLS");
        EXPECT_FALSE(lines.contains("> PASS secret"));
    }
}

TEST_F(UploadTest, TlsHandshakeWithAPlainServerFailsWithoutTheLogin) {
    // The server says yes to AUTH TLS but never speaks TLS.
    client.Security = ftpTlsExplicit;
    client.Timeout = 2;
    server.replies["AUTH"] = {"234 Proceed", "220 not really TLS"};
    EXPECT_FALSE(transmit());
    // What came after AUTH was the client's TLS hello, never the login.
    EXPECT_EQ(server.commands.first(), "AUTH TLS");
    EXPECT_FALSE(sent("USER"));
    EXPECT_FALSE(server.commands.join().contains("secret"));
    EXPECT_LT(elapsedMs, 2000);
    EXPECT_FALSE(client.ErrorMessage().isEmpty());
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.State(), FtpState::Ready);
}

} // namespace
} // namespace vantor::test
