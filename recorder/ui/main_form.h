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

class TForm2;

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
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(RecorderEnvironment env, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs each time the window becomes the recorder's active window.
    void FormActivate();
    void CheckBox1Click();
    void CheckBox2Click();
    void Timer1Timer() { session_.Timer1Timer(); }
    void Button1Click();
    void Button2Click();
    void Button3Click();

    RecorderSession& session() { return session_; }
    const QString& gameFolder() const { return session_.activation().gameFolder(); }
    const QString& playerName() const { return session_.activation().playerName(); }
    bool autoRecord() const { return session_.activation().autoRecord(); }
    RecordingCycle& cycle() { return session_.cycle(); }
    TForm2* setupWindow() const { return Form2.get(); }

    QGroupBox* GroupBox1;
    QCheckBox* CheckBox1; // recording on/off
    QCheckBox* CheckBox2; // auto-record
    QCheckBox* CheckBox3; // "Enable Live Stats"
    QLabel* Label1;       // heading
    ElidedLabel* Label2;  // game folder
    QLabel* Label3;       // build number
    QLabel* Label4;       // build date
    QPushButton* Button1; // "Exit"
    QPushButton* Button2; // "Vantor Utilities"
    QPushButton* Button3; // "Live Stats Setup"

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void focusMoved(QWindow* window);
    void showRecording(bool recording);

    RecorderEnvironment env_;
    std::unique_ptr<SoundPlayer> ownSound_; // when the environment gives none
    RecorderSession session_;
    std::unique_ptr<TForm2> Form2;
    bool activating_ = false;
    bool shown_ = false;
    QPointer<QWindow> lastFocus_;
};

} // namespace vantor::recorder
