#include "upload_status_window.h"

#include "platform/window_placement.h"
#include "utilities/core/ftp_upload.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

namespace vantor::utilities {

UploadStatusWindow::UploadStatusWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("FTP Upload Status..."));
    setFixedSize(292, 277);
    QFont verdana(QStringLiteral("Verdana"), 8);
    setFont(verdana);

    textArea = new QPlainTextEdit(this);
    textArea->setObjectName(QStringLiteral("textArea"));
    textArea->setGeometry(1, 1, 289, 241);
    textArea->setReadOnly(true);
    textArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A long reply or path wraps, even without blanks, so nothing needs scrolling sideways.
    textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textArea->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textArea->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setGeometry(108, 248, 75, 25);
    closeButton->setAutoDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &UploadStatusWindow::closeAndClear);

    centreOnScreen(*this);
}

void UploadStatusWindow::addLine(QObject*, const QByteArray& Msg) {
    QTextCursor cursor(textArea->document());
    cursor.movePosition(QTextCursor::End);
    if (lineCount_ > 0)
        cursor.insertBlock();
    cursor.insertText(displayLineText(Msg));
    ++lineCount_;
    QScrollBar* bar = textArea->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void UploadStatusWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as its title bar does: the lines stay.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void UploadStatusWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
    closeButton->setFocus(Qt::ActiveWindowFocusReason);
}

void UploadStatusWindow::closeAndClear() {
    textArea->clear();
    lineCount_ = 0;
    close();
}

QStringList UploadStatusWindow::lines() const {
    if (lineCount_ == 0)
        return {};
    return textArea->toPlainText().split(QLatin1Char('\n'));
}

} // namespace vantor::utilities
