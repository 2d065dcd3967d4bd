#include "main_form.h"

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

TForm1::TForm1(Dialogs& dialogs, Shell& shell, const SettingsStore& settings, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), shell_(shell), settings_(settings) {
    setWindowIcon(applicationIcon());
    buildWindow();
    connectHandlers();
    connectFtpPage();
    centreOnScreen(*this);
}

void TForm1::connectHandlers() {
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });
    connect(TabControl1, &QTabBar::currentChanged, this, &TForm1::TabControl1Change);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    ListBox1->installEventFilter(this);
    // An address the build leaves empty is no link: its label is hidden, the logo opens nothing.
    connect(Image1, &LinkLabel::clicked, this, [this] {
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

void TForm1::guarded(const std::function<void()>& handler) {
    reportFailures(dialogs_, handler);
}

bool TForm1::event(QEvent* event) {
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
            FormActivate();
    }
    return QWidget::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first showing activates the form even where no window manager hands it the focus.
    if (!activatedOnce_)
        FormActivate();
}

void TForm1::FormActivate() {
    activatedOnce_ = true;
    FileNameBox->clear();
    FileNameBox->clearEditText();
    CommentBox->clear();
    CommentBox->clearEditText();
    getregistryinfo();
    RadioButton1Click();
}

void TForm1::getregistryinfo() {
    guarded([&] {
        const PageHistories h = loadHistories(settings_);
        commentHistory = h.comments.entries();
        fileHistory = h.files.entries();
        showHistories();
    });
}

void TForm1::RadioButton1Click() {
    if (!RadioButton1->isChecked() || ranking_)
        return;
    setGameType(kAdversarialText);
}

void TForm1::RadioButton2Click() {
    if (!RadioButton2->isChecked() || ranking_)
        return;
    setGameType(kCooperativeText);
}

void TForm1::setGameType(const QString& gameType) {
    gameType_ = gameType;
    GameTypeLabel1->setText(stats::gameTypeLabelText(gameType));
    GameTypeLabel2->setText(stats::gameTypeLabelText(gameType));
    Button5Click();
}

void TForm1::TabControl1Change(int index) {
    guarded([&] {
        GroupBox1->setVisible(index == PlayerDataTab);
        GroupBox2->setVisible(index == HtmlTab);
        GroupBox3->setVisible(index == FtpTab);
        if (index == PlayerDataTab) {
            ListBox1->show();
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

void TForm1::loadFtpFields() {
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

FtpSettings TForm1::ftpFields() const {
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

void TForm1::readHtmlFileList() {
    htmlListRead_ = true;
    FileListBox1->clear();
    FileListBox1->addItems(
        QDir::current().entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name));
}

void TForm1::openLink(const QString& target) {
    shell_.open(target);
}

void TForm1::Button2Click() {
    close();
    QCoreApplication::quit();
}

stats::RankResult TForm1::rankStatsFile() {
    // The game type switch and "Delete Players" would change the file or its binding under
    // the ranking, which lets the window process events while it runs.
    std::vector<std::pair<QWidget*, bool>> heldOff;
    for (QWidget* w : {static_cast<QWidget*>(RadioButton1), static_cast<QWidget*>(RadioButton2),
                       static_cast<QWidget*>(Button8), static_cast<QWidget*>(CountEdit),
                       static_cast<QWidget*>(MeasureBox)}) {
        heldOff.emplace_back(w, w->isEnabled());
        w->setEnabled(false);
    }
    ranking_ = true;
    // The bar shows while a ranking runs; a caller that showed it first hides it itself.
    const bool barWasHidden = ProgressBar1->isHidden();
    ProgressBar1->show();
    const auto release = qScopeGuard([&] {
        for (const auto& [w, enabled] : heldOff)
            w->setEnabled(enabled);
        if (barWasHidden)
            ProgressBar1->hide();
        ranking_ = false;
    });

    statsFile_ = statsFileName(gameType_);
    if (statsFile_.isEmpty())
        throw Error(stats::kSelectGameTypeMessage);
    return journaled::rankStatsFile(
        journaling(), statsFile_, RankKeyBox->currentText(),
        [this](std::int64_t maximum, std::int64_t position) {
            ProgressBar1->setMaximum(clampToInt(maximum));
            ProgressBar1->setValue(clampToInt(position));
        },
        [] { QCoreApplication::processEvents(); });
}

history::Journaling TForm1::journaling() {
    return {journaled_, [this](const QString& text) { dialogs_.error(text); }};
}

} // namespace vantor::utilities
