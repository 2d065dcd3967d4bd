#include "page_fixtures.h"

#include "utilities/ui/utilities_window.h"

#include "utilities/core/page_creation.h"
#include "utilities/core/recent_entries.h"

#include "common/record_file.h"
#include "platform/settings_store.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::utilities;

namespace {

// Notes, at every box shown, which of the page's six controls were enabled.
struct WatchingDialogs : vantor::test::RecordingDialogs {
    std::function<bool()> anyEnabled;
    std::vector<bool> enabledAtBox;
    void information(const QString& text) override {
        enabledAtBox.push_back(anyEnabled());
        RecordingDialogs::information(text);
    }
};

struct PageWindow : ::testing::Test {
    vantor::test::TempFolder dir;
    SettingsStore settings{dir.file(QStringLiteral("registry.reg"))};
    WatchingDialogs dialogs;
    vantor::test::RecordingShell shell;
    std::unique_ptr<UtilitiesWindow> form;

    void SetUp() override {
        vantor::test::writeStats(QStringLiteral("stats.log"), vantor::test::samplePlayers(60));
        form = std::make_unique<UtilitiesWindow>(dialogs, shell, settings);
        form->show();
        dialogs.anyEnabled = [this] {
            for (QWidget* w : six())
                if (w->isEnabled())
                    return true;
            return false;
        };
    }
    std::vector<QWidget*> six() const {
        return {form->RankKeyBox,     form->saveButton,
                form->refreshButton,  form->deleteStatsFileButton,
                form->rankingsButton, form->deletePlayerButton};
    }
    void expectIdle() const {
        for (QWidget* w : six())
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_TRUE(form->progressBar->isHidden());
        EXPECT_EQ(form->progressBar->value(), 0);
    }
    QStringList items(QComboBox* box) const {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
};

} // namespace

TEST_F(PageWindow, SaveWritesThePageAndRefillsTheBoxesAndTheFtpList) {
    form->RankKeyBox->setEditText(QStringLiteral("Kills"));
    form->CommentBox->setEditText(QStringLiteral("Finals"));
    form->FileNameBox->setEditText(QStringLiteral("Finals.html"));
    QTest::mouseClick(form->saveButton, Qt::LeftButton);

    EXPECT_EQ(dialogs.shown,
              QStringList{QStringLiteral("info: Your HTML File was created successfully.")});
    EXPECT_EQ(dialogs.enabledAtBox, std::vector<bool>{false});
    expectIdle();
    const QByteArray page = vantor::test::readFile(QStringLiteral("Finals.html"));
    EXPECT_TRUE(page.contains("Comments: <font color=\"00FF00\">Finals</small>"));
    EXPECT_TRUE(page.contains("<font color=\"00FF00\">Kills</strong></font></td>"));
    const auto ranked = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
    EXPECT_EQ(ranked.size(), 60u);
    EXPECT_TRUE(std::is_sorted(ranked.begin(), ranked.end(),
                               [](const auto& a, const auto& b) { return a.kills > b.kills; }));

    EXPECT_EQ(items(form->FileNameBox).size(), 10);
    EXPECT_EQ(items(form->FileNameBox).first(), QStringLiteral("Finals.html"));
    EXPECT_EQ(items(form->CommentBox).first(), QStringLiteral("Finals"));
    EXPECT_TRUE(form->FileNameBox->currentText().isEmpty());
    EXPECT_TRUE(form->CommentBox->currentText().isEmpty());
    EXPECT_EQ(loadRecentEntries(settings).files.entries().first(), QStringLiteral("Finals.html"));
    EXPECT_EQ(form->pageFileList->findItems(QStringLiteral("Finals.html"), Qt::MatchExactly).size(),
              1);
}

TEST_F(PageWindow, ClearEmptiesOnlyTheCommentText) {
    form->recentComments = QStringList{QStringLiteral("old")} + QStringList(9);
    form->readRecentEntries();
    form->CommentBox->setEditText(QStringLiteral("typed"));
    QTest::mouseClick(form->clearButton, Qt::LeftButton);
    EXPECT_TRUE(form->CommentBox->currentText().isEmpty());
    EXPECT_EQ(form->CommentBox->count(), 10);
}

TEST_F(PageWindow, ViewPlayerRankingsOpensThePageAndLeavesTheHistories) {
    form->CommentBox->setEditText(QStringLiteral("not on this page"));
    QTest::mouseClick(form->rankingsButton, Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{kRankingsPage});
    EXPECT_TRUE(dialogs.shown.isEmpty());
    expectIdle();
    EXPECT_TRUE(vantor::test::readFile(kRankingsPage)
                    .contains("Comments: <font color=\"00FF00\">None</small>"));
    EXPECT_EQ(form->CommentBox->currentText(), QStringLiteral("not on this page"));
    EXPECT_FALSE(settings.keyExists(kVantorKey));
}

TEST_F(PageWindow, EveryWayOutEnablesTheControlsAgain) {
    // No file name: a message.
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    expectIdle();
    // A name that cannot be created: the error box, no page.
    form->FileNameBox->setEditText(QStringLiteral("missing/folder.html"));
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    expectIdle();
    // A key the engine refuses.
    form->RankKeyBox->setEditText(QStringLiteral("Fastest"));
    QTest::mouseClick(form->rankingsButton, Qt::LeftButton);
    expectIdle();
    QFile::remove(QStringLiteral("stats.log"));
    form->RankKeyBox->setEditText(QStringLiteral("Kills"));
    QTest::mouseClick(form->rankingsButton, Qt::LeftButton);
    expectIdle();

    ASSERT_EQ(dialogs.shown.size(), 4);
    EXPECT_EQ(dialogs.shown[0], QStringLiteral("info:  You Must Enter In A File Name."));
    EXPECT_TRUE(dialogs.shown[1].startsWith(QStringLiteral("error: Cannot create")));
    EXPECT_TRUE(dialogs.shown[2].startsWith(QStringLiteral("error: ")));
    EXPECT_EQ(dialogs.shown[3],
              QStringLiteral("info:  .log File not found.  There are no Stats to view."));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(QFile::exists(kRankingsPage));
}
