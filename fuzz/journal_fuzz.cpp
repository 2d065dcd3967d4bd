// Any bytes as "games.db": the journal's reader either reads it or refuses it with a message;
// it never crashes, and never leaks a connection or a statement on the way out. What it reads is
// replayed into a scratch folder, so stored event texts reach the ranking and upkeep too.
#include "common/error.h"
#include "common/scratch_folder.h"
#include "history/journal/change_note.h"
#include "history/journal/journal.h"
#include "history/replay/replay.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {

QString scratchParent() {
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                     : QDir::tempPath();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    using namespace vantor::history;
    static QTemporaryDir dir(scratchParent() + QStringLiteral("/vantor-fuzz-XXXXXX"));
    const QString folder = dir.path();
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(QDir(folder).filePath(name));
    writeFile(Journal::pathIn(folder),
              QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        auto journal = Journal::openExisting(folder);
        if (!journal)
            return 0;
        journal->outOfStepReason();
        for (const GameRow& row : journal->games(std::nullopt, 50))
            journal->game(row.id);
        journal->games(true, -1);
        journal->gamesOf("Marrow", false);
        journal->baseline();
        journal->lastDigest();
        replayJournal(*journal, ScratchFolder(folder, QStringLiteral("replay-")).path());
        journal->checkFiles();
        journal->settlePending("x");
    } catch (const Error&) {
        // Refused with a message: what a damaged history must give.
    }
    return 0;
}
