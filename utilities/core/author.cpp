#include "author.h"

#include "common/build_info.h"
#include "common/page_links.h"

namespace vantor::utilities {

QString homePage() {
    return QString::fromUtf8(build::kHomePage);
}
QString supportForumPage() {
    return QString::fromUtf8(build::kSupportForum);
}
QString authorEmail() {
    return QString::fromUtf8(build::kAuthorEmail);
}
QString creditLine() {
    return QString::fromUtf8(creditText());
}

} // namespace vantor::utilities
