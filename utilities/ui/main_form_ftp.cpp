// The "FTP Upload" page: sending a page to the server, storing the FTP settings, deleting
// pages from the data folder.
#include "main_form.h"

#include "status_window.h"

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

void TForm1::connectFtpPage() {
    FtpClient1 = new TFtpClient(this);
    // The status window is seen by whoever stands behind the user.
    FtpClient1->MaskPassword = true;
    Form2 = new TForm2(this);
    connect(ShowPassword, &QCheckBox::toggled, this, [this](bool shown) {
        Password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
    connect(Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
    connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    FileListBox1->installEventFilter(new KeyPressFilter(FileListBox1, [this](int key) {
        if (key != Qt::Key_Backspace)
            return false;
        FileListBox1KeyPress(kBackspaceChar);
        return true;
    }));
}

void TForm1::Button12Click() {
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
        applyFtpSettings(*FtpClient1, fields);

        const auto selected = FileListBox1->selectedItems();
        const QString pageFile = selected.isEmpty() ? QString() : selected.first()->text();
        if (pageFile.isEmpty()) {
            dialogs_.beep();
            dialogs_.information(kSelectFileMessage);
            return;
        }

        Form2->show();
        uploading_ = true;
        Button12->setEnabled(false);
        const auto release = qScopeGuard([&] {
            uploading_ = false;
            Button12->setEnabled(true);
        });
        // Stored under the same name, in the server's directory of the settings.
        TForm2* status = Form2;
        const QString failure = uploadPage(
            *FtpClient1, pageFile, pageFile,
            [status](QObject* sender, const QByteArray& line) { status->Display(sender, line); });
        if (!failure.isEmpty())
            status->Display(FtpClient1, "! " + failure.toUtf8());
    });
}

void TForm1::Button11Click() {
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

void TForm1::Button7Click() {
    guarded([&] {
        const auto selected = FileListBox1->selectedItems();
        // Nothing selected, or a file that will not go: nothing to say.
        if (!selected.isEmpty())
            QFile::remove(QDir::current().filePath(selected.first()->text()));
        readHtmlFileList();
    });
}

void TForm1::FileListBox1KeyPress(int key) {
    if (key == kBackspaceChar)
        Button7Click();
}

void TForm1::updatehtmlfilelist() {
    if (htmlListRead_)
        readHtmlFileList();
}

} // namespace vantor::utilities
