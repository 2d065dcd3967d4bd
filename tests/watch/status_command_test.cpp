// `status` and `webhook` of the real VantorUtilities, in a data folder the test arranges.
#include "tests/support/store_text.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/run_utilities.h"
#include "tests/webhook/hook_receiver.h"

#include "common/data_files.h"
#include "platform/recorder_lock.h"
#include "watch/recorder_status.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <gtest/gtest.h>

namespace vantor::watch {
namespace {

QString hoursAgo(int hours) {
    return timeText(QDateTime::currentDateTime().addSecs(-3600LL * hours));
}

struct StatusCase {
    const char* what;
    std::function<void(const test::TempFolder&, RecorderStatus&)> arrange;
    QString settings;
    bool recording;
    int exitStatus;
    QString says; // in a problem line (exit status 1) or else in the report
};

TEST(StatusCommand, ExitStatusSaysWhetherAnythingIsWrong) {
    const auto healthy = [](const test::TempFolder&, RecorderStatus& s) {
        s.lastGameId = 12;
        s.lastGameTime = hoursAgo(2);
        s.recordingSince = hoursAgo(30);
        s.liveUpload = {hoursAgo(2), true, "ftp.example.org", {}};
        s.webhook = {hoursAgo(2), true, "https://discord.com/****", {}};
    };
    const StatusCase cases[] = {
        {"nothing kept yet", nullptr, {}, false, 0, "Last game: none recorded"},
        {"recording, all well", healthy, {}, true, 0, "Recorder: recording since"},
        {"upload failed",
         [&](const test::TempFolder& f, RecorderStatus& s) {
             healthy(f, s);
             s.liveUpload = {hoursAgo(1), false, "ftp.example.org", "530 Login incorrect."};
             s.uploadFailuresInARow = 2;
         },
         {},
         true,
         1,
         "upload failed at"},
        {"webhook failed",
         [&](const test::TempFolder& f, RecorderStatus& s) {
             healthy(f, s);
             s.webhook = {hoursAgo(1), false, "https://discord.com/****", "answered 404"};
         },
         {},
         true,
         1,
         "last webhook message failed"},
        {"log set aside",
         [&](const test::TempFolder& f, RecorderStatus& s) {
             healthy(f, s);
             s.setAside = {"RSResults0.bad-1.log"};
         },
         {},
         true,
         1,
         "set aside as malformed"},
        {"page upload failed",
         [&](const test::TempFolder& f, RecorderStatus& s) {
             healthy(f, s);
             recordUpload(f.path(), "page", {hoursAgo(1), false, "ftp.example.org", "530"});
         },
         {},
         true,
         1,
         "page upload failed at"},
        {"recorder gone without a stop", healthy, {}, false, 1, "stopped without being asked"},
        {"eight quiet days",
         [&](const test::TempFolder& f, RecorderStatus& s) {
             healthy(f, s);
             s.lastGameTime = hoursAgo(8 * 24 + 1);
         },
         {},
         true,
         1,
         "No game has been recorded for 8 days"},
        {"quiet days under a longer limit",
         [&](const test::TempFolder& f, RecorderStatus& s) {
             healthy(f, s);
             s.lastGameTime = hoursAgo(8 * 24 + 1);
         },
         "\"alertdays\"=\"10\"\n", true, 0, "Recorder: recording"},
        {"a game left half recorded",
         [](const test::TempFolder& f, RecorderStatus&) {
             test::writeFile(f.file(kClaimedLogFile), "log");
         },
         {},
         false,
         1,
         "left half recorded"},
        {"damaged status file",
         [](const test::TempFolder& f, RecorderStatus&) {
             test::writeFile(f.file(kRecorderStatusFile), "{\"lastGameId\":");
         },
         {},
         false,
         1,
         "is damaged"},
        {"plain http hook", nullptr, "\"webhookurl\"=\"http://hooks.example.org/SECRET\"\n", false,
         1, "not an https address"},
        {"unknown format", nullptr, "\"webhookformat\"=\"slack\"\n", false, 1,
         "must be \"discord\" or \"json\""},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder folder;
        test::writeFile(folder.file("registry.reg"), test::storeText(c.settings, {}).toUtf8());
        RecorderStatus status;
        if (c.arrange) {
            c.arrange(folder, status);
            if (!QFile::exists(folder.file(kRecorderStatusFile)))
                writeRecorderStatus(folder.path(), status);
        }
        RecorderLock lock(folder.path());
        if (c.recording)
            ASSERT_TRUE(lock.tryLock());
        QProcessEnvironment env;
        env.insert("VANTOR_REGISTRY", folder.file("registry.reg"));
        const test::Outcome plain = test::utilities({"status"}, env);
        EXPECT_EQ(plain.status, c.exitStatus) << plain.out.toStdString() << plain.err.toStdString();
        EXPECT_TRUE((c.exitStatus ? plain.err : plain.out).contains(c.says))
            << plain.out.toStdString() << plain.err.toStdString();
        EXPECT_FALSE((plain.out + plain.err).contains("SECRET"));

        const test::Outcome quiet = test::utilities({"status", "--quiet"}, env);
        EXPECT_EQ(quiet.status, c.exitStatus);
        EXPECT_TRUE(quiet.out.isEmpty()) << quiet.out.toStdString();
        EXPECT_EQ(quiet.err.count('\n'), plain.err.count('\n')); // one line per problem

        const test::Outcome json = test::utilities({"status", "--json"}, env);
        EXPECT_EQ(json.status, c.exitStatus);
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        EXPECT_EQ(o["healthy"].toBool(), c.exitStatus == 0) << json.out.toStdString();
        EXPECT_EQ(o["recording"].toBool(), c.recording);
        EXPECT_EQ(o["problems"].toArray().size(), plain.err.count('\n'));
    }
}

TEST(WebhookCommand, SetKeepsOnlyWhatIsChosenAndTestReachesTheHook) {
    test::TempFolder folder;
    const QString store = folder.file("registry.reg");
    test::writeFile(store, test::storeText({}, {}).toUtf8());
    QProcessEnvironment env;
    env.insert("VANTOR_REGISTRY", store);

    EXPECT_EQ(test::utilities({"webhook", "set", "http://hooks.example.org/SECRET"}, env).status,
              2);
    EXPECT_EQ(
        test::utilities({"webhook", "set", "https://a.example/1", "--format", "xml"}, env).status,
        2);
    EXPECT_EQ(test::utilities({"webhook", "test", "extra"}, env).status, 2);
    EXPECT_EQ(test::utilities({"webhook", "test"}, env).status, 1); // none set
    EXPECT_FALSE(test::readFile(store).contains("webhook"));

    test::HookReceiver receiver(false);
    QString error;
    ASSERT_TRUE(receiver.start(&error)) << error.toStdString();
    const test::Outcome set = test::utilities({"webhook", "set", receiver.url("/ok")}, env);
    EXPECT_EQ(set.status, 0) << set.err.toStdString();
    EXPECT_FALSE(set.out.contains("SECRET-TOKEN")) << set.out.toStdString();
    EXPECT_TRUE(set.out.contains("(discord)"));
    // The format was not chosen, so it is not written.
    EXPECT_TRUE(test::readFile(store).contains("webhookurl"));
    EXPECT_FALSE(test::readFile(store).contains("webhookformat"));

    // The receiver answers from this process's event loop while the program waits for it.
    QProcess program;
    auto all = QProcessEnvironment::systemEnvironment();
    all.insert(env);
    program.setProcessEnvironment(all);
    program.start(QStringLiteral(VANTOR_UTILITIES), {"webhook", "test"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    ASSERT_EQ(receiver.requests().size(), 1);
    EXPECT_EQ(test::HookReceiver::discordProblem(receiver.requests()[0].body), QString());
}

} // namespace
} // namespace vantor::watch
