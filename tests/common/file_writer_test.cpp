#include "common/error.h"
#include "common/file_writer.h"
#include "common/record_file.h"
#include "common/records.h"

#include "tests/support/temp_folder.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantor;
using vantor::test::readFile;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

// The write seam: every other call is interrupted, the others write at most three bytes.
// failAfter bytes in all, the next call fails with ENOSPC (a full disk).
struct Seam {
    static inline int calls = 0;
    static inline std::size_t written = 0;
    static inline std::size_t failAfter = SIZE_MAX;

    static ssize_t choppy(int fd, const void* data, std::size_t size, off_t offset) {
        if (++calls % 2 == 0) {
            errno = EINTR;
            return -1;
        }
        if (written >= failAfter) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t n = std::min({size, std::size_t(3), failAfter - written});
        const ssize_t got = offset < 0 ? ::write(fd, data, n) : ::pwrite(fd, data, n, offset);
        if (got > 0)
            written += std::size_t(got);
        return got;
    }
    static ssize_t stuck(int, const void*, std::size_t, off_t) { return 0; }
};

class ChoppyWrites {
public:
    explicit ChoppyWrites(std::size_t failAfter = SIZE_MAX) {
        Seam::calls = 0;
        Seam::written = 0;
        Seam::failAfter = failAfter;
        previous_ = setWriteCall(&Seam::choppy);
    }
    ~ChoppyWrites() { setWriteCall(previous_); }

private:
    WriteCall previous_;
};

PlayerStatsRecord player(int i) {
    PlayerStatsRecord r;
    r.name.setText("player" + QByteArray::number(i));
    r.kills = i;
    return r;
}

QByteArray sample(int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char('a' + i % 26));
    return bytes;
}

std::string_view view(const QByteArray& b) {
    return {b.constData(), std::size_t(b.size())};
}

} // namespace

TEST(FileWriter, WritesEveryByteThroughShortAndInterruptedWrites) {
    TempFolder dir;
    const QByteArray bytes = sample(1000);
    {
        ChoppyWrites seam;
        OutputFile page(QStringLiteral("page.html"));
        page.write(view(bytes));
        page.write("!");
        page.commit();
        EXPECT_GT(Seam::calls, 600); // the seam really was in the way
    }
    EXPECT_EQ(readFile(QStringLiteral("page.html")), bytes + "!");

    // Positioned writes of a record file go through the same loop.
    std::vector<PlayerStatsRecord> records;
    for (int i = 0; i < 50; ++i)
        records.push_back(player(i));
    {
        ChoppyWrites seam;
        rewriteRecords(QStringLiteral("work.dat"), QStringLiteral("stats.log"), records);
    }
    const auto back = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
    ASSERT_EQ(back.size(), records.size());
    EXPECT_EQ(back[49].name.text(), "player49");
    EXPECT_EQ(back[49].kills, 49);

    {
        ChoppyWrites seam;
        replaceFileWith(QStringLiteral("settings.reg"), view(bytes), QStringLiteral("s.tmp"));
    }
    EXPECT_EQ(readFile(QStringLiteral("settings.reg")), bytes);
    EXPECT_FALSE(QFile::exists(QStringLiteral("s.tmp")));
}

TEST(FileWriter, AWriteThatMakesNoProgressFailsInsteadOfSpinning) {
    TempFolder dir;
    const WriteCall previous = setWriteCall(&Seam::stuck);
    OutputFile page(QStringLiteral("page.html"));
    EXPECT_THROW(page.write("abc"), Error);
    setWriteCall(previous);
    EXPECT_FALSE(QFile::exists(QStringLiteral("page.html")));
}

TEST(OutputFile, ReplacesAnExistingFileAndKeepsItOnlyWhenCommitted) {
    TempFolder dir;
    writeFile(QStringLiteral("old.html"), "an older and longer page");
    {
        OutputFile page(QStringLiteral("old.html"));
        page.write("new");
        page.commit();
    }
    EXPECT_EQ(readFile(QStringLiteral("old.html")), QByteArray("new"));
    {
        OutputFile page(QStringLiteral("left.html"));
        page.write("half a page");
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("left.html")));

    // A write the disk refuses takes the partial file away at once.
    ChoppyWrites seam(10);
    OutputFile page(QStringLiteral("full.html"));
    try {
        page.write(view(sample(100)));
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot write to \"full.html\": ")))
            << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("full.html")));
}

