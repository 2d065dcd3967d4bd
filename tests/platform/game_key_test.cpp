#include "platform/game_key.h"

#include "tests/support/temp_folder.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::TempFolder;
using vantor::test::writeFile;

TEST(GameKey, StoreKeyComesFirst) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    store.update([](RegFile& f) {
        f.setValue(kGameKey, QStringLiteral("InstallationPath"), QStringLiteral("/games/rs"));
        f.setValue(kGameKey, QStringLiteral("MultiplayerPlayerName"), QStringLiteral("Marrow"));
    });
    const auto g = readGameKey(store, dir.file(QStringLiteral("no-prefix")));
    EXPECT_TRUE(g.found);
    EXPECT_EQ(g.installationPath, QStringLiteral("/games/rs"));
    EXPECT_EQ(g.playerName, QStringLiteral("Marrow"));
}

TEST(GameKey, FallsBackToTheWinePrefixAndTranslatesTheDrive) {
    TempFolder dir;
    const QString prefix = dir.file(QStringLiteral("wine"));
    QDir().mkpath(prefix);
    writeFile(prefix + QStringLiteral("/system.reg"),
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
              "[Software\\\\Red Storm Entertainment\\\\Rogue Spear] 1600000000\n"
              "#time=1d6f\n"
              "\"InstallationPath\"=\"C:\\\\Games\\\\Rogue Spear\\\\\"\n"
              "\"MultiplayerPlayerName\"=\"J\\x00e9r\\x00f4me\"\n");
    const auto g = readGameKey(SettingsStore(dir.file(QStringLiteral("registry.reg"))), prefix);
    EXPECT_TRUE(g.found);
    EXPECT_EQ(g.installationPath, prefix + QStringLiteral("/dosdevices/c:/Games/Rogue Spear"));
    EXPECT_EQ(g.playerName, QStringLiteral("J\u00e9r\u00f4me"));
}

TEST(GameKey, FindsTheWow6432NodeTwin) {
    TempFolder dir;
    writeFile(dir.file(QStringLiteral("system.reg")),
              "WINE REGISTRY Version 2\n"
              "[Software\\\\Wow6432Node\\\\Red Storm Entertainment\\\\Rogue Spear] 1\n"
              "\"InstallationPath\"=\"D:\\\\RS\"\n");
    const auto g = readGameKey(SettingsStore(dir.file(QStringLiteral("r.reg"))), dir.path());
    EXPECT_TRUE(g.found);
    EXPECT_EQ(g.installationPath, dir.path() + QStringLiteral("/dosdevices/d:/RS"));
    EXPECT_EQ(g.playerName, QString());
}

TEST(GameKey, NoKeyAnywhereIsNotFound) {
    TempFolder dir;
    const auto g = readGameKey(SettingsStore(dir.file(QStringLiteral("r.reg"))), dir.path());
    EXPECT_FALSE(g.found);
    EXPECT_TRUE(g.installationPath.isEmpty());
}
