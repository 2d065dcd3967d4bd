#include "settings_store.h"

#include "common/error.h"
#include "common/file_writer.h"
#include "common/unique_fd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantor {

namespace {

QByteArray native(const QString& p) {
    return QFile::encodeName(p);
}

// Holds an exclusive flock on a lock file beside the store: the store itself is replaced by
// rename, so a lock on it would not outlive a write.
class StoreLock {
public:
    explicit StoreLock(const QString& storePath) {
        fd_.reset(::open(native(storePath + QStringLiteral(".lock")).constData(),
                         O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd_.valid())
            throw Error(fileFailureMessage(QStringLiteral("Cannot lock"), storePath, errno));
        while (::flock(fd_.get(), LOCK_EX) != 0) {
            if (const int err = errno; err != EINTR)
                throw Error(
                    systemMessage(QStringLiteral("Cannot lock \"%1\"").arg(storePath), err));
        }
    }

private:
    UniqueFd fd_;
};

} // namespace

SettingsStore::SettingsStore(QString filePath) : path_(std::move(filePath)) {}

QString SettingsStore::defaultPath() {
    const QByteArray explicitPath = qgetenv("VANTOR_REGISTRY");
    if (!explicitPath.isEmpty())
        return QFile::decodeName(explicitPath);
    QString config = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vantor/registry.reg");
}

RegFile SettingsStore::load() const {
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return RegFile::parse(QString());
    return RegFile::parse(QString::fromUtf8(f.readAll()));
}

void SettingsStore::updateWith(const std::function<void(RegFile&)>& change) const {
    const QString dir = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(dir))
        throw Error(QStringLiteral("Cannot create the folder \"%1\"").arg(dir));
    StoreLock lock(path_);
    QFile stored(path_);
    const bool exists = stored.open(QIODevice::ReadOnly);
    const QByteArray before = exists ? stored.readAll() : QByteArray();
    stored.close();
    RegFile file = RegFile::parse(QString::fromUtf8(before));
    change(file);
    const QByteArray data = file.serialize().toUtf8();
    // A change that changes nothing (the same page name again) leaves the file alone: no
    // rewrite, no waiting for the disk.
    if (exists && data == before)
        return;
    replaceFileWith(path_, std::string_view(data.constData(), std::size_t(data.size())),
                    path_ + QStringLiteral(".tmp"), 0600);
}

bool SettingsStore::keyExists(const QString& keyPath) const {
    return load().hasKey(keyPath);
}

std::optional<SettingsKey> SettingsStore::openKey(const QString& keyPath, bool create) const {
    RegFile snapshot = load();
    if (!snapshot.hasKey(keyPath)) {
        if (!create)
            return std::nullopt;
        try {
            update([&](RegFile& f) { f.addKey(keyPath); });
        } catch (const Error&) {
            return std::nullopt;
        }
        snapshot = load();
    }
    return SettingsKey(path_, RegFile::normalizeKey(keyPath), std::move(snapshot));
}

QString SettingsKey::readString(const QString& name) const {
    return snapshot_.value(keyPath_, name).value_or(QString());
}

bool SettingsKey::valueExists(const QString& name) const {
    return snapshot_.value(keyPath_, name).has_value();
}

void SettingsKey::writeString(const QString& name, const QString& value) {
    try {
        SettingsStore(storePath_).update([&](RegFile& f) { f.setValue(keyPath_, name, value); });
    } catch (const Error&) {
        throw Error(QStringLiteral("Failed to set data for '%1'").arg(name));
    }
    snapshot_.setValue(keyPath_, name, value);
}

} // namespace vantor
