#include "recorder_window.h"

#include "elided_label.h"
#include "live_stats_setup_window.h"

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

RecorderWindow::RecorderWindow(RecorderEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      env_(std::move(env)), ownSound_(env_.sound ? nullptr : std::make_unique<QtSoundPlayer>()),
      session_(*env_.dialogs, SettingsStore(env_.settingsPath), env_.gameKey,
               env_.sound ? *env_.sound : *ownSound_, std::move(env_.tick)) {
    session_.setJournaled(env_.journaled);
    setWindowTitle(recorderCaption());
    setWindowIcon(applicationIcon());

    statusGroup = new QGroupBox(QStringLiteral(" Recorder Status "), this);
    recordingBox = new QCheckBox(kRecorderOff, statusGroup);
    autoRecordBox =
        new QCheckBox(QStringLiteral("Enable Auto-Record on Recorder Startup"), statusGroup);
    liveStatsBox = new QCheckBox(QStringLiteral("Enable Live Stats"), statusGroup);
    headingLabel = new QLabel(QStringLiteral("Rogue Spear Directory:"), statusGroup);
    gameFolderLabel = new ElidedLabel(statusGroup);
    gameFolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buildNumberLabel = new QLabel(recorderReleaseText(), statusGroup);
    buildDateLabel = new QLabel(QStringLiteral("6/10/00"), statusGroup);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    buildNumberLabel->setFont(small);
    buildDateLabel->setFont(small);
    setupButton = new QPushButton(QStringLiteral("Live Stats Setup"), statusGroup);
    utilitiesButton = new QPushButton(QStringLiteral("Vantor Utilities"), this);
    exitButton = new QPushButton(QStringLiteral("Exit"), this);
    // Return presses the button that has the focus, as Space does.
    for (QPushButton* b : {exitButton, utilitiesButton, setupButton})
        b->setAutoDefault(true);
    showRecording(false);

    auto* frame = new QVBoxLayout(statusGroup);
    frame->addWidget(recordingBox);
    frame->addWidget(autoRecordBox);
    frame->addWidget(liveStatsBox);
    frame->addSpacing(6);
    frame->addWidget(headingLabel);
    frame->addWidget(gameFolderLabel);
    auto* build = new QHBoxLayout;
    build->addWidget(buildNumberLabel);
    build->addStretch();
    build->addWidget(buildDateLabel);
    frame->addLayout(build);
    frame->addWidget(setupButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(utilitiesButton);
    buttons->addWidget(exitButton);
    auto* top = new QVBoxLayout(this);
    top->addWidget(statusGroup);
    top->addLayout(buttons);

    connect(recordingBox, &QCheckBox::toggled, this, &RecorderWindow::toggleRecording);
    connect(autoRecordBox, &QCheckBox::toggled, this, &RecorderWindow::toggleAutoRecord);
    connect(liveStatsBox, &QCheckBox::toggled, &session_, &RecorderSession::setLiveStats);
    connect(exitButton, &QPushButton::clicked, this, &RecorderWindow::exitProgram);
    connect(utilitiesButton, &QPushButton::clicked, this, &RecorderWindow::openUtilities);
    connect(setupButton, &QPushButton::clicked, this, &RecorderWindow::showLiveStatsSetup);
    connect(&session_, &RecorderSession::recordingChanged, this, &RecorderWindow::showRecording);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &RecorderWindow::focusMoved);

    setFixedSize(qMax(sizeHint().width(), 340), sizeHint().height());
    centreOnScreen(*this);

    setupWindow_ = std::make_unique<LiveStatsSetupWindow>(session_.store(), *env_.dialogs);
    connect(setupWindow_.get(), &LiveStatsSetupWindow::settingsSaved, this,
            [this] { liveStatsBox->setEnabled(true); });
}

RecorderWindow::~RecorderWindow() = default;

void RecorderWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Start-up is the first activation, whether or not the desktop gives us the focus.
    lastFocus_ = windowHandle();
    QTimer::singleShot(0, this, &RecorderWindow::onActivated);
}

void RecorderWindow::focusMoved(QWindow* window) {
    if (!window)
        return; // another program took the focus; coming back from it is no activation
    const bool cameBack = window == windowHandle() && lastFocus_ != window;
    lastFocus_ = window;
    if (cameBack)
        QTimer::singleShot(0, this, &RecorderWindow::onActivated);
}

void RecorderWindow::onActivated() {
    // A message box shown here reactivates the window when it closes.
    if (activating_)
        return;
    activating_ = true;
    const auto done = qScopeGuard([this] { activating_ = false; });

    session_.activate();
    if (!session_.activation().hasHostName())
        liveStatsBox->setEnabled(false);
    headingLabel->setText(QStringLiteral("Path to Rogue Spear Directory:"));
    gameFolderLabel->setFullText(gameFolder());
    if (!autoRecord()) {
        autoRecordBox->setChecked(false);
    } else {
        autoRecordBox->setChecked(true);
        recordingBox->setChecked(true);
    }
    QCoreApplication::processEvents();
    session_.deleteStaleFiles();
}

void RecorderWindow::toggleRecording() {
    if (!session_.setRecording(recordingBox->isChecked(), activating_)) {
        const QSignalBlocker quiet(recordingBox);
        recordingBox->setChecked(false);
    }
}

void RecorderWindow::showRecording(bool recording) {
    utilitiesButton->setEnabled(!recording);
    recordingBox->setText(recording ? kRecording : kRecorderOff);
    QPalette p = recordingBox->palette();
    p.setColor(QPalette::WindowText, recording ? QColor(Qt::red) : QColor(Qt::black));
    recordingBox->setPalette(p);
    // The taskbar shows the window's title: while recording it is the application's.
    setWindowTitle(recording ? applicationTitle() : recorderCaption());
}

void RecorderWindow::toggleAutoRecord() {
    session_.setAutoRecord(autoRecordBox->isChecked());
}

void RecorderWindow::exitProgram() {
    close();
}

void RecorderWindow::openUtilities() {
    const QString folder =
        env_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : env_.programFolder;
    const QString problem =
        startUtilities(*env_.shell, folder, env_.searchPath, QDir::currentPath());
    if (!problem.isEmpty())
        env_.dialogs->information(problem);
}

void RecorderWindow::showLiveStatsSetup() {
    setupWindow_->show();
    setupWindow_->raise();
    setupWindow_->activateWindow();
    setupWindow_->fillFromSettings();
}

void RecorderWindow::closeEvent(QCloseEvent* event) {
    session_.stop();
    setupWindow_->hide();
    event->accept();
    QCoreApplication::quit();
}

} // namespace vantor::recorder
