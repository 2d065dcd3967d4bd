#include "utilities/core/page_file.h"

#include "common/error.h"

#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::utilities::PageFile;

TEST(PageFile, ReplacesAnExistingFileAndKeepsItOnlyWhenFinished) {
    vantor::test::TempFolder dir;
    vantor::test::writeFile(QStringLiteral("old.html"), "an older and longer page");
    {
        PageFile page(QStringLiteral("old.html"));
        page.write("new");
        page.finish();
    }
    EXPECT_EQ(vantor::test::readFile(QStringLiteral("old.html")), QByteArray("new"));
    {
        PageFile page(QStringLiteral("left.html"));
        page.write("half a page");
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("left.html")));
}

TEST(PageFile, ANameThatCannotBeCreatedGivesTheSystemsMessage) {
    vantor::test::TempFolder dir;
    try {
        PageFile page(QStringLiteral("missing/page.html"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create \"missing/page.html\": ")))
            << e.message().toStdString();
    }
}
