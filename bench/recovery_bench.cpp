// Recovery of a game cut off mid-way from journals of 10,000 to 80,000 entries: the time per
// entry must stay flat (the reading is one pass), and memory stays bounded whatever the size.
#include "common/data_files.h"
#include "common/undo_journal.h"
#include "tests/support/journal_entries.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

int main() {
    using namespace vantor;
    std::printf("recovery of a journal (target: time per entry flat as the journal grows):\n");
    for (const int entries : {10000, 20000, 40000, 80000}) {
        QTemporaryDir dir;
        const QString folder = dir.path();
        write(QDir(folder).filePath(kStatsFile), QByteArray(entries * 8, 'x'));
        write(QDir(folder).filePath(kClaimedLogFile), "a game");
        QByteArray journal = test::kJournalHeader + test::journalEntry('S', "stats.log", 8);
        for (int i = 0; i < entries; ++i)
            journal += test::journalEntry('R', "stats.log", i % 8, "o");
        write(QDir(folder).filePath(kUndoJournalFile), journal);
        QElapsedTimer t;
        t.start();
        recoverInterruptedGame(folder);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        std::printf("  %6d entries: %8.1f ms, %6.2f us an entry\n", entries, ms,
                    ms * 1000 / entries);
    }
    return 0;
}
