#include "utilities_window.h"

#include "link_label.h"

#include "stats/game_type.h"
#include "utilities/core/author.h"

#include "common/error.h"
#include "common/record_file.h"
#include "platform/app_icon.h"
#include "platform/dialogs.h"
#include "platform/guarded_application.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/window_placement.h"
#include "utilities/core/ftp_upload.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabBar>
#include <limits>

namespace vantor::utilities {

namespace {
enum Tab { PlayerDataTab = 0, HtmlTab = 1, FtpTab = 2 };

int clampToInt(std::int64_t v) {
    return int(std::min<std::int64_t>(v, std::numeric_limits<int>::max()));
}
} // namespace

UtilitiesWindow::UtilitiesWindow(Dialogs& dialogs, Shell& shell, const SettingsStore& settings,
                                 QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), shell_(shell), settings_(settings) {
    setWindowIcon(applicationIcon());
    buildWindow();
    connectHandlers();
    connectFtpPage();
    centreOnScreen(*this);
}

void UtilitiesWindow::connectHandlers() {
    connect(adversarialButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chooseAdversarial();
    });
    connect(cooperativeButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chooseCooperative();
    });
    connect(pageTabs, &QTabBar::currentChanged, this, &UtilitiesWindow::showPage);
    connect(exitButton, &QPushButton::clicked, this, &UtilitiesWindow::exitProgram);
    connect(refreshButton, &QPushButton::clicked, this, &UtilitiesWindow::refreshPlayers);
    connect(deletePlayerButton, &QPushButton::clicked, this,
            &UtilitiesWindow::deleteSelectedPlayer);
    connect(deletePlayersButton, &QPushButton::clicked, this, &UtilitiesWindow::prunePlayers);
    connect(deleteStatsFileButton, &QPushButton::clicked, this, &UtilitiesWindow::deleteStatsFile);
    connect(saveButton, &QPushButton::clicked, this, &UtilitiesWindow::savePage);
    connect(clearButton, &QPushButton::clicked, this, &UtilitiesWindow::clearComment);
    connect(rankingsButton, &QPushButton::clicked, this, &UtilitiesWindow::viewRankings);
    playerList->installEventFilter(this);
    // An address the build leaves empty is no link: its label is hidden, the logo opens nothing.
    connect(logoLabel, &LinkLabel::clicked, this, [this] {
        if (!homePage().isEmpty())
            openLink(homePage());
    });
    connect(ForumLink, &LinkLabel::clicked, this, [this] {
        if (!supportForumPage().isEmpty())
            openLink(supportForumPage());
    });
    connect(EmailLink, &LinkLabel::clicked, this, [this] {
        if (!authorEmail().isEmpty())
            openLink(QStringLiteral("mailto:") + authorEmail());
    });
}

void UtilitiesWindow::guarded(const std::function<void()>& handler) {
    reportFailures(dialogs_, handler);
}

bool UtilitiesWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        // The window that takes over is already the active one. Only another window of ours
        // that is not modal counts: coming back from a message box or from another program
        // is no activation of this form.
        const QWidget* next = QApplication::activeWindow();
        leftForOwnWindow_ = next && next != this && !next->isModal();
    } else if (event->type() == QEvent::WindowActivate) {
        const bool activate = !activatedOnce_ || leftForOwnWindow_;
        leftForOwnWindow_ = false;
        if (activate)
            onActivated();
    }
    return QWidget::event(event);
}

void UtilitiesWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first showing activates the form even where no window manager hands it the focus.
    if (!activatedOnce_)
        onActivated();
}

void UtilitiesWindow::onActivated() {
    activatedOnce_ = true;
    FileNameBox->clear();
    FileNameBox->clearEditText();
    CommentBox->clear();
    CommentBox->clearEditText();
    readRecentEntries();
    chooseAdversarial();
}

void UtilitiesWindow::readRecentEntries() {
    guarded([&] {
        const RecentPageEntries h = loadRecentEntries(settings_);
        recentComments = h.comments.entries();
        recentFiles = h.files.entries();
        showRecentEntries();
    });
}

