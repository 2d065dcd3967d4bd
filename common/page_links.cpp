#include "page_links.h"

#include "common/build_info.h"
#include "page_images.h"

namespace vantor {

PageLinks PageLinks::forSite(const QByteArray& homePage, const QByteArray& email,
                             const QByteArray& imageBaseUrl) {
    PageLinks links;
    links.homePage = homePage;
    links.email = email;
    links.credit = creditText();
    links.logoImage = homePage.isEmpty() ? logoImageUri()
                                         : homePage + QByteArrayLiteral("/images/Vantor-logo.jpg");
    links.aliveImage = imageBaseUrl.isEmpty()
                           ? aliveImageUri()
                           : imageBaseUrl + QByteArrayLiteral("images/alive.gif");
    links.deadImage = imageBaseUrl.isEmpty() ? deadImageUri()
                                             : imageBaseUrl + QByteArrayLiteral("images/dead.gif");
    return links;
}

PageLinks PageLinks::fromBuild() {
    return forSite(build::kHomePage, build::kAuthorEmail, build::kImageBaseUrl);
}

QByteArray creditText() {
    QByteArray text = QByteArrayLiteral("Vantor v") + build::kVersion;
    if (build::kAuthorName[0] != '\0')
        text += QByteArrayLiteral(" by ") + build::kAuthorName;
    return text;
}

} // namespace vantor
