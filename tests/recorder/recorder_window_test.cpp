// The recorder's main window driven headless: start-up, activation, the switches and buttons.
#include "recorder/ui/recorder_window.h"

#include "common/record_file.h"
#include "ftp/ftp_client.h"
#include "manual_tick.h"
#include "platform/app_title.h"
#include "recorder/recording/result_log_files.h"
#include "recorder/ui/elided_label.h"
#include "recorder/ui/live_stats_setup_window.h"
#include "recorder_test_data.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/support/fakes.h"
#include "tests/support/store_text.h"
#include "tests/support/wait.h"
#include "tests/support/window_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::recorder;
using vantor::test::LocalFtpServer;
using vantor::test::ManualTick;
using vantor::test::readFile;
using vantor::test::readLogFixture;
using vantor::test::RecordingDialogs;
using vantor::test::RecordingShell;
using vantor::test::RecordingSound;
using vantor::test::storeText;
using vantor::test::TempFolder;
using vantor::test::waitFor;
using vantor::test::writeFile;

namespace {

// Records the sound and lets the test look around at the moment it is played.
class WatchingSound : public RecordingSound {
public:
    void play(const QString& waveFile) override {
        if (onPlay)
            onPlay();
        RecordingSound::play(waveFile);
    }
    std::function<void()> onPlay;
};

class RecorderWindowTest : public testing::Test {
protected:
    RecorderWindowTest() {
        QDir().mkdir(QStringLiteral("game"));
        setApplicationTitle(QStringLiteral("Vantor Recorder 3.7.03"));
    }
    ~RecorderWindowTest() override {
        if (form)
            form->close();
        qunsetenv("VANTOR_FTP_PORT");
    }

    // The settings store: the Vantor key with these values, the game key when a folder is given.
    void writeStore(const QString& vantorValues, const QString& gameFolder) {
        writeFile(storePath, storeText(vantorValues, gameFolder).toUtf8());
    }
    QString setting(const QString& name) const {
        auto key = SettingsStore(storePath).openKey(kVantorKey, false);
        return key && key->valueExists(name) ? key->readString(name) : QStringLiteral("(none)");
    }

    // Starts the window as the program does and waits for its first activation. The recording
    // timer is the test's own unless the real one is asked for.
    void start(bool realTimer = false) {
        RecorderEnvironment env;
        env.dialogs = &dialogs;
        env.shell = &shell;
        env.settingsPath = storePath;
        const QString noWine = data.file(QStringLiteral("no-wine"));
        env.gameKey = [noWine](const SettingsStore& s) { return readGameKey(s, noWine); };
        env.sound = &sound;
        env.programFolder = programFolder;
        env.searchPath = searchPath;
        if (!realTimer) {
            auto own = std::make_unique<ManualTick>();
            tick = own.get();
            env.tick = std::move(own);
        }
        form = std::make_unique<RecorderWindow>(std::move(env));
        if (!realUpload)
            form->session().liveStatsStep().onPageWritten = [this] {
                ++uploads;
                if (duringUpload)
                    duringUpload();
            };
        form->show();
        form->activateWindow();
        ASSERT_TRUE(waitFor([&] { return !form->gameFolderLabel->text().isEmpty(); }));
    }
    // Leaves for the setup window and comes back, as the user would.
    void visitSetupWindow() {
        form->setupButton->click();
        ASSERT_TRUE(form->setupWindow()->isVisible());
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == form->setupWindow(); }));
        form->setupWindow()->hide();
        form->activateWindow();
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == form.get(); }));
        QTest::qWait(20);
    }
    void dropLogs() {
        for (int i = 0; i <= 9; ++i)
            writeFile(resultLogPath(game, i), readLogFixture("demo_adversarial.log"));
    }
    int logsLeft() const { return int(QDir(game).entryList(QDir::Files).size()); }
    bool timerActive() const { return form->session().tick().isActive(); }
    // The timer's ticks until the game's log is taken: where leases are not to be had, a
    // finished log is seen at the second look.
    void tickUntilTaken() {
        tick->tick();
        if (logsLeft() != 0)
            tick->tick();
    }

    TempFolder data;
    QString game = data.file(QStringLiteral("game"));
    QString storePath = data.file(QStringLiteral("registry.reg"));
    RecordingDialogs dialogs;
    RecordingShell shell;
    WatchingSound sound;
    bool realUpload = false; // else uploads are only counted
    int uploads = 0;
    std::function<void()> duringUpload;
    ManualTick* tick = nullptr; // owned by the window's session
    QString programFolder = data.file(QStringLiteral("bin"));
    QString searchPath;
    std::unique_ptr<RecorderWindow> form;
};

