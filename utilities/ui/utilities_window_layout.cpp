// The window's controls and where they sit: a fixed dialog-like window whose controls keep
// their places and sizes in pixels, laid out by hand.
#include "utilities_window.h"

#include "link_label.h"
#include "logo.h"

#include "common/data_files.h"
#include "platform/app_title.h"
#include "stats/rank_keys.h"
#include "utilities/core/author.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace vantor::utilities {

namespace {

// The pages, the tab bar above them and the footer below share the window's inner width.
constexpr int kPageWidth = 346;
// Every page as tall as the FTP page needs, with the buttons and the footer below them.
constexpr int kPageTop = 148;
constexpr int kPageHeight = 246;
constexpr int kButtonsTop = kPageTop + kPageHeight + 4;
constexpr int kFooterTop = kButtonsTop + 28;
constexpr int kWindowHeight = kFooterTop + 49;
// The FTP settings' text fields.
constexpr int kFieldWidth = 120;
// The heights of a label and a push button unless one asks for another.
constexpr int kLabelHeight = 16;
constexpr int kButtonHeight = 23;

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h = kLabelHeight) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w,
                    int h = kButtonHeight) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QGroupBox* page(QWidget* parent, const QString& title) {
    auto* g = new QGroupBox(title, parent);
    g->setGeometry(8, kPageTop, kPageWidth, kPageHeight);
    QFont bold = g->font();
    bold.setBold(true);
    g->setFont(bold);
    return g;
}

// Only the caption of a group box is bold; its controls take the plain font back.
void plainChildren(QGroupBox* box, QFont plain) {
    plain.setBold(false);
    for (auto* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setFont(plain);
}

QComboBox* editableList(QWidget* parent, int x, int y, int w) {
    auto* c = new QComboBox(parent);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setGeometry(x, y, w, 22);
    return c;
}

QLineEdit* field(QWidget* parent, int x, int y) {
    auto* e = new QLineEdit(parent);
    e->setGeometry(x, y, kFieldWidth, 21);
    return e;
}

} // namespace

void UtilitiesWindow::buildWindow() {
    setWindowTitle(utilitiesCaption());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(362, kWindowHeight);
    QFont verdana(QStringLiteral("Verdana"), 8);
    setFont(verdana);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(silver);
    setAutoFillBackground(true);

    logoLabel = named(new LinkLabel(this), "logoLabel");
    logoLabel->setGeometry(9, 4, 343, 97);
    logoLabel->setPixmap(QPixmap::fromImage(logoImage()));
    if (homePage().isEmpty())
        logoLabel->setCursor(Qt::ArrowCursor);

    QFont bold = verdana;
    bold.setBold(true);
    adversarialButton = named(new QRadioButton(kAdversarialText, this), "adversarialButton");
    adversarialButton->setGeometry(10, 104, 100, 20);
    adversarialButton->setFont(bold);
    adversarialButton->setChecked(true);
    cooperativeButton = named(new QRadioButton(kCooperativeText, this), "cooperativeButton");
    cooperativeButton->setGeometry(112, 104, 104, 20);
    cooperativeButton->setFont(bold);
    progressBar = named(new QProgressBar(this), "progressBar");
    progressBar->setGeometry(220, 107, 132, 14);
    progressBar->setTextVisible(false);
    progressBar->setRange(0, 0);
    progressBar->setValue(0);
    progressBar->hide();

    pageTabs = named(new QTabBar(this), "pageTabs");
    pageTabs->setGeometry(8, 126, kPageWidth, 22);
    pageTabs->setExpanding(false);
    pageTabs->addTab(QStringLiteral("Player Data Utilities"));
    pageTabs->addTab(QStringLiteral("HTML File Creation"));
    pageTabs->addTab(QStringLiteral("FTP Upload"));

    buildPlayerPage();
    buildHtmlPage();
    buildFtpPage();
    for (auto* g : {playerDataGroup, htmlGroup, ftpGroup})
        plainChildren(g, verdana);
    htmlGroup->hide();
    ftpGroup->hide();

    rankingsButton =
        named(button(this, QStringLiteral("View Player Rankings"), 8, kButtonsTop, 170, 24),
              "rankingsButton");
    exitButton =
        named(button(this, QStringLiteral("Exit"), 272, kButtonsTop, 82, 24), "exitButton");
    buildFooter();
    // Return presses the button that has the focus, as Space does.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(true);
}

void UtilitiesWindow::buildPlayerPage() {
    playerDataGroup =
        named(page(this, QStringLiteral(" Player Data Utilities ")), "playerDataGroup");
    auto* g = playerDataGroup;
    playerList = named(new QListWidget(g), "playerList");
    playerList->setGeometry(8, 18, 160, 138);
    playerList->setSelectionMode(QAbstractItemView::SingleSelection);
    deleteStatsFileButton =
        named(button(g, QStringLiteral("Delete Player Stats File"), 8, 162, 160),
              "deleteStatsFileButton");

    GameTypeLabel1 = named(label(g, QStringLiteral("....."), 176, 18, 162), "GameTypeLabel1");
    PlayerCountLabel1 =
        named(label(g, QStringLiteral("Total Players: 0"), 176, 36, 162), "PlayerCountLabel1");
    refreshButton =
        named(button(g, QStringLiteral("Refresh Players"), 176, 56, 150), "refreshButton");
    deletePlayerButton =
        named(button(g, QStringLiteral("Delete Player"), 176, 82, 150), "deletePlayerButton");
    deletePlayersButton =
        named(button(g, QStringLiteral("Delete Players"), 176, 112, 150), "deletePlayersButton");
    label(g, QStringLiteral("With"), 176, 140, 30, 18);
    CountEdit = named(new QLineEdit(g), "CountEdit");
    CountEdit->setGeometry(206, 138, 40, 21);
    label(g, QStringLiteral("or Less"), 252, 140, 70, 18);
    MeasureBox = named(editableList(g, 176, 162, 150), "MeasureBox");
    MeasureBox->addItems({QStringLiteral("Games Played"), QStringLiteral("Skill Points")});
    MeasureBox->setEditText(QStringLiteral("Skill Points"));
}

