#include "platform/data_folder_lock.h"
#include "platform/write_check.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantor;
using vantor::test::TempFolder;
using vantor::test::writeFile;

TEST(WriteCheck, AFileOpenForWritingIsNotFinished) {
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("RSResults0.log"));
    WriteCompletionCheck check;
    EXPECT_FALSE(check.isFinished(log));

    const int writer = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "Game Type:", 10), 10);
    EXPECT_FALSE(check.isFinished(log));
    if (check.lastMethod() == WriteCompletionCheck::Method::Stable)
        GTEST_SKIP() << "no leases on this file system";
    EXPECT_FALSE(check.isFinished(log)); // still open, however long it waits
    ::close(writer);
    EXPECT_TRUE(check.isFinished(log));
}

TEST(WriteCheck, WithoutLeasesTheFileMustStandStillForOneLook) {
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("RSResults0.log"));
    WriteCompletionCheck check;
    check.setLeaseAllowed(false);
    writeFile(log, "Game Type:");
    EXPECT_FALSE(check.isFinished(log)); // first look: nothing to compare with
    QThread::msleep(20);
    writeFile(log, "Game Type:Adversarial\r\n");
    EXPECT_FALSE(check.isFinished(log)); // it grew
    EXPECT_TRUE(check.isFinished(log));  // unchanged since the last look
}

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