void UtilitiesWindow::chooseAdversarial() {
    if (!adversarialButton->isChecked() || ranking_)
        return;
    setGameType(kAdversarialText);
}

void UtilitiesWindow::chooseCooperative() {
    if (!cooperativeButton->isChecked() || ranking_)
        return;
    setGameType(kCooperativeText);
}

void UtilitiesWindow::setGameType(const QString& gameType) {
    gameType_ = gameType;
    GameTypeLabel1->setText(stats::gameTypeLabelText(gameType));
    GameTypeLabel2->setText(stats::gameTypeLabelText(gameType));
    refreshPlayers();
}

void UtilitiesWindow::showPage(int index) {
    guarded([&] {
        playerDataGroup->setVisible(index == PlayerDataTab);
        htmlGroup->setVisible(index == HtmlTab);
        ftpGroup->setVisible(index == FtpTab);
        if (index == PlayerDataTab) {
            playerList->show();
        } else if (index == HtmlTab) {
            CommentBox->show();
        } else if (index == FtpTab) {
            removeQuietly(kRankingsPage);
            loadFtpFields();
            if (!htmlListRead_)
                readHtmlFileList();
        }
    });
}

void UtilitiesWindow::loadFtpFields() {
    const FtpSettings s = readFtpSettings(settings_, true);
    HostName->setText(s.hostName);
    HostPort->setText(s.port);
    UserName->setText(s.userName);
    Password->setText(s.password);
    HostDir->setText(s.hostDirName);
    PassiveMode->setChecked(s.passive);
    SecureConnection->setChecked(s.tls);
    CertFingerprint->setText(s.certSha256);
}

FtpSettings UtilitiesWindow::ftpFields() const {
    FtpSettings s;
    s.hostName = HostName->text();
    s.port = HostPort->text();
    s.userName = UserName->text();
    s.password = Password->text();
    s.hostDirName = HostDir->text();
    s.passive = PassiveMode->isChecked();
    s.tls = SecureConnection->isChecked();
    s.certSha256 = CertFingerprint->text().trimmed();
    return s;
}

void UtilitiesWindow::readHtmlFileList() {
    htmlListRead_ = true;
    pageFileList->clear();
    pageFileList->addItems(
        QDir::current().entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name));
}

void UtilitiesWindow::openLink(const QString& target) {
    shell_.open(target);
}

void UtilitiesWindow::exitProgram() {
    close();
    QCoreApplication::quit();
}

stats::RankResult UtilitiesWindow::rankStatsFile() {
    // The game type switch and "Delete Players" would change the file or its binding under
    // the ranking, which lets the window process events while it runs.
    std::vector<std::pair<QWidget*, bool>> heldOff;
    for (QWidget* w :
         {static_cast<QWidget*>(adversarialButton), static_cast<QWidget*>(cooperativeButton),
          static_cast<QWidget*>(deletePlayersButton), static_cast<QWidget*>(CountEdit),
          static_cast<QWidget*>(MeasureBox)}) {
        heldOff.emplace_back(w, w->isEnabled());
        w->setEnabled(false);
    }
    ranking_ = true;
    // The bar shows while a ranking runs; a caller that showed it first hides it itself.
    const bool barWasHidden = progressBar->isHidden();
    progressBar->show();
    const auto release = qScopeGuard([&] {
        for (const auto& [w, enabled] : heldOff)
            w->setEnabled(enabled);
        if (barWasHidden)
            progressBar->hide();
        ranking_ = false;
    });

    statsFile_ = statsFileName(gameType_);
    if (statsFile_.isEmpty())
        throw Error(stats::kSelectGameTypeMessage);
    return journaled::rankStatsFile(
        journaling(), statsFile_, RankKeyBox->currentText(),
        [this](std::int64_t maximum, std::int64_t position) {
            progressBar->setMaximum(clampToInt(maximum));
            progressBar->setValue(clampToInt(position));
        },
        [] { QCoreApplication::processEvents(); });
}

history::Journaling UtilitiesWindow::journaling() {
    return {journaled_, [this](const QString& text) { dialogs_.error(text); }};
}

} // namespace vantor::utilities
