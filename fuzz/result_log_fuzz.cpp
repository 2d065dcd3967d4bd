// Any bytes as a game's result log: the reader either gives a whole game or throws
// vantor::Error; it never crashes, and every text it gives fits its record field.
#include "common/error.h"
#include "stats/result_log.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto log = vantor::stats::parseResultLog(
            QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), "12/8/2026");
        if (log.info.gameType.size() > 20)
            std::abort();
        for (const auto& p : log.players)
            if (p.stats.name.length() > 50 || p.lastGame.team.length() > 4)
                std::abort();
    } catch (const vantor::Error&) {
    }
    return 0;
}
