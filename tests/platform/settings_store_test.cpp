#include "platform/settings_store.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantor;
using vantor::test::readFile;
using vantor::test::TempFolder;
using vantor::test::writeFile;

TEST(SettingsStore, MissingKeyOrValueReadsEmpty) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("reg/registry.reg")));
    EXPECT_FALSE(store.openKey(kVantorKey, false).has_value());
    EXPECT_FALSE(QFile::exists(store.path()));

    auto key = store.openKey(QStringLiteral("\\Software\\Vantor"), true);
    ASSERT_TRUE(key.has_value());
    EXPECT_TRUE(QFile::exists(store.path()));
    EXPECT_EQ(key->readString(QStringLiteral("hostname")), QString());
    EXPECT_FALSE(key->valueExists(QStringLiteral("hostname")));
    EXPECT_TRUE(store.openKey(kVantorKey, false).has_value());
}

TEST(SettingsStore, NamesAndKeysCompareWithoutCase) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    store.openKey(kVantorKey, true)
        ->writeString(QStringLiteral("LiveStatsReloadtime"), QStringLiteral("30"));
    auto key = store.openKey(QStringLiteral("software\\VANTOR"), false);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString(QStringLiteral("LiveStatsReloadTime")), QStringLiteral("30"));
    // One value, not two, after writing it under the other spelling.
    key->writeString(QStringLiteral("LIVESTATSRELOADTIME"), QStringLiteral("45"));
    const QByteArray text = readFile(store.path());
    EXPECT_EQ(text.count("eloadtime\"") + text.count("ELOADTIME\""), 1);
    EXPECT_EQ(store.openKey(kVantorKey, false)->readString(QStringLiteral("livestatsreloadtime")),
              QStringLiteral("45"));
}

TEST(SettingsStore, FileIsRegedit4WithEscapes) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    auto key = store.openKey(kVantorKey, true);
    key->writeString(QStringLiteral("comment1"), QStringLiteral("say \"hi\" C:\\games"));
    key->writeString(QStringLiteral("RecorderPath"), QString(300, u'p'));
    EXPECT_EQ(readFile(store.path()),
              QByteArray("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                         "\"comment1\"=\"say \\\"hi\\\" C:\\\\games\"\n"
                         "\"RecorderPath\"=\"") +
                  QByteArray(300, 'p') + "\"\n");
    auto again = store.openKey(kVantorKey, false);
    EXPECT_EQ(again->readString(QStringLiteral("comment1")),
              QStringLiteral("say \"hi\" C:\\games"));
    EXPECT_EQ(again->readString(QStringLiteral("recorderpath")).size(), 300);
}

TEST(SettingsStore, EveryOpenReadsTheFileAfresh) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    auto first = store.openKey(kVantorKey, true);
    SettingsStore(store.path())
        .openKey(kVantorKey, true)
        ->writeString(QStringLiteral("hostname"), QStringLiteral("a"));
    // An open key is a snapshot; the next open sees the other writer's value.
    EXPECT_EQ(first->readString(QStringLiteral("hostname")), QString());
    EXPECT_EQ(store.openKey(kVantorKey, false)->readString(QStringLiteral("hostname")),
              QStringLiteral("a"));
}

