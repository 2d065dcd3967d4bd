#include "live_stats_setup.h"

namespace vantor::recorder {

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Live Stats Setup"));
    setFixedSize(300, 320);
}

} // namespace vantor::recorder
