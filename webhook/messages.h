#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace vantor::webhook {

// What a hook is sent: Discord's webhook JSON, or plain JSON for any other receiver.
enum class Format { Discord, Json };
// "discord" or "json" in any letter case; an empty value is Discord. nullopt for anything else.
std::optional<Format> formatNamed(const QString& name);
QString formatName(Format format);

// One of the game's best players; the name as the result log gave it (code page 1252).
struct TopPlayer {
    QByteArray name;
    qint64 kills = 0;
    qint64 deaths = 0;
    qint64 skillPoints = 0;
};

// A recorded game as the Discord message tells it. Game texts are code page 1252 bytes.
struct GameNotice {
    qint64 id = 0;
    QByteArray playedAt; // "YYYY-MM-DD HH:MM:SS", local time
    QByteArray map;
    QByteArray rules;
    QByteArray elapsedTime;
    QString result; // "blue won", "gold won", "-"
    int players = 0;
    std::vector<TopPlayer> top; // best first, up to three
    QString link;               // the published live page or site; empty when none
};

// Discord: a line of content and one embed (map and rules, result, the top three as fields,
// a link when one is published). Texts are cut to Discord's limits, a player's Markdown is
// shown as typed, and no name can mention anyone.
QByteArray discordGameMessage(const GameNotice& game);

// An alert raised (or cleared: "back to normal") about one condition.
struct AlertNotice {
    QString condition; // a short fixed name: "uploads", "malformed-log", ...
    bool raised = true;
    QString text;
};
QByteArray alertMessage(Format format, const AlertNotice& alert);

// The message of `webhook test`, naming the machine it comes from.
QByteArray testMessage(Format format, const QString& host);

// The JSON message of a game: the game object as the JSON export gives it, unchanged.
inline QByteArray jsonGameMessage(const QByteArray& exportedGame) {
    return exportedGame;
}

} // namespace vantor::webhook