QColor captionColour(const QCheckBox* box) {
    return box->palette().color(QPalette::WindowText);
}

} // namespace

TEST_F(RecorderWindowTest, WindowShowsItsElementsAndCannotBeResized) {
    writeStore(QString(), game);
    start(true);
    EXPECT_EQ(form->windowTitle(), "Marrow's Vantor Recorder v3.7");
    EXPECT_EQ(form->statusGroup->title(), " Recorder Status ");
    EXPECT_EQ(form->recordingBox->text(), "Recorder is OFF");
    EXPECT_EQ(captionColour(form->recordingBox), QColor(Qt::black));
    EXPECT_EQ(form->autoRecordBox->text(), "Enable Auto-Record on Recorder Startup");
    EXPECT_EQ(form->liveStatsBox->text(), "Enable Live Stats");
    EXPECT_FALSE(form->liveStatsBox->isChecked());
    EXPECT_EQ(form->headingLabel->text(), "Path to Rogue Spear Directory:");
    EXPECT_EQ(form->gameFolderLabel->text(), game);
    EXPECT_EQ(form->buildNumberLabel->text(), "Release Build v3.7.03");
    EXPECT_EQ(form->buildDateLabel->text(), "6/10/00");
    EXPECT_EQ(form->exitButton->text(), "Exit");
    EXPECT_EQ(form->utilitiesButton->text(), "Vantor Utilities");
    EXPECT_EQ(form->setupButton->text(), "Live Stats Setup");
    EXPECT_EQ(form->setupButton->parentWidget(), form->statusGroup);
    EXPECT_EQ(form->utilitiesButton->parentWidget(), form.get());
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    const auto* timer = dynamic_cast<const TimerTick*>(&form->session().tick());
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 3000);
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(form->setupWindow()->isVisible());
    EXPECT_EQ(form->setupWindow()->windowTitle(), "Live Stats Setup");
    EXPECT_EQ(applicationTitle(), "Vantor Recorder 3.7.03");
    EXPECT_EQ(form->playerName(), "Marrow");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RecorderWindowTest, NoControlHidesAnother) {
    writeStore(QString(), game);
    start(true);
    EXPECT_EQ(vantor::test::layoutProblems(*form), QStringList());
}

TEST_F(RecorderWindowTest, AutoRecordStartsRecordingWithoutAClick) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\""), game);
    writeFile("lastgame.log", "stale");
    dropLogs();
    start();
    EXPECT_TRUE(form->autoRecordBox->isChecked());
    EXPECT_TRUE(form->recordingBox->isChecked());
    EXPECT_EQ(form->recordingBox->text(), "Recording Players Stats");
    EXPECT_EQ(captionColour(form->recordingBox), QColor(Qt::red));
    EXPECT_EQ(applicationTitle(), "Recording...");
    EXPECT_EQ(form->windowTitle(), "Recording..."); // what the taskbar shows
    EXPECT_TRUE(timerActive());
    EXPECT_FALSE(form->utilitiesButton->isEnabled());
    // Start-up clears what the game left before: nothing of it is recorded.
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_FALSE(QFile::exists("stats.log"));
    EXPECT_EQ(setting("RecorderPath"), QDir::currentPath());
    EXPECT_EQ(setting("AutoRecord"), "true");
}

TEST_F(RecorderWindowTest, AutoRecordIsWrittenOnlyWhenTheUserChangesIt) {
    writeStore(QString(), game);
    start();
    EXPECT_FALSE(form->autoRecord());
    EXPECT_FALSE(form->recordingBox->isChecked());
    EXPECT_EQ(setting("AutoRecord"), "(none)");
    form->autoRecordBox->click();
    EXPECT_EQ(setting("AutoRecord"), "true");
    EXPECT_FALSE(form->recordingBox->isChecked()); // takes effect at the next activation
    form->autoRecordBox->click();
    EXPECT_EQ(setting("AutoRecord"), "false");
}

