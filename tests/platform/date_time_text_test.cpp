#include "platform/date_time_text.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vantor;

TEST(DateTimeText, UsesTheSystemFormatsWithoutATimeZone) {
    const QDate d(2000, 6, 10);
    EXPECT_EQ(shortDateText(d), QLocale::system().toString(d, QLocale::ShortFormat));
    const QString t = longTimeText(QTime(13, 5, 9));
    EXPECT_TRUE(t.contains(QStringLiteral("05")));
    EXPECT_TRUE(t.contains(QStringLiteral("09")));
    EXPECT_FALSE(t.contains(QStringLiteral("UTC")));
}
