#include "options.h"

namespace vantor::utilities::cli {

std::optional<QCommandLineOption> optionNamed(const QString& name) {
    if (name == kCoop)
        return QCommandLineOption(kCoop, QStringLiteral("the cooperative stats file"));
    if (name == kBy)
        return QCommandLineOption(kBy, QStringLiteral("rank key or measure"),
                                  QStringLiteral("KEY"));
    if (name == kComment)
        return QCommandLineOption(kComment, QStringLiteral("page comment"), QStringLiteral("TEXT"));
    if (name == kYes)
        return QCommandLineOption(kYes, QStringLiteral("confirm the deletion"));
    if (name == kQuiet)
        return QCommandLineOption(kQuiet, QStringLiteral("print failures only"));
    return std::nullopt;
}

} // namespace vantor::utilities::cli
