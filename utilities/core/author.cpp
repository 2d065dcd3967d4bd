#include "author.h"

namespace vantor::utilities {

AuthorLinks AuthorLinks::build() {
    return {QByteArrayLiteral(VANTOR_AUTHOR_HOME_PAGE), QByteArrayLiteral(VANTOR_AUTHOR_EMAIL),
            QByteArrayLiteral(VANTOR_CREDIT_TEXT)};
}

} // namespace vantor::utilities
