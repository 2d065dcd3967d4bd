#include "seasons.h"

#include "common/error.h"

#include <algorithm>

namespace vantor::history {

namespace {
constexpr QChar kEntrySeparator = u'|';
constexpr qsizetype kNameMax = 40;

bool fitName(const QString& name) {
    if (name.isEmpty() || name.size() > kNameMax || name != name.trimmed())
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == kEntrySeparator || c.category() == QChar::Other_Control;
    });
}
} // namespace

SeasonList SeasonList::fromSetting(const QString& value) {
    SeasonList list;
    if (value.isEmpty())
        return list;
    for (const QString& entry : value.split(kEntrySeparator)) {
        const std::optional<QDate> start = parseDay(entry.left(10));
        const Season s{entry.mid(11), start.value_or(QDate())};
        if (!start || entry.mid(10, 1) != QStringLiteral(" ") || !list.refusalToAdd(s).isEmpty())
            throw Error(QStringLiteral("The seasons in the settings cannot be read at \"%1\"; "
                                       "they were left as they are.")
                            .arg(entry));
        list.add(s);
    }
    return list;
}

QString SeasonList::settingValue() const {
    QStringList entries;
    for (const Season& s : seasons_)
        entries << s.start.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + s.name;
    return entries.join(kEntrySeparator);
}

const Season* SeasonList::find(const QString& name) const {
    for (const Season& s : seasons_)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

QString SeasonList::refusalToAdd(const Season& season) const {
    if (!fitName(season.name))
        return QStringLiteral("A season's name is 1 to %1 characters, without '|', control "
                              "characters or blanks at either end.")
            .arg(kNameMax);
    if (const Season* same = find(season.name))
        return QStringLiteral("There is a season \"%1\" already.").arg(same->name);
    for (const Season& s : seasons_)
        if (s.start == season.start)
            return QStringLiteral("The season \"%1\" starts on %2 already.")
                .arg(s.name, s.start.toString(QStringLiteral("yyyy-MM-dd")));
    return {};
}

void SeasonList::add(const Season& season) {
    const auto at =
        std::upper_bound(seasons_.begin(), seasons_.end(), season,
                         [](const Season& a, const Season& b) { return a.start < b.start; });
    seasons_.insert(at, season);
}

bool SeasonList::remove(const QString& name) {
    const auto at = std::find_if(seasons_.begin(), seasons_.end(), [&](const Season& s) {
        return s.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (at == seasons_.end())
        return false;
    seasons_.erase(at);
    return true;
}

std::optional<QDate> SeasonList::end(const Season& season) const {
    for (const Season& s : seasons_)
        if (s.start > season.start)
            return s.start;
    return std::nullopt;
}

TimeWindow SeasonList::window(const Season& season, WindowZone zone) const {
    const std::optional<QDate> next = end(season);
    TimeWindow w =
        dayWindow(season.start, next ? std::optional(next->addDays(-1)) : std::nullopt, zone);
    w.label = season.name;
    return w;
}

} // namespace vantor::history