void UtilitiesWindow::buildHtmlPage() {
    htmlGroup = named(page(this, QStringLiteral(" HTML File Creation ")), "htmlGroup");
    auto* g = htmlGroup;
    label(g, QStringLiteral("Rank Players by:"), 8, 20, 100, 18);
    RankKeyBox = named(editableList(g, 110, 17, 150), "RankKeyBox");
    RankKeyBox->addItems(stats::rankKeyTexts());
    RankKeyBox->setEditText(QStringLiteral("Skill Points"));
    GameTypeLabel2 =
        named(label(g, QStringLiteral("Adversarial Players"), 8, 44, 168), "GameTypeLabel2");
    PlayerCountLabel2 =
        named(label(g, QStringLiteral("Total Players: 0"), 180, 44, 158), "PlayerCountLabel2");
    label(g, QStringLiteral("Add Comment to html:"), 8, 66, 200);
    CommentBox = named(editableList(g, 8, 84, 270), "CommentBox");
    clearButton = named(button(g, QStringLiteral("Clear"), 284, 84, 54, 22), "clearButton");
    label(g, QStringLiteral("Enter file name below, then press Save"), 8, 114, 330);
    label(g, QStringLiteral("(example: MyStats.html )"), 8, 130, 330);
    FileNameBox = named(editableList(g, 8, 150, 270), "FileNameBox");
    saveButton = named(button(g, QStringLiteral("Save"), 284, 150, 54, 22), "saveButton");
}

void UtilitiesWindow::buildFtpPage() {
    ftpGroup = named(page(this, QStringLiteral(" FTP Upload ")), "ftpGroup");
    auto* g = ftpGroup;
    const QStringList captions = {QStringLiteral("Host Address:"), QStringLiteral("Port:"),
                                  QStringLiteral("Login:"), QStringLiteral("Password:"),
                                  QStringLiteral("Initial Path:")};
    QLineEdit** fields[] = {&HostName, &HostPort, &UserName, &Password, &HostDir};
    const char* names[] = {"HostName", "HostPort", "UserName", "Password", "HostDir"};
    for (int i = 0; i < 5; ++i) {
        label(g, captions[i], 8, 22 + 24 * i, 78, 18);
        *fields[i] = named(field(g, 88, 20 + 24 * i), names[i]);
    }
    Password->setEchoMode(QLineEdit::Password);
    ShowPassword = named(new QCheckBox(QStringLiteral("Show"), g), "ShowPassword");
    ShowPassword->setGeometry(8, 146, 76, 20);
    saveSettingsButton =
        named(button(g, QStringLiteral("Save Settings"), 88, 146, 120), "saveSettingsButton");
    label(g, QStringLiteral("Select .html file Below"), 216, 20, 124);
    pageFileList = named(new QListWidget(g), "pageFileList");
    pageFileList->setGeometry(216, 38, 122, 102);
    pageFileList->setSelectionMode(QAbstractItemView::SingleSelection);
    transmitButton = named(button(g, QStringLiteral("Transmit"), 216, 146, 60), "transmitButton");
    deletePageButton = named(button(g, QStringLiteral("Delete"), 280, 146, 58), "deletePageButton");
    // The connection choices, below the rest.
    PassiveMode = named(new QCheckBox(QStringLiteral("Passive mode"), g), "PassiveMode");
    PassiveMode->setGeometry(8, 172, 100, 20);
    SecureConnection =
        named(new QCheckBox(QStringLiteral("Secure connection (TLS)"), g), "SecureConnection");
    SecureConnection->setGeometry(112, 172, 226, 20);
    label(g, QStringLiteral("Certificate fingerprint:"), 8, 196, 330, 18);
    CertFingerprint = named(field(g, 8, 216), "CertFingerprint");
    CertFingerprint->resize(330, 21);
}

void UtilitiesWindow::buildFooter() {
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, kFooterTop, kPageWidth, 44);
    CreditLabel = named(label(frame, creditLine(), 6, 4, 334), "CreditLabel");
    CreditLabel->setAlignment(Qt::AlignHCenter);
    ForumLink = named(new LinkLabel(frame), "ForumLink");
    ForumLink->setLinkText(QStringLiteral("Vantor Support Forum"));
    ForumLink->setGeometry(6, 22, 150, 16);
    EmailLink = named(new LinkLabel(frame), "EmailLink");
    EmailLink->setLinkText(authorEmail());
    EmailLink->setGeometry(160, 22, 180, 16);
    EmailLink->setAlignment(Qt::AlignRight);
    ForumLink->setVisible(!supportForumPage().isEmpty());
    EmailLink->setVisible(!authorEmail().isEmpty());
}

} // namespace vantor::utilities
