// The activation steps as the core runs them for the window and the headless recorder.
#include "recorder/recording/activation.h"

#include "common/record_file.h"
#include "common/undo_journal.h"
#include "tests/support/fakes.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::recorder;
using vantor::test::RecordingDialogs;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

class ActivationSteps : public testing::Test {
protected:
    ActivationSteps() { QDir().mkdir(QStringLiteral("game")); }

    void writeStore(const QString& vantorValues, bool withGame = true) {
        writeFile(storePath, test::storeText(vantorValues, withGame ? game : QString()).toUtf8());
    }
    void activate() {
        activation.GetRegistryInfo();
        activation.GetRSDir();
    }

    TempFolder data;
    QString game = data.file(QStringLiteral("game"));
    QString storePath = data.file(QStringLiteral("registry.reg"));
    QString noWine = data.file(QStringLiteral("no-wine"));
    RecordingDialogs dialogs;
    Activation activation{dialogs, SettingsStore(storePath),
                          [this](const SettingsStore& s) { return readGameKey(s, noWine); }};
};

} // namespace

TEST_F(ActivationSteps, AutoRecordChangesOnlyOnTrueOrFalse) {
    const std::pair<const char*, bool> steps[] = {
        {"", false}, {"\"AutoRecord\"=\"true\"", true},   {"\"AutoRecord\"=\"TRUE\"", true},
        {"", true},  {"\"AutoRecord\"=\"false\"", false}, {"\"AutoRecord\"=\"yes\"", false}};
    for (const auto& [value, expected] : steps) {
        writeStore(QString::fromLatin1(value));
        activation.GetRegistryInfo();
        EXPECT_EQ(activation.autoRecord(), expected) << value;
    }
}

TEST_F(ActivationSteps, AMissingGameIsReportedOncePerAbsence) {
    writeStore(QString(), false);
    activate();
    activate();
    EXPECT_EQ(activation.gameFolder(), "Rogue Spear Not Installed");
    EXPECT_EQ(dialogs.shown, QStringList{"info: Rogue Spear is not installed"});

    writeStore(QString());
    activate();
    EXPECT_EQ(activation.gameFolder(), game);
    writeStore(QString(), false);
    activate();
    EXPECT_EQ(dialogs.shown.size(), 2); // gone again: worth saying again
}

TEST_F(ActivationSteps, AStoreThatCannotBeWrittenIsReportedOnce) {
    writeFile(data.file("not-a-folder"), "x");
    Activation blocked(dialogs, SettingsStore(data.file("not-a-folder/registry.reg")),
                       [this](const SettingsStore& s) { return readGameKey(s, noWine); });
    blocked.GetRegistryInfo();
    blocked.GetRegistryInfo();
    EXPECT_FALSE(blocked.hasHostName());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].startsWith("error: ")) << dialogs.shown[0].toStdString();
}

TEST_F(ActivationSteps, AGameLeftHalfRecordedIsPutBackAtActivation) {
    writeFile("stats.log", "before");
    writeFile(".vantor.game", "the game");
    {
        UndoJournal journal(".");
        FixedRecordFile f("stats.log", 2, &journal);
        f.open(FixedRecordFile::Mode::ReadWrite);
        f.write("XX");
        f.write("XX");
        f.close();
        // killed here
    }
    ASSERT_EQ(test::readFile("stats.log"), "XXXXre");
    activation.finishInterruptedGame();
    EXPECT_EQ(test::readFile("stats.log"), "before");
    EXPECT_FALSE(QFile::exists(".vantor.journal"));
    EXPECT_TRUE(QFile::exists(".vantor.game")); // recorded once recording is on
    EXPECT_TRUE(dialogs.shown.isEmpty());
}
