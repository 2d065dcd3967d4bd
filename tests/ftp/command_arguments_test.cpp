// Command arguments that would break their command line, and the masked password line.
#include "ftp/command_arguments.h"

#include "tests/ftp/upload_fixture.h"

namespace vantor::test {
namespace {

TEST_F(UploadTest, ArgumentsWithLineBreaksOrNulAreRefusedBeforeConnecting) {
    struct Case {
        QByteArray AsyncFtpClient::*field;
        QByteArray value;
        QByteArray message;
    };
    const Case cases[] = {
        {&AsyncFtpClient::UserName, "bob\r\nDELE important.html",
         "The user name contains a line break or NUL character"},
        {&AsyncFtpClient::PassWord, "secret\nDELE important.html",
         "The password contains a line break or NUL character"},
        {&AsyncFtpClient::HostDirName, "/\r\nDELE important.html",
         "The folder contains a line break or NUL character"},
        {&AsyncFtpClient::HostDirName, "www\r",
         "The folder contains a line break or NUL character"},
        {&AsyncFtpClient::HostFileName, QByteArray("page.html\0DELE important.html", 29),
         "The file name contains a line break or NUL character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        client.UserName = "bob";
        client.PassWord = "secret";
        client.HostDirName = "";
        client.HostFileName = "page.html";
        client.*c.field = c.value;
        lines.clear();
        EXPECT_FALSE(transmit());
        EXPECT_EQ(client.ErrorMessage(), c.message);
        EXPECT_NE(client.ErrorCode(), 0);
        EXPECT_EQ(lines, QList<QByteArray>{"! " + c.message});
        EXPECT_EQ(client.State(), FtpState::Ready);
        EXPECT_FALSE(client.Connected());
    }

    // The client is not left busy, and the server met only the clean upload that follows:
    // its connection is the first it ever saw.
    client.HostFileName = "page.html";
    ASSERT_TRUE(transmit()) << client.ErrorMessage().toStdString();
    EXPECT_EQ(server.controlConnections, 1);
    EXPECT_EQ(server.commands.first(), "USER bob");
    EXPECT_FALSE(sent("DELE"));
    EXPECT_EQ(server.stored, page);
}

TEST(FtpArguments, OnlyCarriageReturnLineFeedAndNulAreUnsafe) {
    EXPECT_TRUE(isSafeFtpArgument("www/stats dir\t\x7f\xc3\xa9"));
    EXPECT_TRUE(isSafeFtpArgument(""));
    for (const QByteArray& bad : {QByteArray("a\rb"), QByteArray("\n"), QByteArray("x\0", 2)})
        EXPECT_FALSE(isSafeFtpArgument(bad)) << bad.toHex().toStdString();

    // Typed values are judged as they go out; the first unsafe one is named.
    EXPECT_EQ(checkFtpArguments(QString("bob"), QString("pw"), QString("w"), QString("f")),
              QString());
    EXPECT_EQ(checkFtpArguments(QString("bob"), QString("p\nw"), QString("w\r"), QString()),
              QString("The password contains a line break or NUL character"));
    EXPECT_EQ(
        checkFtpArguments(QString("bob"), QString("pw"), QString("w"), QString(QChar(u'\0')) + "f"),
        QString("The file name contains a line break or NUL character"));
}

TEST_F(UploadTest, MaskedPasswordIsSentButNotShown) {
    client.MaskPassword = true;
    ASSERT_TRUE(transmit()) << client.ErrorMessage().toStdString();
    EXPECT_TRUE(shown("> PASS ********"));
    for (const QByteArray& line : std::as_const(lines))
        EXPECT_FALSE(line.contains("secret")) << line.toStdString();
    EXPECT_TRUE(server.commands.contains("PASS secret"));
    EXPECT_EQ(server.stored, page);

    // Off, as both windows have it: the line shows the password as sent.
    client.MaskPassword = false;
    lines.clear();
    ASSERT_TRUE(transmit());
    EXPECT_TRUE(shown("> PASS secret"));
}

} // namespace
} // namespace vantor::test
