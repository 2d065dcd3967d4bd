#pragma once

#include "platform/settings_store.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantor {
class Dialogs;
}

namespace vantor::recorder {

// The live stats setup window: created hidden with the main window, shown and filled by its
// "Live Stats Setup" button, only ever hidden again. Its settings are shared with the
// utilities' FTP tab.
class LiveStatsSetupWindow : public QWidget {
    Q_OBJECT
public:
    LiveStatsSetupWindow(SettingsStore store, Dialogs& dialogs, QWidget* parent = nullptr);

    // Shown (after a beep) for a reload time that is not a whole number from 5 to 3600.
    static inline const QString kReloadTimeMessage =
        QStringLiteral("Please enter a page reload time of 5 to 3600 seconds.");

    // Fills the fields from the settings as they are now; "30" where no reload time is stored.
    void fillFromSettings();
    void closeWindow();  // "Close"
    void saveSettings(); // "Save Settings"
    void toggleCustomImage();

    QLineEdit* HostName;
    QLineEdit* HostPort; // shared with the utilities' FTP tab
    QLineEdit* UserName;
    QLineEdit* Password; // masked unless "Show" is checked
    QCheckBox* ShowPassword;
    QLineEdit* HostDir;
    QLineEdit* HostFileName;
    QLineEdit* ReloadTime;
    QCheckBox* customImageBox; // the custom image
    QLineEdit* ImagePath;
    QCheckBox* PassiveMode;
    QCheckBox* SecureConnection;
    QLineEdit* CertFingerprint;
    QCheckBox* SiteRefresh; // the community site after each game
    QLineEdit* SiteFolder;
    QCheckBox* SiteUpload;
    QLineEdit* WebhookUrls;   // "webhookurl": one or more, blank between
    QComboBox* WebhookFormat; // "discord" or "json"
    QPushButton* closeButton; // "Close"
    QPushButton* saveButton;  // "Save Settings"
    QLabel* fileNameExample;  // the file name example
    QLabel* secondsLabel;     // "*Seconds*"

protected:
    void keyPressEvent(QKeyEvent* event) override;

signals:
    // The settings are stored: live stats may now be switched on.
    void settingsSaved();

private:
    // Stores every value in one write, so a failed save leaves the previous settings whole.
    void storeSettings();

    SettingsStore store_;
    Dialogs& dialogs_;
    bool siteStored_ = false; // the store holds a site folder: unchecking must clear it
};

} // namespace vantor::recorder
