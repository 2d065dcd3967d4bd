// Any bytes as what a server sends on the control connection, in receives of any size: the
// reader gives exactly the stream's lines (each cut to the buffer's capacity, without its
// trailing CR and LF characters), never stalls with a full buffer, and every line is judged
// by its leading digits alone.
//
// Input: one byte of options, then the stream. Bit 0 of the options byte set: only CR LF ends a
// line (ftpAcceptLF off); the other bits seed the sizes of the receives.
#include "ftp/ftp_reply_reader.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray withoutLineEnds(QByteArray line) {
    while (!line.isEmpty() && (line.endsWith('\r') || line.endsWith('\n')))
        line.chop(1);
    return line;
}

// What the reader must give: every line that has its end in the stream, as far as the buffer
// holds it, and a last line without an end once it has filled the buffer.
QList<QByteArray> expectedLines(const QByteArray& stream, bool acceptLF) {
    const QByteArray end = acceptLF ? QByteArray("\n") : QByteArray("\r\n");
    QList<QByteArray> lines;
    qsizetype from = 0;
    for (qsizetype at = stream.indexOf(end, from); at >= 0; at = stream.indexOf(end, from)) {
        const qsizetype length = std::min(at - from, vantor::FtpReplyReader::kCapacity);
        lines << withoutLineEnds(stream.mid(from, length));
        from = at + end.size();
    }
    if (stream.size() - from >= vantor::FtpReplyReader::kCapacity)
        lines << withoutLineEnds(stream.mid(from, vantor::FtpReplyReader::kCapacity));
    return lines;
}

void checkJudgement(const QByteArray& line) {
    const vantor::FtpReplyLine reply = vantor::parseReplyLine(line);
    const bool digitFirst = !line.isEmpty() && line[0] >= '0' && line[0] <= '9';
    if ((reply.kind == vantor::FtpReplyLine::Ignored) == digitFirst || reply.code < 0)
        std::abort();
    qsizetype digits = 0;
    int value = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') {
        if (digits < 3)
            value = value * 10 + (line[digits] - '0');
        ++digits;
    }
    if (digitFirst) {
        const bool inner = digits < line.size() && line[digits] == '-';
        if (inner != (reply.kind == vantor::FtpReplyLine::Inner))
            std::abort();
        if (digits <= 3 && reply.code != value)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool acceptLF = (data[0] & 1) == 0;
    std::uint32_t seed = data[0] >> 1;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    vantor::FtpReplyReader reader(acceptLF);
    QList<QByteArray> lines;
    QByteArray line;
    qsizetype at = 0;
    while (at < stream.size()) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype want = 1 + qsizetype((seed >> 16) % 1500);
        const qsizetype room = reader.freeSpace();
        if (room <= 0)
            std::abort(); // stalled: nothing more can be received
        const qsizetype taken =
            reader.append(stream.constData() + at, std::min({want, room, stream.size() - at}));
        if (taken <= 0)
            std::abort();
        at += taken;
        while (reader.nextLine(line)) {
            if (line.size() > vantor::FtpReplyReader::kCapacity || line.endsWith('\r') ||
                line.endsWith('\n'))
                std::abort();
            checkJudgement(line);
            lines << line;
        }
    }
    if (lines != expectedLines(stream, acceptLF))
        std::abort();
    return 0;
}
