// The number rule of both programs: the result logs' numbers and the "Delete Players" count.
#include "common/integer_text.h"

#include "common/error.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {
QString conversionError(QByteArrayView text) {
    try {
        toInteger(text);
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("(converted)");
}
} // namespace

TEST(ToInteger, AcceptsBlanksOneSignDecimalAndHexForms) {
    EXPECT_EQ(toInteger("   7"), 7);
    EXPECT_EQ(toInteger("-12"), -12);
    EXPECT_EQ(toInteger("+12"), 12);
    EXPECT_EQ(toInteger("007"), 7);
    EXPECT_EQ(toInteger("$1F"), 31);
    EXPECT_EQ(toInteger("x1f"), 31);
    EXPECT_EQ(toInteger("X1F"), 31);
    EXPECT_EQ(toInteger("0x10"), 16);
    EXPECT_EQ(toInteger("0X10"), 16);
    EXPECT_EQ(toInteger(" -$10"), -16);
    EXPECT_EQ(toInteger("2147483647"), 2147483647);
    EXPECT_EQ(toInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(toInteger("$7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(toInteger("-$80000000"), INT32_MIN);
}

TEST(ToInteger, RefusesEverythingElseWithTheTextInTheMessage) {
    EXPECT_EQ(conversionError(""), "'' is not a valid integer value");
    EXPECT_EQ(conversionError("-"), "'-' is not a valid integer value");
    EXPECT_EQ(conversionError("7 "), "'7 ' is not a valid integer value");
    for (const char* bad :
         {" ", "+-1", "--1", "- 1", "1.5", "1e3", "$", "0x", "x", "$G", "2147483648", "-2147483649",
          "$80000000", "99999999999999999999", "7a", "0x1 ", "\t7"})
        EXPECT_EQ(conversionError(bad),
                  QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(bad)))
            << bad;
}

TEST(ToIntegerFromText, TypedTextFollowsTheSameRule) {
    EXPECT_EQ(toIntegerFromText(QStringLiteral("$10")), 16);
    EXPECT_EQ(toIntegerFromText(QStringLiteral("0x1F")), 31);
    EXPECT_EQ(toIntegerFromText(QStringLiteral(" -3")), -3);
    for (const QString& bad : {QStringLiteral("3 "), QStringLiteral(""), QStringLiteral("\u0663"),
                               QStringLiteral("J\u00F6")}) {
        try {
            toIntegerFromText(bad);
            ADD_FAILURE() << bad.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(bad));
        }
    }
}
