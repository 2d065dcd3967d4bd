// The text rules of a result log: label characters, line ends and Ctrl-Z.
#include "stats/log_text.h"

#include "common/error.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::stats;

TEST(LogCursor, LabelCharactersIncludeLineEndsAndTheLastValueCharacterIsDropped) {
    LogCursor log("Team: 0 \r\nHealth: 2x\r\n");
    EXPECT_EQ(log.readText(6), "0");
    EXPECT_EQ(log.readText(8), "2");
    EXPECT_TRUE(log.atEnd());

    // A line shorter than its label runs on into the next line.
    LogCursor shifted("ab\r\ncdefgh \r\nnext!\r\n");
    EXPECT_EQ(shifted.readText(6), "efgh");
    EXPECT_EQ(shifted.readText(0), "next");
}

TEST(LogCursor, OneCharacterValuesBecomeEmptyAndNumbersFromThemFail) {
    LogCursor log("L:X\r\nL:\r\nL:7\r\n");
    EXPECT_EQ(log.readText(2), "");
    EXPECT_EQ(log.readText(2), "");
    EXPECT_THROW(log.readNumber(2), Error);
}

TEST(LogCursor, LfAloneIsAnOrdinaryCharacterAndCrAloneEndsALine) {
    LogCursor lf("A:one\ntwo \r\n");
    EXPECT_EQ(lf.readText(2), "one\ntwo");
    LogCursor cr("A:one \rB:two \r");
    EXPECT_EQ(cr.readText(2), "one");
    EXPECT_EQ(cr.readText(2), "two");
    EXPECT_TRUE(cr.atEnd());
}

TEST(LogCursor, CtrlZEndsTheFileAndReadingPastTheEndGivesNothing) {
    LogCursor log("A:one \r\n\x1a"
                  "B:two \r\n");
    EXPECT_EQ(log.readText(2), "one");
    EXPECT_TRUE(log.atEnd());
    log.skipLine();
    EXPECT_EQ(log.readText(5), "");
    try {
        log.readNumber(19);
        FAIL() << "an empty number converted";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "'' is not a valid integer value");
    }
}

TEST(LogCursor, NumbersReadOnlyTheirFirstFiftyCharacters) {
    // 48 blanks, "12", then more: the 50 read are the blanks and "12", the "2" is dropped.
    const QByteArray line = "N:" + QByteArray(48, ' ') + "12" + "garbage\r\n";
    LogCursor log(line);
    EXPECT_EQ(log.readNumber(2), 1);
    EXPECT_TRUE(log.atEnd());
}

TEST(LogCursor, TextsAreCutAfterTheLastCharacterIsDropped) {
    const QByteArray line = "N:" + QByteArray(59, 'a') + "b\r\n";
    LogCursor log(line);
    EXPECT_EQ(log.readText(2, 50), QByteArray(50, 'a'));
}
