#pragma once

#include <QString>

namespace vantor::utilities {

// Build settings (common/build_info.h): where the logo and the links lead (empty: no link), and the
// credit shown in the window's footer and on the pages.
QString homePage();
QString supportForumPage();
QString authorEmail();
QString creditLine();

} // namespace vantor::utilities
