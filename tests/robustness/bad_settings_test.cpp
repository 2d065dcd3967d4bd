// Settings stores that are garbled or cannot be written: both programs go on with what they can
// read, say clearly what they cannot keep, and record and rank as before.
#include "programs.h"

#include "common/record_file.h"
#include "recorder/recording/result_log_files.h"
#include "recorder/ui/recorder_window.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait.h"
#include "tests/utilities/stats_files.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace vantor;
using namespace vantor::test;

namespace {

const char* const kJunkAroundTheKeys =
    "REGEDIT4\n"
    "\n"
    "this line means nothing\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Broken\n"
    "\"half\"=\"a value that never ends\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
    "\"AutoRecord\"=\"true\"\n"
    "===\"===\n"
    "\"port\"=dword:00000015\n"
    "@=\"default value\"\n"
    "\"comment1\"=\"kept \\\"quoted\\\" \\\\ text\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Red Storm Entertainment\\Rogue Spear]\n"
    "\"InstallationPath\"=\"%GAME%\"\n"
    "\"MultiplayerPlayerName\"=\"Marrow\"\n"
    "\"cut off in the mid";

// As Windows' own editor leaves it: no header, CR LF, the names in other letter case.
const char* const kWindowsEdited =
    "[hkey_local_machine\\software\\vantor]\r\n"
    "\"autorecord\"=\"true\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\RED STORM ENTERTAINMENT\\ROGUE SPEAR]\r\n"
    "\"installationpath\"=\"%GAME%\"\r\n";

// Cut short by a crash of whatever wrote it last.
const char* const kCutShort = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                              "\"AutoRecord\"=\"true\"\n\n"
                              "[HKEY_LOCAL_MACHINE\\Software\\Red Storm Entertainment\\Rogue "
                              "Spear]\n\"InstallationPath\"=\"%GAME%\"\n\"MultiplayerPlayerNa";

QByteArray storeText(const char* text, const QString& game) {
    return QByteArray(text).replace("%GAME%", game.toUtf8());
}

QStringList linesOf(const QByteArray& text) {
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines << QString::fromUtf8(line);
    }
    return lines;
}

class BadSettings : public testing::Test {
protected:
    BadSettings() {
        QDir().mkdir(QStringLiteral("game"));
        writeStats(QStringLiteral("stats.log"), {statsRecord("Marrow", {.kills = 2})});
    }
    ~BadSettings() override {
        if (form)
            form->close();
    }

    // The recorder's window as the program starts it; `gameKey` stands for the Wine prefix.
    void startRecorder(std::optional<GameKeyValues> gameKey = {}) {
        recorder::RecorderEnvironment env;
        env.dialogs = &dialogs;
        env.shell = &shell;
        env.settingsPath = storePath;
        const QString noWine = dir.file(QStringLiteral("no-wine"));
        env.gameKey = [gameKey, noWine](const SettingsStore& s) {
            return gameKey ? *gameKey : readGameKey(s, noWine);
        };
        form = std::make_unique<recorder::RecorderWindow>(std::move(env));
        form->show();
        form->activateWindow();
        ASSERT_TRUE(waitFor([&] { return !form->gameFolderLabel->text().isEmpty(); }));
    }
    // A game dropped while recording is recorded by the next tick.
    void recordOneGame() {
        writeFile(recorder::resultLogPath(game, 0),
                  readFile(QStringLiteral(VANTOR_TEST_DATA "/logs/demo_adversarial.log")));
        form->onTick();
        EXPECT_FALSE(QFile::exists(recorder::resultLogPath(game, 0)));
        const auto players = readStats(QStringLiteral("stats.log"));
        ASSERT_EQ(players.size(), 4u);
        EXPECT_EQ(players[0].games, 2);
        EXPECT_EQ(readAllRecords<TeamWinsRecord>(QStringLiteral("team.log")).size(), 2u);
    }
    ProgramRun page() {
        RunOptions options;
        options.workingDir = dir.path();
        options.env = programEnvironment(storePath);
        return runUtilities({QStringLiteral("page"), QStringLiteral("p.html"),
                             QStringLiteral("--by"), QStringLiteral("Kills"),
                             QStringLiteral("--comment"), QStringLiteral("hello")},
                            options);
    }

