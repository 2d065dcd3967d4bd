#include "main_form.h"

#include "logo.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace vantor::utilities {

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Marrow's Vantor v3.7.03"));
    auto* layout = new QVBoxLayout(this);
    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap::fromImage(logoImage()));
    layout->addWidget(logo);
}

} // namespace vantor::utilities
