// No page of either program takes the name of a file the programs keep their data in: the live
// stats setup window, the live page step (the store can be edited by hand) and the utilities'
// stats page all refuse it, in any letter case, and leave every file as it was.
#include "common/data_files.h"
#include "common/error.h"
#include "common/page_names.h"
#include "platform/settings_store.h"
#include "recorder/live/live_stats.h"
#include "recorder/ui/live_stats_setup_window.h"
#include "stats/ranking.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/stats_files.h"
#include "utilities/core/page_creation.h"

#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <map>

using namespace vantor;
using namespace vantor::test;
using vantor::utilities::RecentPageEntries;

TEST(ReservedPageNames, NoPageOfEitherProgramReplacesADataFile) {
    TempFolder dir; // the data folder
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    store.openKey(kVantorKey, true);
    writeStats(kStatsFile, {statsRecord("High", {.kills = 9}), statsRecord("Low", {.kills = 1})});
    const QStringList names{kStatsFile,
                            kCoopStatsFile,
                            kTeamFile,
                            kLastGameFile,
                            kWorkFile,
                            kLockFile,
                            QStringLiteral("registry.reg")};
    std::map<QString, QByteArray> before;
    for (const QString& name : names) {
        if (!QFile::exists(name))
            writeFile(name, name.toLatin1() + " holds data");
        before[name] = readFile(name);
    }

    RecordingDialogs dialogs;
    recorder::LiveStatsSetupWindow setup(store, dialogs);
    QSignalSpy saved(&setup, &recorder::LiveStatsSetupWindow::settingsSaved);
    recorder::LiveStats live(QStringLiteral("."), store);
    int uploads = 0;
    live.onPageWritten = [&] { ++uploads; };
    utilities::PageCreation pages(store, dialogs, [](const QString& file, const QString& key) {
        stats::rankStatsFile(file, key);
    });
    pages.winePrefix = dir.file(QStringLiteral("no-wine"));

    for (const QString& name : names) {
        for (const QString& spelled :
             {name, name.toUpper(), name.left(2).toUpper() + name.mid(2),
              QStringLiteral("sub/../") + name.toUpper(), dir.file(name)}) {
            SCOPED_TRACE(spelled.toStdString());
            const QString message = reservedPageNameMessage(name);

            setup.fillFromSettings();
            setup.HostName->setText(QStringLiteral("ftp.clan.example"));
            setup.UserName->setText(QStringLiteral("marrow"));
            setup.Password->setText(QStringLiteral("s3cret"));
            setup.HostFileName->setText(spelled);
            dialogs.shown.clear();
            setup.saveSettings();
            EXPECT_EQ(dialogs.shown, (QStringList{"beep", "info: " + message}));
            EXPECT_EQ(saved.count(), 0);

            store.openKey(kVantorKey, true)->writeString(QStringLiteral("hostfilename"), spelled);
            try {
                live.writePage({"Adversarial", "Bank", "Team Survival", "05:12"}, "Me");
                ADD_FAILURE() << "the live page step wrote " << spelled.toStdString();
            } catch (const Error& e) {
                EXPECT_TRUE(e.message().startsWith(message)) << e.message().toStdString();
            }
            EXPECT_EQ(uploads, 0);

            dialogs.shown.clear();
            RecentPageEntries histories;
            EXPECT_FALSE(pages.createStatsPage(
                {kAdversarialText, QStringLiteral("Kills"), QString(), spelled}, histories));
            ASSERT_EQ(dialogs.shown.size(), 1);
            EXPECT_EQ(dialogs.shown[0], "info: " + message + "  HTML file was NOT created.");

            for (const QString& n : names) {
                if (n != QLatin1String("registry.reg")) {
                    EXPECT_EQ(readFile(n), before[n]) << n.toStdString();
                }
            }
        }
    }
    // A free name is still taken by all three.
    for (const QString& scratch : {kTeamFile, kLastGameFile, kWorkFile})
        QFile::remove(scratch);
    setup.HostFileName->setText(QStringLiteral("livestats.html"));
    setup.saveSettings();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_TRUE(live.writePage({"Adversarial", "Bank", "Team Survival", "05:12"}, "Me"));
    EXPECT_EQ(uploads, 1);
    RecentPageEntries histories;
    EXPECT_TRUE(pages.createStatsPage(
        {kAdversarialText, QStringLiteral("Kills"), QString(), QStringLiteral("page.html")},
        histories));
    EXPECT_TRUE(readFile(QStringLiteral("page.html")).contains("High"));
}
