#include "activation.h"

#include "result_log_files.h"
#include "stats/merge.h"

#include "common/error.h"
#include "common/record_file.h"
#include "common/undo_journal.h"
#include "platform/data_folder_lock.h"
#include "platform/dialogs.h"
#include "platform/settings_names.h"

#include <QDir>
#include <QFileInfo>

namespace vantor::recorder {

Activation::Activation(Dialogs& dialogs, SettingsStore store, GameKeyReader gameKey,
                       QString dataFolder)
    : dialogs_(dialogs), store_(std::move(store)), gameKey_(std::move(gameKey)),
      dataFolder_(std::move(dataFolder)) {}

void Activation::GetRegistryInfo() {
    std::optional<SettingsKey> key = store_.openKey(kVantorKey, true);
    if (!key) {
        hasHostName_ = hasHostFileName_ = false;
        reportOnce(QStringLiteral("The settings cannot be kept in \"%1\".").arg(store_.path()));
        return;
    }
    hasHostName_ = !key->readString(QStringLiteral("hostname")).isEmpty();
    hasHostFileName_ = !key->readString(kHostFileNameSetting).isEmpty();
    const QString autoRecord = key->readString(kAutoRecordSetting);
    if (autoRecord == kTrueText)
        autoRecord_ = true;
    else if (autoRecord == kFalseText)
        autoRecord_ = false;
    const QString here = QDir(dataFolder_).absolutePath();
    // Rewriting an unchanged value would only wake every other reader of the store.
    if (key->valueExists(kRecorderPathSetting) && key->readString(kRecorderPathSetting) == here)
        return;
    try {
        key->writeString(kRecorderPathSetting, here);
    } catch (const Error& e) {
        reportOnce(e.message());
    }
}

void Activation::GetRSDir() {
    const GameKeyValues game = gameKey_(store_);
    gameFolder_ = game.installationPath;
    playerName_ = game.playerName;
    if (!gameFolder_.isEmpty()) {
        notInstalledShown_ = false;
        return;
    }
    gameFolder_ = kNotInstalled;
    // Closing the message reactivates the window: shown again, it would never end.
    if (!notInstalledShown_) {
        notInstalledShown_ = true;
        dialogs_.information(QStringLiteral("Rogue Spear is not installed"));
    }
}

void Activation::deleteStaleFiles(bool withResultLogs) const {
    if (withResultLogs)
        deleteResultLogs(gameFolder_);
    removeQuietly(QDir(dataFolder_).filePath(kLastGameFile));
}

void Activation::finishInterruptedGame() {
    if (!QFileInfo::exists(QDir(dataFolder_).filePath(kUndoJournalFile)))
        return;
    try {
        // Taking the data folder undoes it; another holder does the same.
        DataFolderLock lock(dataFolder_);
        lock.tryLock();
    } catch (const Error& e) {
        reportOnce(e.message());
    }
}

void Activation::reportOnce(const QString& text) {
    if (shownOnce_.contains(text))
        return;
    shownOnce_.insert(text);
    dialogs_.error(text);
}

} // namespace vantor::recorder
