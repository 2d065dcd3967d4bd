#pragma once

#include <QWidget>

namespace vantor::recorder {

// The live stats setup window: created hidden with the main window, shown by its
// "Live Stats Setup" button, only ever hidden again.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace vantor::recorder
