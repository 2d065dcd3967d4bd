#include "ftp/ftp_client.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace vantor::test {
namespace {

class RealServerTest : public testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
        client.HostName = "127.0.0.1";
        client.Port = QByteArray::number(server.port());
        client.UserName = server.userName();
        client.PassWord = server.password();
        client.OnDisplay = [this](QObject*, const QByteArray& line) { lines << line; };
    }

    std::string transcript() const { return lines.join('\n').toStdString(); }

    TempFolder folder;
    LocalFtpServer server;
    FtpClient client;
    QList<QByteArray> lines;
};

TEST_F(RealServerTest, OneMegabyteArrivesByteForByte) {
    QByteArray data(1024 * 1024, '\0');
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
    writeFile("upload.bin", data);
    ASSERT_TRUE(QDir(server.root()).mkdir("www"));

    client.HostDirName = "www";
    client.HostFileName = "stats.html";
    client.LocalFileName = "upload.bin";
    ASSERT_TRUE(client.Transmit()) << client.ErrorMessage().toStdString() << "\n" << transcript();
    EXPECT_EQ(readFile(server.root() + "/www/stats.html"), data);
    EXPECT_EQ(client.StatusCode(), 226);
    EXPECT_TRUE(lines.contains("> CWD www"));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) {
        return l.startsWith("! 1048576 bytes received/sent in ");
    }));
    EXPECT_EQ(lines.last().left(5), "< 221");
}

TEST_F(RealServerTest, WrongPasswordFailsAndTheNextUploadWorks) {
    writeFile("page.html", "<html></html>");
    client.HostFileName = "page.html";
    client.LocalFileName = "page.html";
    client.PassWord = "wrong";
    EXPECT_FALSE(client.Transmit());
    EXPECT_TRUE(client.ErrorMessage().startsWith("530")) << transcript();
    EXPECT_EQ(client.State(), FtpState::Ready);
    EXPECT_FALSE(client.Connected());

    client.PassWord = server.password();
    ASSERT_TRUE(client.Transmit()) << client.ErrorMessage().toStdString() << "\n" << transcript();
    EXPECT_EQ(readFile(server.root() + "/page.html"), "<html></html>");
}

} // namespace
} // namespace vantor::test
