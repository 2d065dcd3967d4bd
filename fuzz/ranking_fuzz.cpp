// Any bytes as a stats file, ranked by any key: afterwards the file is whole records, holds
// every record it should exactly once (the non-blank ones; every one for "Kills/Game") with
// freshly derived values, in non-increasing key order. A file that cannot be ranked (a partial
// record at its end, a key that is none of the eight) is refused and left byte for byte.
//
// Input: one byte choosing the key (its value mod 9; 8 is a key that is not in the list), then
// the file.
#include "common/error.h"
#include "common/record_file.h"
#include "common/records.h"
#include "stats/rank_keys.h"
#include "stats/ranking.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QByteArray bytesOf(const vantor::PlayerStatsRecord& r) {
    return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    return f.readAll();
}

// Files go to memory where there is some: the ranking forces every file it writes to disk.
QString scratchParent() {
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                     : QDir::tempPath();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    using namespace vantor::stats;
    if (size == 0)
        return 0;
    static QTemporaryDir dir(scratchParent() + QStringLiteral("/vantor-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("stats.log"));
    const QByteArray input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(input) != input.size())
            std::abort();
    }
    const int choice = data[0] % 9;
    const QString keyText =
        choice < 8 ? rankKeyTexts()[choice] : QStringLiteral("Skill points"); // case counts

    const bool refusable = choice == 8 || input.size() % qsizetype(sizeof(PlayerStatsRecord)) != 0;
    RankResult result;
    try {
        result = rankStatsFile(path, keyText);
    } catch (const Error&) {
        if (!refusable || readAll(path) != input)
            std::abort();
        if (QFile::exists(dir.filePath(QStringLiteral("work.dat"))))
            std::abort();
        return 0;
    }
    if (refusable)
        std::abort();

    const RankKey key = *rankKeyFromText(keyText);
    std::vector<PlayerStatsRecord> expected(std::size_t(input.size()) / sizeof(PlayerStatsRecord));
    if (!expected.empty())
        std::memcpy(expected.data(), input.constData(), std::size_t(input.size()));
    QByteArrayList wanted;
    for (auto& r : expected) {
        computeDerivedValues(r);
        if (keepsBlankRecords(key) || !r.isBlank())
            wanted << bytesOf(r);
    }

    const QByteArray output = readAll(path);
    if (output.size() % qsizetype(sizeof(PlayerStatsRecord)) != 0)
        std::abort();
    const auto ranked = readAllRecords<PlayerStatsRecord>(path);
    if (result.recordCount != std::int64_t(expected.size()) ||
        result.written != std::int64_t(ranked.size()))
        std::abort();
    QByteArrayList got;
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        got << bytesOf(ranked[i]);
        if (i > 0 && rankKeyValue(key, ranked[i - 1]) < rankKeyValue(key, ranked[i]))
            std::abort();
    }
    std::sort(wanted.begin(), wanted.end());
    std::sort(got.begin(), got.end());
    if (got != wanted)
        std::abort();
    if (QFile::exists(dir.filePath(QStringLiteral("work.dat"))))
        std::abort();
    return 0;
}
