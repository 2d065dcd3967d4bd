#pragma once

#include <QByteArray>

namespace vantor::utilities {

// The author's addresses and credit line printed on every page. Their values are build
// settings (VANTOR_AUTHOR_HOME_PAGE, VANTOR_AUTHOR_EMAIL, VANTOR_CREDIT_TEXT).
struct AuthorLinks {
    QByteArray homePage;
    QByteArray email;
    QByteArray credit;

    static AuthorLinks build();
};

} // namespace vantor::utilities
