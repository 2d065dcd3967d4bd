// What a hostile FTP server (or another host beside it) tries during `upload`: nothing of the
// login goes out in clear once a fingerprint is set, the page goes only to the server, and
// what the server says reaches the terminal without its control characters.
#include "utilities/core/upload_command.h"

#include "platform/ftp_settings_store.h"
#include "platform/settings_store.h"
#include "tests/ftp/fake_ftp_server.h"
#include "tests/support/temp_folder.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;
using namespace vantor::utilities;

namespace {

const QByteArray kPin = QByteArray(64, 'a');
const QByteArray kTitleAndLink =
    "\x1b]0;owned\x07\x1b]8;;http://evil.example/\x1b\\here\x1b]8;;\x1b\\";

struct HostileServerCase {
    const char* attempt;
    std::function<void(FakeFtpServer&, FtpSettings&, UploadOverrides&)> arrange;
    bool uploads;
    std::function<void(const FakeFtpServer&, const QString& out, const QString& err)> check;
};

// Only "AUTH TLS" and the goodbye reached the server: no login, no page.
void nothingInClear(const FakeFtpServer& server, const QString&, const QString& err) {
    EXPECT_EQ(server.commands, QList<QByteArray>({"AUTH TLS", "QUIT"}));
    EXPECT_TRUE(server.stored.isEmpty());
    EXPECT_TRUE(err.startsWith("The upload to 127.0.0.1 port ")) << err.toStdString();
}

const HostileServerCase kCases[] = {
    {"a stored fingerprint without ftptls",
     [](FakeFtpServer&, FtpSettings& s, UploadOverrides&) { s.certSha256 = kPin; }, false,
     nothingInClear},
    {"--fingerprint without --tls",
     [](FakeFtpServer&, FtpSettings&, UploadOverrides& o) { o.fingerprint = kPin; }, false,
     nothingInClear},
    {"another host connects to the PORT address first",
     [](FakeFtpServer& server, FtpSettings&, UploadOverrides&) { server.intruderAfterPort = true; },
     true,
     [](const FakeFtpServer& server, const QString&, const QString&) {
         EXPECT_TRUE(server.intruderConnected);
         EXPECT_TRUE(server.intruderReceived.isEmpty());
         EXPECT_EQ(server.stored, "<html>the page</html>");
         EXPECT_TRUE(server.portAddress == QHostAddress(QHostAddress::LocalHost));
     }},
    {"replies that set the terminal's title and plant a link",
     [](FakeFtpServer& server, FtpSettings&, UploadOverrides&) {
         server.greeting = {"220 " + kTitleAndLink};
         server.replies["TYPE"] = {"200 " + kTitleAndLink};
         server.storFinal = "226 \xc2\x9b"
                            "2J done"; // a C1 CSI in UTF-8
     },
     true,
     [](const FakeFtpServer&, const QString& out, const QString&) {
         for (const QChar c : out)
             EXPECT_TRUE(c == u'\n' || !(c < u' ' || (c >= u'\x7f' && c < u'\xa0')))
                 << "control character " << int(c.unicode()) << " in\n"
                 << out.toStdString();
         EXPECT_TRUE(out.contains("< 220 ?]0;owned??]8;;http://evil.example/?\\here"))
             << out.toStdString();
     }},
};

TEST(HostileServer, UploadsHoldAgainstEveryAttempt) {
    for (const HostileServerCase& c : kCases) {
        SCOPED_TRACE(c.attempt);
        TempFolder dir;
        writeFile("page.html", "<html>the page</html>");
        FakeFtpServer server;
        FtpSettings settings{"127.0.0.1", server.portText(), "bob", "secret", ""};
        UploadOverrides overrides;
        c.arrange(server, settings, overrides);
        const SettingsStore store(dir.file("registry.reg"));
        saveFtpSettings(store, settings);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int status = runUpload("page.html", store, outStream, errStream, overrides);
        EXPECT_EQ(status, c.uploads ? 0 : 1) << out.toStdString() << err.toStdString();
        c.check(server, out, err);
    }
}

} // namespace
