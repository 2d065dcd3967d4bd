#pragma once

#include <QString>
#include <QStringList>

namespace vantor {
class SettingsStore;
}

namespace vantor::utilities {

// The last ten texts of a box, entry 1 (index 0) the newest; never-filled entries are empty.
class RecentEntries {
public:
    static constexpr int kEntries = 10;

    RecentEntries();
    // Extra entries are dropped, missing ones are empty.
    explicit RecentEntries(QStringList entries);

    // A text equal (exactly, with case) to an entry changes nothing; any other text becomes
    // entry 1 and pushes the others down, dropping entry 10. True when the history changed.
    bool offer(const QString& text);

    const QStringList& entries() const { return entries_; }
    bool operator==(const RecentEntries&) const = default;

private:
    QStringList entries_;
};

// The comment and file-name histories of the "HTML File Creation" page.
struct RecentPageEntries {
    RecentEntries comments;
    RecentEntries files;
};

// "comment1".."comment10" and "file1".."file10" of the settings key; a missing key or value
// reads as empty.
RecentPageEntries loadRecentEntries(const SettingsStore& store);

// Writes "file1".."file10" and then "comment1".."comment10" in one locked update of the store,
// creating the settings key when it is missing so the histories are never dropped.
// Throws vantor::Error "Failed to set data for 'file1'" when the store cannot be written.
void storeRecentEntries(const SettingsStore& store, const RecentPageEntries& histories);

// After a page was written: offers its file name to the file-name history and stores both.
void rememberPageFile(const SettingsStore& store, RecentPageEntries& histories,
                      const QString& fileName);

} // namespace vantor::utilities
