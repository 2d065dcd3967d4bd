#include "platform/live_stats_settings.h"

#include "platform/settings_store.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::readFile;
using vantor::test::TempFolder;
using vantor::test::writeFile;

TEST(LiveStatsSettings, WhatTheSetupSavesIsWhatThePageReads) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    LiveStatsSettings saved;
    saved.hostFileName = QStringLiteral("live.html");
    saved.reloadTime = QStringLiteral("45");
    saved.customImagePath = QStringLiteral("http://example.org/me.jpg");
    saved.useCustomImage = true;
    store.update([&](RegFile& file) {
        for (const auto& [name, value] : liveStatsValues(saved))
            file.setValue(kVantorKey, name, value);
    });

    const LiveStatsSettings read = readLiveStatsSettings(*store.openKey(kVantorKey, false));
    EXPECT_EQ(read.hostFileName, saved.hostFileName);
    EXPECT_EQ(read.reloadTime, QStringLiteral("45"));
    EXPECT_EQ(read.customImagePath, saved.customImagePath);
    EXPECT_EQ(read.useCustomImage, std::optional<bool>(true));
    // Stores written so far hold the reload time under its saved spelling.
    EXPECT_TRUE(readFile(store.path()).contains("\"LiveStatsReloadtime\"=\"45\""));
}

TEST(LiveStatsSettings, OnlyTrueOrFalseChoosesTheImage) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("registry.reg"));
    const auto useImage = [&](const char* text) {
        writeFile(path, QByteArray("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                                   "\"usecustomimage\"=\"") +
                            text + "\"\n");
        return readLiveStatsSettings(*SettingsStore(path).openKey(kVantorKey, false))
            .useCustomImage;
    };
    EXPECT_EQ(useImage("true"), std::optional<bool>(true));
    EXPECT_EQ(useImage("false"), std::optional<bool>(false));
    EXPECT_EQ(useImage("TRUE"), std::nullopt);
    EXPECT_EQ(useImage(""), std::nullopt);
}
