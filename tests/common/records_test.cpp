// The record layouts, pinned byte for byte against records as the stats files hold them.
#include "common/records.h"

#include "tests/support/temp_folder.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::fromHex;

namespace {

template <class R> QByteArray bytesOf(const R& r) {
    return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}
template <class R> R recordFrom(const QByteArray& b) {
    R r;
    EXPECT_EQ(b.size(), qsizetype(sizeof r));
    std::memcpy(&r, b.constData(), sizeof r);
    return r;
}

// "Marrow", last played 6/10/00: 5 kills, 0 deaths, 1 game, 40 %, 200 fired, 3 taken, 540 points.
const char* kMarrowStats =
    "06 4d 61 72 72 6f 77 00 00 00 00 00 00 00 00 00"  // 0 name
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"  // 16
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"  // 32
    "00 00 00 07 36 2f 31 30 2f 30 30 00 00 00 00 00"  // 48 date@51 fill@62
    "05 00 00 00 00 00 00 00 01 00 00 00 28 00 00 00"  // 64 kills deaths games hit%
    "28 00 00 00 c8 00 00 00 03 00 00 00 1c 02 00 00"; // 80 sum fired taken skill

// "Marrow" killed by "Gunner" on gold: 2 kills, dead, 1 game, 25 %, 8 fired, 1 taken, 75 points.
const char* kMarrowLastGame =
    "06 4d 61 72 72 6f 77 00 00 00 00 00 00 00 00 00" // 0 name
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" // 16
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" // 32
    "00 00 00 07 36 2f 31 30 2f 30 30 00 00 00 06 47" // 48 date@51 killedBy@62
    "75 6e 6e 65 72 00 00 00 00 00 00 00 00 00 00 00" // 64
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" // 80
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" // 96
    "00 00 00 00 02 00 00 00 01 00 00 00 01 00 00 00" // 112 fill kills@116
    "19 00 00 00 19 00 00 00 08 00 00 00 01 00 00 00" // 128
    "4b 00 00 00 04 67 6f 6c 64 00 00 00";            // 144 skill team@148

} // namespace

TEST(Records, PlayerStatsRecordMatchesStoredBytes) {
    PlayerStatsRecord r;
    r.name.setText("Marrow");
    r.lastPlayed.setText("6/10/00");
    r.kills = 5;
    r.games = 1;
    r.hitPercent = 40;
    r.hitPercentSum = 40;
    r.roundsFired = 200;
    r.roundsTaken = 3;
    r.skillPoints = 540;
    EXPECT_EQ(bytesOf(r).toHex(' '), fromHex(kMarrowStats).toHex(' '));

    const auto back = recordFrom<PlayerStatsRecord>(fromHex(kMarrowStats));
    EXPECT_EQ(back.name.text(), "Marrow");
    EXPECT_EQ(back.lastPlayed.text(), "6/10/00");
    EXPECT_EQ(back.kills, 5);
    EXPECT_EQ(back.roundsTaken, 3);
    EXPECT_EQ(back.skillPoints, 540);
}

TEST(Records, LastGameRecordMatchesStoredBytes) {
    LastGameRecord r;
    r.name.setText("Marrow");
    r.lastPlayed.setText("6/10/00");
    r.killedBy.setText("Gunner");
    r.kills = 2;
    r.deaths = 1;
    r.games = 1;
    r.hitPercent = 25;
    r.hitPercentSum = 25;
    r.roundsFired = 8;
    r.roundsTaken = 1;
    r.skillPoints = 75;
    r.team.setText("gold");
    EXPECT_EQ(bytesOf(r).toHex(' '), fromHex(kMarrowLastGame).toHex(' '));
    EXPECT_EQ(recordFrom<LastGameRecord>(fromHex(kMarrowLastGame)).killedBy.text(), "Gunner");
}

TEST(Records, TeamWinsRecordMatchesStoredBytes) {
    TeamWinsRecord r;
    r.team.setText("blue");
    r.wins = 7;
    EXPECT_EQ(bytesOf(r), fromHex("04 62 6c 75 65 00 00 00 07 00 00 00"));
    // Negative counts are stored as two's complement, little-endian.
    r.wins = -2;
    EXPECT_EQ(bytesOf(r).right(4), fromHex("fe ff ff ff"));
}

TEST(Records, FillBytesAreIgnoredOnRead) {
    QByteArray b = fromHex(kMarrowStats);
    b[62] = '\xAA';
    b[63] = '\x55';
    const auto r = recordFrom<PlayerStatsRecord>(b);
    EXPECT_EQ(r.kills, 5);
    EXPECT_EQ(r.lastPlayed.text(), "6/10/00");
}

TEST(ShortText, BytesPastTheLengthAreIgnoredAndKept) {
    ShortText<10> t;
    t.setText("0123456789");
    t.setText("abc");
    EXPECT_EQ(t.text(), "abc");
    // What a longer earlier text left behind stays in the record, as the files allow.
    EXPECT_EQ(QByteArray(t.bytes.data(), 11), QByteArray("\x03"
                                                         "abc3456789"));
}

TEST(ShortText, LengthByteAboveTheLimitReadsAsTheLimit) {
    ShortText<4> t;
    t.bytes = {char(200), 'b', 'l', 'u', 'e'};
    EXPECT_EQ(t.length(), 4);
    EXPECT_EQ(t.text(), "blue");
}

TEST(ShortText, LongTextIsCutAndComparisonIsExact) {
    ShortText<4> t;
    t.setText("golden");
    EXPECT_EQ(t.text(), "gold");
    ShortText<4> upper;
    upper.setText("GOLD");
    EXPECT_FALSE(t.sameText(upper));
    ShortText<4> same;
    same.bytes = {4, 'g', 'o', 'l', 'd'};
    EXPECT_TRUE(t.sameText(same));
    // Names are bytes of code page 1252, compared as bytes.
    t.setText("\xE9t\xE9");
    EXPECT_TRUE(t.sameText(QByteArrayView("\xE9t\xE9")));
    EXPECT_FALSE(t.sameText(QByteArrayView("ete")));
}
