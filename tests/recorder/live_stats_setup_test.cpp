// The live stats setup window driven headless: filling, the checks before saving, what is saved.
#include "recorder/ui/live_stats_setup_window.h"

#include "ftp/ftp_settings.h"
#include "platform/reg_file.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::recorder;
using vantor::test::readFile;
using vantor::test::RecordingDialogs;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

class SetupWindow : public testing::Test {
protected:
    void open() {
        form.show();
        form.fillFromSettings();
    }
    void type(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }
    void fillAll() {
        type(form.HostName, "ftp.clan.example");
        type(form.UserName, "marrow");
        type(form.Password, "s3cret");
        type(form.HostDir, "public_html/rs");
        type(form.HostFileName, "livestats.html");
        type(form.ReloadTime, "45");
        // Disabled while its box is clear, yet saved all the same.
        form.ImagePath->setText("http://clan.example/logo.gif");
    }
    void save() { QTest::mouseClick(form.saveButton, Qt::LeftButton); }
    // The Vantor key's value lines, in the order the store holds them.
    QStringList storedLines() const {
        QStringList lines;
        for (const QString& l : QString::fromUtf8(readFile(storePath)).split(u'\n'))
            if (l.startsWith(u'"'))
                lines << l.trimmed();
        return lines;
    }
    QString setting(const char* name) const {
        auto key = SettingsStore(storePath).openKey(kVantorKey, false);
        return key && key->valueExists(QString::fromLatin1(name))
                   ? key->readString(QString::fromLatin1(name))
                   : QStringLiteral("(none)");
    }

    TempFolder dir;
    QString storePath = dir.file("registry.reg");
    RecordingDialogs dialogs;
    LiveStatsSetupWindow form{SettingsStore(storePath), dialogs};
    QSignalSpy saved{&form, &LiveStatsSetupWindow::settingsSaved};
};

} // namespace

TEST_F(SetupWindow, ShowsItsCaptionsAndFields) {
    EXPECT_EQ(form.windowTitle(), "Live Stats Setup");
    EXPECT_TRUE(form.windowFlags() & Qt::Tool);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.fileNameExample->text(), "* Example:  livestats.html *");
    EXPECT_EQ(form.secondsLabel->text(), "*Seconds*");
    EXPECT_EQ(form.customImageBox->text(), "Include Custom Image on Page");
    EXPECT_EQ(form.saveButton->text(), "Save Settings");
    EXPECT_EQ(form.closeButton->text(), "Close");
    EXPECT_EQ(form.Password->echoMode(), QLineEdit::Password);
    form.ShowPassword->click();
    EXPECT_EQ(form.Password->echoMode(), QLineEdit::Normal);
    form.ShowPassword->click();
    EXPECT_EQ(form.Password->echoMode(), QLineEdit::Password);
    EXPECT_LT(form.ReloadTime->width(), form.HostName->width());
    QStringList labels;
    for (const auto* label : form.findChildren<QLabel*>())
        labels << label->text();
    for (const char* caption :
         {"Host Address:", "Port:", "Login:", "Password:", "Initial Path:", "File Name:",
          "Page Reload Time:", "URL:", "Certificate fingerprint:"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(caption))) << caption;
    // Initially the box is clear, and so its field is not usable, as after any clearing.
    EXPECT_FALSE(form.customImageBox->isChecked());
    EXPECT_FALSE(form.ImagePath->isEnabled());
    // The fingerprint lines up with the other fields and shows all its 32 bytes.
    form.show();
    EXPECT_EQ(form.CertFingerprint->x(), form.HostName->x());
    EXPECT_GE(form.CertFingerprint->width(), form.CertFingerprint->fontMetrics().horizontalAdvance(
                                                 QStringLiteral("DD:").repeated(31) + "DD"));
}

TEST_F(SetupWindow, TheFirstEmptyRequiredFieldStopsTheSave) {
    open();
    form.ReloadTime->clear();
    save();
    EXPECT_EQ(dialogs.shown, (QStringList{"beep", "info: Please enter you FTP Hosts address."}));

    const std::pair<QLineEdit*, QString> steps[] = {
        {form.HostName, "info: Please enter your username."},
        {form.UserName, "info: Please enter your password."},
        {form.Password, "info: You must enter a file name to create."},
    };
    for (const auto& [field, next] : steps) {
        dialogs.shown.clear();
        type(field, "x");
        save();
        EXPECT_EQ(dialogs.shown, (QStringList{"beep", next}));
    }
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(setting("hostname"), "(none)");

    // The reload time must be a whole number of seconds from 5 to 3600.
    type(form.HostFileName, "live.html");
    for (const char* bad : {"soon", "", "4", "3601", "30s", " 30", "-10", "1e3", "$10"}) {
        dialogs.shown.clear();
        type(form.ReloadTime, QString::fromLatin1(bad));
        save();
        EXPECT_EQ(dialogs.shown,
                  (QStringList{"beep", "info: " + LiveStatsSetupWindow::kReloadTimeMessage}))
            << bad;
    }
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(setting("hostname"), "(none)");

    // Path and image URL are not checked: empty and odd texts are saved as typed.
    for (const char* good : {"5", "3600"}) {
        dialogs.shown.clear();
        type(form.ReloadTime, QString::fromLatin1(good));
        save();
        EXPECT_EQ(dialogs.shown,
                  (QStringList{"beep", "info: Your FTP Upload settings have been saved."}));
        EXPECT_EQ(setting("LiveStatsReloadTime"), good);
    }
    EXPECT_EQ(setting("hostdirname"), "");
    EXPECT_EQ(setting("customimagepath"), "");
}

