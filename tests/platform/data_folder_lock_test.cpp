#include "platform/data_folder_lock.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::TempFolder;

TEST(DataFolderLock, NestedHoldersShareOneLock) {
    TempFolder dir;
    DataFolderLock outer;
    ASSERT_TRUE(outer.tryLock());
    {
        DataFolderLock inner(dir.path());
        EXPECT_TRUE(inner.tryLock());
    }
    EXPECT_TRUE(outer.isLocked());
}

TEST(DataFolderLock, AnotherProcessHoldingItMakesUsWait) {
    TempFolder dir;
    QProcess holder;
    holder.start(QStringLiteral(PLATFORM_HELPER),
                 {QStringLiteral("hold"), dir.path(), QStringLiteral("600")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    DataFolderLock lock(dir.path());
    EXPECT_FALSE(lock.tryLock());
    EXPECT_THROW(lock.lockOrThrow(50), Error);
    int idleCalls = 0;
    EXPECT_TRUE(lock.lock(10000, [&] { ++idleCalls; }));
    EXPECT_GT(idleCalls, 0);
    holder.waitForFinished();
}
