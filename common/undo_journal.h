#pragma once

#include "unique_fd.h"

#include "data_files.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>

namespace vantor {

// Told by the record file layer before it changes a file, so the old bytes can be kept first.
class ChangeGuard {
public:
    virtual ~ChangeGuard() = default;
    // [offset, offset + length) of the open file fd is about to be written or cut away.
    virtual void beforeWrite(const QString& path, int fd, std::int64_t offset,
                             std::int64_t length) = 0;
    // The file is about to be created or emptied.
    virtual void beforeCreate(const QString& path) = 0;
};

// A write-ahead undo journal for the files of one data folder. Before each change the old
// bytes (and, at a file's first change, its size or its absence) are appended and forced to the
// disk, so whatever reached a file can be undone after a kill or a power loss. Entries carry a
// checksum; a torn last entry belongs to a change that never happened.
class UndoJournal : public ChangeGuard {
public:
    // Starts a new journal in dataFolder; throws vantor::Error when it cannot be made durable.
    explicit UndoJournal(QString dataFolder);
    ~UndoJournal() override;
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    void beforeWrite(const QString& path, int fd, std::int64_t offset,
                     std::int64_t length) override;
    void beforeCreate(const QString& path) override;

    // Forces every file changed so far, and the folder, to the disk.
    void syncChanges();
    // Puts every changed file back as it was; the journal stays until remove().
    void rollBack();
    // Deletes the journal: the changes are committed, or undone.
    void remove();

private:
    QString fileNameOf(const QString& path) const;
    void append(const QByteArray& payload);

    QString folder_;
    QString path_;
    UniqueFd fd_;
    QHash<QString, std::int64_t> originalSize_; // -1: the file did not exist
};

enum class Recovery {
    Nothing,    // no journal
    RolledBack, // a game cut off mid-way was undone; its claimed log waits to be recorded
    Committed,  // the game had been committed; only the journal was left
};

// Finishes what a process killed mid-game left in dataFolder. Call it holding the data-folder
// lock. Throws vantor::Error when the files cannot be put back; the journal then stays.
Recovery recoverInterruptedGame(const QString& dataFolder);

} // namespace vantor
