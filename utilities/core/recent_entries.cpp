#include "recent_entries.h"

#include "common/error.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"

namespace vantor::utilities {

namespace {
QString valueName(const QString& stem, int entry) {
    return stem + QString::number(entry);
}
} // namespace

RecentEntries::RecentEntries() : RecentEntries(QStringList{}) {}

RecentEntries::RecentEntries(QStringList entries) : entries_(std::move(entries)) {
    entries_.resize(kEntries);
}

bool RecentEntries::offer(const QString& text) {
    if (entries_.contains(text, Qt::CaseSensitive))
        return false;
    entries_.removeLast();
    entries_.prepend(text);
    return true;
}

RecentPageEntries loadRecentEntries(const SettingsStore& store) {
    RecentPageEntries h;
    const auto key = store.openKey(kVantorKey, false);
    if (!key)
        return h;
    QStringList comments, files;
    for (int i = 1; i <= RecentEntries::kEntries; ++i) {
        comments << key->readString(valueName(kRecentCommentSetting, i));
        files << key->readString(valueName(kRecentFileSetting, i));
    }
    h.comments = RecentEntries(comments);
    h.files = RecentEntries(files);
    return h;
}

void storeRecentEntries(const SettingsStore& store, const RecentPageEntries& histories) {
    try {
        store.update([&](RegFile& f) {
            f.addKey(kVantorKey);
            for (int i = 1; i <= RecentEntries::kEntries; ++i)
                f.setValue(kVantorKey, valueName(kRecentFileSetting, i),
                           histories.files.entries()[i - 1]);
            for (int i = 1; i <= RecentEntries::kEntries; ++i)
                f.setValue(kVantorKey, valueName(kRecentCommentSetting, i),
                           histories.comments.entries()[i - 1]);
        });
    } catch (const Error&) {
        throw Error(
            QStringLiteral("Failed to set data for '%1'").arg(valueName(kRecentFileSetting, 1)));
    }
}

void rememberPageFile(const SettingsStore& store, RecentPageEntries& histories,
                      const QString& fileName) {
    histories.files.offer(fileName);
    storeRecentEntries(store, histories);
}

} // namespace vantor::utilities
