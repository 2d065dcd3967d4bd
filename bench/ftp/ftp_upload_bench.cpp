// Uploads one large file to a local FTP server with TFtpClient and with curl -T, in the same
// run, and prints both times. The client sends one 1514-byte block at a time.
#include "ftp/ftp_client.h"
#include "tests/ftp/local_ftp_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using vantor::TFtpClient;
using vantor::test::LocalFtpServer;

namespace {

bool sameFile(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
           fa.readAll() == fb.readAll();
}

double curlSeconds(const LocalFtpServer& server, const QString& file, const QString& name) {
    const QString url = QStringLiteral("ftp://127.0.0.1:%1/%2").arg(server.port()).arg(name);
    const QString user = QString::fromLatin1(server.userName() + ":" + server.password());
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute("curl", {"-s", "-S", "-u", user, "-T", file, url});
    const double s = t.elapsed() / 1000.0;
    return rc == 0 ? s : -1;
}

double clientSeconds(const LocalFtpServer& server, const QString& file, const QString& name) {
    TFtpClient client;
    client.HostName = "127.0.0.1";
    client.Port = QByteArray::number(server.port());
    client.UserName = server.userName();
    client.PassWord = server.password();
    client.HostFileName = QFile::encodeName(name);
    client.LocalFileName = QFile::encodeName(file);
    QElapsedTimer t;
    t.start();
    const bool ok = client.Transmit();
    const double s = t.elapsed() / 1000.0;
    if (!ok)
        std::fprintf(stderr, "TFtpClient failed: %s\n", client.ErrorMessage().constData());
    return ok ? s : -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const int rounds = 5;

    LocalFtpServer server;
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "cannot start the FTP server: %s\n", qPrintable(error));
        return 1;
    }
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

    // Best of a few rounds each, alternating, so that both see the same machine load.
    double curlBest = 1e9, clientBest = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const double c = curlSeconds(server, file, "curl.bin");
        const double t = clientSeconds(server, file, "client.bin");
        if (c < 0 || t < 0)
            return 1;
        curlBest = std::min(curlBest, c);
        clientBest = std::min(clientBest, t);
    }
    const bool curlOk = sameFile(file, server.root() + "/curl.bin");
    const bool clientOk = sameFile(file, server.root() + "/client.bin");

    std::printf("FTP upload of %d MB to a local pyftpdlib server, best of %d:\n", megabytes,
                rounds);
    std::printf("  curl -T           %7.3f s  %7.1f MB/s  %s\n", curlBest, megabytes / curlBest,
                curlOk ? "identical" : "DIFFERS");
    std::printf("  TFtpClient        %7.3f s  %7.1f MB/s  %s\n", clientBest, megabytes / clientBest,
                clientOk ? "identical" : "DIFFERS");
    std::printf("  ratio client/curl %7.2f  (target at most 3.00)\n", clientBest / curlBest);
    return curlOk && clientOk ? 0 : 1;
}
