#include "messages.h"

#include "common/cp1252.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantor::webhook {

namespace {

// Discord's limits, in characters.
constexpr int kContentLimit = 2000;
constexpr int kTitleLimit = 256;
constexpr int kFieldNameLimit = 256;
constexpr int kFieldValueLimit = 1024;

constexpr int kBlue = 0x3B6FD8;
constexpr int kGold = 0xD4A017;
constexpr int kGrey = 0x808080;

QString cut(const QString& text, int limit) {
    return text.size() <= limit ? text : text.left(limit - 1) + QChar(0x2026);
}

// A player's name shown as he typed it, not as Markdown.
QString plain(QByteArrayView cp1252) {
    QString text;
    for (QChar c : fromCp1252(cp1252)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
        if (QStringLiteral("\\*_~`|>[]<#:").contains(c))
            text += u'\\';
        text += c;
    }
    return text;
}

QJsonObject discordBase(const QString& content) {
    QJsonObject message;
    message.insert(QStringLiteral("username"), QStringLiteral("Vantor"));
    message.insert(QStringLiteral("content"), cut(content, kContentLimit));
    // Names come from remote players: "@everyone" in one must stay text.
    message.insert(QStringLiteral("allowed_mentions"),
                   QJsonObject{{QStringLiteral("parse"), QJsonArray()}});
    return message;
}

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

std::optional<Format> formatNamed(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n.isEmpty() || n == QLatin1String("discord"))
        return Format::Discord;
    if (n == QLatin1String("json"))
        return Format::Json;
    return std::nullopt;
}

QString formatName(Format format) {
    return format == Format::Json ? QStringLiteral("json") : QStringLiteral("discord");
}

QByteArray discordGameMessage(const GameNotice& game) {
    const QString map = plain(game.map);
    const QString rules = plain(game.rules);
    QString content = QStringLiteral("Game %1 recorded: %2 (%3), %4.")
                          .arg(game.id)
                          .arg(map, rules,
                               game.result == QLatin1String("-") ? QStringLiteral("no team result")
                                                                 : game.result);
    if (!game.link.isEmpty())
        content += u' ' + game.link;
    QJsonObject message = discordBase(content);

    QJsonObject embed;
    embed.insert(QStringLiteral("title"), cut(map + QStringLiteral(" - ") + rules, kTitleLimit));
    embed.insert(QStringLiteral("description"), cut(QStringLiteral("%1, %2 players, time %3")
                                                        .arg(game.result)
                                                        .arg(game.players)
                                                        .arg(plain(game.elapsedTime)),
                                                    kFieldValueLimit));
    const bool blue = game.result.startsWith(QLatin1String("blue"));
    const bool gold = game.result.startsWith(QLatin1String("gold"));
    embed.insert(QStringLiteral("color"), blue ? kBlue : gold ? kGold : kGrey);
    // Discord refuses the whole message for an embed link that is not a web address.
    if (game.link.startsWith(QLatin1String("https://")) ||
        game.link.startsWith(QLatin1String("http://")))
        embed.insert(QStringLiteral("url"), game.link);
    const QDateTime played = QDateTime::fromString(QString::fromLatin1(game.playedAt),
                                                   QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (played.isValid())
        embed.insert(QStringLiteral("timestamp"), played.toUTC().toString(Qt::ISODate));
    QJsonArray fields;
    int place = 0;
    for (const TopPlayer& p : game.top) {
        if (++place > 3)
            break;
        fields.append(QJsonObject{
            {QStringLiteral("name"),
             cut(QStringLiteral("%1. %2").arg(place).arg(plain(p.name)), kFieldNameLimit)},
            {QStringLiteral("value"), cut(QStringLiteral("%1 skill points, %2 kills, %3 deaths")
                                              .arg(p.skillPoints)
                                              .arg(p.kills)
                                              .arg(p.deaths),
                                          kFieldValueLimit)},
            {QStringLiteral("inline"), true}});
    }
    if (!fields.isEmpty())
        embed.insert(QStringLiteral("fields"), fields);
    message.insert(QStringLiteral("embeds"), QJsonArray{embed});
    return compact(message);
}

QByteArray alertMessage(Format format, const AlertNotice& alert) {
    if (format == Format::Json)
        return compact(
            QJsonObject{{QStringLiteral("alert"), alert.condition},
                        {QStringLiteral("state"),
                         alert.raised ? QStringLiteral("raised") : QStringLiteral("cleared")},
                        {QStringLiteral("text"), alert.text}});
    return compact(discordBase(alert.text));
}

QByteArray testMessage(Format format, const QString& host) {
    const QString text =
        QStringLiteral("Vantor on %1: webhook test. Games and alerts come here.").arg(host);
    if (format == Format::Json)
        return compact(QJsonObject{{QStringLiteral("test"), true}, {QStringLiteral("text"), text}});
    return compact(discordBase(text));
}

} // namespace vantor::webhook
