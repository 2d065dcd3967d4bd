#pragma once

#include <QByteArray>

namespace vantor {

// The pages' own images (common/images) as data: URIs, so that a page shows them wherever it
// is opened or uploaded. Generated from the image files at configure time.
QByteArray logoImageUri();  // the stats page's logo, a JPEG
QByteArray aliveImageUri(); // "Health State" of a player who did not die, a PNG
QByteArray deadImageUri();

} // namespace vantor
