#pragma once

#include <QByteArray>
#include <cstdint>

namespace vantor::test {

// The header an undo journal begins with.
inline const QByteArray kJournalHeader = "VNTUNDO1";

// One undo journal entry as the file holds it: length, payload (kind, name, value, old bytes),
// FNV-1a checksum of the payload. For journals planted as someone could plant them.
inline QByteArray journalEntry(char kind, const QByteArray& name, std::int64_t value,
                               const QByteArray& bytes = {}) {
    QByteArray payload;
    payload += kind;
    payload += char(name.size());
    payload += name;
    payload.append(reinterpret_cast<const char*>(&value), 8);
    payload += bytes;
    std::uint64_t h = 1469598103934665603ull;
    for (char c : payload) {
        h ^= std::uint8_t(c);
        h *= 1099511628211ull;
    }
    const auto length = std::uint32_t(payload.size());
    return QByteArray(reinterpret_cast<const char*>(&length), 4) + payload +
           QByteArray(reinterpret_cast<const char*>(&h), 8);
}

} // namespace vantor::test
