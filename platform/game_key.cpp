#include "game_key.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace vantor {

QString defaultWinePrefix() {
    const QByteArray env = qgetenv("WINEPREFIX");
    return env.isEmpty() ? QDir::homePath() + QStringLiteral("/.wine") : QFile::decodeName(env);
}

QString windowsToPrefixPath(const QString& path, const QString& winePrefix) {
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):(\\\\|/|$)"));
    const auto m = drive.match(path);
    if (!m.hasMatch())
        return path;
    QString rest = path.mid(2);
    rest.replace(u'\\', u'/');
    while (rest.endsWith(u'/'))
        rest.chop(1);
    return winePrefix + QStringLiteral("/dosdevices/") + m.captured(1).toLower() + u':' + rest;
}

GameKeyValues readGameKey(const SettingsStore& store, QString winePrefix) {
    if (winePrefix.isEmpty())
        winePrefix = defaultWinePrefix();
    GameKeyValues out;
    RegFile source = store.load();
    QString key = kGameKey;
    if (!source.hasKey(key)) {
        QFile f(winePrefix + QStringLiteral("/system.reg"));
        if (!f.open(QIODevice::ReadOnly))
            return out;
        source = RegFile::parse(QString::fromUtf8(f.readAll()), RegFile::Flavour::Wine);
        if (!source.hasKey(key))
            key = QStringLiteral("Software\\Wow6432Node\\Red Storm Entertainment\\Rogue Spear");
        if (!source.hasKey(key))
            return out;
    }
    out.found = true;
    out.installationPath = windowsToPrefixPath(
        source.value(key, QStringLiteral("InstallationPath")).value_or(QString()), winePrefix);
    out.playerName = source.value(key, QStringLiteral("MultiplayerPlayerName")).value_or(QString());
    return out;
}

} // namespace vantor
