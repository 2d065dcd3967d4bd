#pragma once

#include <QString>
#include <QTextStream>
#include <optional>

namespace vantor {
class SettingsStore;
}

namespace vantor::utilities {

// What the command line changes of the stored settings for one upload.
struct UploadOverrides {
    bool passive = false;
    bool tls = false;
    std::optional<QString> fingerprint;
};

// `upload FILE`: sends FILE with the stored FTP settings, under its own name in the stored
// directory, writing the status window's lines to out as they come. A missing host, login or
// password is reported to err as the window would say it. Gives 0 only when the upload
// succeeded, else 1.
int runUpload(const QString& file, const SettingsStore& store, QTextStream& out, QTextStream& err,
              const UploadOverrides& overrides = {});

} // namespace vantor::utilities
