#include "history.h"

#include "common/error.h"
#include "platform/settings_store.h"

namespace vantor::utilities {

namespace {
QString valueName(const char* stem, int entry) {
    return QLatin1String(stem) + QString::number(entry);
}
} // namespace

History::History() : History(QStringList{}) {}

History::History(QStringList entries) : entries_(std::move(entries)) {
    entries_.resize(kEntries);
}

bool History::offer(const QString& text) {
    if (entries_.contains(text, Qt::CaseSensitive))
        return false;
    entries_.removeLast();
    entries_.prepend(text);
    return true;
}

PageHistories loadHistories(const SettingsStore& store) {
    PageHistories h;
    const auto key = store.openKey(kVantorKey, false);
    if (!key)
        return h;
    QStringList comments, files;
    for (int i = 1; i <= History::kEntries; ++i) {
        comments << key->readString(valueName("comment", i));
        files << key->readString(valueName("file", i));
    }
    h.comments = History(comments);
    h.files = History(files);
    return h;
}

void storeHistories(const SettingsStore& store, const PageHistories& histories) {
    try {
        store.update([&](RegFile& f) {
            f.addKey(kVantorKey);
            for (int i = 1; i <= History::kEntries; ++i)
                f.setValue(kVantorKey, valueName("file", i), histories.files.entries()[i - 1]);
            for (int i = 1; i <= History::kEntries; ++i)
                f.setValue(kVantorKey, valueName("comment", i),
                           histories.comments.entries()[i - 1]);
        });
    } catch (const Error&) {
        throw Error(QStringLiteral("Failed to set data for 'file1'"));
    }
}

void updatefilelist(const SettingsStore& store, PageHistories& histories, const QString& fileName) {
    histories.files.offer(fileName);
    storeHistories(store, histories);
}

} // namespace vantor::utilities