TEST_F(SetupWindow, SavesEveryValueInOrderWithThePortFtp) {
    writeFile(storePath, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"AutoRecord\"=\"true\"\n");
    open();
    fillAll();
    save();
    EXPECT_EQ(storedLines(), (QStringList{
                                 R"("AutoRecord"="true")",
                                 R"("hostname"="ftp.clan.example")",
                                 R"("port"="ftp")",
                                 R"("username"="marrow")",
                                 R"("ftppassword"="s3cret")",
                                 R"("hostdirname"="public_html/rs")",
                                 R"("hostfilename"="livestats.html")",
                                 R"("LiveStatsReloadtime"="45")",
                                 R"("customimagepath"="http://clan.example/logo.gif")",
                                 R"("usecustomimage"="false")",
                             }));
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(dialogs.shown,
              (QStringList{"beep", "info: Your FTP Upload settings have been saved."}));
    EXPECT_TRUE(form.isVisible()); // stays open after a save

    // A second save changes the values where they stand.
    form.customImageBox->click();
    type(form.ReloadTime, "20");
    save();
    EXPECT_EQ(setting("usecustomimage"), "true");
    EXPECT_EQ(setting("LiveStatsReloadTime"), "20");
    EXPECT_EQ(storedLines().size(), 10);
}

TEST_F(SetupWindow, ThirtyIsShownButOnlyStoredWhenSaved) {
    open();
    EXPECT_EQ(form.ReloadTime->text(), "30");
    EXPECT_EQ(setting("LiveStatsReloadTime"), "(none)");
    EXPECT_EQ(form.HostName->text(), "");

    fillAll();
    form.ReloadTime->clear();
    QTest::keyClicks(form.ReloadTime, "30");
    save();
    EXPECT_EQ(setting("LiveStatsReloadtime"), "30");
}

