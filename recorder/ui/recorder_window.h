#pragma once

#include "recorder/session/recorder_session.h"
#include "recorder/ui/elided_label.h"

#include "platform/game_key.h"
#include "platform/settings_store.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWindow;

namespace vantor {
class Dialogs;
class Shell;
class SoundPlayer;
} // namespace vantor

namespace vantor::recorder {

class LiveStatsSetupWindow;

// What the window reaches outside itself; tests put fakes here.
struct RecorderEnvironment {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    QString settingsPath = SettingsStore::defaultPath();
    std::function<GameKeyValues(const SettingsStore&)> gameKey = [](const SettingsStore& s) {
        return readGameKey(s);
    };
    // Plays the game's sound after each upload; a QtSoundPlayer when none is given.
    SoundPlayer* sound = nullptr;
    // The recording timer; a TimerTick when none is given.
    std::unique_ptr<RecordingTick> tick;
    // Where the utilities are looked for first; the recorder's own folder when empty.
    QString programFolder;
    QString searchPath = qEnvironmentVariable("PATH");
    // Games and live rankings go into the game history (the program's window).
    bool journaled = false;
};

// The recorder's main window: the recording switch, the auto-record and live stats options,
// the game folder, and the buttons for the setup window, the utilities and "Exit". The work is
// the session's; the window shows it.
class RecorderWindow : public QWidget {
    Q_OBJECT
public:
    explicit RecorderWindow(RecorderEnvironment env, QWidget* parent = nullptr);
    ~RecorderWindow() override;

    // Runs each time the window becomes the recorder's active window.
    void onActivated();
    void toggleRecording();
    void toggleAutoRecord();
    void onTick() { session_.onTick(); }
    void exitProgram();
    void openUtilities();
    void showLiveStatsSetup();

    RecorderSession& session() { return session_; }
    const QString& gameFolder() const { return session_.activation().gameFolder(); }
    const QString& playerName() const { return session_.activation().playerName(); }
    bool autoRecord() const { return session_.activation().autoRecord(); }
    RecordingCycle& cycle() { return session_.cycle(); }
    LiveStatsSetupWindow* setupWindow() const { return setupWindow_.get(); }

    QGroupBox* statusGroup;
    QCheckBox* recordingBox;      // recording on/off
    QCheckBox* autoRecordBox;     // auto-record
    QCheckBox* liveStatsBox;      // "Enable Live Stats"
    QLabel* headingLabel;         // heading
    ElidedLabel* gameFolderLabel; // game folder
    QLabel* buildNumberLabel;     // build number
    QLabel* buildDateLabel;       // build date
    QPushButton* exitButton;      // "Exit"
    QPushButton* utilitiesButton; // "Vantor Utilities"
    QPushButton* setupButton;     // "Live Stats Setup"

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void focusMoved(QWindow* window);
    void showRecording(bool recording);

    RecorderEnvironment env_;
    std::unique_ptr<SoundPlayer> ownSound_; // when the environment gives none
    RecorderSession session_;
    std::unique_ptr<LiveStatsSetupWindow> setupWindow_;
    bool activating_ = false;
    bool shown_ = false;
    QPointer<QWindow> lastFocus_;
};

} // namespace vantor::recorder
