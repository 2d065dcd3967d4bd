#pragma once

#include <QByteArray>
#include <QStringList>

namespace vantor {
class FtpClient;
}

namespace vantor::history::site {

struct SiteUploadResult {
    bool ok = false;
    int stored = 0;
    int deleted = 0;
    QByteArray error;      // the client's first error, when it failed
    QStringList lastLines; // the exchange's last lines, for a failure's report
};

// Sends the site in folder with client (its server, login, directory and modes set): every
// file whose bytes the server does not have yet, after making its folder, then deletes from the
// server the files the manifest names as ours that are no longer part of the site. What
// succeeded is written to the manifest even when the session failed part-way, so the next
// upload sends only what is still missing. Files the manifest does not name are never touched.
SiteUploadResult uploadSite(const QString& folder, FtpClient& client);

} // namespace vantor::history::site