    TempFolder dir;
    QString game = dir.file(QStringLiteral("game"));
    QString storePath = dir.file(QStringLiteral("registry.reg"));
    RecordingDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<recorder::RecorderWindow> form;
};

} // namespace

TEST_F(BadSettings, AGarbledStoreIsReadWhereItCanBeAndItsOtherLinesAreKept) {
    for (const char* text : {kJunkAroundTheKeys, kWindowsEdited, kCutShort}) {
        SCOPED_TRACE(text);
        const QByteArray original = storeText(text, game);
        writeFile(storePath, original);
        writeStats(QStringLiteral("stats.log"), {statsRecord("Marrow", {.kills = 2})});
        QFile::remove(QStringLiteral("team.log"));
        dialogs.shown.clear();
        startRecorder();
        EXPECT_EQ(dialogs.shown, QStringList{});
        EXPECT_EQ(form->gameFolderLabel->text(), game);
        EXPECT_TRUE(form->recordingBox->isChecked()) << "auto-record was not read";
        recordOneGame();
        form->close();
        form.reset();

        const ProgramRun run = page();
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(QFile::exists(QStringLiteral("p.html")));

        auto key = SettingsStore(storePath).openKey(kVantorKey, false);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->readString(QStringLiteral("RecorderPath")), dir.path());
        EXPECT_EQ(key->readString(QStringLiteral("file1")), QStringLiteral("p.html"));
        EXPECT_EQ(key->readString(QStringLiteral("comment1")), QStringLiteral("hello"));
        const QStringList now = linesOf(readFile(storePath));
        for (const QString& line : linesOf(original)) {
            if (!line.contains(QStringLiteral("comment1"), Qt::CaseInsensitive)) {
                EXPECT_TRUE(now.contains(line)) << "lost: " << line.toStdString();
            }
        }
    }
}

TEST_F(BadSettings, AStoreOfRandomBytesIsAStoreWithoutValues) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 7919 + i / 13) % 256);
    writeFile(storePath, junk);
    startRecorder();
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("info: Rogue Spear is not installed")});
    EXPECT_FALSE(form->recordingBox->isChecked());
    form->onActivated();
    EXPECT_EQ(dialogs.shown.size(), 1);
    auto key = SettingsStore(storePath).openKey(kVantorKey, false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString(QStringLiteral("RecorderPath")), dir.path());
    EXPECT_EQ(readStats(QStringLiteral("stats.log")).size(), 1u);
}

TEST_F(BadSettings, AStoreThatCannotBeWrittenIsReportedOnceAndRecordingGoesOn) {
    // Where the store's folder should be there is a file: nothing can be written there.
    writeFile(dir.file(QStringLiteral("blocker")), "not a folder");
    storePath = dir.file(QStringLiteral("blocker/registry.reg"));
    startRecorder(GameKeyValues{true, game, QStringLiteral("Marrow")});
    const QStringList cannotKeep = {
        QStringLiteral("error: The settings cannot be kept in \"%1\".").arg(storePath)};
    EXPECT_EQ(dialogs.shown, cannotKeep);
    form->onActivated();
    EXPECT_EQ(dialogs.shown, cannotKeep);

    form->autoRecordBox->click();
    EXPECT_EQ(dialogs.shown.last(), QStringLiteral("error: Failed to set data for 'AutoRecord'"));
    form->recordingBox->click();
    recordOneGame();
    form->close();
    form.reset();

    const ProgramRun run = page();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QStringLiteral("Your HTML File was created successfully.\n"));
    EXPECT_EQ(run.err, QStringLiteral("Failed to set data for 'file1'\n"));
    EXPECT_TRUE(QFile::exists(QStringLiteral("p.html")));
    EXPECT_EQ(readStats(QStringLiteral("stats.log")).size(), 4u);
}
