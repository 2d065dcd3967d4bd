#pragma once

#include <QString>

namespace vantor {

// The FTP values of the settings key, one set for both programs.
struct FtpSettings {
    QString hostName;     // "hostname"
    QString port;         // "port": a number or a service name; empty means "ftp"
    QString userName;     // "username"
    QString password;     // "ftppassword", plain text as typed
    QString hostDirName;  // "hostdirname", may be empty
    bool passive = false; // "ftpmode": "passive"; absent or "active" is active mode
    bool tls = false;     // "ftptls": "explicit"; absent or "none" is no TLS
    QString certSha256;   // "ftpcertsha256": a pinned certificate fingerprint
};

} // namespace vantor
