#pragma once

#include <QByteArray>

namespace vantor {

// What a page links to and where its images come from. The pages take it as a value, so that
// a test can give the addresses a page was made with; the programs use fromBuild().
struct PageLinks {
    QByteArray homePage; // empty: the page writes no anchor to it
    QByteArray email;    // empty: the page writes no e-mail line
    QByteArray credit;   // "Vantor v3.7.03 by Marrow"
    QByteArray logoImage;
    QByteArray aliveImage;
    QByteArray deadImage;

    // A home page gives the logo "<home page>/images/Vantor-logo.jpg", an image base the
    // health images "<base>images/alive.gif" and "<base>images/dead.gif"; where either is
    // empty the page carries its own images.
    static PageLinks forSite(const QByteArray& homePage, const QByteArray& email,
                             const QByteArray& imageBaseUrl);
    // The build settings (common/build_info.h).
    static PageLinks fromBuild();
};

// The credit line of the windows and the pages: "Vantor v3.7.03 by Marrow".
QByteArray creditText();

} // namespace vantor
