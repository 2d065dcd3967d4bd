#include "live_stats_setup.h"

#include "common/error.h"
#include "common/page_names.h"
#include "ftp/command_arguments.h"
#include "platform/dialogs.h"
#include "platform/guarded_application.h"
#include "recorder/core/live_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

namespace vantor::recorder {

TForm2::TForm2(SettingsStore store, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool), store_(std::move(store)), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Live Stats Setup"));

    HostName = new QLineEdit(this);
    UserName = new QLineEdit(this);
    Password = new QLineEdit(this);
    HostDir = new QLineEdit(this);
    HostFileName = new QLineEdit(this);
    Label1 = new QLabel(QStringLiteral("* Example:  livestats.html *"), this);
    ReloadTime = new QLineEdit(this);
    ReloadTime->setFixedWidth(ReloadTime->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 6);
    Label2 = new QLabel(QStringLiteral("*Seconds*"), this);
    CheckBox1 = new QCheckBox(QStringLiteral("   Include Custom Image on Page"), this);
    ImagePath = new QLineEdit(this);
    Button2 = new QPushButton(QStringLiteral("Save Settings"), this);
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    // Return presses the button that has the focus, as Space does.
    Button2->setAutoDefault(true);
    Button1->setAutoDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Host Address:"), HostName);
    fields->addRow(QStringLiteral("Login:"), UserName);
    fields->addRow(QStringLiteral("Password:"), Password);
    fields->addRow(QStringLiteral("Initial Path:"), HostDir);
    fields->addRow(QStringLiteral("File Name:"), HostFileName);
    fields->addRow(QString(), Label1);
    auto* reload = new QHBoxLayout;
    reload->addWidget(ReloadTime);
    reload->addWidget(Label2);
    reload->addStretch();
    fields->addRow(QStringLiteral("Page Reload Time:"), reload);
    auto* image = new QFormLayout;
    image->addRow(QStringLiteral("URL:"), ImagePath);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(fields);
    top->addWidget(CheckBox1);
    top->addLayout(image);
    top->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm2::CheckBox1Click);

    setFixedSize(qMax(sizeHint().width(), 320), sizeHint().height());
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TForm2::fillFromSettings() {
    const std::optional<SettingsKey> key = store_.openKey(kVantorKey, true);
    const auto read = [&](const char* name) {
        return key ? key->readString(QString::fromLatin1(name)) : QString();
    };
    HostName->setText(read("hostname"));
    UserName->setText(read("username"));
    Password->setText(read("ftppassword"));
    HostDir->setText(read("hostdirname"));
    HostFileName->setText(read("hostfilename"));
    ReloadTime->setText(read("LiveStatsReloadTime"));
    // Any other text leaves the box and the field as the user last had them.
    const QString useImage = read("usecustomimage");
    if (useImage == QLatin1String("true")) {
        CheckBox1->setChecked(true);
        ImagePath->setEnabled(true);
    } else if (useImage == QLatin1String("false")) {
        CheckBox1->setChecked(false);
        ImagePath->setEnabled(false);
    }
    ImagePath->setText(read("customimagepath"));
    // Shown only: the setting is written when the user saves.
    if (ReloadTime->text().isEmpty())
        ReloadTime->setText(QStringLiteral("30"));
}

void TForm2::CheckBox1Click() {
    ImagePath->setEnabled(CheckBox1->isChecked());
}

void TForm2::Button1Click() {
    hide();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as "Close" does: nothing is saved.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Button1Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm2::Button2Click() {
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
    if (!reportFailures(dialogs_, [this] { saveSettings(); }))
        return;
    emit settingsSaved();
    dialogs_.beep();
    dialogs_.information(QStringLiteral("Your FTP Upload settings have been saved."));
}

void TForm2::saveSettings() {
    const std::pair<const char*, QString> values[] = {
        {"hostname", HostName->text()},
        {"port", QStringLiteral("ftp")},
        {"username", UserName->text()},
        {"ftppassword", Password->text()},
        {"hostdirname", HostDir->text()},
        {"hostfilename", HostFileName->text()},
        {"LiveStatsReloadtime", ReloadTime->text()},
        {"customimagepath", ImagePath->text()},
        {"usecustomimage",
         CheckBox1->isChecked() ? QStringLiteral("true") : QStringLiteral("false")},
    };
    try {
        store_.update([&](RegFile& file) {
            for (const auto& [name, value] : values)
                file.setValue(kVantorKey, QString::fromLatin1(name), value);
        });
    } catch (const Error&) {
        // Nothing was stored, so the first value is the one that failed.
        throw Error(
            QStringLiteral("Failed to set data for '%1'").arg(QLatin1String(values[0].first)));
    }
}

} // namespace vantor::recorder
