#include "message_box_dialogs.h"

#include "app_title.h"

#include <QApplication>
#include <QMessageBox>

namespace vantor {

void MessageBoxDialogs::information(const QString& text) {
    QMessageBox::information(parent_, applicationTitle(), text, QMessageBox::Ok);
}

bool MessageBoxDialogs::askYesNo(const QString& text) {
    return QMessageBox::question(parent_, applicationTitle(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxDialogs::error(const QString& text) {
    QMessageBox::critical(parent_, applicationTitle(), text, QMessageBox::Ok);
}

void MessageBoxDialogs::beep() {
    QApplication::beep();
}

} // namespace vantor
