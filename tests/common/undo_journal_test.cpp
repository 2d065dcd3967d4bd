// The undo journal on real files: what a rollback puts back, and what it refuses to touch.
#include "common/error.h"
#include "common/record_file.h"
#include "common/undo_journal.h"
#include "platform/data_folder_lock.h"
#include "tests/support/journal_entries.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <optional>

using namespace vantor;
using vantor::test::journalEntry;
using vantor::test::readFile;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

// Writes records at a record position through the record file layer, as the merge does.
void writeAt(UndoJournal& journal, const QString& path, std::int64_t record,
             const QByteArray& bytes) {
    FixedRecordFile f(path, 4, &journal);
    if (!f.tryOpen(FixedRecordFile::Mode::ReadWrite))
        f.open(FixedRecordFile::Mode::Create);
    f.seek(record);
    for (qsizetype i = 0; i < bytes.size(); i += 4)
        f.write(bytes.constData() + i);
    f.close();
}

// Changes three files under a journal: one in place and grown, one made, one emptied.
void changeFiles(UndoJournal& journal) {
    writeAt(journal, "stats.log", 1, "XXXXYYYYZZZZ");
    writeAt(journal, "stats.log", 1, "WWWW"); // the same place twice: the oldest bytes must come back
    writeAt(journal, "lastgame.log", 0, "NNNN");
    FixedRecordFile c("team.log", 4, &journal);
    c.open(FixedRecordFile::Mode::Create);
    c.write("CCCC");
    c.close();
}

} // namespace

TEST(UndoJournal, ARollbackPutsBackBytesSizesAndAbsentFiles) {
    TempFolder dir;
    writeFile("stats.log", "aaaabbbb");
    writeFile("team.log", "cccccccc");
    {
        UndoJournal journal(".");
        changeFiles(journal);
        EXPECT_EQ(readFile("stats.log"), "aaaaWWWWYYYYZZZZ");
        journal.rollBack();
        journal.remove();
    }
    EXPECT_EQ(readFile("stats.log"), "aaaabbbb");
    EXPECT_EQ(readFile("team.log"), "cccccccc");
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_FALSE(QFile::exists(kUndoJournalFile));
}

TEST(UndoJournal, TheNextHolderOfTheDataFolderUndoesAnUncommittedGame) {
    TempFolder dir;
    writeFile("stats.log", "aaaabbbb");
    writeFile(kClaimedLogFile, "the game");
    {
        UndoJournal journal(".");
        changeFiles(journal);
        // The process dies here: neither committed nor undone.
    }
    ASSERT_TRUE(QFile::exists(kUndoJournalFile));
    {
        DataFolderLock lock(".");
        ASSERT_TRUE(lock.tryLock());
    }
    EXPECT_EQ(readFile("stats.log"), "aaaabbbb");
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_FALSE(QFile::exists(kUndoJournalFile));
    EXPECT_EQ(readFile(kClaimedLogFile), "the game"); // left to be recorded again

    // Committed (the claimed log is gone): the files stay as the game left them.
    QFile::remove(kClaimedLogFile);
    {
        UndoJournal journal(".");
        changeFiles(journal);
    }
    EXPECT_EQ(recoverInterruptedGame("."), Recovery::Committed);
    EXPECT_EQ(readFile("stats.log"), "aaaaWWWWYYYYZZZZ");
    EXPECT_FALSE(QFile::exists(kUndoJournalFile));
    EXPECT_EQ(recoverInterruptedGame("."), Recovery::Nothing);
}

TEST(UndoJournal, ATornOrDamagedTailIsAChangeThatNeverHappened) {
    TempFolder dir;
    writeFile("stats.log", "aaaabbbb");
    writeFile(kClaimedLogFile, "the game");
    {
        UndoJournal journal(".");
        writeAt(journal, "stats.log", 0, "1111");
    }
    const QByteArray whole = readFile(kUndoJournalFile);
    // The second change's entry torn off at every length, then damaged in its last byte: only
    // the first change is undone, and nothing else is touched.
    for (int cut = 0; cut <= 40; ++cut) {
        writeFile("stats.log", "1111bbbb");
        writeFile(kUndoJournalFile, whole + QByteArray("\x30\x00\x00\x00garbage", 11).left(cut));
        EXPECT_EQ(recoverInterruptedGame("."), Recovery::RolledBack);
        EXPECT_EQ(readFile("stats.log"), "aaaabbbb") << cut;
    }
    QByteArray damaged = whole;
    damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 1);
    writeFile("stats.log", "1111bbbb");
    writeFile(kUndoJournalFile, damaged);
    EXPECT_EQ(recoverInterruptedGame("."), Recovery::RolledBack);
    EXPECT_EQ(readFile("stats.log"), "1111bbbb"); // its only entry is damaged: it never happened

    // Only a header, or not even that: nothing was changed.
    writeFile(kUndoJournalFile, whole.left(5));
    EXPECT_EQ(recoverInterruptedGame("."), Recovery::RolledBack);
    EXPECT_EQ(readFile("stats.log"), "1111bbbb");
}

TEST(UndoJournal, APlantedJournalReachesNothingOutsideTheDataFolder) {
    TempFolder dir;
    QDir().mkdir("data");
    writeFile("outside.txt", "precious");
    writeFile("data/" + kClaimedLogFile, "the game");
    {
        // A game never changes a file outside its folder.
        UndoJournal journal("data");
        EXPECT_THROW(writeAt(journal, "outside.txt", 0, "XXXX"), Error);
        journal.remove();
    }
    EXPECT_EQ(readFile("outside.txt"), "precious");

    // Well-formed entries naming files outside the folder, as someone could plant them.
    QByteArray planted = "VNTUNDO1";
    for (const QByteArray& name :
         {QByteArray("../outside.txt"), QByteArray(".."), QByteArray("sub/../../outside.txt")})
        planted += journalEntry('S', name, 0, {}) + journalEntry('R', name, 0, "evil");
    // Refused whole and set aside under a new name, once.
    writeFile("data/" + kUndoJournalFile, planted);
    EXPECT_THROW(recoverInterruptedGame("data"), Error);
    EXPECT_EQ(readFile("outside.txt"), "precious");
    EXPECT_FALSE(QFile::exists("data/" + kUndoJournalFile));
    EXPECT_EQ(recoverInterruptedGame("data"), Recovery::Nothing);

    // A link in the data folder under a journaled name is not written through.
    ASSERT_TRUE(QFile::link(QDir::current().absoluteFilePath("outside.txt"), "data/stats.log"));
    writeFile("data/" + kUndoJournalFile, "VNTUNDO1" + journalEntry('S', "stats.log", 2, {}) +
                                              journalEntry('R', "stats.log", 0, "evil"));
    EXPECT_THROW(recoverInterruptedGame("data"), Error);
    EXPECT_EQ(readFile("outside.txt"), "precious");
    EXPECT_EQ(QDir("data")
                  .entryList({kUndoJournalFile + ".refused-*"}, QDir::Files | QDir::Hidden)
                  .size(),
              2);
    QFile::remove("data/stats.log");

    // A link in the journal's place is not followed, and goes.
    ASSERT_TRUE(
        QFile::link(QDir::current().absoluteFilePath("outside.txt"), "data/" + kUndoJournalFile));
    EXPECT_EQ(recoverInterruptedGame("data"), Recovery::RolledBack);
    EXPECT_EQ(readFile("outside.txt"), "precious");
    EXPECT_FALSE(QFileInfo::exists("data/" + kUndoJournalFile));
}
