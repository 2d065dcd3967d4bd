#include "platform/write_check.h"

#include "tests/support/temp_folder.h"

#include <QFile>
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
