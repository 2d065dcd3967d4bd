#include "author.h"

namespace vantor::utilities {

QString homePage() {
    return QStringLiteral(VANTOR_HOME_PAGE);
}
QString supportForumPage() {
    return QStringLiteral(VANTOR_SUPPORT_FORUM);
}
QString authorEmail() {
    return QStringLiteral(VANTOR_AUTHOR_EMAIL);
}
QString creditLine() {
    return QStringLiteral("Vantor v3.7.03 by " VANTOR_AUTHOR_NAME);
}

} // namespace vantor::utilities
