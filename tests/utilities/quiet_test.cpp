// "upload --quiet" as a cron line runs it: silent when the page went up, loud when not.
#include "run_utilities.h"

#include "tests/ftp/local_ftp_server.h"
#include "tests/support/temp_folder.h"

#include "utilities/core/ftp_upload.h"

#include "platform/settings_store.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vantor::test;

TEST(QuietUpload, SilentOnSuccessAndReportsAFailure) {
    TempFolder folder;
    LocalFtpServer server;
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("www")));
    vantor::SettingsStore store(folder.file(QStringLiteral("registry.reg")));
    vantor::utilities::saveFtpSettings(store,
                                       {"127.0.0.1", "ftp", QString::fromLatin1(server.userName()),
                                        QString::fromLatin1(server.password()), "www"});
    writeFile(QStringLiteral("MyStats.html"), "<html></html>");
    QProcessEnvironment env;
    env.insert(QStringLiteral("VANTOR_REGISTRY"), store.path());
    env.insert(QStringLiteral("VANTOR_FTP_PORT"), QString::number(server.port()));

    Outcome r = utilities(
        {QStringLiteral("upload"), QStringLiteral("MyStats.html"), QStringLiteral("--quiet")}, env);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/www/MyStats.html")), "<html></html>");

    vantor::utilities::saveFtpSettings(store, {"127.0.0.1", "ftp", "vantor", "wrong", "www"});
    r = utilities(
        {QStringLiteral("upload"), QStringLiteral("--quiet"), QStringLiteral("MyStats.html")}, env);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QStringLiteral(" failed: 530 "))) << r.err.toStdString();
}
