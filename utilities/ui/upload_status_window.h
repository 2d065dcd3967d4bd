#pragma once

#include <QByteArray>
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace vantor::utilities {

// The upload status window: the FTP client's exchange with the server, line by line. Created
// hidden with the main window and kept until the program ends; its lines pile up over several
// uploads until "Close".
class UploadStatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit UploadStatusWindow(QWidget* parent = nullptr);

    // The client's display handler: the line becomes the new last line.
    void addLine(QObject* Sender, const QByteArray& Msg);
    // "Close": empties the text area, its first empty line too, and hides the window.
    void closeAndClear();

    // The lines the text area holds, top first.
    QStringList lines() const;

    QPlainTextEdit* textArea = nullptr;
    QPushButton* closeButton = nullptr; // "Close"

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Opens with the focus on "Close", so Escape and Return work at once.
    void showEvent(QShowEvent* event) override;

private:
    int lineCount_ = 1; // the text area starts with one empty line
};

} // namespace vantor::utilities
