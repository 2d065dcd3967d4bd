#pragma once

// A data folder with a game history made directly through the journal, and the site's folders
// beside it.
#include "history/journal/journal.h"
#include "history/site/site_build.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>
#include <map>

namespace vantor::test {

struct SitePlayerLine {
    QByteArray name;
    int kills = 0;
    int deaths = 0;
    QByteArray team = "blue";
};

class SiteFixture : public testing::Test {
public:
    SiteFixture() {
        QDir().mkpath(data);
        journal = history::Journal::openOrCreate(data);
    }

    // A game on day (0: 2026-11-02, a Monday) of map, every player with 40 % hits.
    void addGame(int day, const QByteArray& map, const std::vector<SitePlayerLine>& players,
                 history::TeamOutcome outcome = history::TeamOutcome::BlueWon) {
        history::GameRecord g;
        g.playedAt = QDate(2026, 11, 2).addDays(day).toString(Qt::ISODate).toLatin1() + " 21:30:05";
        g.gameType = "Adversarial";
        g.map = map;
        g.rules = "Team Survival";
        g.elapsedTime = "12:01";
        g.outcome = outcome;
        for (const SitePlayerLine& p : players) {
            history::GamePlayer gp;
            gp.name = p.name;
            gp.team = p.team;
            gp.kills = p.kills;
            gp.deaths = p.deaths;
            gp.hitPercentSum = 40;
            gp.roundsFired = 100;
            gp.roundsTaken = 5;
            g.players.push_back(gp);
        }
        journal->addGame(g, {});
    }

    history::site::SiteBuildResult build(const QString& into,
                                         history::site::SiteOptions options = {}) {
        if (!options.now.isValid())
            options.now = kNow;
        return history::site::buildSite(*journal, into, data, options);
    }

    // Every file of a folder (the manifest left out) with its bytes.
    static std::map<QString, QByteArray> filesOf(const QString& folder) {
        std::map<QString, QByteArray> files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString rel = QDir(folder).relativeFilePath(path);
            if (!rel.startsWith(QStringLiteral(".vantor-site")))
                files[rel] = readFile(path);
        }
        return files;
    }

    const QDateTime kNow{QDate(2026, 12, 9), QTime(12, 0)};
    TempFolder cwd;
    QString data = cwd.file(QStringLiteral("data"));
    QString site = cwd.file(QStringLiteral("site"));
    std::unique_ptr<history::Journal> journal;
};

} // namespace vantor::test
