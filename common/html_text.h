#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <string_view>

namespace vantor {

// The stats, rankings and live pages are code page 1252; hosts today serve a page as UTF-8
// unless it says otherwise.
inline constexpr std::string_view kCp1252CharsetMeta = "<meta charset=\"windows-1252\">";

// Escapes &, <, > and " so that text a remote player chose cannot become markup.
QByteArray htmlEscape(QByteArrayView text);

} // namespace vantor
