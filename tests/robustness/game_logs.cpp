#include "game_logs.h"

#include <QList>
#include <optional>

namespace vantor::test {

namespace {

// A value line: the label, the value and one character that the reader drops, CR LF.
QByteArray line(const char* label, const QByteArray& value) {
    return QByteArray(label) + value + " \r\n";
}

const QList<QByteArray>& fixedNames() {
    static const QList<QByteArray> names = {
        "Marrow",
        "Ding Chavez",
        "alpha",
        "Alpha",
        "ALPHA",
        "J\xF6rg M\xFCller",
        "<b>Bold</b>",
        "Tom & \"Jerry\"",
        "Trailing blank ",
        "  Leading blanks",
        "Z",
        "%s%n%d",
        "..\\..\\windows",
        "Tab\tinside",
        "\xA9\xAE\xBD\xFF",
        // Longer than a record holds: both keep the same first 50 characters, one player.
        QByteArray(60, 'L'),
        QByteArray(50, 'L') + "different tail",
    };
    return names;
}

} // namespace

QByteArray GameLogWriter::numberText(int value) {
    switch (between(0, 5)) {
    case 0:
        return "   " + QByteArray::number(value);
    case 1:
        return "+" + QByteArray::number(value);
    case 2:
        return "0x" + QByteArray::number(value, 16);
    case 3:
        return "$" + QByteArray::number(value, 16).toUpper();
    default:
        return QByteArray::number(value);
    }
}

QByteArray GameLogWriter::playerName() {
    if (chance(40))
        return fixedNames()[between(0, int(fixedNames().size()) - 1)];
    return "Bot" + QByteArray::number(between(1, 40));
}

QByteArray GameLogWriter::next(GameTally& tally, bool adversarial, int players) {
    QByteArray log;
    log += line("Type  : ", adversarial ? "Adversarial" : "Cooperative");
    log += line("Map Name   : ", chance(50) ? "Oil Refinery" : "Embassy <Night>");
    log += "Server Name  : Robust Server \r\n";
    log += line("Rules  : ", adversarial ? "Team Survival" : "Mission");
    log += line("Elapsed Time  : ",
                QByteArray::number(between(1, 59)) + ":" + QByteArray::number(between(10, 59)));
    log += "\r\n";

    auto& totals = adversarial ? tally.adversarial : tally.cooperative;
    std::optional<bool> blueWon;
    const int count = players > 0 ? players : between(1, 16);
    QByteArray previous = "Marrow";
    for (int i = 1; i <= count; ++i) {
        const QByteArray name = chance(10) ? previous : playerName();
        previous = name;
        const int team = between(0, 9) < 4 ? 0 : (between(0, 9) < 8 ? 3 : between(1, 2));
        const int health = between(0, 4); // 4 is no known code: alive
        const int kills = chance(20) ? 0 : between(0, 30);
        const int fired = chance(15) ? 0 : between(1, 300);
        const int taken = between(0, 12);
        const bool won = chance(50);

        log += "Player Number : " + QByteArray::number(i) + " \r\n";
        log += line("Team        : ", QByteArray::number(team));
        log += "Character   : Operative \r\n";
        log += line("Health Status : ", QByteArray::number(health));
        log += line("Player Name  : ", name);
        log += line("Kills            : ", numberText(kills));
        log += line("Hit Percentage  : ", numberText(between(0, 100)));
        log += line("Rounds Fired         : ", numberText(fired));
        log += line("Rounds Taken         : ", numberText(taken));
        log += line("Killed By            : ", chance(50) ? playerName() : QByteArray());
        log += line("Team Won     : ", won ? "1" : "0");
        log += "\r\n";

        auto& t = totals[name.left(50)];
        t.kills += kills;
        t.deaths += (health == 2 || health == 3) ? 1 : 0;
        t.games += 1;
        t.roundsFired += fired;
        t.roundsTaken += taken;
        if (team == 0)
            blueWon = won; // the last blue player's line decides
    }
    if (adversarial) {
        ++tally.adversarialGames;
        if (blueWon)
            (*blueWon ? tally.blueWins : tally.goldWins) += 1;
    } else {
        ++tally.cooperativeGames;
    }
    return log;
}

} // namespace vantor::test
