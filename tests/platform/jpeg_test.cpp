#include "platform/jpeg_image.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(Jpeg, DecodesTheLogoThroughLibjpeg) {
    const QImage img = decodeJpeg(vantor::test::readFile(QStringLiteral(LOGO_JPEG)));
    EXPECT_EQ(img.width(), 343);
    EXPECT_EQ(img.height(), 97);
    // The lettering is yellow on blue.
    const QColor letter = img.pixelColor(24 + 4, 16 + 4);
    EXPECT_GT(letter.red(), 180);
    EXPECT_LT(letter.blue(), 120);
}

TEST(Jpeg, GarbageGivesAnErrorNotACrash) {
    EXPECT_THROW(decodeJpeg(QByteArray("not a picture")), Error);
    QByteArray cut = vantor::test::readFile(QStringLiteral(LOGO_JPEG)).left(20);
    EXPECT_THROW(decodeJpeg(cut), Error);
}
