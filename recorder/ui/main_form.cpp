#include "main_form.h"

#include "elided_label.h"
#include "live_stats_setup.h"

#include "platform/app_icon.h"
#include "platform/app_title.h"
#include "platform/dialogs.h"
#include "platform/sound.h"
#include "platform/window_placement.h"
#include "recorder/session/utilities_launch.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace vantor::recorder {

namespace {
const QString kRecorderOff = QStringLiteral("Recorder is OFF");
const QString kRecording = QStringLiteral("Recording Players Stats");
} // namespace

TForm1::TForm1(RecorderEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      env_(std::move(env)), ownSound_(env_.sound ? nullptr : std::make_unique<QtSoundPlayer>()),
      session_(*env_.dialogs, SettingsStore(env_.settingsPath), env_.gameKey,
               env_.sound ? *env_.sound : *ownSound_, std::move(env_.tick)) {
    session_.setJournaled(env_.journaled);
    setWindowTitle(recorderCaption());
    setWindowIcon(applicationIcon());

    GroupBox1 = new QGroupBox(QStringLiteral(" Recorder Status "), this);
    CheckBox1 = new QCheckBox(kRecorderOff, GroupBox1);
    CheckBox2 = new QCheckBox(QStringLiteral("Enable Auto-Record on Recorder Startup"), GroupBox1);
    CheckBox3 = new QCheckBox(QStringLiteral("Enable Live Stats"), GroupBox1);
    Label1 = new QLabel(QStringLiteral("Rogue Spear Directory:"), GroupBox1);
    Label2 = new ElidedLabel(GroupBox1);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label3 = new QLabel(recorderReleaseText(), GroupBox1);
    Label4 = new QLabel(QStringLiteral("6/10/00"), GroupBox1);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    Label3->setFont(small);
    Label4->setFont(small);
    Button3 = new QPushButton(QStringLiteral("Live Stats Setup"), GroupBox1);
    Button2 = new QPushButton(QStringLiteral("Vantor Utilities"), this);
    Button1 = new QPushButton(QStringLiteral("Exit"), this);
    // Return presses the button that has the focus, as Space does.
    for (QPushButton* b : {Button1, Button2, Button3})
        b->setAutoDefault(true);
    showRecording(false);

    auto* frame = new QVBoxLayout(GroupBox1);
    frame->addWidget(CheckBox1);
    frame->addWidget(CheckBox2);
    frame->addWidget(CheckBox3);
    frame->addSpacing(6);
    frame->addWidget(Label1);
    frame->addWidget(Label2);
    auto* build = new QHBoxLayout;
    build->addWidget(Label3);
    build->addStretch();
    build->addWidget(Label4);
    frame->addLayout(build);
    frame->addWidget(Button3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(GroupBox1);
    top->addLayout(buttons);

    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::toggled, &session_, &RecorderSession::setLiveStats);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(&session_, &RecorderSession::recordingChanged, this, &TForm1::showRecording);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm1::focusMoved);

    setFixedSize(qMax(sizeHint().width(), 340), sizeHint().height());
    centreOnScreen(*this);

    Form2 = std::make_unique<TForm2>(session_.store(), *env_.dialogs);
    connect(Form2.get(), &TForm2::settingsSaved, this, [this] { CheckBox3->setEnabled(true); });
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Start-up is the first activation, whether or not the desktop gives us the focus.
    lastFocus_ = windowHandle();
    QTimer::singleShot(0, this, &TForm1::FormActivate);
}

void TForm1::focusMoved(QWindow* window) {
    if (!window)
        return; // another program took the focus; coming back from it is no activation
    const bool cameBack = window == windowHandle() && lastFocus_ != window;
    lastFocus_ = window;
    if (cameBack)
        QTimer::singleShot(0, this, &TForm1::FormActivate);
}

void TForm1::FormActivate() {
    // A message box shown here reactivates the window when it closes.
    if (activating_)
        return;
    activating_ = true;
    const auto done = qScopeGuard([this] { activating_ = false; });

    session_.activate();
    if (!session_.activation().hasHostName())
        CheckBox3->setEnabled(false);
    Label1->setText(QStringLiteral("Path to Rogue Spear Directory:"));
    Label2->setFullText(gameFolder());
    if (!autoRecord()) {
        CheckBox2->setChecked(false);
    } else {
        CheckBox2->setChecked(true);
        CheckBox1->setChecked(true);
    }
    QCoreApplication::processEvents();
    session_.deleteStaleFiles();
}

void TForm1::CheckBox1Click() {
    if (!session_.setRecording(CheckBox1->isChecked(), activating_)) {
        const QSignalBlocker quiet(CheckBox1);
        CheckBox1->setChecked(false);
    }
}

void TForm1::showRecording(bool recording) {
    Button2->setEnabled(!recording);
    CheckBox1->setText(recording ? kRecording : kRecorderOff);
    QPalette p = CheckBox1->palette();
    p.setColor(QPalette::WindowText, recording ? QColor(Qt::red) : QColor(Qt::black));
    CheckBox1->setPalette(p);
    // The taskbar shows the window's title: while recording it is the application's.
    setWindowTitle(recording ? applicationTitle() : recorderCaption());
}

void TForm1::CheckBox2Click() {
    session_.setAutoRecord(CheckBox2->isChecked());
}

void TForm1::Button1Click() {
    close();
}

void TForm1::Button2Click() {
    const QString folder =
        env_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : env_.programFolder;
    const QString problem =
        startUtilities(*env_.shell, folder, env_.searchPath, QDir::currentPath());
    if (!problem.isEmpty())
        env_.dialogs->information(problem);
}

void TForm1::Button3Click() {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
    Form2->fillFromSettings();
}

void TForm1::closeEvent(QCloseEvent* event) {
    session_.stop();
    Form2->hide();
    event->accept();
    QCoreApplication::quit();
}

} // namespace vantor::recorder
