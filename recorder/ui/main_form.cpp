#include "main_form.h"

#include "live_stats_setup.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "ftp/ftp_client.h"
#include "platform/app_icon.h"
#include "platform/app_title.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "recorder/core/live_upload.h"
#include "recorder/core/result_log_files.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace vantor::recorder {

namespace {
const QString kRecorderOff = QStringLiteral("Recorder is OFF");
const QString kRecording = QStringLiteral("Recording Players Stats");
constexpr int kTickMs = 3000;
} // namespace

TForm1::TForm1(RecorderEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      env_(std::move(env)), store_(env_.settingsPath), cycle_(*env_.dialogs),
      activation_(*env_.dialogs, store_, env_.gameKey), live_(QStringLiteral("."), store_),
      recorderLock_(QStringLiteral(".")) {
    setWindowTitle(recorderCaption());
    setWindowIcon(applicationIcon());

    GroupBox1 = new QGroupBox(QStringLiteral(" Recorder Status "), this);
    CheckBox1 = new QCheckBox(kRecorderOff, GroupBox1);
    CheckBox2 = new QCheckBox(QStringLiteral("Enable Auto-Record on Recorder Startup"), GroupBox1);
    CheckBox3 = new QCheckBox(QStringLiteral("Enable Live Stats"), GroupBox1);
    Label1 = new QLabel(QStringLiteral("Rogue Spear Directory:"), GroupBox1);
    Label2 = new QLabel(GroupBox1);
    Label2->setWordWrap(true);
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
    setRecordingLook(false);

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

    Timer1 = new QTimer(this);
    Timer1->setInterval(kTickMs);
    FtpClient1 = new TFtpClient(this);
    setupLiveStatsClient(*FtpClient1);
    if (!env_.sound) {
        ownSound_ = std::make_unique<QtSoundPlayer>();
        env_.sound = ownSound_.get();
    }

    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm1::focusMoved);

    // The cycle calls the page step while it still counts as running, so no tick delivered
    // during the step (the upload waits with events flowing) starts another cycle.
    cycle_.setLiveStatsHook([this] { CreateLiveStats(); });
    live_.sendlivestats = [this] { sendlivestats(); };

    setFixedSize(qMax(sizeHint().width(), 340), sizeHint().height());
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());

    Form2 = std::make_unique<TForm2>(store_, *env_.dialogs);
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

    GetRegistryInfo();
    GetRSDir();
    if (!activation_.autoRecord()) {
        CheckBox2->setChecked(false);
    } else {
        CheckBox2->setChecked(true);
        CheckBox1->setChecked(true);
    }
    QCoreApplication::processEvents();
    activation_.finishInterruptedGame();
    // The logs in the game folder are another recorder's games while it records here.
    if (recorderLock_.isLocked() || !RecorderLock::heldElsewhere(QStringLiteral(".")))
        activation_.deleteStaleFiles();
}

void TForm1::GetRegistryInfo() {
    activation_.GetRegistryInfo();
    if (!activation_.hasHostName())
        CheckBox3->setEnabled(false);
}

void TForm1::GetRSDir() {
    Label1->setText(QStringLiteral("Path to Rogue Spear Directory:"));
    activation_.GetRSDir();
    Label2->setText(activation_.gameFolder());
    cycle_.setGameFolder(activation_.gameFolder());
}

void TForm1::CheckBox1Click() {
    if (CheckBox1->isChecked() && !takeRecorderLock()) {
        const QSignalBlocker quiet(CheckBox1);
        CheckBox1->setChecked(false);
        return;
    }
    deleteResultLogs(activation_.gameFolder());
    if (CheckBox1->isChecked()) {
        Button2->setEnabled(false);
        setRecordingLook(true);
        setApplicationTitle(QStringLiteral("Recording..."));
        Timer1->start();
        Timer1Timer();
    } else {
        Timer1->stop();
        setApplicationTitle(recorderIdleTitle());
        Button2->setEnabled(true);
        setRecordingLook(false);
        recorderLock_.unlock();
    }
}

bool TForm1::takeRecorderLock() {
    try {
        if (recorderLock_.tryLock())
            return true;
    } catch (const Error& e) {
        // No lock file can be made here, so no other recorder holds one; the cycle will say
        // why the folder takes nothing.
        activation_.reportOnce(e.message());
        return true;
    }
    const QString refusal = RecorderLock::refusal(QStringLiteral("."));
    // Closing the box reactivates the window, whose auto-record would ask again: once there.
    if (activating_)
        activation_.reportOnce(refusal);
    else
        env_.dialogs->error(refusal);
    return false;
}

void TForm1::setRecordingLook(bool recording) {
    CheckBox1->setText(recording ? kRecording : kRecorderOff);
    QPalette p = CheckBox1->palette();
    p.setColor(QPalette::WindowText, recording ? QColor(Qt::red) : QColor(Qt::black));
    CheckBox1->setPalette(p);
}

void TForm1::CheckBox2Click() {
    try {
        if (CheckBox2->isChecked()) {
            if (auto key = store_.openKey(kVantorKey, true))
                key->writeString(QStringLiteral("AutoRecord"), QStringLiteral("true"));
            else
                throw Error(QStringLiteral("Failed to set data for 'AutoRecord'"));
        } else if (auto key = store_.openKey(kVantorKey, false)) {
            key->writeString(QStringLiteral("AutoRecord"), QStringLiteral("false"));
        }
    } catch (const Error& e) {
        // Shown here, not thrown: the box may change inside an activation.
        activation_.reportOnce(e.message());
    }
}

void TForm1::Timer1Timer() {
    cycle_.Readlogs(CheckBox3->isChecked());
    QCoreApplication::processEvents();
}

void TForm1::CreateLiveStats() {
    try {
        live_.CreateLiveStats(cycle_.gameInfo(), toCp1252(activation_.playerName()));
    } catch (const Error& e) {
        // The game itself is recorded; only its page is missing. The next game writes one.
        env_.dialogs->error(e.message());
    }
}

void TForm1::sendlivestats() {
    if (env_.sendlivestats) {
        env_.sendlivestats();
        return;
    }
    try {
        recorder::sendlivestats(store_, *FtpClient1, *env_.sound, activation_.gameFolder());
    } catch (const Error& e) {
        // The sound could not be played; the upload has ended by then.
        env_.dialogs->error(e.message());
    }
}

void TForm1::Button1Click() {
    close();
}

void TForm1::Button2Click() {
    env_.shell->startProgram(QStringLiteral("VantorUtilities"), QDir::currentPath());
}

void TForm1::Button3Click() {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
    Form2->fillFromSettings();
}

void TForm1::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    Form2->hide();
    event->accept();
    QCoreApplication::quit();
}

} // namespace vantor::recorder
