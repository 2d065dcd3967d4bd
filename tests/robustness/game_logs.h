#pragma once

#include <QByteArray>
#include <cstdint>
#include <map>
#include <random>

namespace vantor::test {

// What a stream of result logs must add up to, counted apart from the recorder: per player
// (by the name as the stats file keeps it) and per stats file, and the team wins.
struct GameTally {
    struct Totals {
        std::int64_t kills = 0;
        std::int64_t deaths = 0;
        std::int64_t games = 0;
        std::int64_t roundsFired = 0;
        std::int64_t roundsTaken = 0;
        bool operator==(const Totals&) const = default;
    };
    std::map<QByteArray, Totals> adversarial;
    std::map<QByteArray, Totals> cooperative;
    std::int64_t blueWins = 0;
    std::int64_t goldWins = 0;
    int adversarialGames = 0;
    int cooperativeGames = 0;
};

// Writes result logs as the game does, with random players: names with HTML characters, code
// page bytes, letter case twins and names longer than a record holds, a player twice in one
// game, every team and health code, numbers in every form the reader accepts, games without a
// blue player.
class GameLogWriter {
public:
    explicit GameLogWriter(std::uint32_t seed) : random_(seed) {}

    // The next game; its figures go into the tally. players 0: 1 to 16 at random.
    QByteArray next(GameTally& tally, bool adversarial, int players = 0);
    QByteArray next(GameTally& tally) { return next(tally, chance(70)); }

private:
    bool chance(int percent) { return int(random_() % 100) < percent; }
    int between(int low, int high) { return low + int(random_() % std::uint32_t(high - low + 1)); }
    QByteArray numberText(int value);
    QByteArray playerName();

    std::mt19937 random_;
};

} // namespace vantor::test
