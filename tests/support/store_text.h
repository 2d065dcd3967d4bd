#pragma once

#include <QString>

namespace vantor::test {

// A settings store holding the given Vantor values and, unless gameFolder is empty, the game's
// key naming that folder with the player "Marrow".
inline QString storeText(const QString& vantorValues, const QString& gameFolder) {
    QString text = QStringLiteral("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n") +
                   vantorValues + u'\n';
    if (!gameFolder.isEmpty())
        text += QStringLiteral("\n[HKEY_LOCAL_MACHINE\\Software\\Red Storm Entertainment\\"
                               "Rogue Spear]\n\"InstallationPath\"=\"%1\"\n"
                               "\"MultiplayerPlayerName\"=\"Marrow\"\n")
                    .arg(gameFolder);
    return text;
}

} // namespace vantor::test
