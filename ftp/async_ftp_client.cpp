#include "ftp/async_ftp_client.h"

#include "ftp/command_arguments.h"
#include "ftp/socket_errors.h"

#include <arpa/inet.h>

namespace vantor {

QByteArray transferSummary(qint64 bytes, qint64 elapsedMs) {
    QByteArray line = "! " + QByteArray::number(bytes) + " bytes received/sent in " +
                      QByteArray::number(elapsedMs / 1000) + " seconds";
    if (elapsedMs != 0) {
        const qint64 rate = bytes <= 32767 ? bytes * 1000 / elapsedMs : (bytes / elapsedMs) * 1000;
        line += " (" + QByteArray::number(rate) + " Bytes/sec)";
    }
    return line;
}

AsyncFtpClient::AsyncFtpClient(QObject* parent) : QObject(parent) {
    clock_.start();
    connect(&control_, &FtpSocket::dnsLookupDone, this, &AsyncFtpClient::onLookupDone);
    connect(&control_, &FtpSocket::sessionConnected, this, &AsyncFtpClient::onControlConnected);
    connect(&control_, &FtpSocket::dataAvailable, this, &AsyncFtpClient::onControlData);
    connect(&control_, &FtpSocket::sessionClosed, this, &AsyncFtpClient::onControlClosed);
    connect(&data_, &FtpSocket::sessionAvailable, this, &AsyncFtpClient::onSessionAvailable);
    connect(&data_, &FtpSocket::dataAvailable, this, &AsyncFtpClient::onDataAvailable);
    connect(&data_, &FtpSocket::dataSent, this, &AsyncFtpClient::onDataSent);
    connect(&data_, &FtpSocket::sessionClosed, this, &AsyncFtpClient::onDataClosed);
    connect(&control_, &FtpSocket::sessionEncrypted, this, &AsyncFtpClient::onControlEncrypted);
    connect(&data_, &FtpSocket::sessionConnected, this, &AsyncFtpClient::onDataConnected);
    connect(&data_, &FtpSocket::sessionEncrypted, this, &AsyncFtpClient::onDataEncrypted);
    data_.setGathering(true);
}

AsyncFtpClient::~AsyncFtpClient() {
    OnDisplay = nullptr;
    abort();
}

void AsyncFtpClient::display(const QByteArray& line) {
    if (OnDisplay)
        OnDisplay(this, line);
}

bool AsyncFtpClient::startUpload(QByteArray* refusal) {
    QByteArray reason;
    // Between steps of a running operation counts as busy: a display handler that starts
    // another upload must not take over the one under way.
    if ((state_ != FtpState::Ready && state_ != FtpState::BetweenSteps) || step_ != Step::None)
        reason = "FTP component not ready";
    else if (connected_)
        reason = "FTP component already connected";
    if (!reason.isEmpty()) {
        if (refusal)
            *refusal = reason;
        return false;
    }
    errorMessage_.clear();
    batchDone_ = 0;
    batchAt_ = 0;
    lastResponse_.clear();
    serverAnswered_ = false;
    statusCode_ = 0;
    error_ = 0;
    savedResponse_.clear();
    savedStatus_ = 0;
    responseSaved_ = false;
    closingForStep_ = false;
    passive_ = PassiveStage::None;
    serverCertificate_.clear();
    tlsRefusal_.clear();
    if (refuseUnsafeArguments(refusal))
        return false;
    reader_.clear();
    reader_.setAcceptLF(Options.testFlag(ftpAcceptLF));
    steps_ = {Step::Connect};
    if (secure())
        steps_ << Step::Auth << Step::Pbsz << Step::Prot;
    steps_ << Step::User << Step::Pass << Step::Cwd << Step::Type;
    if (Batch.empty())
        steps_ << Step::Port << Step::Store;
    else
        queueBatch();
    steps_ << Step::Quit;
    runNextStep();
    return true;
}

bool AsyncFtpClient::refuseUnsafeArguments(QByteArray* refusal) {
    const QString unsafe = checkFtpArguments(UserName, PassWord, HostDirName, HostFileName);
    if (unsafe.isEmpty())
        return false;
    errorMessage_ = unsafe.toUtf8();
    error_ = kLocalError;
    display("! " + errorMessage_);
    if (refusal)
        *refusal = errorMessage_;
    return true;
}

void AsyncFtpClient::runNextStep() {
    if (steps_.isEmpty()) {
        finish();
        return;
    }
    step_ = steps_.takeFirst();
    switch (step_) {
    case Step::Connect:
        startConnect();
        break;
    case Step::Auth:
        startAuth();
        break;
    case Step::Pbsz:
        sendCommand("PBSZ 0", {200});
        break;
    case Step::Prot:
        sendCommand("PROT P", {200});
        break;
    case Step::User:
        if (UserName.isEmpty())
            stepError("UserName emtpy");
        else
            sendCommand("USER " + UserName, {331, 230});
        break;
    case Step::Pass:
        if (statusCode_ != 331) // 230 to USER: logged in without a password
            stepDone(0);
        else if (PassWord.isEmpty())
            stepError("Password emtpy");
        else
            sendCommand("PASS " + PassWord, {230});
        break;
    case Step::Cwd:
        if (HostDirName.isEmpty())
            stepDone(0);
        else
            sendCommand("CWD " + HostDirName, {200, 250, 257});
        break;
    case Step::Type:
        sendCommand(Binary ? "TYPE I" : "TYPE A", {200});
        break;
    case Step::Port:
        if (Passive)
            startPassive();
        else
            startPort();
        break;
    case Step::Store:
        startStore();
        break;
    case Step::Quit:
        startQuit();
        break;
    case Step::BatchNext:
        nextBatchStep();
        break;
    case Step::MakeFolder:
        sendCommand("MKD " + HostFileName, {});
        break;
    case Step::Delete:
        sendCommand("DELE " + HostFileName, {250, 550});
        break;
    case Step::None:
        finish();
        break;
    }
}

void AsyncFtpClient::stepDone(int error) {
    if (error != 0) {
        if (error_ == 0)
            error_ = error;
        // Nothing of the upload runs after a failure, but a server still connected is told
        // goodbye, so that the connection is closed and the next upload can start.
        steps_.clear();
        if (step_ != Step::Quit && connected_ && control_.isConnected())
            steps_ << Step::Quit;
    }
    state_ = FtpState::BetweenSteps;
    runNextStep();
}

void AsyncFtpClient::stepError(const QByteArray& text) {
    display("! " + text);
    if (errorMessage_.isEmpty())
        errorMessage_ = text;
    stepDone(kLocalError);
}

void AsyncFtpClient::finish() {
    stopTransfer();
    control_.abort();
    connected_ = false;
    if (responseSaved_) {
        lastResponse_ = savedResponse_;
        statusCode_ = savedStatus_;
    }
    step_ = Step::None;
    closingForStep_ = false;
    state_ = FtpState::Ready;
    emit requestDone();
}

void AsyncFtpClient::abort() {
    state_ = FtpState::Aborting;
    control_.abort();
    stopTransfer();
    connected_ = false;
    steps_.clear();
    step_ = Step::None;
    closingForStep_ = false;
    state_ = FtpState::Ready;
}

void AsyncFtpClient::timedOut() {
    if (error_ != 0 && !errorMessage_.isEmpty())
        return;
    errorMessage_ = "426 Timeout";
    statusCode_ = 426;
    error_ = 426;
}

void AsyncFtpClient::sendCommand(const QByteArray& command, std::vector<int> accepted) {
    display(step_ == Step::Pass && MaskPassword ? QByteArray("> PASS ********") : "> " + command);
    if (!connected_ || !control_.isConnected()) {
        stepError("FTP component not connected");
        return;
    }
    accepted_ = std::move(accepted);
    state_ = FtpState::AwaitingReply;
    const QByteArray line = command + "\r\n";
    control_.send(line.constData(), line.size());
}

void AsyncFtpClient::startConnect() {
    state_ = FtpState::LookingUp;
    if (HostName.isEmpty()) {
        stepError("DNS lookup: invalid host name.");
        return;
    }
    in_addr dotted{};
    if (::inet_pton(AF_INET, HostName.constData(), &dotted) == 1) {
        connectToServer(QHostAddress(ntohl(dotted.s_addr)));
        return;
    }
    control_.dnsLookup(HostName);
}

void AsyncFtpClient::onLookupDone(int error) {
    if (step_ != Step::Connect || state_ != FtpState::LookingUp)
        return;
    if (error != 0)
        connectFailed(error);
    else
        connectToServer(control_.dnsResult());
}

void AsyncFtpClient::connectToServer(const QHostAddress& address) {
    quint16 port = 0;
    try {
        port = FtpSocket::resolvePort(Port);
    } catch (const SocketException& e) {
        failLocally(SocketException::kind() + ": " + e.text());
        stepDone(kLocalError);
        return;
    }
    serverAddress_ = address;
    state_ = FtpState::AwaitingGreeting;
    control_.setSecure(secure());
    control_.connectTo(address, port);
}

void AsyncFtpClient::failLocally(const QByteArray& text) {
    statusCode_ = kLocalError;
    lastResponse_ = QByteArray::number(kLocalError) + ' ' + text;
    if (errorMessage_.isEmpty())
        errorMessage_ = lastResponse_;
}

void AsyncFtpClient::connectFailed(int error) {
    failLocally(WSocketErrorText(error));
    stepDone(error);
}

void AsyncFtpClient::onControlConnected(int error) {
    if (step_ != Step::Connect || state_ != FtpState::AwaitingGreeting)
        return;
    if (error != 0) {
        connectFailed(error);
        return;
    }
    connected_ = true;
}

void AsyncFtpClient::onControlData() {
    // A display handler that pumps events must not get the next line judged before this one.
    if (receiving_)
        return;
    receiving_ = true;
    char chunk[FtpReplyReader::kBufferSize];
    QByteArray line;
    for (;;) {
        const qint64 n = control_.receive(chunk, reader_.freeSpace());
        if (n <= 0)
            break;
        reader_.append(chunk, n);
        while (reader_.nextLine(line))
            handleLine(line);
    }
    receiving_ = false;
}

void AsyncFtpClient::handleLine(const QByteArray& line) {
    if (state_ == FtpState::Ready || state_ == FtpState::Aborting)
        return;
    display("< " + line);
    serverAnswered_ = true;
    const FtpReplyLine reply = parseReplyLine(line);
    if (reply.kind != FtpReplyLine::Final)
        return;
    lastResponse_ = line;
    statusCode_ = reply.code;
    if (closingForStep_)
        return;
    if (state_ == FtpState::AwaitingGreeting) {
        connected_ = true; // a greeting may overtake the news of the connection
        if (reply.code == 220) {
            state_ = FtpState::Connected;
            stepDone(0);
            return;
        }
        if (errorMessage_.isEmpty())
            errorMessage_ = line;
        closingForStep_ = true;
        closingStepError_ = reply.code;
        control_.close();
        return;
    }
    if (state_ != FtpState::AwaitingReply)
        return; // nothing asked: not a reply to anything of ours
    if (step_ == Step::Store) {
        storeReply(reply.code, line);
        return;
    }
    if (step_ == Step::Auth) {
        authReply(reply.code, line);
        return;
    }
    if (step_ == Step::Port && Passive) {
        passiveReply(reply.code, line);
        return;
    }
    if (step_ == Step::MakeFolder) {
        stepDone(0); // made, or there already; a folder that cannot be had fails the next STOR
        return;
    }
    if (step_ == Step::Quit) {
        closingForStep_ = true;
        closingStepError_ = reply.code == 221 ? 0 : reply.code;
        if (reply.code != 221 && errorMessage_.isEmpty())
            errorMessage_ = line;
        control_.close();
        return;
    }
    judgeReply(reply.code, line);
}

void AsyncFtpClient::judgeReply(int code, const QByteArray& line) {
    const bool good = accepted_.empty()
                          ? code < 500
                          : std::find(accepted_.begin(), accepted_.end(), code) != accepted_.end();
    if (good) {
        stepDone(0);
        return;
    }
    if (errorMessage_.isEmpty())
        errorMessage_ = line;
    stepDone(code);
}

void AsyncFtpClient::onControlClosed(int error) {
    onControlData(); // what the server said before it closed still counts
    connected_ = false;
    if (state_ == FtpState::Ready || state_ == FtpState::Aborting || step_ == Step::None)
        return;
    if (closingForStep_) {
        closingForStep_ = false;
        stepDone(closingStepError_);
        return;
    }
    // The server went away while the step waited on it: end now rather than at the time-out.
    const int n = error != 0 ? error : WSAECONNRESET;
    failLocally(WSocketErrorText(n));
    stopTransfer();
    stepDone(n);
}

void AsyncFtpClient::startPort() {
    // The data port listens only where the server reaches us, and takes only the server.
    const QHostAddress local = control_.localAddress();
    quint16 port = 0;
    data_.setSecure(secure());
    try {
        port = data_.listen(local, 0, 10);
    } catch (const SocketException& e) {
        stepError(e.text());
        return;
    }
    const quint32 address = local.toIPv4Address();
    QByteArray command = "PORT ";
    for (int shift = 24; shift >= 0; shift -= 8)
        command += QByteArray::number((address >> shift) & 0xff) + ",";
    sendCommand(command + QByteArray::number(port / 256) + "," + QByteArray::number(port % 256),
                {200, 227});
}

void AsyncFtpClient::startQuit() {
    savedResponse_ = lastResponse_;
    savedStatus_ = statusCode_;
    responseSaved_ = true;
    sendCommand("QUIT", {221});
}

} // namespace vantor
