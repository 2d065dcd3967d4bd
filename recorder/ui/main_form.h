#pragma once

#include <QWidget>

namespace vantor::recorder {

// The recorder's main window.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace vantor::recorder