TEST_F(SetupWindow, ReopeningFillsTheFieldsFromTheSettingsAgain) {
    writeFile(storePath, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"HostName\"=\"ftp.shared.example\"\n\"username\"=\"u\"\n"
                         "\"ftppassword\"=\"p\"\n\"hostdirname\"=\"d\"\n"
                         "\"hostfilename\"=\"f.html\"\n\"LiveStatsReloadtime\"=\"12\"\n"
                         "\"usecustomimage\"=\"false\"\n\"customimagepath\"=\"http://i/x.gif\"\n");
    open();
    EXPECT_EQ(form.HostName->text(), "ftp.shared.example");
    EXPECT_EQ(form.UserName->text(), "u");
    EXPECT_EQ(form.Password->text(), "p");
    EXPECT_EQ(form.HostDir->text(), "d");
    EXPECT_EQ(form.HostFileName->text(), "f.html");
    EXPECT_EQ(form.ReloadTime->text(), "12"); // written as ...Reloadtime, read as ...ReloadTime
    // The URL is kept and shown with the box clear.
    EXPECT_FALSE(form.customImageBox->isChecked());
    EXPECT_FALSE(form.ImagePath->isEnabled());
    EXPECT_EQ(form.ImagePath->text(), "http://i/x.gif");

    // "Close" hides without saving; the text typed lasts until the next opening.
    type(form.HostName, "typed.example");
    QTest::mouseClick(form.closeButton, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.HostName->text(), "typed.example");
    EXPECT_EQ(setting("hostname"), "ftp.shared.example");
    open();
    EXPECT_EQ(form.HostName->text(), "ftp.shared.example");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(SetupWindow, TheImageBoxEnablesItsField) {
    form.customImageBox->click();
    EXPECT_TRUE(form.ImagePath->isEnabled());
    form.customImageBox->click();
    EXPECT_FALSE(form.ImagePath->isEnabled());

    writeFile(storePath, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"usecustomimage\"=\"true\"\n");
    open();
    EXPECT_TRUE(form.customImageBox->isChecked());
    EXPECT_TRUE(form.ImagePath->isEnabled());

    // Neither "true" nor "false": the box and the field stay as the user left them.
    writeFile(storePath, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"usecustomimage\"=\"TRUE\"\n");
    form.customImageBox->click();
    open();
    EXPECT_FALSE(form.customImageBox->isChecked());
    EXPECT_FALSE(form.ImagePath->isEnabled());
}

TEST_F(SetupWindow, AStoreThatCannotBeWrittenKeepsItsOldSettings) {
    writeFile(storePath, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"hostname\"=\"old.example\"\n\"username\"=\"old\"\n");
    const QByteArray before = readFile(storePath);
    open();
    fillAll();
    // The store's lock cannot be taken, so nothing can be written; reading still works.
    ASSERT_TRUE(QDir().mkdir(storePath + ".lock"));
    save();
    EXPECT_EQ(dialogs.shown, QStringList{"error: Failed to set data for 'hostname'"});
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(readFile(storePath), before);
}

TEST_F(SetupWindow, AStoreInAPlaceThatCannotBeMadeFillsDefaultsAndRefusesTheSave) {
    writeFile(dir.file("plain-file"), "");
    LiveStatsSetupWindow nowhere(SettingsStore(dir.file("plain-file/registry.reg")), dialogs);
    nowhere.show();
    nowhere.fillFromSettings();
    EXPECT_EQ(nowhere.HostName->text(), "");
    EXPECT_EQ(nowhere.ReloadTime->text(), "30");
    nowhere.HostName->setText("h");
    nowhere.UserName->setText("u");
    nowhere.Password->setText("p");
    nowhere.HostFileName->setText("f.html");
    nowhere.saveSettings();
    EXPECT_EQ(dialogs.shown, QStringList{"error: Failed to set data for 'hostname'"});
}

TEST_F(SetupWindow, ConnectionChoicesAreSavedAndShownAgain) {
    EXPECT_EQ(form.PassiveMode->text(), "Passive mode");
    EXPECT_EQ(form.SecureConnection->text(), "Secure connection (TLS)");
    open();
    EXPECT_GT(form.PassiveMode->y(), form.ImagePath->y());
    EXPECT_GT(form.CertFingerprint->y(), form.SecureConnection->y());

    fillAll();
    save();
    // Never chosen: the store holds what it always held.
    EXPECT_EQ(setting("ftpmode"), "(none)");
    EXPECT_EQ(setting("ftptls"), "(none)");
    EXPECT_EQ(setting("ftpcertsha256"), "(none)");

    form.PassiveMode->setChecked(true);
    form.SecureConnection->setChecked(true);
    type(form.CertFingerprint, QString(64, u'e'));
    save();
    EXPECT_EQ(setting("ftpmode"), "passive");
    EXPECT_EQ(setting("ftptls"), "explicit");
    EXPECT_EQ(setting("ftpcertsha256"), QString(64, u'e'));
    EXPECT_EQ(setting("port"), "ftp");
    // The utilities' port is shown and kept; one no service knows is refused.
    SettingsStore(storePath).update([](RegFile& f) { f.setValue(kVantorKey, "port", "31022"); });
    form.fillFromSettings();
    EXPECT_EQ(form.HostPort->text(), "31022");
    save();
    EXPECT_EQ(setting("port"), "31022");
    type(form.HostPort, "nosuchservice");
    dialogs.shown.clear();
    save();
    EXPECT_EQ(dialogs.shown.value(1), "info: " + portProblem("nosuchservice"));
    EXPECT_EQ(setting("port"), "31022");
    form.HostPort->clear();
    // The page's values keep their place before the new ones.
    EXPECT_EQ(storedLines().indexOf(R"("usecustomimage"="false")") + 1,
              storedLines().indexOf(R"("ftpmode"="passive")"));

    form.PassiveMode->setChecked(false);
    form.CertFingerprint->clear();
    form.fillFromSettings();
    EXPECT_TRUE(form.PassiveMode->isChecked());
    EXPECT_TRUE(form.SecureConnection->isChecked());
    EXPECT_EQ(form.CertFingerprint->text(), QString(64, u'e'));

    // Turned off again: written as off, not left behind.
    form.PassiveMode->setChecked(false);
    form.SecureConnection->setChecked(false);
    save();
    EXPECT_EQ(setting("ftpmode"), "active");
    EXPECT_EQ(setting("ftptls"), "none");

    // Not a fingerprint: refused with a message, nothing saved.
    dialogs.shown.clear();
    type(form.CertFingerprint, "not-a-fingerprint");
    save();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[1].contains("SHA-256"));
    EXPECT_EQ(setting("ftpcertsha256"), QString(64, u'e'));
}

