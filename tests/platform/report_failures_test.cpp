#include "platform/report_failures.h"

#include "common/error.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(ReportFailures, ShowsTheMessageAndGoesOn) {
    vantor::test::RecordingDialogs dialogs;
    EXPECT_FALSE(reportFailures(dialogs, [] { throw Error(QStringLiteral("disk full")); }));
    EXPECT_TRUE(reportFailures(dialogs, [] {}));
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("error: disk full")});
}