TEST(SettingsStore, GarbledAndHalfWrittenFilesStillReadAndNeverGetWorse) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("registry.reg"));
    const QByteArray damaged = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                               "\"hostname\"=\"ftp.example.org\"\n"
                               "@@@ garbage \x01\x02 line\n"
                               "\"username\"=\"bob\"\n"
                               "\"port\"=\"21";
    writeFile(path, damaged);
    SettingsStore store(path);
    auto key = store.openKey(kVantorKey, false);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString(QStringLiteral("hostname")), QStringLiteral("ftp.example.org"));
    EXPECT_EQ(key->readString(QStringLiteral("username")), QStringLiteral("bob"));
    EXPECT_EQ(key->readString(QStringLiteral("port")), QString()); // cut short: unreadable

    key->writeString(QStringLiteral("AutoRecord"), QStringLiteral("true"));
    const QByteArray after = readFile(path);
    // Every line that was there is still there, byte for byte.
    for (const QByteArray& line : damaged.split('\n'))
        EXPECT_TRUE(after.contains(line)) << line.constData();
    auto reread = store.openKey(kVantorKey, false);
    EXPECT_EQ(reread->readString(QStringLiteral("AutoRecord")), QStringLiteral("true"));
    EXPECT_EQ(reread->readString(QStringLiteral("hostname")), QStringLiteral("ftp.example.org"));
}

TEST(SettingsStore, AStoreThatCannotBeWrittenSaysWhichValue) {
    TempFolder dir;
    // A folder where the file should be: no write can replace it.
    const QString path = dir.file(QStringLiteral("registry.reg"));
    QDir().mkpath(path + QStringLiteral("/x"));
    SettingsStore store(path);
    EXPECT_FALSE(store.openKey(kVantorKey, true).has_value());
    writeFile(dir.file(QStringLiteral("ok.reg")),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n");
    auto key = SettingsStore(dir.file(QStringLiteral("ok.reg"))).openKey(kVantorKey, false);
    ASSERT_TRUE(key.has_value());
    QDir().mkpath(dir.file(QStringLiteral("ok.reg.tmp/x"))); // the temporary file cannot be made
    try {
        key->writeString(QStringLiteral("hostname"), QStringLiteral("h"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Failed to set data for 'hostname'"));
    }
    EXPECT_EQ(readFile(dir.file(QStringLiteral("ok.reg"))),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n");
}

TEST(SettingsStore, TwoProcessesWritingAtOnceKeepBothValues) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("registry.reg"));
    QProcess a, b;
    a.start(QStringLiteral(PLATFORM_HELPER),
            {QStringLiteral("write"), path, QStringLiteral("recorder"), QStringLiteral("40")});
    b.start(QStringLiteral(PLATFORM_HELPER),
            {QStringLiteral("write"), path, QStringLiteral("utilities"), QStringLiteral("40")});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    ASSERT_EQ(a.exitCode(), 0);
    ASSERT_EQ(b.exitCode(), 0);
    auto key = SettingsStore(path).openKey(kVantorKey, false);
    ASSERT_TRUE(key.has_value());
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(key->readString(QStringLiteral("recorder%1").arg(i)), QString::number(i));
        EXPECT_EQ(key->readString(QStringLiteral("utilities%1").arg(i)), QString::number(i));
    }
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".tmp")));
}

TEST(SettingsStore, AWriteThatChangesNothingLeavesTheFileInPlace) {
    TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    auto key = store.openKey(kVantorKey, true);
    ASSERT_TRUE(key.has_value());
    key->writeString(QStringLiteral("file1"), QStringLiteral("page.html"));
    const QByteArray before = readFile(store.path());
    struct stat first {};
    ASSERT_EQ(::stat(QFile::encodeName(store.path()).constData(), &first), 0);

    key->writeString(QStringLiteral("file1"), QStringLiteral("page.html"));
    struct stat same {};
    ASSERT_EQ(::stat(QFile::encodeName(store.path()).constData(), &same), 0);
    EXPECT_EQ(same.st_ino, first.st_ino); // not replaced
    EXPECT_EQ(readFile(store.path()), before);

    key->writeString(QStringLiteral("file1"), QStringLiteral("other.html"));
    struct stat changed {};
    ASSERT_EQ(::stat(QFile::encodeName(store.path()).constData(), &changed), 0);
    EXPECT_NE(changed.st_ino, first.st_ino);
    EXPECT_EQ(store.openKey(kVantorKey, false)->readString(QStringLiteral("file1")),
              QStringLiteral("other.html"));
}
