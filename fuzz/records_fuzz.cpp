// Any bytes as "stats.log", "lastgame.log" or "team.log": reading, deriving and printing the
// figures of every record never crashes or overflows.
#include "common/html_text.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/skill.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {
template <class R> void readAndDerive(const QString& path) {
    for (auto r : vantor::readAllRecords<R>(path)) {
        if constexpr (std::is_same_v<R, vantor::TeamWinsRecord>) {
            (void)r.team.text();
        } else {
            vantor::calcskill(r);
            (void)vantor::killsPerGameText(r.kills, r.games);
            (void)vantor::htmlEscape(r.name.text());
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.log"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    f.close();
    readAndDerive<vantor::PlayerStatsRecord>(path);
    readAndDerive<vantor::LastGameRecord>(path);
    readAndDerive<vantor::TeamWinsRecord>(path);
    return 0;
}