TEST_F(RecorderWindowTest, SwitchingOnAndOffClearsTheLogsAndRunsOneEmptyCycle) {
    writeStore(QString(), game);
    start();
    dropLogs();
    form->recordingBox->click();
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_FALSE(QFile::exists("stats.log")); // the cycle at switch-on found nothing
    EXPECT_TRUE(timerActive());
    EXPECT_EQ(form->windowTitle(), "Recording...");

    dropLogs();
    form->recordingBox->click();
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_FALSE(timerActive());
    EXPECT_EQ(form->recordingBox->text(), "Recorder is OFF");
    EXPECT_EQ(captionColour(form->recordingBox), QColor(Qt::black));
    EXPECT_TRUE(form->utilitiesButton->isEnabled());
    EXPECT_EQ(applicationTitle(), "Vantor Recorder 3.7");
    EXPECT_EQ(form->windowTitle(), "Marrow's Vantor Recorder v3.7");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RecorderWindowTest, TicksRecordGamesAndWriteThePageOnlyWhenLiveStatsAreOn) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\"\n\"hostname\"=\"ftp.example.org\"\n"
                              "\"hostfilename\"=\"live.html\""),
               game);
    start();
    EXPECT_TRUE(form->liveStatsBox->isEnabled());
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tickUntilTaken();
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    EXPECT_EQ(uploads, 0);
    EXPECT_FALSE(QFile::exists("live.html"));

    form->liveStatsBox->setChecked(true);
    writeFile(resultLogPath(game, 0), readLogFixture("cooperative.log"));
    form->onTick();
    if (logsLeft() != 0) // a second look where leases are not to be had
        form->onTick();
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(form->cycle().gameInfo().gameType, "Cooperative");
    EXPECT_TRUE(
        readFile("live.html").contains("Recorded playing <font color=\"00FF00\">Cooperative"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RecorderWindowTest, ALogDroppedWithLiveStatsOnProducesThePage) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\"\n\"hostname\"=\"ftp.example.org\"\n"
                              "\"hostfilename\"=\"live.html\"\n\"LiveStatsReloadtime\"=\"20\""),
               game);
    start();
    form->liveStatsBox->setChecked(true);
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tickUntilTaken();
    ASSERT_TRUE(QFile::exists("live.html"));

    const QByteArray page = readFile("live.html");
    EXPECT_TRUE(page.startsWith("<html>\r\n"));
    EXPECT_TRUE(page.endsWith("</div>\r\n</body>\r\n</html>\r\n"));
    EXPECT_TRUE(page.contains("\r\nvar x = 20\r\n"));
    EXPECT_TRUE(page.contains("recorded by: <font color=\"#00FF00\">Marrow</font>"));
    EXPECT_TRUE(page.contains("Map: <font color=\"#00FF00\">Oil Refinery<br>"));
    EXPECT_TRUE(page.contains("Rules:<font color=\"#00FF00\"> Team Survival<br>"));
    EXPECT_TRUE(page.contains("<font color=\"#3333FF\">Ding Chavez</td>"));
    EXPECT_TRUE(page.contains("Blue</font> Wins: <font color=\"#CCCCCC\">1</font>"));
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_FALSE(QFile::exists("work.dat"));
    const auto stats = readAllRecords<PlayerStatsRecord>("stats.log");
    ASSERT_EQ(stats.size(), 4u);
    for (std::size_t i = 1; i < stats.size(); ++i)
        EXPECT_GE(stats[i - 1].skillPoints, stats[i].skillPoints);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RecorderWindowTest, NoCycleStartsWhileThePageIsUploaded) {
    writeStore(QStringLiteral("\"hostname\"=\"ftp.example.org\"\n\"hostfilename\"=\"live.html\""),
               game);
    start();
    form->liveStatsBox->setChecked(true);
    form->recordingBox->click();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    int logsDuringUpload = -1;
    duringUpload = [&] {
        // The game's next log arrives and a tick comes while the upload waits.
        writeFile(resultLogPath(game, 0), readLogFixture("cooperative.log"));
        EXPECT_EQ(form->cycle().Readlogs(true), RecordingCycle::Outcome::AlreadyRunning);
        form->onTick();
        logsDuringUpload = logsLeft();
    };
    form->onTick();
    if (uploads == 0)
        form->onTick();
    ASSERT_EQ(uploads, 1);
    EXPECT_EQ(logsDuringUpload, 1);
    EXPECT_FALSE(QFile::exists("coop_stats.log"));

    duringUpload = nullptr;
    form->onTick();
    if (uploads == 1)
        form->onTick();
    EXPECT_EQ(uploads, 2);
    EXPECT_TRUE(QFile::exists("coop_stats.log"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RecorderWindowTest, APageThatCannotBeWrittenIsReportedAndTheGameStaysRecorded) {
    writeStore(QStringLiteral("\"hostname\"=\"ftp.example.org\"\n"
                              "\"hostfilename\"=\"no such folder/live.html\""),
               game);
    start();
    form->liveStatsBox->setChecked(true);
    form->recordingBox->click();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    form->onTick();
    if (logsLeft() != 0)
        form->onTick();
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].startsWith("error: Cannot create"));
    EXPECT_EQ(uploads, 0);
}

