#pragma once

#include <QWidget>

namespace vantor::utilities {

// The utilities' main window.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace vantor::utilities
