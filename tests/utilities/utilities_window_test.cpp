#include "stats_files.h"

#include "utilities/core/author.h"
#include "utilities/ui/link_label.h"
#include "utilities/ui/upload_status_window.h"
#include "utilities/ui/utilities_window.h"

#include "common/error.h"
#include "platform/settings_store.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;
using vantor::utilities::UtilitiesWindow;

namespace {

// A window on a fresh data folder with its own settings store and recording fakes.
struct Window {
    TempFolder dir;
    SettingsStore settings{dir.file(QStringLiteral("registry.reg"))};
    RecordingDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<UtilitiesWindow> form;

    void open() {
        form = std::make_unique<UtilitiesWindow>(dialogs, shell, settings);
        form->show();
        activate(form.get());
    }
    // Waits until the widgets see the change, not only the window system.
    static void activate(QWidget* w) {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }));
        QTest::qWait(10);
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < form->playerList->count(); ++i)
            names << form->playerList->item(i)->text();
        return names;
    }
    void select(const QString& name) const {
        const auto items = form->playerList->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        form->playerList->setCurrentItem(items.first());
    }
    QStringList comboItems(QComboBox* box) const {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }
};

} // namespace

TEST(UtilitiesWindow, ShowsEveryControlAsAtStart) {
    Window w;
    w.form = std::make_unique<UtilitiesWindow>(w.dialogs, w.shell, w.settings);
    UtilitiesWindow& f = *w.form;
    EXPECT_EQ(f.windowTitle(),
              QStringLiteral("Marrow's Vantor v3.7.03")); // from the project version
    EXPECT_EQ(f.size(), QSize(362, 475));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_TRUE(f.adversarialButton->isChecked());
    EXPECT_FALSE(f.cooperativeButton->isChecked());
    EXPECT_TRUE(f.adversarialButton->font().bold());
    EXPECT_TRUE(f.progressBar->isHidden());
    EXPECT_EQ(f.pageTabs->count(), 3);
    EXPECT_EQ(f.pageTabs->tabText(2), QStringLiteral("FTP Upload"));
    EXPECT_EQ(f.pageTabs->currentIndex(), 0);
    EXPECT_EQ(f.playerDataGroup->title(), QStringLiteral(" Player Data Utilities "));
    EXPECT_EQ(f.ftpGroup->title(), QStringLiteral(" FTP Upload "));
    EXPECT_FALSE(f.playerDataGroup->isHidden());
    EXPECT_TRUE(f.htmlGroup->isHidden());
    EXPECT_TRUE(f.ftpGroup->isHidden());
    EXPECT_FALSE(f.logoLabel->pixmap().isNull());

    EXPECT_EQ(f.GameTypeLabel1->text(), QStringLiteral("....."));
    EXPECT_EQ(f.GameTypeLabel2->text(), QStringLiteral("Adversarial Players"));
    EXPECT_EQ(f.PlayerCountLabel1->text(), QStringLiteral("Total Players: 0"));
    EXPECT_EQ(f.MeasureBox->currentText(), QStringLiteral("Skill Points"));
    EXPECT_EQ(w.comboItems(f.MeasureBox), QStringList({"Games Played", "Skill Points"}));
    EXPECT_EQ(f.RankKeyBox->currentText(), QStringLiteral("Skill Points"));
    EXPECT_EQ(w.comboItems(f.RankKeyBox),
              QStringList({"Skill Points", "Kills", "Deaths", "Rounds Fired", "Rounds Taken",
                           "Average Hit %", "Games Played", "Kills/Game"}));

    QStringList captions;
    for (const auto* b : f.findChildren<QPushButton*>())
        captions << b->text();
    for (const char* c :
         {"Refresh Players", "Delete Player", "Delete Players", "Delete Player Stats File", "Clear",
          "Save", "Transmit", "Delete", "Save Settings", "View Player Rankings", "Exit"})
        EXPECT_TRUE(captions.contains(QString::fromLatin1(c))) << c;
    QStringList labels;
    for (const auto* l : f.findChildren<QLabel*>())
        labels << l->text();
    for (const char* c : {"With", "or Less", "Rank Players by:", "Add Comment to html:",
                          "Enter file name below, then press Save", "(example: MyStats.html )",
                          "Host Address:", "Port:", "Login:", "Password:", "Initial Path:",
                          "Select .html file Below", "Vantor Support Forum"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(c))) << c;
    EXPECT_TRUE(labels.contains(utilities::authorEmail()));
    // An address the build leaves empty shows no link.
    EXPECT_EQ(f.ForumLink->isVisibleTo(&f), !utilities::supportForumPage().isEmpty());
    EXPECT_EQ(f.EmailLink->isVisibleTo(&f), !utilities::authorEmail().isEmpty());
    EXPECT_EQ(f.Password->echoMode(), QLineEdit::Password);
    f.ShowPassword->click();
    EXPECT_EQ(f.Password->echoMode(), QLineEdit::Normal);
}

