#include "live_stats_setup_window.h"

#include "common/error.h"
#include "common/page_names.h"
#include "ftp/command_arguments.h"
#include "ftp/ftp_settings.h"
#include "platform/dialogs.h"
#include "platform/ftp_settings_store.h"
#include "platform/guarded_application.h"
#include "platform/live_stats_settings.h"
#include "platform/reg_file.h"
#include "platform/settings_names.h"
#include "platform/webhook_settings.h"
#include "platform/window_placement.h"
#include "recorder/live/live_page.h"
#include "recorder/session/site_refresh.h"
#include "webhook/messages.h"
#include "webhook/webhook_address.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace vantor::recorder {

LiveStatsSetupWindow::LiveStatsSetupWindow(SettingsStore store, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool), store_(std::move(store)), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Live Stats Setup"));

    HostName = new QLineEdit(this);
    HostPort = new QLineEdit(this);
    UserName = new QLineEdit(this);
    Password = new QLineEdit(this);
    Password->setEchoMode(QLineEdit::Password);
    ShowPassword = new QCheckBox(QStringLiteral("Show"), this);
    HostDir = new QLineEdit(this);
    HostFileName = new QLineEdit(this);
    fileNameExample = new QLabel(QStringLiteral("* Example:  livestats.html *"), this);
    ReloadTime = new QLineEdit(this);
    ReloadTime->setFixedWidth(ReloadTime->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 6);
    secondsLabel = new QLabel(QStringLiteral("*Seconds*"), this);
    // Without the three leading blanks that once spaced the text from the box: the box spaces
    // it itself, as for the other check boxes.
    customImageBox = new QCheckBox(QStringLiteral("Include Custom Image on Page"), this);
    ImagePath = new QLineEdit(this);
    // As the box: clear, so the field waits until it is checked.
    ImagePath->setEnabled(false);
    PassiveMode = new QCheckBox(QStringLiteral("Passive mode"), this);
    SecureConnection = new QCheckBox(QStringLiteral("Secure connection (TLS)"), this);
    CertFingerprint = new QLineEdit(this);
    SiteRefresh = new QCheckBox(QStringLiteral("Refresh the community site after each game"), this);
    SiteFolder = new QLineEdit(this);
    SiteUpload = new QCheckBox(QStringLiteral("Upload the site too"), this);
    // Room for a whole fingerprint, 32 bytes written "AB:CD:...".
    CertFingerprint->setMinimumWidth(
        CertFingerprint->fontMetrics().horizontalAdvance(QStringLiteral("DD:").repeated(32)) + 12);
    WebhookUrls = new QLineEdit(this);
    WebhookFormat = new QComboBox(this);
    WebhookFormat->addItems({webhook::formatName(webhook::Format::Discord),
                             webhook::formatName(webhook::Format::Json)});
    saveButton = new QPushButton(QStringLiteral("Save Settings"), this);
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    // Return presses the button that has the focus, as Space does.
    saveButton->setAutoDefault(true);
    closeButton->setAutoDefault(true);

    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    fields->addRow(QStringLiteral("Host Address:"), HostName);
    fields->addRow(QStringLiteral("Port:"), HostPort);
    fields->addRow(QStringLiteral("Login:"), UserName);
    auto* password = new QHBoxLayout;
    password->addWidget(Password);
    password->addWidget(ShowPassword);
    fields->addRow(QStringLiteral("Password:"), password);
    fields->addRow(QStringLiteral("Initial Path:"), HostDir);
    fields->addRow(QStringLiteral("File Name:"), HostFileName);
    fields->addRow(QString(), fileNameExample);
    auto* reload = new QHBoxLayout;
    reload->addWidget(ReloadTime);
    reload->addWidget(secondsLabel);
    reload->addStretch();
    fields->addRow(QStringLiteral("Page Reload Time:"), reload);
    fields->addRow(QString(), customImageBox);
    fields->addRow(QStringLiteral("URL:"), ImagePath);
    fields->addRow(QString(), PassiveMode);
    fields->addRow(QString(), SecureConnection);
    fields->addRow(QStringLiteral("Certificate fingerprint:"), CertFingerprint);
    fields->addRow(QStringLiteral("Webhook URLs:"), WebhookUrls);
    auto* format = new QHBoxLayout;
    format->addWidget(WebhookFormat);
    format->addStretch();
    fields->addRow(QStringLiteral("Webhook format:"), format);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* top = new QVBoxLayout(this);
    fields->addRow(QString(), SiteRefresh);
    fields->addRow(QStringLiteral("Site folder:"), SiteFolder);
    fields->addRow(QString(), SiteUpload);
    top->addLayout(fields);
    top->addLayout(buttons);

    connect(ShowPassword, &QCheckBox::toggled, this, [this](bool shown) {
        Password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(closeButton, &QPushButton::clicked, this, &LiveStatsSetupWindow::closeWindow);
    connect(saveButton, &QPushButton::clicked, this, &LiveStatsSetupWindow::saveSettings);
    connect(customImageBox, &QCheckBox::toggled, this, &LiveStatsSetupWindow::toggleCustomImage);
    connect(SiteRefresh, &QCheckBox::toggled, this, [this](bool on) {
        SiteFolder->setEnabled(on);
        SiteUpload->setEnabled(on);
    });
    SiteFolder->setEnabled(false);
    SiteUpload->setEnabled(false);

    setFixedSize(qMax(sizeHint().width(), 320), sizeHint().height());
    centreOnScreen(*this);
}

void LiveStatsSetupWindow::fillFromSettings() {
    const std::optional<SettingsKey> key = store_.openKey(kVantorKey, true);
    const FtpSettings ftp = key ? readFtpSettings(*key) : FtpSettings{};
    const LiveStatsSettings page = key ? readLiveStatsSettings(*key) : LiveStatsSettings{};
    HostName->setText(ftp.hostName);
    HostPort->setText(ftp.port);
    UserName->setText(ftp.userName);
    Password->setText(ftp.password);
    HostDir->setText(ftp.hostDirName);
    PassiveMode->setChecked(ftp.passive);
    SecureConnection->setChecked(ftp.tls);
    CertFingerprint->setText(ftp.certSha256);
    HostFileName->setText(page.hostFileName);
    ReloadTime->setText(page.reloadTime);
    // Any other text leaves the box and the field as the user last had them.
    if (page.useCustomImage) {
        customImageBox->setChecked(*page.useCustomImage);
        ImagePath->setEnabled(*page.useCustomImage);
    }
    ImagePath->setText(page.customImagePath);
    const SiteRefreshSettings site = readSiteRefreshSettings(store_);
    siteStored_ = !site.folder.isEmpty();
    SiteRefresh->setChecked(siteStored_);
    SiteFolder->setText(site.folder);
    SiteUpload->setChecked(site.upload);
    const WebhookSettings hooks = key ? readWebhookSettings(*key) : WebhookSettings{};
    WebhookUrls->setText(hooks.urls);
    WebhookFormat->setCurrentIndex(
        webhook::formatNamed(hooks.format).value_or(webhook::Format::Discord) ==
        webhook::Format::Json);
    // Shown only: the setting is written when the user saves.
    if (ReloadTime->text().isEmpty())
        ReloadTime->setText(QStringLiteral("30"));
}

void LiveStatsSetupWindow::toggleCustomImage() {
    ImagePath->setEnabled(customImageBox->isChecked());
}

void LiveStatsSetupWindow::closeWindow() {
    hide();
}

void LiveStatsSetupWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as "Close" does: nothing is saved.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void LiveStatsSetupWindow::saveSettings() {
    const std::pair<const QLineEdit*, const char*> required[] = {
        {HostName, "Please enter you FTP Hosts address."},
        {UserName, "Please enter your username."},
        {Password, "Please enter your password."},
        {HostFileName, "You must enter a file name to create."},
    };
    for (const auto& [field, message] : required) {
        if (field->text().isEmpty()) {
            dialogs_.beep();
            dialogs_.information(QString::fromLatin1(message));
            return;
        }
    }
    // What the upload would refuse is not stored either.
    if (const QString unsafe = checkFtpArguments(UserName->text(), Password->text(),
                                                 HostDir->text(), HostFileName->text());
        !unsafe.isEmpty()) {
        dialogs_.beep();
        dialogs_.information(unsafe);
        return;
    }
    // The data folder is the current directory; a page named like one of its files replaces it.
    if (const QString reserved =
            fileReservedFromPages(HostFileName->text(), QStringLiteral("."), store_.path());
        !reserved.isEmpty()) {
        dialogs_.beep();
        dialogs_.information(reservedPageNameMessage(reserved));
        return;
    }
    // The page counts down from the reload time; a text that is no number never reloads it.
    if (!isReloadTime(ReloadTime->text())) {
        dialogs_.beep();
        dialogs_.information(kReloadTimeMessage);
        return;
    }
    if (const QString problem = portProblem(HostPort->text()); !problem.isEmpty()) {
        dialogs_.beep();
        dialogs_.information(problem);
        return;
    }
    if (SiteRefresh->isChecked() && SiteFolder->text().trimmed().isEmpty()) {
        dialogs_.beep();
        dialogs_.information(QStringLiteral("Please enter the folder of the community site."));
        return;
    }
    if (const QString problem = fingerprintProblem(CertFingerprint->text()); !problem.isEmpty()) {
        dialogs_.beep();
        dialogs_.information(problem);
        return;
    }
    for (const QString& url : webhook::splitUrls(WebhookUrls->text())) {
        if (const QString problem = webhook::urlProblem(QUrl(url)); !problem.isEmpty()) {
            dialogs_.beep();
            dialogs_.information(problem);
            return;
        }
    }
    if (!reportFailures(dialogs_, [this] { storeSettings(); }))
        return;
    emit settingsSaved();
    dialogs_.beep();
    dialogs_.information(QStringLiteral("Your FTP Upload settings have been saved."));
}

void LiveStatsSetupWindow::storeSettings() {
    FtpSettings ftp;
    ftp.hostName = HostName->text();
    // The port is shared with the utilities: kept as stored, "ftp" where there is none.
    ftp.port = HostPort->text().trimmed().isEmpty() ? QStringLiteral("ftp") : HostPort->text();
    ftp.userName = UserName->text();
    ftp.password = Password->text();
    ftp.hostDirName = HostDir->text();
    ftp.passive = PassiveMode->isChecked();
    ftp.tls = SecureConnection->isChecked();
    ftp.certSha256 = CertFingerprint->text().trimmed();
    const LiveStatsSettings live{HostFileName->text(), ReloadTime->text(), ImagePath->text(),
                                 customImageBox->isChecked()};
    QList<std::pair<QString, QString>> page = liveStatsValues(live);
    // A store that never had a site keeps no site values.
    if (SiteRefresh->isChecked()) {
        page.append({kSiteFolderSetting, SiteFolder->text().trimmed()});
        page.append({kSiteUploadSetting, SiteUpload->isChecked() ? kTrueText : kFalseText});
    } else if (siteStored_) {
        page.append({kSiteFolderSetting, QString()});
    }
    try {
        store_.update([&](RegFile& file) {
            putFtpSettings(file, ftp, page);
            // Discord is what an unset format means: it is written only once another was stored.
            const QString format = WebhookFormat->currentText();
            const bool formatStored = file.value(kVantorKey, kWebhookFormatSetting).has_value();
            putWebhookSettings(file, WebhookUrls->text().trimmed(),
                               formatStored || WebhookFormat->currentIndex() > 0 ? format
                                                                                 : QString());
        });
    } catch (const Error&) {
        // Nothing was stored, so the first value is the one that failed.
        throw Error(QStringLiteral("Failed to set data for '%1'").arg(kHostNameSetting));
    }
    siteStored_ = SiteRefresh->isChecked();
}

} // namespace vantor::recorder
