#include "site_upload.h"

#include "site_folder.h"

#include "ftp/ftp_client.h"

#include <QDir>
#include <QFile>
#include <set>

namespace vantor::history::site {

namespace {
constexpr int kKeptLines = 30;
}

SiteUploadResult uploadSite(const QString& folder, FtpClient& client) {
    const SiteLock lock(folder);
    SiteManifest manifest = readManifest(folder);
    std::map<QString, SiteFile>& files = manifest.files;
    std::vector<FtpBatchStep> steps;
    std::vector<QString> names; // the manifest entry of each step; empty for a folder
    std::set<QString> folders;
    std::vector<QString> stores, deletes;
    for (const auto& [name, f] : files) {
        if (!f.digest.isEmpty() && f.digest != f.uploaded)
            stores.push_back(name);
        else if (f.digest.isEmpty() && !f.uploaded.isEmpty())
            deletes.push_back(name);
    }
    for (const QString& name : stores) {
        const qsizetype slash = name.indexOf(QLatin1Char('/'));
        if (slash > 0 && folders.insert(name.left(slash)).second) {
            steps.push_back({FtpBatchStep::MakeFolder, name.left(slash).toLatin1(), {}});
            names.emplace_back();
        }
    }
    // New pages go up before old ones go away, so a visitor meets no link to a missing page.
    for (const QString& name : stores) {
        steps.push_back(
            {FtpBatchStep::Store, name.toLatin1(), QFile::encodeName(QDir(folder).filePath(name))});
        names.push_back(name);
    }
    for (const QString& name : deletes) {
        steps.push_back({FtpBatchStep::Delete, name.toLatin1(), {}});
        names.push_back(name);
    }
    SiteUploadResult result;
    if (steps.empty()) {
        result.ok = true;
        return result;
    }
    client.Batch = steps;
    client.OnDisplay = [&result](QObject*, const QByteArray& line) {
        result.lastLines << QString::fromUtf8(line);
        if (result.lastLines.size() > kKeptLines)
            result.lastLines.removeFirst();
    };
    result.ok = client.Transmit();
    client.OnDisplay = nullptr;
    client.Batch.clear();
    if (!result.ok)
        result.error = client.ErrorMessage();
    const std::size_t done = std::min(client.BatchDone(), steps.size());
    for (std::size_t i = 0; i < done; ++i) {
        if (names[i].isEmpty())
            continue;
        SiteFile& f = files[names[i]];
        if (steps[i].kind == FtpBatchStep::Store) {
            f.uploaded = f.digest;
            ++result.stored;
        } else {
            f.uploaded.clear();
            ++result.deleted;
        }
    }
    if (done > 0)
        writeManifest(folder, manifest);
    return result;
}

} // namespace vantor::history::site
