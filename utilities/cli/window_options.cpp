#include "window_options.h"

#include "options.h"

#include "common/error.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"

#include <QRegularExpression>

namespace vantor::utilities::cli {

using namespace vantor::history;

WindowZone windowZone(const Invocation& call) {
    return call.isSet(kUtc) ? WindowZone::Utc : WindowZone::Local;
}

QDate today(WindowZone zone) {
    return zone == WindowZone::Utc ? QDateTime::currentDateTimeUtc().date() : QDate::currentDate();
}

SeasonList storedSeasons() {
    const SettingsStore store(SettingsStore::defaultPath());
    const auto key = store.openKey(kVantorKey, false);
    return SeasonList::fromSetting(key ? key->readString(kSeasonsSetting) : QString());
}

void storeSeasons(const SeasonList& seasons) {
    const SettingsStore store(SettingsStore::defaultPath());
    auto key = store.openKey(kVantorKey, true);
    if (!key)
        throw Error(
            QStringLiteral("The settings store \"%1\" cannot be written.").arg(store.path()));
    key->writeString(kSeasonsSetting, seasons.settingValue());
}

namespace {

QDate dayOption(const Invocation& call, const QString& option) {
    const QString text = call.value(option);
    const auto day = parseDay(text);
    if (!day)
        throw UsageError{
            QStringLiteral("--%1 needs a date YYYY-MM-DD, not \"%2\".").arg(option, text)};
    return *day;
}

} // namespace

TimeWindow windowOption(const Invocation& call) {
    const WindowZone zone = windowZone(call);
    const bool dates = call.isSet(kSince) || call.isSet(kUntil);
    const int kinds =
        int(dates) + int(call.isSet(kWeek)) + int(call.isSet(kMonth)) + int(call.isSet(kSeason));
    if (kinds > 1)
        throw UsageError{QStringLiteral("Give one window: --since/--until, --week, --month or "
                                        "--season.")};
    if (call.isSet(kWeek)) {
        const QString text = call.value(kWeek);
        if (text.isEmpty())
            return weekWindow(isoWeekOf(today(zone)), zone);
        const auto week = parseIsoWeek(text);
        if (!week)
            throw UsageError{QStringLiteral("--week needs an ISO week YYYY-Www (2026-W05), not "
                                            "\"%1\".")
                                 .arg(text)};
        return weekWindow(*week, zone);
    }
    if (call.isSet(kMonth)) {
        const QString text = call.value(kMonth);
        if (text.isEmpty())
            return monthWindow(today(zone), zone);
        const auto month = parseMonth(text);
        if (!month)
            throw UsageError{
                QStringLiteral("--month needs a month YYYY-MM, not \"%1\".").arg(text)};
        return monthWindow(*month, zone);
    }
    if (call.isSet(kSeason)) {
        const QString name = call.value(kSeason);
        const SeasonList seasons = storedSeasons();
        const Season* season = seasons.find(name);
        if (!season)
            throw Error(
                QStringLiteral("There is no season \"%1\"; \"season list\" shows them.").arg(name));
        return seasons.window(*season, zone);
    }
    std::optional<QDate> since, until;
    if (call.isSet(kSince))
        since = dayOption(call, kSince);
    if (call.isSet(kUntil))
        until = dayOption(call, kUntil);
    if (since && until && *since > *until)
        throw UsageError{QStringLiteral("--since %1 lies after --until %2.")
                             .arg(call.value(kSince), call.value(kUntil))};
    return dayWindow(since, until, zone);
}

QStringList windowOptionNames() {
    return {kSince, kUntil, kWeek, kMonth, kSeason, kUtc};
}

QString windowUsage() {
    return QStringLiteral("[WINDOW]");
}

bool hasOptionalValue(const QString& option) {
    return option == QStringLiteral("--") + kWeek || option == QStringLiteral("--") + kMonth;
}

bool isOptionalValue(const QString& option, const QString& next) {
    static const QRegularExpression week(QStringLiteral("^\\d{4}-W\\d+$"));
    static const QRegularExpression month(QStringLiteral("^\\d{4}-\\d+$"));
    if (option == QStringLiteral("--") + kWeek)
        return week.match(next).hasMatch();
    if (option == QStringLiteral("--") + kMonth)
        return month.match(next).hasMatch();
    return false;
}

} // namespace vantor::utilities::cli
