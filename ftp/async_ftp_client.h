#pragma once

#include "ftp/ftp_reply_reader.h"
#include "ftp/ftp_socket.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFlags>
#include <QList>
#include <QObject>
#include <functional>
#include <vector>

namespace vantor {

// The code of an operation that ends on an error of our own, without a reply code.
inline constexpr int kLocalError = 500;

enum FtpOption {
    ftpAcceptLF = 0x1, // a reply line ends at LF alone, not only at CR LF
};
Q_DECLARE_FLAGS(FtpOptions, FtpOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(FtpOptions)

// Whether the connections are put under TLS: never, or after "AUTH TLS" on the control
// connection (explicit TLS), then on every data connection too.
enum FtpSecurity {
    ftpTlsNone,
    ftpTlsExplicit,
};

enum class FtpState {
    Closed,
    Ready, // idle, with the last operation's result available
    BetweenSteps,
    LookingUp,
    AwaitingGreeting,
    Connected,
    AwaitingReply,
    Aborting,
};

// One file operation of a session that does several: a folder made (one that exists already is
// no failure), a file stored, or a file deleted (one that is gone already is no failure).
struct FtpBatchStep {
    enum Kind { MakeFolder, Store, Delete };
    Kind kind = Store;
    QByteArray hostPath;  // relative to the directory
    QByteArray localFile; // Store only
};

// Receives every display line: "> " commands as sent, "< " reply lines, "! " notices.
using FtpDisplay = std::function<void(QObject* sender, const QByteArray& line)>;

// "! <bytes> bytes received/sent in <s> seconds (<rate> Bytes/sec)".
QByteArray transferSummary(qint64 bytes, qint64 elapsedMs);

// The client side of FTP, driven by socket events on the calling thread. It knows one
// operation: connect, log in, change directory, set the type, store one file over a data
// connection the server opens (active mode) or the client opens (passive), quit. With
// explicit TLS both connections are encrypted and nothing of the login goes out in clear.
class AsyncFtpClient : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kBlockSize = 1514;
    // Blocks sent in a row before the event loop gets its turn.
    static constexpr int kBurstBlocks = 64;

    explicit AsyncFtpClient(QObject* parent = nullptr);
    ~AsyncFtpClient() override;

    // Text values are bytes as they go on the wire; LocalFileName is in the file system's
    // encoding (QFile::encodeName).
    QByteArray HostName;
    QByteArray Port = "ftp";
    QByteArray UserName;
    QByteArray PassWord;
    QByteArray HostDirName;
    QByteArray HostFileName;
    QByteArray LocalFileName;
    bool Binary = true;
    int Timeout = 15; // seconds without progress; 0 or less: no limit
    bool MultiThreaded = false;
    FtpOptions Options = ftpAcceptLF;
    // Passive: EPSV (PASV where the server knows no EPSV), the client connects for data.
    bool Passive = false;
    FtpSecurity Security = ftpTlsNone;
    // When set, only the certificate with this SHA-256 fingerprint (hex, colons optional) is
    // accepted, trusted by the system or not, and TLS is used whatever Security says.
    QByteArray CertSha256;
    // Shows the login as "> PASS ********" (the password is still sent): for output that
    // ends up in terminals and logs.
    bool MaskPassword = false;
    FtpDisplay OnDisplay;
    // When not empty, the session does these in order on one connection instead of the one
    // upload of HostFileName; it stops at the first that fails.
    std::vector<FtpBatchStep> Batch;
    // How many steps of Batch succeeded in the last operation, in order.
    std::size_t BatchDone() const { return batchDone_; }

    // The first error reply or error text of the last operation.
    const QByteArray& ErrorMessage() const { return errorMessage_; }
    const QByteArray& LastResponse() const { return lastResponse_; }
    int StatusCode() const { return statusCode_; }
    // The operation's error code: 0 for success.
    int ErrorCode() const { return error_; }
    FtpState State() const { return state_; }
    bool Connected() const { return connected_; }
    // Whether the server said anything in the last operation: a failure before that is one of
    // reaching it at all.
    bool ServerAnswered() const { return serverAnswered_; }

    // Starts the upload of LocalFileName to HostFileName and returns at once; requestDone
    // follows when it has ended. False, with the reason in *refusal, when the client is busy,
    // or when a command argument holds a line break or NUL: then nothing is sent and the
    // operation has failed with that reason as its error message.
    bool startUpload(QByteArray* refusal = nullptr);
    // Drops the operation under way: both connections closed, state Ready.
    void abort();

signals:
    void requestDone();
    // Before every block of file data goes out.
    void aboutToSendBlock(qint64 size);
    // A step of Batch has succeeded.
    void batchStepDone();

protected:
    // Marks the operation as failed by the time-out of a blocking wait, unless it had failed
    // already: the first error stays the result.
    void timedOut();

private:
    enum class Step {
        None,
        Connect,
        Auth,
        Pbsz,
        Prot,
        User,
        Pass,
        Cwd,
        Type,
        Port,
        Store,
        Quit,
        BatchNext, // the previous step of Batch succeeded; the next one's names are taken up
        MakeFolder,
        Delete,
    };
    enum class PassiveStage { None, Epsv, Pasv, Connecting };

    void display(const QByteArray& line);
    void runNextStep();
    void stepDone(int error);
    void stepError(const QByteArray& text);
    // Fails the operation before it starts when a command argument would break its line.
    bool refuseUnsafeArguments(QByteArray* refusal);
    void finish();
    void sendCommand(const QByteArray& command, std::vector<int> accepted);

    void startConnect();
    void connectToServer(const QHostAddress& address);
    void connectFailed(int error);
    // Ends on an error of our own: a reply line with the local error code and text.
    void failLocally(const QByteArray& text);
    void onLookupDone(int error);
    void onControlConnected(int error);
    void onControlData();
    void onControlClosed(int error);
    void handleLine(const QByteArray& line);
    void judgeReply(int code, const QByteArray& line);
    void startPort();
    void startQuit();
    void queueBatch();
    void nextBatchStep();

    // Explicit TLS.
    bool secure() const { return Security == ftpTlsExplicit || pinned(); }
    bool pinned() const { return !CertSha256.trimmed().isEmpty(); }
    // Refuses a certificate that passed the system's checks but is not the pinned one.
    bool refuseUnpinned(const QSslCertificate& certificate);
    void startAuth();
    void authReply(int code, const QByteArray& line);
    void onControlEncrypted(int error);
    QSslConfiguration tlsConfiguration() const;
    bool acceptCertificate(const QSslCertificate& certificate, const QList<QSslError>& errors);
    void startDataTls();
    void onDataEncrypted(int error);

    // Passive mode.
    void startPassive();
    void passiveReply(int code, const QByteArray& line);
    void onDataConnected(int error);

    // The STOR step and its data connection.
    struct Transfer {
        bool active = false;
        bool serverReady = false;
        bool accepted = false;
        bool started = false;
        bool endOfFile = false;
        bool localFailure = false; // reading or sending failed on our side
        bool finalGood = false;
        bool dataClosed = false;
        int closingError = 0;
        qint64 bytesSent = 0;
        qint64 startTick = 0;
        qint64 endTick = 0;
    };
    void startStore();
    void storeReply(int code, const QByteArray& line);
    void stopTransfer();
    void maybeStartSending();
    void sendNextBlock();
    // The next block of up to kBlockSize bytes of the file into block_; 0 at its end, -1 when
    // the file cannot be read.
    qint64 readBlock();
    void onDataAvailable();
    void onSessionAvailable(int error);
    void onDataSent();
    void onDataClosed(int error);
    void maybeFinishStore();

    FtpSocket control_;
    FtpSocket data_;
    FtpReplyReader reader_;
    FtpState state_ = FtpState::Ready;
    bool connected_ = false;
    bool serverAnswered_ = false;
    bool receiving_ = false;

    QByteArray lastResponse_;
    int statusCode_ = 0;
    int error_ = 0;
    QByteArray errorMessage_;
    QByteArray savedResponse_;
    int savedStatus_ = 0;
    bool responseSaved_ = false;

    QList<Step> steps_;
    Step step_ = Step::None;
    std::vector<int> accepted_;
    QHostAddress serverAddress_;
    // Set when the step already has its outcome and only waits for the control connection
    // to close (a refused greeting, the reply to QUIT).
    bool closingForStep_ = false;
    int closingStepError_ = 0;

    PassiveStage passive_ = PassiveStage::None;
    QSslCertificate serverCertificate_;
    QByteArray tlsRefusal_; // why the server's certificate was refused

    std::size_t batchDone_ = 0;
    std::size_t batchAt_ = 0; // the step of Batch under way, counted from 1

    Transfer transfer_;
    QFile file_; // unbuffered: readAhead_ takes its place
    // The file is read a few hundred kilobytes at a time and sent from here block by block.
    std::vector<char> readAhead_;
    std::size_t readAheadUsed_ = 0;
    std::size_t readAheadTaken_ = 0;
    QElapsedTimer clock_;
    char block_[kBlockSize];
};

} // namespace vantor