TEST_F(RecorderWindowTest, ComingBackFromTheSetupWindowRunsTheActivationAgain) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\""), game);
    start();
    form->recordingBox->click();
    ASSERT_FALSE(form->recordingBox->isChecked());
    dropLogs();
    writeFile("lastgame.log", "stale");

    visitSetupWindow();
    EXPECT_TRUE(form->recordingBox->isChecked());
    EXPECT_EQ(applicationTitle(), "Recording...");
    EXPECT_EQ(logsLeft(), 0);
    EXPECT_FALSE(QFile::exists("lastgame.log"));
}

// A game that ends while recording is the next tick's, whatever window the user visits meanwhile.
TEST_F(RecorderWindowTest, ComingBackWhileRecordingKeepsTheGameThatJustEnded) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\""), game);
    start();
    ASSERT_TRUE(form->recordingBox->isChecked());
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    visitSetupWindow();
    tickUntilTaken();
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
}

TEST_F(RecorderWindowTest, AMissingGameIsReportedOnceAndRecordingStillWorks) {
    writeStore(QString(), QString());
    start();
    EXPECT_EQ(form->gameFolderLabel->text(), "Rogue Spear Not Installed");
    EXPECT_EQ(dialogs.shown, QStringList{"info: Rogue Spear is not installed"});
    visitSetupWindow();
    visitSetupWindow();
    EXPECT_EQ(dialogs.shown.size(), 1);

    form->recordingBox->click();
    EXPECT_TRUE(timerActive());
    EXPECT_EQ(form->cycle().gameFolder(), "Rogue Spear Not Installed");
    EXPECT_EQ(dialogs.shown.size(), 1);
}

namespace {
void makeProgram(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    writeFile(path, "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner));
}
} // namespace

TEST_F(RecorderWindowTest, VantorUtilitiesStartsInTheDataFolder) {
    writeStore(QString(), game);
    programFolder = data.file("build/recorder");
    const QString besides = data.file("build/recorder/VantorUtilities");
    const QString buildTree = data.file("build/utilities/VantorUtilities");
    const QString onPath = data.file("usr/bin/VantorUtilities");
    makeProgram(buildTree);
    makeProgram(onPath);
    searchPath = data.file("nowhere") + ":" + data.file("usr/bin");
    start();
    // In the build tree, the utilities lie in their own folder beside the recorder's.
    form->utilitiesButton->click();
    EXPECT_EQ(shell.started, QStringList{buildTree + " in " + QDir::currentPath()});

    // One beside the recorder comes first.
    makeProgram(besides);
    form->utilitiesButton->click();
    EXPECT_EQ(shell.started.last(), besides + " in " + QDir::currentPath());

    // Then PATH; a file that cannot be run is passed over.
    QFile::remove(besides);
    QFile::remove(buildTree);
    writeFile(buildTree, "not a program");
    form->utilitiesButton->click();
    EXPECT_EQ(shell.started.last(), onPath + " in " + QDir::currentPath());
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // A program that fails to start is said.
    shell.result = false;
    form->utilitiesButton->click();
    EXPECT_EQ(dialogs.shown,
              QStringList{"info: Vantor Utilities could not be started from \"" + onPath + "\"."});
}

TEST_F(RecorderWindowTest, MissingVantorUtilitiesAreSaidInsteadOfNothing) {
    writeStore(QString(), game);
    searchPath = data.file("nowhere");
    start();
    form->utilitiesButton->click();
    EXPECT_TRUE(shell.started.isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0], "info: Vantor Utilities were not found: there is no program "
                                "\"VantorUtilities\" in \"" +
                                    programFolder + "\", in \"" + data.file("utilities") +
                                    "\" or on PATH.");
}

