// The FTP values of the settings store, read and written in one place for both programs.
#include "ftp/async_ftp_client.h"
#include "ftp/certificate_pin.h"
#include "ftp/ftp_settings.h"
#include "platform/ftp_settings_store.h"
#include "platform/settings_store.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace vantor::test {
namespace {

class FtpStore : public testing::Test {
protected:
    void set(const QString& name, const QString& value) {
        store.update([&](RegFile& f) { f.setValue(kVantorKey, name, value); });
    }
    std::optional<QString> stored(const QString& name) const {
        return store.load().value(kVantorKey, name);
    }

    TempFolder dir;
    SettingsStore store{dir.file("registry.reg")};
    AsyncFtpClient client;
};

TEST_F(FtpStore, AbsentChoicesGiveTheActiveClearExchange) {
    set("hostname", "ftp.example.org");
    const FtpSettings s = readFtpSettings(store, false);
    EXPECT_FALSE(s.passive);
    EXPECT_FALSE(s.tls);
    client.Passive = true;
    client.Security = ftpTlsExplicit;
    client.CertSha256 = "x";
    applyFtpSettings(client, s);
    EXPECT_FALSE(client.Passive);
    EXPECT_EQ(client.Security, ftpTlsNone);
    EXPECT_EQ(client.CertSha256, "");
}

TEST_F(FtpStore, StoredChoicesAreReadAndAnyTlsWordMeansTls) {
    const struct {
        const char* mode;
        const char* tls;
        bool passive;
        bool secure;
    } cases[] = {
        {"active", "none", false, false},    {"passive", "explicit", true, true},
        {"PASSIVE", "Explicit", true, true}, {"pasv", "NONE", false, false},
        {"", "implicit", false, true},       {"", "yes", false, true},
    };
    for (const auto& c : cases) {
        set("ftpmode", c.mode);
        set("ftptls", c.tls);
        set("ftpcertsha256", "AB:CD");
        applyFtpSettings(client, readFtpSettings(store, false));
        EXPECT_EQ(client.Passive, c.passive) << c.mode;
        EXPECT_EQ(client.Security == ftpTlsExplicit, c.secure) << c.tls;
        EXPECT_EQ(client.CertSha256, "AB:CD");
    }
}

TEST_F(FtpStore, ChoicesAreWrittenOnlyOnceMade) {
    FtpSettings s{"h", "21", "u", "p", "d", false, false, {}};
    saveFtpSettings(store, s);
    for (const char* name : {"ftpmode", "ftptls", "ftpcertsha256"})
        EXPECT_FALSE(stored(name)) << name;

    s.passive = true;
    s.certSha256 = "AA";
    saveFtpSettings(store, s);
    EXPECT_EQ(stored("ftpmode"), "passive");
    EXPECT_FALSE(stored("ftptls"));
    EXPECT_EQ(stored("ftpcertsha256"), "AA");

    // Unmade again: the stored values say so rather than linger.
    s.passive = false;
    s.certSha256.clear();
    saveFtpSettings(store, s);
    EXPECT_EQ(stored("ftpmode"), "active");
    EXPECT_EQ(stored("ftpcertsha256"), "");
    const FtpSettings back = readFtpSettings(store, false);
    EXPECT_FALSE(back.passive);
    EXPECT_EQ(back.port, "21");
}

TEST(Fingerprint, TypedFormsAreRecognised) {
    const QByteArray hex(64, 'A');
    EXPECT_EQ(normalizedFingerprint(hex), QByteArray(64, 'a'));
    QByteArray colons;
    for (int i = 0; i < 32; ++i)
        colons += (i ? ":" : "") + QByteArray("Ab");
    EXPECT_EQ(normalizedFingerprint(colons).size(), 64);
    EXPECT_EQ(normalizedFingerprint(" " + hex + " "), QByteArray(64, 'a'));
    EXPECT_TRUE(normalizedFingerprint(QByteArray(63, 'a')).isEmpty());
    EXPECT_TRUE(normalizedFingerprint(QByteArray(65, 'a')).isEmpty());
    EXPECT_TRUE(normalizedFingerprint(QByteArray(64, 'g')).isEmpty());
    EXPECT_TRUE(normalizedFingerprint("SHA256:" + hex).isEmpty());
    EXPECT_TRUE(fingerprintProblem(QString()).isEmpty());
    EXPECT_TRUE(fingerprintProblem(QString::fromLatin1(colons)).isEmpty());
    EXPECT_FALSE(fingerprintProblem("12:34").isEmpty());
    EXPECT_FALSE(fingerprintMatches(QByteArray(), QSslCertificate()));
}

} // namespace
} // namespace vantor::test
