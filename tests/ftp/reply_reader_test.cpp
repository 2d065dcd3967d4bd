#include "ftp/ftp_reply_reader.h"

#include <QList>
#include <gtest/gtest.h>

namespace vantor {
namespace {

QList<QByteArray> feed(FtpReplyReader& reader, const QByteArray& bytes) {
    QList<QByteArray> lines;
    QByteArray line;
    qsizetype at = 0;
    while (at < bytes.size()) {
        at += reader.append(bytes.constData() + at, bytes.size() - at);
        while (reader.nextLine(line))
            lines << line;
    }
    return lines;
}

TEST(FtpReplyReader, SplitsAtLineFeedWithAcceptLF) {
    FtpReplyReader reader(true);
    EXPECT_EQ(feed(reader, "220 a\r\n331 b\n230 c\r\r\n\n"),
              (QList<QByteArray>{"220 a", "331 b", "230 c", ""}));
}

TEST(FtpReplyReader, WithoutAcceptLFOnlyCarriageReturnLineFeedEndsALine) {
    FtpReplyReader reader(false);
    EXPECT_EQ(feed(reader, "220 a\n331 b\r\n230"), (QList<QByteArray>{"220 a\n331 b"}));
    EXPECT_EQ(feed(reader, " c\r"), QList<QByteArray>{});
    EXPECT_EQ(feed(reader, "\n"), (QList<QByteArray>{"230 c"}));
}

TEST(FtpReplyReader, LineSplitOverSeveralReceivesIsJoined) {
    FtpReplyReader reader;
    EXPECT_EQ(feed(reader, "22"), QList<QByteArray>{});
    EXPECT_EQ(feed(reader, "0 Rea"), QList<QByteArray>{});
    EXPECT_EQ(feed(reader, "dy\r\n2"), (QList<QByteArray>{"220 Ready"}));
}

TEST(FtpReplyReader, BufferKeepsOneOf4096BytesFree) {
    FtpReplyReader reader;
    const QByteArray big(5000, 'x');
    EXPECT_EQ(reader.append(big.constData(), big.size()), 4095);
    EXPECT_EQ(reader.freeSpace(), 0);
    EXPECT_EQ(reader.append("y", 1), 0);
}

TEST(FtpReplyReader, OverlongLineIsCutAndItsRestDropped) {
    for (const bool acceptLF : {true, false}) {
        SCOPED_TRACE(acceptLF);
        FtpReplyReader reader(acceptLF);
        const QByteArray longLine = "550 " + QByteArray(9000, 'z');
        const QList<QByteArray> lines = feed(reader, longLine + "\r\n226 next\r\n");
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], longLine.left(4095));
        EXPECT_EQ(lines[1], "226 next");
    }
}

TEST(FtpReplyReader, LineEndingRightAtTheBufferEdgeKeepsTheNextLine) {
    // 4094 characters and CR fill the buffer; the LF comes with the next receive.
    for (const bool acceptLF : {true, false}) {
        SCOPED_TRACE(acceptLF);
        FtpReplyReader reader(acceptLF);
        const QByteArray text = "220 " + QByteArray(4090, 'a');
        const QList<QByteArray> lines = feed(reader, text + "\r\n331 next\r\n");
        EXPECT_EQ(lines, (QList<QByteArray>{text, "331 next"}));
    }
}

TEST(FtpReplyReader, ArbitraryBytesNeverStall) {
    FtpReplyReader reader(false);
    QByteArray noise;
    for (int i = 0; i < 20000; ++i)
        noise += char((i * 131) % 256);
    feed(reader, noise);
    EXPECT_EQ(feed(reader, "\r\n220 ok\r\n").last(), "220 ok");
}

TEST(FtpReplyLine, JudgesTheLeadingCode) {
    EXPECT_EQ(parseReplyLine("").kind, FtpReplyLine::Ignored);
    EXPECT_EQ(parseReplyLine(" 220 x").kind, FtpReplyLine::Ignored);
    EXPECT_EQ(parseReplyLine("Welcome").kind, FtpReplyLine::Ignored);

    const FtpReplyLine inner = parseReplyLine("230-Quota");
    EXPECT_EQ(inner.kind, FtpReplyLine::Inner);
    EXPECT_EQ(inner.code, 230);

    const FtpReplyLine final = parseReplyLine("226 Done");
    EXPECT_EQ(final.kind, FtpReplyLine::Final);
    EXPECT_EQ(final.code, 226);
    EXPECT_EQ(parseReplyLine("221").code, 221);
    EXPECT_EQ(parseReplyLine("221").kind, FtpReplyLine::Final);

    const FtpReplyLine huge = parseReplyLine("99999999999999999999 x");
    EXPECT_EQ(huge.kind, FtpReplyLine::Final);
    EXPECT_GT(huge.code, 0);
}

} // namespace
} // namespace vantor