// Every control whole and on its own, on each page, and in the upload status window.
TEST(UtilitiesWindow, NoControlHidesAnother) {
    Window w;
    w.open();
    for (int tab = 0; tab < w.form->pageTabs->count(); ++tab) {
        w.form->pageTabs->setCurrentIndex(tab);
        EXPECT_EQ(layoutProblems(*w.form), QStringList()) << "tab " << tab;
    }
    saveScreenshot(*w.form, QStringLiteral("utilities-ftp-upload"));
    w.form->statusWindow->show();
    EXPECT_EQ(layoutProblems(*w.form->statusWindow), QStringList());
    w.form->statusWindow->close();
}

// Return presses the focused button; the status window opens with the focus, so Escape
// closes it at once.
TEST(UtilitiesWindow, TheKeyboardReachesTheButtons) {
    Window w;
    w.open();
    for (QPushButton* b : w.form->findChildren<QPushButton*>())
        EXPECT_TRUE(b->autoDefault()) << b->text().toStdString();
    w.form->pageTabs->setCurrentIndex(2);
    w.form->ShowPassword->setFocus();
    QTest::keyClick(w.form->ShowPassword, Qt::Key_Space);
    EXPECT_EQ(w.form->Password->echoMode(), QLineEdit::Normal);

    auto* status = w.form->statusWindow;
    status->show();
    Window::activate(status);
    EXPECT_EQ(QApplication::focusWidget(), status->closeButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(status->isVisible());
}

TEST(UtilitiesWindow, FirstActivationLoadsHistoriesAndPlayers) {
    Window w;
    writeStats(QStringLiteral("stats.log"),
               {statsRecord("zed", {}), blankStatsRecord("x"), statsRecord("Amy", {})});
    w.settings.openKey(kVantorKey, true)
        ->writeString(QStringLiteral("comment2"), QStringLiteral("second"));
    w.settings.openKey(kVantorKey, true)
        ->writeString(QStringLiteral("file10"), QStringLiteral("last.html"));
    w.open();
    UtilitiesWindow& f = *w.form;
    EXPECT_EQ(f.gameType(), QStringLiteral("Adversarial"));
    EXPECT_EQ(f.GameTypeLabel1->text(), QStringLiteral("Adversarial Players"));
    EXPECT_EQ(w.listed(), QStringList({"Amy", "zed"}));
    EXPECT_EQ(f.PlayerCountLabel1->text(), QStringLiteral("Total Players: 2"));
    EXPECT_EQ(f.PlayerCountLabel2->text(), QStringLiteral("Total Players: 2"));
    ASSERT_EQ(f.CommentBox->count(), 10);
    ASSERT_EQ(f.FileNameBox->count(), 10);
    EXPECT_EQ(f.CommentBox->itemText(1), QStringLiteral("second"));
    EXPECT_EQ(f.FileNameBox->itemText(9), QStringLiteral("last.html"));
    EXPECT_EQ(f.CommentBox->currentText(), QString());
    EXPECT_EQ(f.FileNameBox->currentText(), QString());
    EXPECT_EQ(f.recentComments.size(), 10);
    EXPECT_TRUE(w.dialogs.shown.isEmpty());
}

TEST(UtilitiesWindow, NoSettingsKeyGivesTenEmptyItemsAndNoStatsFileNoPlayers) {
    Window w;
    w.open();
    EXPECT_EQ(w.comboItems(w.form->CommentBox), QStringList(10, QString()));
    EXPECT_EQ(w.comboItems(w.form->FileNameBox), QStringList(10, QString()));
    EXPECT_EQ(w.form->playerList->count(), 0);
    EXPECT_EQ(w.form->PlayerCountLabel1->text(), QStringLiteral("Total Players: 0"));
    EXPECT_FALSE(w.settings.keyExists(kVantorKey)); // activation reads without creating
}

TEST(UtilitiesWindow, GameTypeSwitchListsTheOtherFile) {
    Window w;
    writeStats(QStringLiteral("stats.log"), {statsRecord("adv", {})});
    writeStats(QStringLiteral("coop_stats.log"), {statsRecord("co1", {}), statsRecord("co2", {})});
    w.open();
    UtilitiesWindow& f = *w.form;
    QTest::mouseClick(f.cooperativeButton, Qt::LeftButton);
    EXPECT_EQ(f.gameType(), QStringLiteral("Cooperative"));
    EXPECT_EQ(f.GameTypeLabel1->text(), QStringLiteral("Cooperative Players"));
    EXPECT_EQ(f.GameTypeLabel2->text(), QStringLiteral("Cooperative Players"));
    EXPECT_EQ(w.listed(), QStringList({"co1", "co2"}));
    EXPECT_EQ(f.PlayerCountLabel2->text(), QStringLiteral("Total Players: 2"));
    QTest::mouseClick(f.adversarialButton, Qt::LeftButton);
    EXPECT_EQ(w.listed(), QStringList({"adv"}));
    EXPECT_EQ(f.GameTypeLabel2->text(), QStringLiteral("Adversarial Players"));
}

TEST(UtilitiesWindow, ActivationComesOnlyFromTheProgramsOwnWindows) {
    Window w;
    w.open();
    UtilitiesWindow& f = *w.form;
    QWidget statusWindow; // stands in for the upload status window
    statusWindow.show();

    // Back from another window of the program: histories and players reloaded.
    writeStats(QStringLiteral("stats.log"), {statsRecord("new", {})});
    f.CommentBox->setEditText(QStringLiteral("typed"));
    Window::activate(&statusWindow);
    Window::activate(&f);
    EXPECT_EQ(w.listed(), QStringList({"new"}));
    EXPECT_EQ(f.CommentBox->currentText(), QString());

    // Back from a message box: nothing reloaded.
    writeStats(QStringLiteral("stats.log"), {statsRecord("newer", {})});
    f.CommentBox->setEditText(QStringLiteral("typed"));
    QDialog box(&f);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    Window::activate(&box);
    box.hide();
    Window::activate(&f);
    EXPECT_EQ(w.listed(), QStringList({"new"}));
    EXPECT_EQ(f.CommentBox->currentText(), QStringLiteral("typed"));

    // Back from another program: nothing reloaded either.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&f);
    EXPECT_EQ(w.listed(), QStringList({"new"}));

    // With "Cooperative" checked an activation keeps the game type and the list.
    QTest::mouseClick(f.cooperativeButton, Qt::LeftButton);
    Window::activate(&statusWindow);
    Window::activate(&f);
    EXPECT_EQ(f.gameType(), QStringLiteral("Cooperative"));
    EXPECT_EQ(f.CommentBox->count(), 10);
}

TEST(UtilitiesWindow, FtpTabLoadsStoredSettingsAndDropsTheRankingsPage) {
    Window w;
    writeFile(QStringLiteral("Rankings.html"), "old");
    writeFile(QStringLiteral("MyStats.html"), "page");
    writeFile(QStringLiteral("notes.txt"), "x");
    w.open();
    UtilitiesWindow& f = *w.form;
    f.pageTabs->setCurrentIndex(2);
    EXPECT_FALSE(QFile::exists(QStringLiteral("Rankings.html")));
    EXPECT_TRUE(w.settings.keyExists(kVantorKey));
    EXPECT_TRUE(f.playerDataGroup->isHidden());
    EXPECT_FALSE(f.ftpGroup->isHidden());
    EXPECT_EQ(f.HostName->text(), QString());
    ASSERT_EQ(f.pageFileList->count(), 1);
    EXPECT_EQ(f.pageFileList->item(0)->text(), QStringLiteral("MyStats.html"));

    auto key = w.settings.openKey(kVantorKey, false);
    key->writeString(QStringLiteral("hostname"), QStringLiteral("ftp.example.org"));
    key->writeString(QStringLiteral("port"), QStringLiteral("ftp"));
    key->writeString(QStringLiteral("ftppassword"), QStringLiteral("secret"));
    f.pageTabs->setCurrentIndex(1);
    EXPECT_FALSE(f.htmlGroup->isHidden());
    EXPECT_TRUE(f.ftpGroup->isHidden());
    f.pageTabs->setCurrentIndex(2);
    EXPECT_EQ(f.HostName->text(), QStringLiteral("ftp.example.org"));
    EXPECT_EQ(f.HostPort->text(), QStringLiteral("ftp"));
    EXPECT_EQ(f.Password->text(), QStringLiteral("secret"));

    f.UserName->setText(QStringLiteral("typed"));
    f.pageTabs->setCurrentIndex(0);
    f.pageTabs->setCurrentIndex(2);
    EXPECT_EQ(f.UserName->text(), QString());
}

TEST(UtilitiesWindow, DeletePlayerUsesTheNamesBytes) {
    Window w;
    writeStats(QStringLiteral("stats.log"), {statsRecord("Jo\x81", {}), statsRecord("Kim", {}),
                                             statsRecord("Jo\x81", {}), statsRecord("jo\x81", {})});
    w.open();
    UtilitiesWindow& f = *w.form;
    EXPECT_EQ(f.PlayerCountLabel1->text(), QStringLiteral("Total Players: 4"));
    w.select(QStringLiteral("Kim"));
    QTest::mouseClick(f.deletePlayerButton, Qt::LeftButton);
    EXPECT_EQ(f.PlayerCountLabel1->text(), QStringLiteral("Total Players: 3"));

    // Backspace in the list removes the selected player, every record of him.
    f.playerList->setCurrentRow(0);
    const QByteArray selected = f.playerList->item(0)->data(Qt::UserRole).toByteArray();
    ASSERT_EQ(selected, QByteArray("Jo\x81"));
    QTest::keyClick(f.playerList, Qt::Key_Backspace);
    EXPECT_EQ(namesIn(readStats(QStringLiteral("stats.log"))),
              QByteArrayList({"", "", "", "jo\x81"}));
    EXPECT_EQ(f.PlayerCountLabel2->text(), QStringLiteral("Total Players: 1"));

    // Other keys do nothing; with no selection the list is only reloaded.
    QTest::keyClick(f.playerList, Qt::Key_Delete);
    f.playerList->clearSelection();
    f.playerList->setCurrentRow(-1);
    QTest::mouseClick(f.deletePlayerButton, Qt::LeftButton);
    EXPECT_EQ(w.listed().size(), 1);
    EXPECT_TRUE(w.dialogs.shown.isEmpty());
}

TEST(UtilitiesWindow, DeletePlayersKeepsTheFieldOnAnError) {
    Window w;
    writeStats(QStringLiteral("stats.log"),
               {statsRecord("once", {.games = 1}), statsRecord("often", {.games = 8})});
    w.open();
    UtilitiesWindow& f = *w.form;
    f.MeasureBox->setEditText(QStringLiteral("Games Played"));
    f.CountEdit->setText(QStringLiteral("1o"));
    QTest::mouseClick(f.deletePlayersButton, Qt::LeftButton);
    EXPECT_EQ(w.dialogs.shown, QStringList({"error: '1o' is not a valid integer value"}));
    EXPECT_EQ(f.CountEdit->text(), QStringLiteral("1o"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));

    // The count is read as the result logs' numbers are: no trailing blank, "$" for hex.
    w.dialogs.shown.clear();
    f.CountEdit->setText(QStringLiteral("1 "));
    QTest::mouseClick(f.deletePlayersButton, Qt::LeftButton);
    EXPECT_EQ(w.dialogs.shown, QStringList({"error: '1 ' is not a valid integer value"}));
    EXPECT_EQ(readStats(QStringLiteral("stats.log")).size(), 2u);

    f.CountEdit->setText(QStringLiteral("$1"));
    QTest::mouseClick(f.deletePlayersButton, Qt::LeftButton);
    EXPECT_EQ(f.CountEdit->text(), QString());
    EXPECT_EQ(namesIn(readStats(QStringLiteral("stats.log"))), QByteArrayList({"often"}));
    EXPECT_EQ(w.listed(), QStringList({"often", "once"})); // reloaded only by Refresh Players
    QTest::mouseClick(f.refreshButton, Qt::LeftButton);
    EXPECT_EQ(w.listed(), QStringList({"often"}));
}

TEST(UtilitiesWindow, DeleteStatsFileAsksFirst) {
    Window w;
    for (const char* file : {"stats.log", "team.log", "coop_stats.log"})
        writeFile(QString::fromLatin1(file), {});
    w.open();
    UtilitiesWindow& f = *w.form;
    w.dialogs.answers = {false};
    QTest::mouseClick(f.deleteStatsFileButton, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(QStringLiteral("stats.log")));
    QTest::mouseClick(f.deleteStatsFileButton, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(QStringLiteral("stats.log")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("team.log")));
    EXPECT_TRUE(QFile::exists(QStringLiteral("coop_stats.log")));
    QTest::mouseClick(f.cooperativeButton, Qt::LeftButton);
    QTest::mouseClick(f.deleteStatsFileButton, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(QStringLiteral("coop_stats.log")));
    EXPECT_EQ(w.dialogs.shown,
              QStringList({"ask: Are you sure you want to delete your Adversarial Stats file?",
                           "ask: Are you sure you want to delete your Adversarial Stats file?",
                           "info: Your Adversarial Stats file has been deleted.",
                           "ask: Are you sure you want to delete your Cooperative Stats file?",
                           "info: Your Cooperative Stats file has been deleted."}));
}

TEST(UtilitiesWindow, RankingHoldsOffTheGameTypeSwitchAndDeletePlayers) {
    Window w;
    std::vector<PlayerStatsRecord> players;
    for (int i = 0; i < 20; ++i)
        players.push_back(statsRecord("p" + QByteArray::number(i), {.kills = i % 3, .games = 1}));
    writeStats(QStringLiteral("stats.log"), players);
    w.open();
    UtilitiesWindow& f = *w.form;
    f.RankKeyBox->setEditText(QStringLiteral("Kills"));
    f.CountEdit->setText(QStringLiteral("5"));

    bool sawHeldOff = false;
    QTimer::singleShot(0, &f, [&] {
        sawHeldOff = f.rankingInProgress() && !f.cooperativeButton->isEnabled() &&
                     !f.deletePlayersButton->isEnabled() && f.progressBar->isVisible();
        f.cooperativeButton->setChecked(true); // as if it slipped through
        f.prunePlayers();
    });
    const auto result = f.rankStatsFile();
    EXPECT_TRUE(sawHeldOff);
    EXPECT_EQ(f.gameType(), QStringLiteral("Adversarial"));
    EXPECT_EQ(readStats(QStringLiteral("stats.log")).size(), 20u); // not pruned meanwhile
    EXPECT_EQ(f.progressBar->maximum(), 20);
    EXPECT_EQ(f.progressBar->value(), 19); // p18 has 0 kills and is written last
    EXPECT_EQ(result.lastPosition, 19);
    EXPECT_TRUE(f.deletePlayersButton->isEnabled());
    EXPECT_TRUE(f.adversarialButton->isEnabled());
    EXPECT_FALSE(f.rankingInProgress());
    EXPECT_TRUE(f.progressBar->isHidden());

    f.RankKeyBox->setEditText(QStringLiteral("Kills per game"));
    EXPECT_THROW(f.rankStatsFile(), Error);
    EXPECT_EQ(readStats(QStringLiteral("stats.log")).size(), 20u);
}

TEST(UtilitiesWindow, LinksOpenInTheDesktop) {
    Window w;
    w.open();
    QTest::mouseClick(w.form->logoLabel, Qt::LeftButton);
    QTest::mouseClick(w.form->ForumLink, Qt::LeftButton);
    QTest::mouseClick(w.form->EmailLink, Qt::LeftButton);
    // Only the addresses the build sets are opened; an empty one opens nothing.
    QStringList expected;
    if (!utilities::homePage().isEmpty())
        expected << utilities::homePage();
    if (!utilities::supportForumPage().isEmpty())
        expected << utilities::supportForumPage();
    if (!utilities::authorEmail().isEmpty())
        expected << QStringLiteral("mailto:") + utilities::authorEmail();
    EXPECT_EQ(w.shell.opened, expected);
}