TEST_F(RecorderWindowTest, ALongGameFolderIsCutInTheMiddleWithTheWholePathAsTooltip) {
    QString deep = game;
    while (deep.size() < 400)
        deep += QStringLiteral("/Program Files/Red Storm Entertainment");
    deep += QStringLiteral("/Rogue Spear");
    ASSERT_TRUE(QDir().mkpath(deep));
    writeStore(QString(), deep);
    start();
    const ElidedLabel* label = form->gameFolderLabel;
    EXPECT_EQ(label->fullText(), deep);
    EXPECT_EQ(label->toolTip(), deep);
    const QString shown = label->text();
    EXPECT_NE(shown, deep);
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("Rogue Spear")) << shown.toStdString();
    EXPECT_TRUE(deep.startsWith(shown.section(QChar(0x2026), 0, 0))) << shown.toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
    // The window keeps its size; the path does not widen it.
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_LT(form->width(), label->fontMetrics().horizontalAdvance(deep));
}

TEST_F(RecorderWindowTest, ReturnPressesTheFocusedButton) {
    writeStore(QString(), game);
    start();
    form->setupButton->setFocus();
    QTest::keyClick(form->setupButton, Qt::Key_Return);
    ASSERT_TRUE(form->setupWindow()->isVisible());
    form->setupWindow()->closeButton->setFocus();
    QTest::keyClick(form->setupWindow()->closeButton, Qt::Key_Return);
    EXPECT_FALSE(form->setupWindow()->isVisible());
    QTest::keyClick(form->exitButton, Qt::Key_Enter);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(RecorderWindowTest, ExitEndsEvenWhileRecording) {
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\""), game);
    start();
    ASSERT_TRUE(timerActive());
    form->setupButton->click();
    form->exitButton->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->setupWindow()->isVisible());
    EXPECT_FALSE(timerActive());
}

TEST_F(RecorderWindowTest, ALongDataFolderPathIsStoredWhole) {
    QString deep = data.path();
    while (deep.size() < 300)
        deep += QStringLiteral("/a-rather-long-folder-name");
    ASSERT_TRUE(QDir().mkpath(deep));
    QDir::setCurrent(deep);
    writeStore(QString(), game);
    start();
    EXPECT_EQ(setting("RecorderPath"), deep);
}

namespace {

// Types the FTP settings into the setup window and saves them, as the user would.
void saveSetup(RecorderWindow& form, const QString& host, const QString& user,
               const QString& password, const QString& dir, const QString& file) {
    form.setupButton->click();
    LiveStatsSetupWindow* setup = form.setupWindow();
    const std::pair<QLineEdit*, QString> fields[] = {
        {setup->HostName, host}, {setup->UserName, user},     {setup->Password, password},
        {setup->HostDir, dir},   {setup->HostFileName, file},
    };
    for (const auto& [field, text] : fields) {
        field->clear();
        QTest::keyClicks(field, text);
    }
    QTest::mouseClick(setup->saveButton, Qt::LeftButton);
}

} // namespace

