// scripts/run-recorder.sh as a newcomer runs it: the demo it prepares must let the live stats
// demo record game after game, so its game folder holds a sound the recorder can play.
#include "platform/game_key.h"
#include "platform/game_paths.h"
#include "recorder/live/live_upload.h"
#include "tests/support/temp_folder.h"

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::readFile;
using vantor::test::TempFolder;

TEST(DemoScript, GivesTheDemoGameAPlayableSound) {
    TempFolder dir;
    const QString demo = dir.file("demo");
    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("VANTOR_REGISTRY");
    env.insert("VANTOR_DEMO_DIR", demo);
    script.setProcessEnvironment(env);
    script.start("bash",
                 {QStringLiteral(VANTOR_SOURCE_DIR "/scripts/run-recorder.sh"), "--demo-only"});
    ASSERT_TRUE(script.waitForFinished(30000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();

    // Found where the recorder looks after an upload: the game folder of the demo's store.
    const GameKeyValues game = readGameKey(SettingsStore(demo + "/registry.reg"), dir.file("w"));
    ASSERT_EQ(game.installationPath, demo + "/game");
    const QString sound = findGameFile(game.installationPath, recorder::kUploadSound);
    ASSERT_TRUE(QFile::exists(sound)) << sound.toStdString();

    // A whole PCM wave file: RIFF sizes that match, a "fmt " of format 1, samples present.
    const QByteArray wave = readFile(sound);
    ASSERT_GE(wave.size(), 44);
    QDataStream in(wave);
    in.setByteOrder(QDataStream::LittleEndian);
    char tag[4];
    quint32 riffSize = 0, fmtSize = 0, rate = 0, byteRate = 0, dataSize = 0;
    quint16 format = 0, channels = 0, blockAlign = 0, bits = 0;
    in.readRawData(tag, 4);
    EXPECT_EQ(QByteArray(tag, 4), "RIFF");
    in >> riffSize;
    EXPECT_EQ(riffSize, quint32(wave.size() - 8));
    in.readRawData(tag, 4);
    EXPECT_EQ(QByteArray(tag, 4), "WAVE");
    in.readRawData(tag, 4);
    EXPECT_EQ(QByteArray(tag, 4), "fmt ");
    in >> fmtSize >> format >> channels >> rate >> byteRate >> blockAlign >> bits;
    EXPECT_EQ(fmtSize, 16u);
    EXPECT_EQ(format, 1);
    EXPECT_GE(channels, 1);
    EXPECT_GT(rate, 0u);
    EXPECT_EQ(blockAlign, channels * bits / 8);
    EXPECT_EQ(byteRate, rate * blockAlign);
    in.readRawData(tag, 4);
    EXPECT_EQ(QByteArray(tag, 4), "data");
    in >> dataSize;
    EXPECT_GT(dataSize, 0u);
    EXPECT_EQ(dataSize, quint32(wave.size() - 44));

    // A second run keeps what the first made.
    script.start("bash",
                 {QStringLiteral(VANTOR_SOURCE_DIR "/scripts/run-recorder.sh"), "--demo-only"});
    ASSERT_TRUE(script.waitForFinished(30000));
    EXPECT_EQ(script.exitCode(), 0);
    EXPECT_EQ(readFile(sound), wave);
}
