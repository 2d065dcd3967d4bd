#pragma once

#include "reg_file.h"

#include <QString>
#include <functional>
#include <optional>

namespace vantor {

class SettingsStore;

// An open settings key: its values as they stood when it was opened. Every write locks the
// store, reads it afresh, changes the one value and replaces the file whole, so two programs
// writing at the same moment both keep their values.
class SettingsKey {
public:
    // A missing value reads as empty text.
    QString readString(const QString& name) const;
    bool valueExists(const QString& name) const;
    // Throws vantor::Error "Failed to set data for '<name>'" when the store cannot be written.
    void writeString(const QString& name, const QString& value);
    const QString& keyPath() const { return keyPath_; }

private:
    friend class SettingsStore;
    SettingsKey(QString storePath, QString keyPath, RegFile snapshot)
        : storePath_(std::move(storePath)), keyPath_(std::move(keyPath)),
          snapshot_(std::move(snapshot)) {}
    QString storePath_;
    QString keyPath_;
    RegFile snapshot_;
};

// The stand-in for HKEY_LOCAL_MACHINE: one REGEDIT4 text file.
class SettingsStore {
public:
    explicit SettingsStore(QString filePath);
    // $VANTOR_REGISTRY, else $XDG_CONFIG_HOME/vantor/registry.reg, else
    // ~/.config/vantor/registry.reg.
    static QString defaultPath();

    const QString& path() const { return path_; }

    // Opens a key; without create a missing key gives nullopt, and so does a key that
    // cannot be created.
    std::optional<SettingsKey> openKey(const QString& keyPath, bool create) const;
    bool keyExists(const QString& keyPath) const;

    // Reads the whole store as it is now (missing file: empty).
    RegFile load() const;
    // Locked read-modify-write of the whole file; throws vantor::Error on failure.
    template <class Change> void update(Change&& change) const {
        updateWith([&](RegFile& f) { change(f); });
    }

private:
    void updateWith(const std::function<void(RegFile&)>& change) const;
    QString path_;
};

// The settings key of both programs.
inline const QString kVantorKey = QStringLiteral("Software\\Vantor");

} // namespace vantor
