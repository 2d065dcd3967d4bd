#pragma once

#include "common/record_file.h"
#include "common/records.h"

#include "tests/support/temp_folder.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <vector>

namespace vantor::test {

// Records as the merge leaves them; derived values are left for the ranking to compute.
inline PlayerStatsRecord player(const QByteArray& name, int kills, int deaths, int games,
                                int hitPercentSum, int roundsFired = 0, int roundsTaken = 0,
                                const QByteArray& lastPlayed = "6/10/00") {
    PlayerStatsRecord r;
    r.name.setText(name);
    r.lastPlayed.setText(lastPlayed);
    r.kills = kills;
    r.deaths = deaths;
    r.games = games;
    r.hitPercentSum = hitPercentSum;
    r.roundsFired = roundsFired;
    r.roundsTaken = roundsTaken;
    return r;
}

inline LastGameRecord lastGamePlayer(const QByteArray& name, const QByteArray& team, int kills,
                                     int deaths, int hitPercent, const QByteArray& killedBy = {},
                                     int roundsFired = 0, int roundsTaken = 0) {
    LastGameRecord r;
    r.name.setText(name);
    r.lastPlayed.setText("6/10/00");
    r.killedBy.setText(killedBy);
    r.team.setText(team);
    r.kills = kills;
    r.deaths = deaths;
    r.games = 1;
    r.hitPercentSum = hitPercent;
    r.roundsFired = roundsFired;
    r.roundsTaken = roundsTaken;
    return r;
}

template <class Record> void writeRecords(const QString& path, const std::vector<Record>& records) {
    RecordFile<Record> f(path);
    f.open(FixedRecordFile::Mode::Create);
    for (const auto& r : records)
        f.write(r);
    f.close();
}

template <class Record> std::vector<QByteArray> namesIn(const std::vector<Record>& records) {
    std::vector<QByteArray> names;
    for (const auto& r : records)
        names.push_back(r.name.text());
    return names;
}

// Compares a page with its golden file under tests/data/live byte for byte. With
// VANTOR_UPDATE_GOLDEN set the golden file is written instead, to be checked by eye.
inline void expectGolden(const QString& name, const QByteArray& page) {
    const QString path = QStringLiteral(VANTOR_TEST_DATA "/live/") + name;
    if (qEnvironmentVariableIsSet("VANTOR_UPDATE_GOLDEN")) {
        writeFile(path, page);
        return;
    }
    const QByteArray golden = readFile(path);
    if (golden == page)
        return;
    qsizetype at = 0;
    while (at < golden.size() && at < page.size() && golden[at] == page[at])
        ++at;
    const auto from = std::max<qsizetype>(0, at - 60);
    ADD_FAILURE() << name.toStdString() << " differs at byte " << at << "\n golden: ..."
                  << golden.mid(from, 120).toStdString() << "\n page:   ..."
                  << page.mid(from, 120).toStdString();
}

} // namespace vantor::test
