#include "common/data_files.h"
#include "common/page_names.h"

#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::TempFolder;

TEST(DataFiles, StatsFileOfAGameTypeAsBytesOrText) {
    EXPECT_EQ(statsFileName(QByteArrayView("Adversarial")), QStringLiteral("stats.log"));
    EXPECT_EQ(statsFileName(QByteArrayView("Cooperative")), QStringLiteral("coop_stats.log"));
    EXPECT_EQ(statsFileName(QByteArrayView("adversarial")), QString());
    EXPECT_EQ(statsFileName(QStringLiteral("Cooperative")), QStringLiteral("coop_stats.log"));
    EXPECT_EQ(statsFileName(QStringLiteral("COOPERATIVE")), QString());
}

TEST(PageNames, EveryDataFileIsRefusedInAnyLetterCaseAndByAnyPath) {
    TempFolder dir;
    QDir().mkdir(QStringLiteral("data"));
    QDir().mkdir(QStringLiteral("pages"));
    const QString data = dir.file(QStringLiteral("data"));
    const QString store = dir.file(QStringLiteral("config/registry.reg"));
    const QStringList names{
        "stats.log",    "coop_stats.log",   "team.log",      "lastgame.log",
        "work.dat",     ".vantor.lock",     "registry.reg",  ".vantor.recorder.lock",
        ".vantor.game", ".vantor.journal",  "games.db",      "games.db-wal",
        "games.db-shm", "games.db-journal", ".vantor.replay"};
    for (const QString& name : names) {
        for (const QString& spelled :
             {name, name.toUpper(), name.left(1).toUpper() + name.mid(1),
              QStringLiteral("../data/") + name.toUpper(), data + QLatin1Char('/') + name,
              QStringLiteral("pages/") + name}) {
            EXPECT_EQ(fileReservedFromPages(spelled, data, store), name) << spelled.toStdString();
        }
    }
    // A page name that is a link to a data file, and the store by its own path.
    ASSERT_TRUE(QFile::link(data + QStringLiteral("/stats.log"), data + QStringLiteral("/x.html")));
    QFile(data + QStringLiteral("/stats.log")).open(QIODevice::WriteOnly);
    EXPECT_EQ(fileReservedFromPages(QStringLiteral("x.html"), data, store), "stats.log");
    EXPECT_EQ(fileReservedFromPages(store, data, store), "registry.reg");

    for (const char* free : {"live.html", "stats.log.html", "stats.html", "team.logs", "work",
                             "lastgame.log.bak", "vantor.lock"})
        EXPECT_EQ(fileReservedFromPages(QString::fromLatin1(free), data, store), QString()) << free;
    EXPECT_TRUE(reservedPageNameMessage(QStringLiteral("team.log")).contains("\"team.log\""));
}