TEST_F(RecorderWindowTest, LiveStatsCanBeSwitchedOnOnceTheSettingsAreSaved) {
    writeStore(QString(), game);
    start();
    EXPECT_FALSE(form->liveStatsBox->isEnabled());

    // A save that fails leaves the box as it was.
    QFile::remove(storePath + ".lock");
    ASSERT_TRUE(QDir().mkdir(storePath + ".lock"));
    saveSetup(*form, "ftp.example.org", "marrow", "pw", "", "live.html");
    EXPECT_EQ(dialogs.shown, QStringList{"error: Failed to set data for 'hostname'"});
    EXPECT_FALSE(form->liveStatsBox->isEnabled());
    ASSERT_TRUE(QDir().rmdir(storePath + ".lock"));

    dialogs.shown.clear();
    saveSetup(*form, "ftp.example.org", "marrow", "pw", "", "live.html");
    EXPECT_EQ(dialogs.shown,
              (QStringList{"beep", "info: Your FTP Upload settings have been saved."}));
    EXPECT_TRUE(form->liveStatsBox->isEnabled());
    EXPECT_FALSE(form->liveStatsBox->isChecked());
    EXPECT_EQ(setting("port"), "ftp");
    form->setupWindow()->hide();
    form->activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == form.get(); }));
    QTest::qWait(20);
    EXPECT_TRUE(form->liveStatsBox->isEnabled());

    // The utilities' tab may store an empty host: the next activation disables the box.
    SettingsStore(storePath).openKey(kVantorKey, false)->writeString("hostname", "");
    visitSetupWindow();
    EXPECT_FALSE(form->liveStatsBox->isEnabled());
}

TEST_F(RecorderWindowTest, ARecordedGameLandsItsPageOnTheFtpServerAndPlaysTheSound) {
    LocalFtpServer server;
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    ASSERT_TRUE(QDir(server.root()).mkdir("www"));
    qputenv("VANTOR_FTP_PORT", QByteArray::number(server.port()));
    ASSERT_TRUE(QDir().mkpath(game + "/data/Sound/English"));
    const QString wave = game + "/data/Sound/English/tm_cmpdn.WAV";
    writeFile(wave, "RIFF....WAVE");
    writeStore(QString(), game);
    realUpload = true;
    start();

    saveSetup(*form, "127.0.0.1", QString::fromLatin1(server.userName()),
              QString::fromLatin1(server.password()), "www", "live.html");
    ASSERT_TRUE(form->liveStatsBox->isEnabled());
    form->liveStatsBox->click();
    form->recordingBox->click();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    const QString uploaded = server.root() + "/www/live.html";
    tickUntilTaken();
    ASSERT_FALSE(sound.played.isEmpty());

    ASSERT_TRUE(QFile::exists(uploaded));
    EXPECT_EQ(readFile(uploaded), readFile("live.html"));
    EXPECT_TRUE(readFile(uploaded).contains("<font color=\"#3333FF\">Ding Chavez</td>"));
    EXPECT_EQ(sound.played, QStringList{wave});
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    EXPECT_EQ(dialogs.shown,
              (QStringList{"beep", "info: Your FTP Upload settings have been saved."}));
}

TEST_F(RecorderWindowTest, NoCycleStartsWhileTheUploadWaitsForTheServer) {
    QTcpServer silent; // takes the connection and never greets
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    qputenv("VANTOR_FTP_PORT", QByteArray::number(silent.serverPort()));
    writeStore(QStringLiteral("\"hostname\"=\"127.0.0.1\"\n\"username\"=\"u\"\n"
                              "\"ftppassword\"=\"p\"\n\"hostfilename\"=\"live.html\""),
               game);
    realUpload = true;
    start();
    form->session().ftpClient().Timeout = 1;
    form->liveStatsBox->setChecked(true);
    form->recordingBox->click();

    // The game's next log arrives while the first page is being sent, and the timer ticks
    // inside the wait.
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        if (!QFile::exists(resultLogPath(game, 0)) && !QFile::exists("coop_stats.log"))
            writeFile(resultLogPath(game, 0), readLogFixture("cooperative.log"));
        for (int i = 0; i < 3; ++i)
            tick->tick();
    });
    QList<bool> coopRecordedAtSound;
    sound.onPlay = [&] { coopRecordedAtSound << QFile::exists("coop_stats.log"); };
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    // A cycle run from outside the timer's own tick (as at switch-on), so that the timer's
    // ticks can reach it during the wait.
    form->onTick();
    if (coopRecordedAtSound.isEmpty())
        form->onTick();
    ASSERT_EQ(coopRecordedAtSound.size(), 1);
    EXPECT_FALSE(coopRecordedAtSound[0]) << "a cycle ran inside the upload";

    silent.close(); // the second upload is refused at once instead of waiting out its time
    tickUntilTaken();
    ASSERT_EQ(coopRecordedAtSound.size(), 2);
    // The second game waited for the first upload to end, then got its own.
    EXPECT_EQ(coopRecordedAtSound, (QList<bool>{false, true}));
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    EXPECT_FALSE(readAllRecords<PlayerStatsRecord>("coop_stats.log").empty());
    EXPECT_TRUE(dialogs.shown.isEmpty()); // a failed upload says nothing
}

