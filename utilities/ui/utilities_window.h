#pragma once

#include "ftp/ftp_settings.h"
#include "history/journaled/journaled_changes.h"
#include "stats/ranking.h"
#include "utilities/core/page_creation.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace vantor {
class Dialogs;
class SettingsStore;
class Shell;
class FtpClient;
} // namespace vantor

namespace vantor::utilities {

class LinkLabel;
class UploadStatusWindow;

// The character a Backspace types: the key handlers take characters.
inline constexpr int kBackspaceChar = 8;

// The utilities' main window: the game type switch, the three pages and the footer. The
// handlers are named for what the user asked; the work itself is done by the core.
class UtilitiesWindow : public QWidget {
    Q_OBJECT
public:
    UtilitiesWindow(Dialogs& dialogs, Shell& shell, const SettingsStore& settings,
                    QWidget* parent = nullptr);
    // Changes of the stats files go into the game history (the program's window).
    void setJournaled(bool on) { journaled_ = on; }

    // Runs on the first showing and whenever the window becomes active again coming back
    // from another (non-modal) window of the program; not after a message box.
    void onActivated();
    // The comment and file name lists from the settings store.
    void readRecentEntries();
    void chooseAdversarial();
    void chooseCooperative();
    void showPage(int index);
    void exitProgram(); // "Exit"

    void refreshPlayers();       // "Refresh Players"
    void deleteSelectedPlayer(); // "Delete Player"
    void playerListKeyPress(int key);
    void prunePlayers();    // "Delete Players"
    void deleteStatsFile(); // "Delete Player Stats File"

    void savePage();     // "Save": the HTML stats page
    void clearComment(); // "Clear": empties the comment
    void viewRankings(); // "View Player Rankings"

    void transmit();     // "Transmit"
    void saveSettings(); // "Save Settings"
    void deletePage();   // "Delete"
    void pageListKeyPress(int key);
    // Re-reads the "*.html" files of the data folder into the upload list: call it after a page
    // has been written. Before the "FTP Upload" page is first shown there is nothing to re-read.
    void refreshPageList();

    // Ranks the current game type's stats file by the "Rank Players by:" text, moving the
    // progress bar, which is visible meanwhile. The game type switch and "Delete Players" are
    // held off; the caller disables its own controls. Throws vantor::Error.
    stats::RankResult rankStatsFile();
    // Whether the window's changes go into the game history (the program's window does), its
    // warnings said as the window's errors.
    history::Journaling journaling();
    bool rankingInProgress() const { return ranking_; }

    const QString& gameType() const { return gameType_; }
    // The stats file the last operation bound, empty before the first.
    const QString& statsFile() const { return statsFile_; }

    // The histories behind the comment and file name lists, entry 1 first.
    QStringList recentComments;
    QStringList recentFiles;

    // The controls, reachable like a form's fields by the page handlers.
    LinkLabel* logoLabel = nullptr;
    QRadioButton* adversarialButton = nullptr; // "Adversarial"
    QRadioButton* cooperativeButton = nullptr; // "Cooperative"
    QProgressBar* progressBar = nullptr;
    QTabBar* pageTabs = nullptr;
    QGroupBox* playerDataGroup = nullptr;  // " Player Data Utilities "
    QGroupBox* htmlGroup = nullptr;        // " HTML File Creation "
    QGroupBox* ftpGroup = nullptr;         // " FTP Upload "
    QPushButton* rankingsButton = nullptr; // "View Player Rankings"
    QPushButton* exitButton = nullptr;     // "Exit"
    QLabel* CreditLabel = nullptr;
    LinkLabel* ForumLink = nullptr;
    LinkLabel* EmailLink = nullptr;

    QListWidget* playerList = nullptr;
    QLabel* GameTypeLabel1 = nullptr;
    QLabel* PlayerCountLabel1 = nullptr;
    QPushButton* refreshButton = nullptr;
    QPushButton* deletePlayerButton = nullptr;
    QPushButton* deletePlayersButton = nullptr;
    QLineEdit* CountEdit = nullptr;
    QComboBox* MeasureBox = nullptr;
    QPushButton* deleteStatsFileButton = nullptr;

    QComboBox* RankKeyBox = nullptr;
    QLabel* GameTypeLabel2 = nullptr;
    QLabel* PlayerCountLabel2 = nullptr;
    QComboBox* CommentBox = nullptr;
    QPushButton* clearButton = nullptr; // "Clear"
    QComboBox* FileNameBox = nullptr;
    QPushButton* saveButton = nullptr; // "Save"

    QLineEdit* HostName = nullptr;
    QLineEdit* HostPort = nullptr;
    QLineEdit* UserName = nullptr;
    QLineEdit* Password = nullptr;
    QCheckBox* ShowPassword = nullptr; // the password as typed, instead of dots
    QLineEdit* HostDir = nullptr;
    QCheckBox* PassiveMode = nullptr;
    QCheckBox* SecureConnection = nullptr;
    QLineEdit* CertFingerprint = nullptr;
    QListWidget* pageFileList = nullptr;
    QPushButton* transmitButton = nullptr;     // "Transmit"
    QPushButton* deletePageButton = nullptr;   // "Delete"
    QPushButton* saveSettingsButton = nullptr; // "Save Settings"
    FtpClient* ftpClient = nullptr;
    UploadStatusWindow* statusWindow =
        nullptr; // the upload status window, hidden until an upload starts

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildPlayerPage();
    void buildHtmlPage();
    void buildFtpPage();
    void buildFooter();
    void connectHandlers();
    void connectFtpPage();

    void setGameType(const QString& gameType);
    // Lists the bound stats file's players; when it cannot be opened the counts read 0 if
    // zeroWhenMissing, else stay as they were.
    void listPlayers(bool zeroWhenMissing);
    void setPlayerCount(qsizetype count);
    void loadFtpFields();
    // The FTP fields of the page as settings.
    FtpSettings ftpFields() const;
    void readHtmlFileList();
    void openLink(const QString& target);
    // While a page is made: disables its controls and returns them with their states before.
    std::vector<std::pair<QWidget*, bool>> holdOffDuringPage();
    void releaseAfterPage(const std::vector<std::pair<QWidget*, bool>>& held);
    PageCreation pageMaker();
    // Both boxes list their histories, entry 1 first, and show no text.
    void showRecentEntries();
    // Shows what a handler throws in the error box, as the application would.
    void guarded(const std::function<void()>& handler);

    Dialogs& dialogs_;
    bool journaled_ = false;
    Shell& shell_;
    const SettingsStore& settings_;
    QString gameType_;
    QString statsFile_;
    bool ranking_ = false;
    bool activatedOnce_ = false;
    bool leftForOwnWindow_ = false;
    bool htmlListRead_ = false;
    bool uploading_ = false;
};

} // namespace vantor::utilities