TEST_F(SetupWindow, LineBreaksOrNulInAnFtpValueAreRefusedAndNothingIsSaved) {
    // Values that reached the fields from a store edited by hand, or pasted.
    writeFile(storePath, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"hostname\"=\"ftp.clan.example\"\n\"username\"=\"marrow\"\n"
                         "\"ftppassword\"=\"s3cret\"\n"
                         "\"hostdirname\"=\"/\\r\\nDELE important.html\"\n"
                         "\"hostfilename\"=\"livestats.html\"\n");
    const QByteArray before = readFile(storePath);
    open();
    ASSERT_EQ(form.HostDir->text(), "/\r\nDELE important.html");
    save();
    EXPECT_EQ(dialogs.shown,
              (QStringList{"beep", "info: The folder contains a line break or NUL character"}));

    const struct {
        QLineEdit* field;
        QString value;
        const char* message;
    } cases[] = {
        {form.UserName, "marrow\nDELE important.html",
         "info: The user name contains a line break or NUL character"},
        {form.Password, "s3cret\r", "info: The password contains a line break or NUL character"},
        {form.HostFileName, QString("live.html") + QChar(u'\0') + "x",
         "info: The file name contains a line break or NUL character"},
    };
    form.HostDir->setText("www");
    for (const auto& c : cases) {
        const QString good = c.field->text();
        c.field->setText(c.value);
        dialogs.shown.clear();
        save();
        EXPECT_EQ(dialogs.shown, (QStringList{"beep", c.message}));
        c.field->setText(good);
    }
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(readFile(storePath), before);

    // Clean again, the save goes through.
    dialogs.shown.clear();
    save();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(setting("hostdirname"), "www");
}

TEST_F(SetupWindow, EscapeClosesWithoutSavingAndReturnSaves) {
    open();
    fillAll();
    // From a field with text typed into it: closed as by "Close", nothing stored.
    QTest::keyClick(form.HostName, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(setting("hostname"), "(none)");
    EXPECT_EQ(saved.count(), 0);

    form.show();
    form.saveButton->setFocus();
    QTest::keyClick(form.saveButton, Qt::Key_Return);
    EXPECT_EQ(setting("hostname"), "ftp.clan.example");
    EXPECT_EQ(saved.count(), 1);
    EXPECT_TRUE(form.isVisible());
}

// The site box: saved with its folder and upload choice, refused without a folder, cleared when
// unchecked; a store that never had a site gets no site values.
TEST_F(SetupWindow, TheCommunitySiteIsSavedOnlyOnceChosen) {
    open();
    fillAll();
    save();
    EXPECT_EQ(setting("sitefolder"), "(none)");
    EXPECT_FALSE(form.SiteFolder->isEnabled());

    QTest::mouseClick(form.SiteRefresh, Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(form.SiteFolder->isEnabled());
    dialogs.shown.clear();
    save();
    EXPECT_EQ(setting("sitefolder"), "(none)") << "no folder, nothing saved";
    EXPECT_EQ(dialogs.shown,
              (QStringList{"beep", "info: Please enter the folder of the community site."}));

    type(form.SiteFolder, "/srv/www/site");
    QTest::mouseClick(form.SiteUpload, Qt::LeftButton, {}, QPoint(4, 4));
    save();
    EXPECT_EQ(setting("sitefolder"), "/srv/www/site");
    EXPECT_EQ(setting("siteupload"), "true");

    form.fillFromSettings();
    EXPECT_TRUE(form.SiteRefresh->isChecked());
    QTest::mouseClick(form.SiteRefresh, Qt::LeftButton, {}, QPoint(4, 4));
    save();
    EXPECT_EQ(setting("sitefolder"), "");
}

TEST_F(SetupWindow, NoControlHidesAnother) {
    open();
    EXPECT_EQ(vantor::test::layoutProblems(form), QStringList());
    vantor::test::saveScreenshot(form, QStringLiteral("live-stats-setup"));
}

TEST_F(SetupWindow, WebhooksAreCheckedAndStoredOnlyOnceChosen) {
    open();
    fillAll();
    type(form.WebhookUrls, "http://hooks.example.org/TOKEN");
    save();
    EXPECT_EQ(saved.count(), 0);
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.shown.last().contains("http://hooks.example.org/****"));
    EXPECT_FALSE(dialogs.shown.last().contains("TOKEN"));

    type(form.WebhookUrls, "");
    save();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(setting("webhookurl"), "(none)");
    EXPECT_EQ(setting("webhookformat"), "(none)");

    type(form.WebhookUrls, "https://discord.com/api/webhooks/1/TOKEN");
    save();
    EXPECT_EQ(setting("webhookurl"), "https://discord.com/api/webhooks/1/TOKEN");
    EXPECT_EQ(setting("webhookformat"), "(none)"); // Discord, as unset

    form.WebhookFormat->setCurrentIndex(1);
    save();
    EXPECT_EQ(setting("webhookformat"), "json");
    form.fillFromSettings();
    EXPECT_EQ(form.WebhookFormat->currentText(), "json");
}
