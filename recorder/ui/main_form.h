#pragma once

#include "recorder/core/activation.h"
#include "recorder/core/live_stats.h"
#include "recorder/core/recording_cycle.h"

#include "platform/game_key.h"
#include "platform/recorder_lock.h"
#include "platform/settings_store.h"
#include "platform/sound.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class QWindow;

namespace vantor {
class Dialogs;
class Shell;
class TFtpClient;
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
    // Replaces the upload of the live stats page and the sound when set (tests that only
    // count uploads).
    std::function<void()> sendlivestats;
};

// The recorder's main window: the recording switch, the auto-record and live stats options,
// the game folder, and the buttons for the setup window, the utilities and "Exit".
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(RecorderEnvironment env, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs each time the window becomes the recorder's active window.
    void FormActivate();
    void CheckBox1Click();
    void CheckBox2Click();
    void Timer1Timer();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // The live stats step at the end of a game recorded with "Enable Live Stats" checked.
    void CreateLiveStats();
    void sendlivestats();

    const QString& gameFolder() const { return activation_.gameFolder(); }
    const QString& playerName() const { return activation_.playerName(); }
    bool autoRecord() const { return activation_.autoRecord(); }
    RecordingCycle& cycle() { return cycle_; }
    LiveStats& liveStats() { return live_; }
    TForm2* setupWindow() const { return Form2.get(); }

    QGroupBox* GroupBox1;
    QCheckBox* CheckBox1; // recording on/off
    QCheckBox* CheckBox2; // auto-record
    QCheckBox* CheckBox3; // "Enable Live Stats"
    QLabel* Label1;       // heading
    QLabel* Label2;       // game folder
    QLabel* Label3;       // build number
    QLabel* Label4;       // build date
    QPushButton* Button1; // "Exit"
    QPushButton* Button2; // "Vantor Utilities"
    QPushButton* Button3; // "Live Stats Setup"
    QTimer* Timer1;
    TFtpClient* FtpClient1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void GetRegistryInfo();
    void GetRSDir();
    void focusMoved(QWindow* window);
    void setRecordingLook(bool recording);
    // Recording needs the data folder to itself; false (and the user told) when another
    // recorder has it.
    bool takeRecorderLock();

    RecorderEnvironment env_;
    SettingsStore store_;
    RecordingCycle cycle_;
    Activation activation_;
    LiveStats live_;
    RecorderLock recorderLock_;
    std::unique_ptr<SoundPlayer> ownSound_;
    std::unique_ptr<TForm2> Form2;
    bool activating_ = false;
    bool shown_ = false;
    QPointer<QWindow> lastFocus_;
};

} // namespace vantor::recorder
