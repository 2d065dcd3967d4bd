#include "common/cp1252.h"
#include "common/html_text.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(HtmlEscape, EscapesMarkupCharactersOnly) {
    EXPECT_EQ(htmlEscape("<b>Tom & \"Jerry\"</b>"),
              "&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;");
    EXPECT_EQ(htmlEscape("plain 'name' \xE9"), "plain 'name' \xE9");
    EXPECT_EQ(htmlEscape(""), "");
}

TEST(Cp1252, RoundTripsEveryDefinedByte) {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
    EXPECT_EQ(fromCp1252("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(toCp1252(QString(QChar(0x4E2D))), "?");
}
