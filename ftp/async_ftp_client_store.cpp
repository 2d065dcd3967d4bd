#include "ftp/async_ftp_client.h"

#include "ftp/socket_errors.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

// The code of a transfer that failed on our side (the file could not be opened or read).
constexpr int kLocalFileError = 426;

} // namespace

void AsyncFtpClient::queueBatch() {
    for (const FtpBatchStep& b : Batch) {
        steps_ << Step::BatchNext;
        switch (b.kind) {
        case FtpBatchStep::MakeFolder:
            steps_ << Step::MakeFolder;
            break;
        case FtpBatchStep::Store:
            steps_ << Step::Port << Step::Store;
            break;
        case FtpBatchStep::Delete:
            steps_ << Step::Delete;
            break;
        }
    }
    steps_ << Step::BatchNext;
}

void AsyncFtpClient::nextBatchStep() {
    if (batchAt_ > 0) {
        batchDone_ = batchAt_;
        emit batchStepDone();
    }
    if (batchAt_ == Batch.size()) {
        stepDone(0);
        return;
    }
    const FtpBatchStep& b = Batch[batchAt_++];
    HostFileName = b.hostPath;
    LocalFileName = b.localFile;
    // A name that would end the command line early is refused here, not sent.
    if (HostFileName.isEmpty() || HostFileName.contains('\r') || HostFileName.contains('\n') ||
        HostFileName.contains('\0')) {
        stepError("Unsafe file name in the batch");
        return;
    }
    stepDone(0);
}

void AsyncFtpClient::startStore() {
    if (LocalFileName.isEmpty()) {
        stepError("LocalFileName empty");
        return;
    }
    transfer_ = Transfer{};
    file_.setFileName(QFile::decodeName(LocalFileName));
    readAheadUsed_ = readAheadTaken_ = 0;
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        errorMessage_ = "426 Unable to open local file " + LocalFileName;
        lastResponse_ = errorMessage_;
        statusCode_ = 426;
        display("! " + errorMessage_);
        data_.abort();
        stepDone(kLocalFileError);
        return;
    }
    transfer_.active = true;
    if (Passive) {
        if (!data_.isConnected()) {
            stopTransfer();
            stepError("Data connection lost before STOR");
            return;
        }
        // Clear data goes out once the server is ready; TLS data once the handshake that
        // follows the server's go-ahead is done.
        transfer_.accepted = !secure();
    }
    sendCommand("STOR " + HostFileName, {});
    // A server that connected before it was asked is taken now.
    if (transfer_.active && data_.isListening())
        onSessionAvailable(0);
}

void AsyncFtpClient::stopTransfer() {
    transfer_.active = false;
    data_.abort();
    file_.close();
}

void AsyncFtpClient::storeReply(int code, const QByteArray& line) {
    if (!transfer_.serverReady) {
        if (code == 125 || code == 150) {
            transfer_.serverReady = true;
            // A passive TLS handshake starts only now: finished before the server took STOR, the
            // connection would sit idle, and a server may close an idle data connection, which
            // leaves the page an empty file once STOR arrives.
            if (Passive && secure())
                startDataTls();
            else
                maybeStartSending();
            return;
        }
        if (errorMessage_.isEmpty())
            errorMessage_ = line;
        stopTransfer();
        stepDone(code);
        return;
    }
    if (code == 226 || code == 250) {
        transfer_.finalGood = true;
        maybeFinishStore();
        return;
    }
    if (errorMessage_.isEmpty())
        errorMessage_ = line;
    stopTransfer();
    display("! STOR Failed");
    stepDone(code);
}

void AsyncFtpClient::onSessionAvailable(int error) {
    if (error != 0 || step_ != Step::Store || !transfer_.active || transfer_.accepted)
        return;
    if (!data_.accept(serverAddress_))
        return;
    if (secure()) {
        startDataTls(); // ready once encrypted
        return;
    }
    transfer_.accepted = true;
    maybeStartSending();
}

void AsyncFtpClient::maybeStartSending() {
    if (!transfer_.serverReady || !transfer_.accepted || transfer_.started)
        return;
    transfer_.started = true;
    transfer_.startTick = clock_.elapsed();
    if (!transfer_.dataClosed)
        sendNextBlock();
}

void AsyncFtpClient::sendNextBlock() {
    // Still one block at a time, but a block the system takes at once is followed by the
    // next without a trip through the event loop; after a burst the loop gets its turn.
    for (int burst = 0; burst < kBurstBlocks; ++burst) {
        const qint64 n = readBlock();
        if (n < 0) {
            display("! Error reading file");
            if (errorMessage_.isEmpty())
                errorMessage_ = "Error reading file";
            transfer_.localFailure = true;
            transfer_.closingError = kLocalFileError;
            data_.close();
            return;
        }
        if (n == 0) {
            transfer_.endOfFile = true;
            data_.close();
            return;
        }
        emit aboutToSendBlock(n);
        if (!transfer_.active)
            return;
        transfer_.bytesSent += n;
        bool atOnce = false;
        if (data_.send(block_, n, &atOnce) != n) {
            const int error = WSAENOTCONN;
            const QByteArray text = "Error #" + QByteArray::number(error) + " sending data";
            display("! " + text);
            if (errorMessage_.isEmpty())
                errorMessage_ = text;
            transfer_.localFailure = true;
            transfer_.closingError = error;
            data_.close();
            return;
        }
        if (!atOnce)
            return; // dataSent follows
    }
    data_.postDataSent();
}

qint64 AsyncFtpClient::readBlock() {
    if (readAheadTaken_ == readAheadUsed_) {
        readAhead_.resize(std::size_t(kBlockSize) * 170); // about 256 KB
        const qint64 got = file_.read(readAhead_.data(), qint64(readAhead_.size()));
        if (got < 0)
            return -1;
        readAheadUsed_ = std::size_t(got);
        readAheadTaken_ = 0;
    }
    const std::size_t n = std::min<std::size_t>(kBlockSize, readAheadUsed_ - readAheadTaken_);
    std::memcpy(block_, readAhead_.data() + readAheadTaken_, n);
    readAheadTaken_ += n;
    return qint64(n);
}

void AsyncFtpClient::onDataAvailable() {
    char sink[4096];
    while (data_.receive(sink, sizeof sink) > 0) {
    }
}

void AsyncFtpClient::onDataSent() {
    if (transfer_.active && transfer_.started && !transfer_.endOfFile && !transfer_.localFailure &&
        !transfer_.dataClosed)
        sendNextBlock();
}

void AsyncFtpClient::onDataClosed(int error) {
    if (!transfer_.active || transfer_.dataClosed)
        return;
    transfer_.dataClosed = true;
    file_.close();
    if (transfer_.localFailure) {
        maybeFinishStore();
        return;
    }
    if (!transfer_.endOfFile) {
        // Closed under us before the whole file went out: the upload is cut short.
        const int n = error != 0 ? error : WSAECONNRESET;
        const QByteArray text = "Error #" + QByteArray::number(n) + " sending data";
        display("! " + text);
        if (errorMessage_.isEmpty())
            errorMessage_ = text;
        error = n;
    }
    transfer_.closingError = error;
    maybeFinishStore();
}

void AsyncFtpClient::maybeFinishStore() {
    if (!transfer_.finalGood || !transfer_.dataClosed)
        return;
    transfer_.endTick = clock_.elapsed();
    transfer_.active = false;
    display(transferSummary(transfer_.bytesSent, transfer_.endTick - transfer_.startTick));
    stepDone(transfer_.closingError);
}

} // namespace vantor
