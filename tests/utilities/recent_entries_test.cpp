#include "utilities/core/recent_entries.h"

#include "common/error.h"
#include "platform/settings_store.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::utilities;

namespace {
QStringList numbered(const char* stem) {
    QStringList out;
    for (int i = 1; i <= 10; ++i)
        out << QLatin1String(stem) + QString::number(i);
    return out;
}
} // namespace

TEST(RecentEntries, NewTextBecomesEntryOneAndTheOldestDrops) {
    RecentEntries h(numbered("c"));
    EXPECT_TRUE(h.offer(QStringLiteral("new")));
    QStringList expected = numbered("c");
    expected.prepend(QStringLiteral("new"));
    expected.removeLast();
    EXPECT_EQ(h.entries(), expected);
}

TEST(RecentEntries, AKnownTextChangesNothingAndKeepsItsPlace) {
    RecentEntries h(numbered("c"));
    EXPECT_FALSE(h.offer(QStringLiteral("c4")));
    EXPECT_EQ(h.entries(), numbered("c"));
    EXPECT_EQ(h.entries()[3], QStringLiteral("c4"));
    // Exact comparison: other case or a trailing blank is a new text.
    EXPECT_TRUE(h.offer(QStringLiteral("C4")));
    EXPECT_TRUE(h.offer(QStringLiteral("c4 ")));
    EXPECT_EQ(h.entries()[0], QStringLiteral("c4 "));
    EXPECT_EQ(h.entries()[1], QStringLiteral("C4"));
}

TEST(RecentEntries, AlwaysHoldsTenEntries) {
    RecentEntries fresh;
    EXPECT_EQ(fresh.entries(), QStringList(10));
    RecentEntries h(numbered("x") + numbered("y"));
    EXPECT_EQ(h.entries(), numbered("x"));
    fresh.offer(QStringLiteral("a"));
    EXPECT_EQ(fresh.entries().size(), 10);
    EXPECT_EQ(fresh.entries()[0], QStringLiteral("a"));
}

TEST(RecentEntries, StoringCreatesTheMissingKeyAndLoadsBack) {
    vantor::test::TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    EXPECT_EQ(loadRecentEntries(store).files, RecentEntries());
    ASSERT_FALSE(store.keyExists(kVantorKey));

    RecentPageEntries h;
    h.comments.offer(QStringLiteral("Quoted \"comment\" with \\ back"));
    rememberPageFile(store, h, QStringLiteral("MyStats.html"));
    EXPECT_TRUE(store.keyExists(kVantorKey));

    const RecentPageEntries back = loadRecentEntries(store);
    EXPECT_EQ(back.files.entries()[0], QStringLiteral("MyStats.html"));
    EXPECT_EQ(back.comments.entries()[0], QStringLiteral("Quoted \"comment\" with \\ back"));
    const auto key = store.openKey(kVantorKey, false);
    ASSERT_TRUE(key);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_TRUE(key->valueExists(QStringLiteral("file%1").arg(i)));
        EXPECT_TRUE(key->valueExists(QStringLiteral("comment%1").arg(i)));
    }
    // Files first, then comments, in entry order.
    const QString text = QString::fromUtf8(vantor::test::readFile(store.path()));
    EXPECT_LT(text.indexOf(QStringLiteral("\"file10\"")),
              text.indexOf(QStringLiteral("\"comment1\"")));
}

TEST(RecentEntries, SavingUnderAKnownNameLeavesTheHistoryAlone) {
    vantor::test::TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    RecentPageEntries h;
    h.files = RecentEntries(numbered("f"));
    rememberPageFile(store, h, QStringLiteral("f7"));
    EXPECT_EQ(loadRecentEntries(store).files.entries(), numbered("f"));
}

TEST(RecentEntries, AStoreThatCannotBeWrittenIsReported) {
    vantor::test::TempFolder dir;
    vantor::test::writeFile(dir.file(QStringLiteral("blocker")), "a file, not a folder");
    SettingsStore store(dir.file(QStringLiteral("blocker/registry.reg")));
    try {
        storeRecentEntries(store, RecentPageEntries{});
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Failed to set data for 'file1'"));
    }
}
