// The "FTP Upload" page: sending a page to the server, storing the FTP settings, deleting
// pages from the data folder.
#include "utilities_window.h"

#include "upload_status_window.h"

#include "utilities/core/ftp_upload.h"

#include "ftp/ftp_client.h"
#include "platform/dialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>

namespace vantor::utilities {

namespace {

// Hands the keys typed into a control to a handler of the form.
class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject* parent, std::function<bool(int)> onKey)
        : QObject(parent), onKey_(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && onKey_(static_cast<QKeyEvent*>(event)->key()))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int)> onKey_;
};

} // namespace

void UtilitiesWindow::connectFtpPage() {
    ftpClient = new FtpClient(this);
    // The status window is seen by whoever stands behind the user.
    ftpClient->MaskPassword = true;
    statusWindow = new UploadStatusWindow(this);
    connect(ShowPassword, &QCheckBox::toggled, this, [this](bool shown) {
        Password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(transmitButton, &QPushButton::clicked, this, &UtilitiesWindow::transmit);
    connect(saveSettingsButton, &QPushButton::clicked, this, &UtilitiesWindow::saveSettings);
    connect(deletePageButton, &QPushButton::clicked, this, &UtilitiesWindow::deletePage);
    pageFileList->installEventFilter(new KeyPressFilter(pageFileList, [this](int key) {
        if (key != Qt::Key_Backspace)
            return false;
        pageListKeyPress(kBackspaceChar);
        return true;
    }));
}

void UtilitiesWindow::transmit() {
    // The client's properties must not change under an upload that is still running.
    if (uploading_)
        return;
    guarded([&] {
        const FtpSettings fields = ftpFields();
        QString missing = missingFtpField(fields);
        if (missing.isEmpty())
            missing = fingerprintProblem(fields.certSha256);
        if (!missing.isEmpty()) {
            dialogs_.beep();
            dialogs_.information(missing);
            return;
        }
        applyFtpSettings(*ftpClient, fields);

        const auto selected = pageFileList->selectedItems();
        const QString pageFile = selected.isEmpty() ? QString() : selected.first()->text();
        if (pageFile.isEmpty()) {
            dialogs_.beep();
            dialogs_.information(kSelectFileMessage);
            return;
        }

        statusWindow->show();
        uploading_ = true;
        transmitButton->setEnabled(false);
        const auto release = qScopeGuard([&] {
            uploading_ = false;
            transmitButton->setEnabled(true);
        });
        // Stored under the same name, in the server's directory of the settings.
        UploadStatusWindow* status = statusWindow;
        const QString failure = uploadPage(
            *ftpClient, pageFile, pageFile,
            [status](QObject* sender, const QByteArray& line) { status->addLine(sender, line); });
        if (!failure.isEmpty())
            status->addLine(ftpClient, "! " + failure.toUtf8());
    });
}

void UtilitiesWindow::saveSettings() {
    guarded([&] {
        const FtpSettings fields = ftpFields();
        QString problem = unsafeFtpField(fields);
        if (problem.isEmpty())
            problem = portProblem(fields.port);
        if (problem.isEmpty())
            problem = fingerprintProblem(fields.certSha256);
        if (!problem.isEmpty()) {
            dialogs_.beep();
            dialogs_.information(problem);
            return;
        }
        saveFtpSettings(settings_, fields);
        dialogs_.beep();
        dialogs_.information(kSettingsSavedMessage);
    });
}

void UtilitiesWindow::deletePage() {
    guarded([&] {
        const auto selected = pageFileList->selectedItems();
        // Nothing selected, or a file that will not go: nothing to say.
        if (!selected.isEmpty())
            QFile::remove(QDir::current().filePath(selected.first()->text()));
        readHtmlFileList();
    });
}

void UtilitiesWindow::pageListKeyPress(int key) {
    if (key == kBackspaceChar)
        deletePage();
}

void UtilitiesWindow::refreshPageList() {
    if (htmlListRead_)
        readHtmlFileList();
}

} // namespace vantor::utilities