TEST_F(RecorderWindowTest, ASoundThatCannotBePlayedIsShownAndRecordingGoesOn) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    qputenv("VANTOR_FTP_PORT", QByteArray::number(closed.serverPort()));
    closed.close(); // refused at once
    writeStore(QStringLiteral("\"hostname\"=\"127.0.0.1\"\n\"hostfilename\"=\"live.html\""), game);
    realUpload = true;
    sound.failure = QStringLiteral("The specified device is not open or is not recognized");
    start();
    form->liveStatsBox->setChecked(true);
    form->recordingBox->click();
    writeFile(resultLogPath(game, 0), readLogFixture("demo_adversarial.log"));
    tickUntilTaken();
    EXPECT_EQ(dialogs.shown,
              QStringList{"error: The specified device is not open or is not recognized"});
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_TRUE(QFile::exists("live.html"));
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>("stats.log").size(), 4u);
    EXPECT_TRUE(timerActive());
}

namespace {
// Another recorder process holding the recording lock of a folder, as long as it lives.
class OtherRecorder {
public:
    explicit OtherRecorder(const QString& folder) {
        const QByteArray path =
            QFile::encodeName(QDir(folder).absoluteFilePath(".vantor.recorder.lock"));
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(path.constData(), O_RDWR | O_CREAT, 0644);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
                ::_exit(1);
            (void)!::write(ready[1], "1", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char c = 0;
        held_ = ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
    }
    ~OtherRecorder() { stop(); }
    bool held() const { return held_; }
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};
} // namespace

TEST_F(RecorderWindowTest, ASecondRecorderOnTheFolderIsRefusedAndLeavesTheOthersGamesAlone) {
    OtherRecorder other(data.path());
    ASSERT_TRUE(other.held());
    writeStore(QStringLiteral("\"AutoRecord\"=\"true\""), game);
    dropLogs();
    start();
    const QString refusal =
        QStringLiteral("error: Another recorder is already recording into \"%1\"; this one does "
                       "not record.")
            .arg(QDir(data.path()).absolutePath());
    ASSERT_TRUE(waitFor([&] { return dialogs.shown.contains(refusal); }))
        << dialogs.shown.join(u'\n').toStdString();
    EXPECT_FALSE(form->recordingBox->isChecked());
    EXPECT_FALSE(timerActive());
    EXPECT_EQ(form->recordingBox->text(), QStringLiteral("Recorder is OFF"));
    EXPECT_TRUE(form->utilitiesButton->isEnabled());
    EXPECT_EQ(logsLeft(), 10); // the other recorder's games
    EXPECT_FALSE(QFile::exists("stats.log"));

    // Coming back to the window does not repeat the box; a click tells again.
    const auto shownBefore = dialogs.shown.size();
    visitSetupWindow();
    EXPECT_EQ(dialogs.shown.size(), shownBefore);
    form->recordingBox->click();
    EXPECT_EQ(dialogs.shown.size(), shownBefore + 1);
    EXPECT_EQ(dialogs.shown.last(), refusal);
    EXPECT_FALSE(form->recordingBox->isChecked());
    EXPECT_EQ(logsLeft(), 10);

    // Once the other has stopped, this one records.
    other.stop();
    form->recordingBox->click();
    EXPECT_TRUE(form->recordingBox->isChecked());
    EXPECT_TRUE(timerActive());
    EXPECT_EQ(logsLeft(), 0);
}
