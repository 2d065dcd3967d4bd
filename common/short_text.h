#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace vantor {

// A text of at most N single-byte characters stored as a length byte and N character bytes.
// Bytes past the length carry no meaning; setText leaves them as they were.
template <std::size_t N> struct ShortText {
    static_assert(N < 256);
    std::array<char, N + 1> bytes{};

    int length() const { return std::min<int>(static_cast<std::uint8_t>(bytes[0]), int(N)); }
    bool isEmpty() const { return length() == 0; }
    QByteArray text() const { return QByteArray(bytes.data() + 1, length()); }
    // The same characters in place, without a copy.
    QByteArrayView view() const { return QByteArrayView(bytes.data() + 1, length()); }

    // Longer input is cut to N characters.
    void setText(QByteArrayView value) {
        const auto len = std::min<qsizetype>(value.size(), qsizetype(N));
        bytes[0] = static_cast<char>(len);
        if (len > 0)
            std::memcpy(bytes.data() + 1, value.data(), std::size_t(len));
    }

    // Same length and same bytes: the comparison the data files are merged by.
    bool sameText(const ShortText& other) const {
        return length() == other.length() &&
               std::memcmp(bytes.data() + 1, other.bytes.data() + 1, std::size_t(length())) == 0;
    }
    bool sameText(QByteArrayView value) const { return view() == value; }
};

} // namespace vantor
