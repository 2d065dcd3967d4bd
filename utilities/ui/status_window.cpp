#include "status_window.h"

#include "platform/window_placement.h"
#include "utilities/core/ftp_upload.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

namespace vantor::utilities {

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("FTP Upload Status..."));
    setFixedSize(292, 277);
    QFont verdana(QStringLiteral("Verdana"), 8);
    setFont(verdana);

    DisplayMemo = new QPlainTextEdit(this);
    DisplayMemo->setObjectName(QStringLiteral("DisplayMemo"));
    DisplayMemo->setGeometry(1, 1, 289, 241);
    DisplayMemo->setReadOnly(true);
    DisplayMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A long reply or path wraps, even without blanks, so nothing needs scrolling sideways.
    DisplayMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DisplayMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    DisplayMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(108, 248, 75, 25);
    Button1->setAutoDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    centreOnScreen(*this);
}

void TForm2::Display(QObject*, const QByteArray& Msg) {
    QTextCursor cursor(DisplayMemo->document());
    cursor.movePosition(QTextCursor::End);
    if (lineCount_ > 0)
        cursor.insertBlock();
    cursor.insertText(displayLineText(Msg));
    ++lineCount_;
    QScrollBar* bar = DisplayMemo->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as its title bar does: the lines stay.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
    Button1->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm2::Button1Click() {
    DisplayMemo->clear();
    lineCount_ = 0;
    close();
}

QStringList TForm2::lines() const {
    if (lineCount_ == 0)
        return {};
    return DisplayMemo->toPlainText().split(QLatin1Char('\n'));
}

} // namespace vantor::utilities
