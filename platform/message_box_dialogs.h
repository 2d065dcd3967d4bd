#pragma once

#include "dialogs.h"

class QWidget;

namespace vantor {

// The real message boxes, captioned with the application title.
class MessageBoxDialogs : public Dialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void information(const QString& text) override;
    bool askYesNo(const QString& text) override;
    void error(const QString& text) override;
    void beep() override;

private:
    QWidget* parent_;
};

} // namespace vantor
