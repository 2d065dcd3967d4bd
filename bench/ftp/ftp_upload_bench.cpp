// Uploads one large file to local FTP servers with FtpClient and with curl, in the same run,
// and prints both times: in the clear to pyftpdlib (curl -T), and in passive mode over TLS to
// vsftpd (curl --ssl-reqd). The client sends one 1514-byte block at a time.
#include "ftp/ftp_client.h"
#include "tests/ftp/local_ftp_server.h"
#include "tests/ftp/tls_ftp_servers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using vantor::FtpClient;
using vantor::test::LocalFtpServer;
using vantor::test::VsftpdServer;

namespace {

// Where and how both uploaders send the file.
struct Target {
    quint16 port = 0;
    QByteArray user;
    QByteArray password;
    QByteArray dir; // empty: the login folder
    QString folder; // where the server stores it
    bool secure = false;
    QByteArray fingerprint;
};

bool sameFile(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
           fa.readAll() == fb.readAll();
}

double curlSeconds(const Target& target, const QString& file, const QString& name) {
    const QString path = target.dir.isEmpty() ? name : QString::fromLatin1(target.dir) + "/" + name;
    const QString url = QStringLiteral("ftp://127.0.0.1:%1/%2").arg(target.port).arg(path);
    QStringList arguments = {
        "-s", "-S", "-u", QString::fromLatin1(target.user + ":" + target.password),
        "-T", file, url};
    // The server's certificate is self-signed; the client pins it instead.
    if (target.secure)
        arguments << "--ssl-reqd"
                  << "-k";
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute("curl", arguments);
    const double s = t.elapsed() / 1000.0;
    return rc == 0 ? s : -1;
}

double clientSeconds(const Target& target, const QString& file, const QString& name) {
    FtpClient client;
    client.HostName = "127.0.0.1";
    client.Port = QByteArray::number(target.port);
    client.UserName = target.user;
    client.PassWord = target.password;
    client.HostDirName = target.dir;
    client.HostFileName = QFile::encodeName(name);
    client.LocalFileName = QFile::encodeName(file);
    client.Passive = target.secure;
    client.Security = target.secure ? vantor::ftpTlsExplicit : vantor::ftpTlsNone;
    client.CertSha256 = target.fingerprint;
    QElapsedTimer t;
    t.start();
    const bool ok = client.Transmit();
    const double s = t.elapsed() / 1000.0;
    if (!ok)
        std::fprintf(stderr, "FtpClient failed: %s\n", client.ErrorMessage().constData());
    return ok ? s : -1;
}

// Best of a few rounds each, alternating, so that both see the same machine load.
bool compare(const char* title, const char* curlName, double target, const Target& to,
             const QString& file, int megabytes, int rounds) {
    double curlBest = 1e9, clientBest = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const double c = curlSeconds(to, file, "curl.bin");
        const double t = clientSeconds(to, file, "client.bin");
        if (c < 0 || t < 0)
            return false;
        curlBest = std::min(curlBest, c);
        clientBest = std::min(clientBest, t);
    }
    const bool curlOk = sameFile(file, to.folder + "/curl.bin");
    const bool clientOk = sameFile(file, to.folder + "/client.bin");
    std::printf("FTP upload of %d MB %s, best of %d:\n", megabytes, title, rounds);
    std::printf("  %-17s %7.3f s  %7.1f MB/s  %s\n", curlName, curlBest, megabytes / curlBest,
                curlOk ? "identical" : "DIFFERS");
    std::printf("  FtpClient        %7.3f s  %7.1f MB/s  %s\n", clientBest, megabytes / clientBest,
                clientOk ? "identical" : "DIFFERS");
    std::printf("  ratio client/curl %7.2f  (target at most %.2f)\n", clientBest / curlBest,
                target);
    return curlOk && clientOk;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const int rounds = 5;

    QTemporaryDir dir;
    const QString file = dir.filePath("upload.bin");
    {
        QByteArray data(megabytes * 1024 * 1024, '\0');
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }

    LocalFtpServer plain;
    QString error;
    if (!plain.start(&error)) {
        std::fprintf(stderr, "cannot start the FTP server: %s\n", qPrintable(error));
        return 1;
    }
    const Target clear{
        plain.port(), plain.userName(), plain.password(), {}, plain.root(), false, {}};
    bool ok =
        compare("to a local pyftpdlib server", "curl -T", 3.0, clear, file, megabytes, rounds);

    if (VsftpdServer::program().isEmpty()) {
        std::printf("vsftpd is not installed: no passive TLS figures\n");
        return ok ? 0 : 1;
    }
    VsftpdServer vsftpd;
    if (!vsftpd.start(&error)) {
        std::fprintf(stderr, "cannot start vsftpd: %s\n", qPrintable(error));
        return 1;
    }
    const Target secure{vsftpd.port(),       vsftpd.userName(),     vsftpd.password(),
                        vsftpd.hostDir(),    vsftpd.uploadFolder(), true,
                        vsftpd.fingerprint()};
    ok = compare("in passive mode over TLS to a local vsftpd", "curl --ssl-reqd", 2.0, secure, file,
                 megabytes, rounds) &&
         ok;
    return ok ? 0 : 1;
}
