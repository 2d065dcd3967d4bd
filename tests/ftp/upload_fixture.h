#pragma once

#include "ftp/ftp_client.h"
#include "tests/ftp/fake_ftp_server.h"
#include "tests/support/temp_folder.h"

#include <QElapsedTimer>
#include <QList>
#include <gtest/gtest.h>

namespace vantor::test {

// A client set up as both programs set it up, pointed at a fake server, with a page to send
// in a fresh data folder; it records the display lines and the blocks sent.
class UploadTest : public testing::Test {
protected:
    UploadTest() {
        client.HostName = "127.0.0.1";
        client.Port = server.portText();
        client.UserName = "bob";
        client.PassWord = "secret";
        client.HostFileName = "page.html";
        client.LocalFileName = "page.html";
        client.OnDisplay = [this](QObject* sender, const QByteArray& line) {
            EXPECT_EQ(sender, &client);
            lines << line;
        };
        QObject::connect(&client, &AsyncFtpClient::aboutToSendBlock,
                         [this](qint64 size) { blocks << size; });
        page = "<html><body>stats</body></html>\r\n";
        writeFile("page.html", page);
    }

    bool transmit() {
        QElapsedTimer t;
        t.start();
        const bool ok = client.Transmit();
        elapsedMs = t.elapsed();
        return ok;
    }

    bool shown(const QByteArray& line) const { return lines.contains(line); }
    bool sent(const QByteArray& verb) const {
        for (const QByteArray& c : server.commands)
            if (c.startsWith(verb))
                return true;
        return false;
    }

    TempFolder folder;
    FakeFtpServer server;
    FtpClient client;
    QList<QByteArray> lines;
    QList<qint64> blocks;
    QByteArray page;
    qint64 elapsedMs = 0;
};

} // namespace vantor::test
