#include "site_names.h"

#include <QHash>
#include <algorithm>
#include <unordered_set>

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
    char stem[kReadableChars + 2 + kHashDigits];
    int size = 0;
    bool dash = false;
    for (char c : cp1252Name) {
        if (size >= kReadableChars)
            break;
        const char lower = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
            stem[size++] = lower;
            dash = false;
        } else if (!dash && size > 0) {
            stem[size++] = '-';
            dash = true;
        }
    }
    if (size == 0)
        stem[size++] = 'x'; // never a leading '-', which tools read as an option
    if (!dash)
        stem[size++] = '-';
    const std::uint64_t hash = nameHash(cp1252Name);
    static const char kHex[] = "0123456789abcdef";
    for (int i = 0; i < kHashDigits; ++i)
        stem[size++] = kHex[(hash >> (60 - 4 * i)) & 0xF];
    return QString::fromLatin1(stem, size);
}

StemTable::StemTable(const std::vector<QByteArray>& names) {
    // Stems that share no hash digits cannot meet.
    std::unordered_set<std::uint64_t> hashes;
    hashes.reserve(names.size());
    for (const QByteArray& name : names)
        if (!hashes.insert(nameHash(name) >> (64 - 4 * kHashDigits)).second) {
            lazy_ = false;
            break;
        }
    if (lazy_)
        return;
    std::unordered_map<QString, std::vector<QByteArray>> met; // stems given more than once
    std::unordered_map<QString, const QByteArray*> first;
    first.reserve(names.size());
    stems_.reserve(names.size());
    for (const QByteArray& name : names) {
        QString stem = fileStem(name);
        const auto [it, added] = first.try_emplace(stem, &name);
        if (!added) {
            auto& group = met[stem];
            if (group.empty())
                group.push_back(*it->second);
            group.push_back(name);
        }
        stems_.try_emplace(name, std::move(stem));
    }
    for (auto& [stem, group] : met) {
        std::sort(group.begin(), group.end());
        collisions_ += group.size() - 1;
        for (std::size_t i = 0; i < group.size(); ++i)
            stems_[group[i]] = i == 0 ? stem : stem + QLatin1Char('-') + QString::number(i + 1);
    }
}

const QString& StemTable::stemOf(const QByteArray& name) const {
    if (lazy_) {
        const auto [it, added] = stems_.try_emplace(name);
        if (added)
            it->second = fileStem(name);
        return it->second;
    }
    static const QString none;
    const auto it = stems_.find(name);
    return it == stems_.end() ? none : it->second;
}

} // namespace vantor::history::site
