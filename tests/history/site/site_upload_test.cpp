#include "site_fixture.h"

#include "history/site/site_folder.h"
#include "history/site/site_upload.h"

#include "ftp/ftp_client.h"
#include "tests/ftp/local_ftp_server.h"

using namespace vantor;
using namespace vantor::history;
using namespace vantor::test;

namespace {

class SiteUpload : public SiteFixture {
public:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
        ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("www")));
        for (bool passive : {false, true}) {
            FtpClient& c = passive ? passiveClient : client;
            c.HostName = "127.0.0.1";
            c.Port = QByteArray::number(server.port());
            c.UserName = server.userName();
            c.PassWord = server.password();
            c.HostDirName = "www";
            c.Passive = passive;
        }
        for (int day = 0; day < 10; ++day)
            addGame(day, day % 2 ? "Embassy" : "Bank",
                    {{"Ace", day % 4, 1}, {"Bravo", 2, day % 3, "gold"}, {"Cobra", 1, 1}});
    }

    QString www() const { return server.root() + QStringLiteral("/www"); }

    LocalFtpServer server;
    FtpClient client;
    FtpClient passiveClient;
};

} // namespace

// The first upload sends the whole site; after one more game only the changed files go, and a
// file no longer part of the site goes from the server; a file of someone else stays.
TEST_F(SiteUpload, OnlyChangedFilesAreSentAndOnlyOursAreDeleted) {
    build(site);
    writeFile(www() + QStringLiteral("/notes.txt"), "the host's own file");
    const auto first = site::uploadSite(site, client);
    ASSERT_TRUE(first.ok) << first.lastLines.join(u'\n').toStdString();
    auto onServer = filesOf(www());
    onServer.erase(QStringLiteral("notes.txt"));
    EXPECT_EQ(onServer, filesOf(site));
    EXPECT_EQ(std::size_t(first.stored), onServer.size());

    addGame(10, "Bank", {{"Ace", 5, 0}, {"Delta", 1, 1, "gold"}});
    const auto refresh = build(site);
    const auto second = site::uploadSite(site, passiveClient);
    ASSERT_TRUE(second.ok) << second.lastLines.join(u'\n').toStdString();
    EXPECT_EQ(second.stored, refresh.written);
    EXPECT_LE(second.stored, 25);

    // A month taken out of the history: its pages leave the site and the server.
    site::SiteOptions later;
    later.now = kNow;
    writeFile(site + QStringLiteral("/weeks/keep.txt"), "not in the manifest");
    auto manifest = site::readManifest(site);
    auto& files = manifest.files;
    files[QStringLiteral("weeks/gone.html")] = {{}, 0, 0, "abc"}; // on the server, built no more
    writeFile(www() + QStringLiteral("/weeks/gone.html"), "old page");
    site::writeManifest(site, manifest);
    const auto third = site::uploadSite(site, client);
    ASSERT_TRUE(third.ok);
    EXPECT_EQ(third.stored, 0);
    EXPECT_EQ(third.deleted, 1);
    EXPECT_FALSE(QFileInfo::exists(www() + QStringLiteral("/weeks/gone.html")));
    EXPECT_TRUE(QFileInfo::exists(www() + QStringLiteral("/notes.txt")));
    onServer = filesOf(www());
    onServer.erase(QStringLiteral("notes.txt"));
    auto local = filesOf(site);
    local.erase(QStringLiteral("weeks/keep.txt"));
    EXPECT_EQ(onServer, local);
}

// An upload cut off part-way keeps what went up in the manifest; the next sends only the rest.
TEST_F(SiteUpload, AFailedUploadIsResumedByTheNext) {
    build(site);
    const std::size_t total = filesOf(site).size();
    // A file where the players' folder should be: every page of a player fails to store.
    writeFile(www() + QStringLiteral("/players"), "in the way");
    const auto cut = site::uploadSite(site, client);
    EXPECT_FALSE(cut.ok);
    EXPECT_FALSE(cut.error.isEmpty());
    QFile::remove(www() + QStringLiteral("/players"));
    const auto rest = site::uploadSite(site, client);
    ASSERT_TRUE(rest.ok) << rest.lastLines.join(u'\n').toStdString();
    EXPECT_EQ(std::size_t(cut.stored + rest.stored), total);
    EXPECT_EQ(filesOf(www()), filesOf(site));
}
