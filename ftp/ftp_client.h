#pragma once

#include "ftp/async_ftp_client.h"

namespace vantor {

// The FTP client both programs use: the upload as one blocking call.
class FtpClient : public AsyncFtpClient {
    Q_OBJECT
public:
    explicit FtpClient(QObject* parent = nullptr);

    // Uploads LocalFileName to HostFileName and returns true on success. Waits while the
    // application goes on processing its events (only non-input events when MultiThreaded),
    // and gives up with "426 Timeout" after Timeout seconds without progress; every data
    // block sent counts as progress. Returns false at once when the client is busy.
    bool Transmit();

private:
    // Waits for the end of the operation or the deadline; false when the wait was ended from
    // outside (the application quits).
    bool waitForProgress();

    QElapsedTimer clock_;
    qint64 deadline_ = 0;
};

} // namespace vantor
