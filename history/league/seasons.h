#pragma once

#include "time_window.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace vantor::history {

// A named season: it starts on its date and ends where the next one begins.
struct Season {
    QString name;
    QDate start;
    friend bool operator==(const Season&, const Season&) = default;
};

// The seasons in order of their start, as one settings value: "YYYY-MM-DD NAME" entries joined
// by '|'. Names are compared without case, as the settings store compares its names.
class SeasonList {
public:
    // Throws vantor::Error for a stored value that is not such a list (the store is not ours
    // alone); an empty value is no seasons.
    static SeasonList fromSetting(const QString& value);
    QString settingValue() const;

    const std::vector<Season>& seasons() const { return seasons_; }
    const Season* find(const QString& name) const;
    // Why the season cannot be added (a name or date in use, a name unfit to keep), or empty.
    QString refusalToAdd(const Season& season) const;
    void add(const Season& season); // after refusalToAdd gave nothing
    bool remove(const QString& name);

    // The season's window; open at the end for the last one.
    TimeWindow window(const Season& season, WindowZone zone) const;
    // The day after the season's last one, if another follows.
    std::optional<QDate> end(const Season& season) const;

private:
    std::vector<Season> seasons_;
};

} // namespace vantor::history
