#pragma once

#include "common/page_links.h"

namespace vantor::test {

// The addresses the pages carry when a build sets the author's site; the golden pages under
// tests/data were made with them.
inline PageLinks siteLinks() {
    return PageLinks::forSite("https://vantor.example.org", "marrow@vantor.example.org",
                              "https://vantor.example.org/");
}

} // namespace vantor::test
