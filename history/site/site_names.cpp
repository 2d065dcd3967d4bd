#include "site_names.h"

#include <QHash>
#include <algorithm>
#include <map>

namespace vantor::history::site {

namespace {

constexpr int kReadableChars = 32;
constexpr int kHashDigits = 12;

// FNV-1a over the exact bytes: stable across builds, machines and Qt versions.
std::uint64_t nameHash(const QByteArray& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= std::uint8_t(c);
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

QString fileStem(const QByteArray& cp1252Name) {
    QString stem;
    bool dash = false;
    for (char c : cp1252Name) {
        if (stem.size() >= kReadableChars)
            break;
        const char lower = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
            stem += QLatin1Char(lower);
            dash = false;
        } else if (!dash && !stem.isEmpty()) {
            stem += QLatin1Char('-');
            dash = true;
        }
    }
    if (stem.isEmpty())
        stem = QStringLiteral("x-"); // never a leading '-', which tools read as an option
    else if (!dash)
        stem += QLatin1Char('-');
    const QString hex = QString::number(nameHash(cp1252Name), 16).rightJustified(16, u'0');
    return stem + hex.left(kHashDigits);
}

StemTable::StemTable(const std::vector<QByteArray>& names) {
    std::map<QString, std::vector<QByteArray>> byStem;
    for (const QByteArray& name : names)
        byStem[fileStem(name)].push_back(name);
    stems_.reserve(names.size());
    for (auto& [stem, group] : byStem) {
        std::sort(group.begin(), group.end());
        collisions_ += group.size() - 1;
        for (std::size_t i = 0; i < group.size(); ++i)
            stems_[group[i]] = i == 0 ? stem : stem + QLatin1Char('-') + QString::number(i + 1);
    }
}

const QString& StemTable::stemOf(const QByteArray& name) const {
    static const QString none;
    const auto it = stems_.find(name);
    return it == stems_.end() ? none : it->second;
}

} // namespace vantor::history::site
