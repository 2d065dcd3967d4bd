#pragma once

#include <QImage>

namespace vantor::utilities {

// The logo at the top of the main window, decoded from the embedded JPEG.
QImage logoImage();

} // namespace vantor::utilities
