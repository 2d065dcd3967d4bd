#pragma once

#include <QString>

namespace vantor::utilities {

// Build settings (see utilities/CMakeLists.txt): where the logo and the links lead, and the
// credit shown in the window's footer and on the pages.
QString homePage();
QString supportForumPage();
QString authorEmail();
QString creditLine();

} // namespace vantor::utilities
