#pragma once

#include "common/unique_fd.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace vantor::history::site {

// The manifest's name in the site's folder: which files are ours, their digests, and what the
// server holds of each.
inline const QString kManifestFile = QStringLiteral(".vantor-site");
// The folded model kept between builds (a cache; never uploaded).
inline const QString kModelFile = QStringLiteral(".vantor-site.model");

// Held by a build or an upload for as long as it reads and writes the manifest, so that a
// recorder's refresh and a command line's never interleave; a second one waits.
class SiteLock {
public:
    explicit SiteLock(const QString& folder);
    ~SiteLock();
    SiteLock(const SiteLock&) = delete;
    SiteLock& operator=(const SiteLock&) = delete;

private:
    UniqueFd fd_;
};

// What the manifest knows of one file of the site.
struct SiteFile {
    QByteArray digest; // of the file as built; empty: no longer part of the site
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    QByteArray uploaded; // the digest the server has; empty: not on the server
};

// What the last complete build was made from: the newest game it counted, how many games it
// counted, and a digest of everything else its pages depend on (the options, the names shown,
// the seasons, the current week, month and season). A refresh whose mark matches but for new
// games rewrites only the pages those games touch.
struct BuildMark {
    std::int64_t lastGameId = 0;
    std::int64_t gameCount = 0;
    QByteArray signature; // empty: no complete build yet
    bool operator==(const BuildMark&) const = default;
};

struct SiteManifest {
    BuildMark mark;
    std::map<QString, SiteFile> files;
};

// A digest of a page's bytes, as the manifest keeps it.
QByteArray contentDigest(const QByteArray& bytes);

// Whether a path read from a manifest may name a file of the site: a plain name, or one folder
// and a name, of the characters the site's file names are made of.
bool isSitePath(const QString& sitePath);

// The site's folder while a build writes it. Opening refuses (vantor::Error, nothing written)
// a path that is a file or a link, a data folder, and a folder that holds files without the
// manifest; a missing folder is made. Pages whose bytes are what the folder holds already are
// not written, so their files keep inode and time.
class SiteFolder {
public:
    SiteFolder(const QString& folder, const QString& dataFolder);

    // Writes the page unless it is unchanged; true when written.
    bool put(const QString& sitePath, const QByteArray& bytes);
    // Deletes the files of the manifest that this build did not put; gives how many.
    int removeUnput();
    // Deletes these files of the manifest; gives how many were there.
    int remove(const std::vector<QString>& sitePaths);
    // Forces what was written to the disk, then writes the manifest.
    void commit();
    // The manifest as it stands now, for a build cut short: what was written is ours.
    void saveManifest();

    const BuildMark& mark() const { return manifest_.mark; }
    void setMark(const BuildMark& mark) { manifest_.mark = mark; }
    const QString& path() const { return folder_; }
    int written() const { return written_; }
    int unchanged() const { return unchanged_; }

private:
    void adopt();
    void makeFolders(const QString& sitePath);

    QString folder_;
    std::unique_ptr<SiteLock> lock_;
    SiteManifest manifest_;
    std::set<QString> put_;
    std::set<QString> madeFolders_;
    int written_ = 0;
    int unchanged_ = 0;
};

// Which file a path named when it was read.
struct FileIdentity {
    std::int64_t device = 0;
    std::int64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Reads and writes the manifest of folder (used by the upload as well); identity, when given,
// receives the file's as it was read.
SiteManifest readManifest(const QString& folder, FileIdentity* identity = nullptr);
void writeManifest(const QString& folder, const SiteManifest& manifest);

} // namespace vantor::history::site
