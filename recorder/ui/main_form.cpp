#include "main_form.h"

namespace vantor::recorder {

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Marrow's Vantor Recorder v3.7"));
}

} // namespace vantor::recorder