TEST(OutputFile, ANameThatCannotBeCreatedGivesTheSystemsMessage) {
    TempFolder dir;
    try {
        OutputFile page(QStringLiteral("missing/page.html"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create \"missing/page.html\": ")))
            << e.message().toStdString();
    }
}

TEST(FileWriter, AFailedReplaceKeepsTheOldContentAndLeavesNoTemporaryFile) {
    TempFolder dir;
    const QByteArray old = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\r\n";
    writeFile(QStringLiteral("settings.reg"), old);
    {
        ChoppyWrites seam(20);
        EXPECT_THROW(replaceFileWith(QStringLiteral("settings.reg"), view(sample(200)),
                                     QStringLiteral("s.tmp")),
                     Error);
    }
    EXPECT_EQ(readFile(QStringLiteral("settings.reg")), old);
    EXPECT_FALSE(QFile::exists(QStringLiteral("s.tmp")));

    // The same for a record rewrite that runs out of disk half-way through "work.dat".
    const QByteArray stats = QByteArray(96 * 2, 's');
    writeFile(QStringLiteral("stats.log"), stats);
    std::vector<PlayerStatsRecord> many(3000, player(1));
    {
        ChoppyWrites seam(96 * 1000 + 5);
        EXPECT_THROW(rewriteRecords(QStringLiteral("work.dat"), QStringLiteral("stats.log"), many),
                     Error);
    }
    EXPECT_EQ(readFile(QStringLiteral("stats.log")), stats);
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(FileWriter, FreshFilesReplaceALinkInsteadOfWritingThroughIt) {
    TempFolder dir;
    writeFile(QStringLiteral("outside.txt"), "keep me");
    const QString outside = QFileInfo(QStringLiteral("outside.txt")).absoluteFilePath();
    for (const char* name : {"page.html", "work.dat", "dangling.dat"}) {
        const QString link = QString::fromLatin1(name);
        ASSERT_TRUE(QFile::link(
            link == QLatin1String("dangling.dat") ? dir.file(QStringLiteral("nowhere/x")) : outside,
            link));
        const int fd = createFresh(link, O_WRONLY);
        ASSERT_EQ(::write(fd, "new", 3), 3);
        ::close(fd);
        EXPECT_FALSE(QFileInfo(link).isSymLink()) << name;
        EXPECT_EQ(readFile(link), QByteArray("new")) << name;
    }
    EXPECT_EQ(readFile(QStringLiteral("outside.txt")), QByteArray("keep me"));

    // Opening an existing data file for update refuses a link, saying so.
    ASSERT_TRUE(QFile::link(outside, QStringLiteral("team.log")));
    RecordFile<TeamWinsRecord> team(QStringLiteral("team.log"));
    try {
        team.open(FixedRecordFile::Mode::ReadWrite);
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("symbolic link")))
            << e.message().toStdString();
    }
    EXPECT_EQ(readFile(QStringLiteral("outside.txt")), QByteArray("keep me"));
}

// Reads stop at the end of the file and report a failed call; a descriptor held by UniqueFd is
// closed on every way out, and kept open once released.
TEST(FileReader, ReadsFullyUpToTheEndAndClosesWhatItOwns) {
    TempFolder dir;
    writeFile(dir.file("r.bin"), "0123456789");
    const int fd = ::open(QFile::encodeName(dir.file("r.bin")).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    struct Case {
        off_t offset;
        std::size_t size;
        const char* expected;
    };
    for (const Case& c :
         {Case{0, 10, "0123456789"}, Case{7, 10, "789"}, Case{10, 4, ""}, Case{2, 3, "234"}}) {
        char buffer[16] = {};
        int err = 0;
        const std::size_t got = readFully(fd, buffer, c.size, c.offset, &err);
        EXPECT_EQ(std::string(buffer, got), c.expected) << c.offset;
        EXPECT_EQ(err, 0);
    }
    { const UniqueFd owned(fd); }
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "closed when its owner went";
    char byte = 0;
    int err = 0;
    EXPECT_EQ(readFully(fd, &byte, 1, 0, &err), 0u);
    EXPECT_EQ(err, EBADF);

    UniqueFd kept(::open(QFile::encodeName(dir.file("r.bin")).constData(), O_RDONLY));
    const int raw = kept.release();
    kept.reset();
    EXPECT_NE(::fcntl(raw, F_GETFD), -1) << "released, not closed";
    ::close(raw);
}
