#include "site_folder.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/unique_fd.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::history::site {

namespace {

const QByteArray kManifestHeading = "vantor-site 1";
const QString kScratchFile = QStringLiteral(".vantor-site.tmp");
const QString kLockName = QStringLiteral(".vantor-site.lock");
// A manifest is a line per file; a site of a million games has a few hundred thousand.
constexpr qint64 kManifestLimit = 256ll * 1024 * 1024;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

struct ::stat lstatOf(const QString& path, bool* exists) {
    struct ::stat st {};
    *exists = ::lstat(native(path).constData(), &st) == 0;
    return st;
}

std::int64_t mtimeOf(const struct ::stat& st) {
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QString refusal(const QString& folder, const QString& why) {
    return QStringLiteral("The site's folder \"%1\" %2; nothing was written.").arg(folder, why);
}

} // namespace

SiteLock::SiteLock(const QString& folder) {
    const QString path = QDir(folder).filePath(kLockName);
    fd_.reset(::open(native(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd_.valid())
        throw Error(fileFailureMessage(QStringLiteral("Cannot open"), path, errno));
    int rc;
    do
        rc = ::flock(fd_.get(), LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        throw Error(fileFailureMessage(QStringLiteral("Cannot lock"), path, errno));
}

SiteLock::~SiteLock() = default;

QByteArray contentDigest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(16).toHex();
}

bool isSitePath(const QString& sitePath) {
    const auto lower = [](QChar c) { return c >= u'a' && c <= u'z'; };
    const auto word = [&](QChar c) { return lower(c) || (c >= u'A' && c <= u'Z') || c.isDigit(); };
    qsizetype i = 0;
    const qsizetype n = sitePath.size();
    if (const qsizetype slash = sitePath.indexOf(u'/'); slash >= 0) {
        for (; i < slash; ++i)
            if (!lower(sitePath[i]))
                return false;
        if (slash == 0)
            return false;
        ++i;
    }
    if (i == n || !word(sitePath[i]))
        return false;
    while (i < n && (word(sitePath[i]) || sitePath[i] == u'_' || sitePath[i] == u'-'))
        ++i;
    if (i == n)
        return true;
    if (sitePath[i] != u'.' || i + 1 == n)
        return false;
    for (++i; i < n; ++i)
        if (!lower(sitePath[i]))
            return false;
    return true;
}

SiteManifest readManifest(const QString& folder, FileIdentity* identity) {
    const QString path = QDir(folder).filePath(kManifestFile);
    SiteManifest manifest;
    std::map<QString, SiteFile>& files = manifest.files;
    // O_NONBLOCK: a FIFO under the manifest's name is refused below, not waited on.
    const UniqueFd owned(
        ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const int fd = owned.get();
    if (fd < 0)
        throw Error(fileFailureMessage(QStringLiteral("Cannot open"), path, errno));
    struct ::stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kManifestLimit) {
        throw Error(QStringLiteral("The site's manifest \"%1\" is not a plain file of a sound "
                                   "size; nothing was written.")
                        .arg(path));
    }
    if (identity)
        *identity = {std::int64_t(st.st_dev), std::int64_t(st.st_ino), std::int64_t(st.st_size),
                     mtimeOf(st)};
    const QByteArray bytes = readAll(fd, path);
    // Views into bytes, one per line: no copy of a manifest of a hundred thousand lines.
    std::vector<QByteArrayView> lines;
    for (QByteArrayView rest(bytes);;) {
        const qsizetype end = rest.indexOf('\n');
        lines.push_back(end < 0 ? rest : rest.first(end));
        if (end < 0)
            break;
        rest = rest.sliced(end + 1);
    }
    const auto damaged = [&](qsizetype line) {
        return Error(QStringLiteral("The site's manifest \"%1\" is damaged at line %2; nothing "
                                    "was written. Remove the folder's files to build it afresh.")
                         .arg(path)
                         .arg(line + 1));
    };
    if (lines.size() < 2 || lines[0] != QByteArrayView(kManifestHeading))
        throw damaged(0);
    const QList<QByteArray> mark = lines[1].toByteArray().split(' ');
    bool idOk = false, countOk = false;
    if (mark.size() != 4 || mark[0] != "built")
        throw damaged(1);
    manifest.mark.lastGameId = mark[1].toLongLong(&idOk);
    manifest.mark.gameCount = mark[2].toLongLong(&countOk);
    manifest.mark.signature = mark[3] == "-" ? QByteArray() : mark[3];
    if (!idOk || !countOk)
        throw damaged(1);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (lines[i].isEmpty() && i == lines.size() - 1)
            break;
        // Five fields split by tabs.
        QByteArrayView f[5];
        QByteArrayView rest = lines[i];
        for (int k = 0; k < 5; ++k) {
            const qsizetype tab = rest.indexOf('\t');
            if ((tab < 0) != (k == 4))
                throw damaged(i);
            f[k] = tab < 0 ? rest : rest.first(tab);
            rest = tab < 0 ? QByteArrayView() : rest.sliced(tab + 1);
        }
        bool sizeOk = false, timeOk = false;
        const QString name = QString::fromLatin1(f[0]);
        SiteFile file;
        file.digest = f[1] == "-" ? QByteArray() : f[1].toByteArray();
        file.size = f[2].toLongLong(&sizeOk);
        file.mtimeNs = f[3].toLongLong(&timeOk);
        file.uploaded = f[4] == "-" ? QByteArray() : f[4].toByteArray();
        if (!isSitePath(name) || !sizeOk || !timeOk || files.count(name))
            throw damaged(i);
        files[name] = file;
    }
    return manifest;
}

void writeManifest(const QString& folder, const SiteManifest& manifest) {
    const BuildMark& m = manifest.mark;
    QByteArray out = kManifestHeading + "\nbuilt " + QByteArray::number(m.lastGameId) + ' ' +
                     QByteArray::number(m.gameCount) + ' ' +
                     (m.signature.isEmpty() ? QByteArray("-") : m.signature) + '\n';
    out.reserve(out.size() + qsizetype(manifest.files.size()) * 128);
    for (const auto& [name, f] : manifest.files) {
        if (f.digest.isEmpty() && f.uploaded.isEmpty())
            continue;
        out.append(name.toLatin1())
            .append('\t')
            .append(f.digest.isEmpty() ? QByteArray("-") : f.digest)
            .append('\t')
            .append(QByteArray::number(f.size))
            .append('\t')
            .append(QByteArray::number(f.mtimeNs))
            .append('\t')
            .append(f.uploaded.isEmpty() ? QByteArray("-") : f.uploaded)
            .append('\n');
    }
    replaceFileWith(QDir(folder).filePath(kManifestFile),
                    std::string_view(out.constData(), std::size_t(out.size())),
                    QDir(folder).filePath(kScratchFile), 0644);
}

SiteFolder::SiteFolder(const QString& folder, const QString& dataFolder) : folder_(folder) {
    bool exists = false;
    const struct ::stat st = lstatOf(folder, &exists);
    if (!exists) {
        if (!QDir().mkpath(folder))
            throw Error(refusal(folder, QStringLiteral("cannot be made")));
        adopt();
        return;
    }
    if (S_ISLNK(st.st_mode))
        throw Error(refusal(folder, QStringLiteral("is a symbolic link, which is not followed")));
    if (!S_ISDIR(st.st_mode))
        throw Error(refusal(folder, QStringLiteral("is a file, not a folder")));
    const QDir dir(folder);
    QStringList dataNames = {kStatsFile,   kCoopStatsFile, kTeamFile, kLastGameFile,
                             kHistoryFile, kLockFile,      kWorkFile};
    bool dataFile =
        QFileInfo(folder).canonicalFilePath() == QFileInfo(dataFolder).canonicalFilePath();
    for (const QString& name : dataNames)
        dataFile = dataFile || QFileInfo::exists(dir.filePath(name));
    if (dataFile)
        throw Error(refusal(folder, QStringLiteral("is a data folder")));
    bool manifest = false;
    lstatOf(dir.filePath(kManifestFile), &manifest);
    if (!manifest) {
        if (!dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
                 .isEmpty())
            throw Error(refusal(folder, QStringLiteral("holds files that are not the site's")));
        adopt();
        return;
    }
    FileIdentity read;
    manifest_ =
        readManifest(folder, &read); // a damaged one is refused before the lock file is made
    lock_ = std::make_unique<SiteLock>(folder);
    // Read again only when another build or upload replaced it meanwhile.
    bool still = false;
    const struct ::stat now = lstatOf(dir.filePath(kManifestFile), &still);
    if (!still || FileIdentity{std::int64_t(now.st_dev), std::int64_t(now.st_ino),
                               std::int64_t(now.st_size), mtimeOf(now)} != read)
        manifest_ = readManifest(folder);
}

void SiteFolder::adopt() {
    // An empty manifest first: from now on the folder is known for the site's, even when this
    // build is cut off before its end.
    lock_ = std::make_unique<SiteLock>(folder_);
    writeManifest(folder_, manifest_);
}

void SiteFolder::makeFolders(const QString& sitePath) {
    const qsizetype slash = sitePath.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return;
    const QString sub = sitePath.left(slash);
    if (madeFolders_.count(sub))
        return;
    const QString path = QDir(folder_).filePath(sub);
    if (::mkdir(native(path).constData(), 0755) != 0 && errno != EEXIST)
        throw Error(fileFailureMessage(QStringLiteral("Cannot make the folder"), path, errno));
    bool exists = false;
    const struct ::stat st = lstatOf(path, &exists);
    if (!exists || !S_ISDIR(st.st_mode))
        throw Error(QStringLiteral("Cannot write the site into \"%1\": it is not a plain folder.")
                        .arg(path));
    madeFolders_.insert(sub);
}

bool SiteFolder::put(const QString& sitePath, const QByteArray& bytes) {
    put_.insert(sitePath);
    SiteFile& file = manifest_.files[sitePath];
    const QByteArray digest = contentDigest(bytes);
    const QString path = QDir(folder_).filePath(sitePath);
    if (file.digest == digest) {
        bool exists = false;
        const struct ::stat st = lstatOf(path, &exists);
        if (exists && S_ISREG(st.st_mode) && st.st_size == file.size &&
            mtimeOf(st) == file.mtimeNs) {
            ++unchanged_;
            return false;
        }
    }
    makeFolders(sitePath);
    replaceFileWith(path, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                    QDir(folder_).filePath(kScratchFile), 0644, Durability::Deferred);
    bool exists = false;
    const struct ::stat st = lstatOf(path, &exists);
    file.digest = digest;
    file.size = st.st_size;
    file.mtimeNs = mtimeOf(st);
    ++written_;
    return true;
}

int SiteFolder::removeUnput() {
    std::vector<QString> unput;
    for (const auto& [name, file] : manifest_.files)
        if (!file.digest.isEmpty() && !put_.count(name))
            unput.push_back(name);
    return remove(unput);
}

int SiteFolder::remove(const std::vector<QString>& sitePaths) {
    int removed = 0;
    for (const QString& name : sitePaths) {
        const auto it = manifest_.files.find(name);
        if (it == manifest_.files.end() || it->second.digest.isEmpty())
            continue;
        SiteFile& file = it->second;
        const QString path = QDir(folder_).filePath(name);
        bool exists = false;
        const struct ::stat st = lstatOf(path, &exists);
        if (exists && S_ISREG(st.st_mode) && ::unlink(native(path).constData()) != 0)
            throw Error(fileFailureMessage(QStringLiteral("Cannot delete"), path, errno));
        file.digest.clear();
        ++removed;
    }
    return removed;
}

void SiteFolder::saveManifest() {
    writeManifest(folder_, manifest_);
}

void SiteFolder::commit() {
    syncFolderTree(folder_);
    saveManifest();
}

} // namespace vantor::history::site
