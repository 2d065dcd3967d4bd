#include "tests/ftp/tls_ftp_servers.h"

#include "ftp/certificate_pin.h"
#include "tests/support/stop_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace vantor::test {

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool writeText(const QString& file, const QByteArray& text, QString* error) {
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size())
        return true;
    *error = QStringLiteral("cannot write %1").arg(file);
    return false;
}

bool run(const QString& program, const QStringList& arguments, QString* error) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    *error = program + ": " + p.errorString() + " " + QString::fromLocal8Bit(p.readAll());
    return false;
}

QByteArray yesNo(bool yes) {
    return yes ? "YES" : "NO";
}

// Where scripts/setup.sh unpacks the FTP servers Debian will not install beside vsftpd; else
// the system's own.
QString serverFile(const QString& path) {
    const QString unpacked = QStringLiteral(VANTOR_FTP_SERVERS_ROOT) + path;
    return QFile::exists(unpacked) ? unpacked : QFile::exists(path) ? path : QString();
}

// A SHA-512 crypt hash of the password, as the servers' user files hold it.
QByteArray passwordHash(const QByteArray& password, QString* error) {
    QProcess crypt;
    crypt.start(QStringLiteral("openssl"), {"passwd", "-6", QString::fromLatin1(password)});
    if (crypt.waitForFinished(10000) && crypt.exitCode() == 0)
        return crypt.readAll().trimmed();
    *error = QStringLiteral("openssl passwd failed");
    return {};
}

} // namespace

TlsFtpServer::~TlsFtpServer() {
    stop();
}

QString TlsFtpServer::log() {
    return QString::fromLocal8Bit(process_.readAll());
}

bool TlsFtpServer::makeCertificate(QString* error) {
    if (!run(QStringLiteral("openssl"),
             {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
              "-days", "2", "-subj", "/CN=localhost", "-addext",
              "subjectAltName=DNS:localhost,IP:127.0.0.1", "-keyout", path("key.pem"), "-out",
              path("cert.pem")},
             error))
        return false;
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(path("cert.pem"));
    if (certs.isEmpty()) {
        *error = QStringLiteral("openssl made no readable certificate");
        return false;
    }
    fingerprint_ = certificateFingerprint(certs.first());
    return true;
}

bool TlsFtpServer::start(QString* error) {
    if (!root_.isValid() || !QDir(root_.path()).mkpath("upload")) {
        *error = QStringLiteral("cannot make a temporary folder");
        return false;
    }
    // The server writes as an unprivileged user, chrooted to the folder.
    QFile::setPermissions(root_.path(), QFileDevice::Permissions(0x7755));
    QFile::setPermissions(uploadFolder(), QFileDevice::Permissions(0x7777));
    if (!makeCertificate(error))
        return false;
    // The port may be taken between probing and listening: try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        stop();
        const quint16 port = freePort();
        process_.setProcessChannelMode(QProcess::MergedChannels);
        if (!launch(process_, port, error))
            return false;
        if (!process_.waitForStarted(10000)) {
            *error = process_.errorString();
            return false;
        }
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 15000 && process_.state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            if (probe.waitForConnected(500)) {
                probe.abort();
                port_ = port;
                return true;
            }
            QThread::msleep(50);
        }
        *error = QStringLiteral("the FTP server did not start listening: ") + log();
    }
    return false;
}

void TlsFtpServer::stop() {
    stopProcess(process_);
}

QString VsftpdServer::program() {
    for (const QString& candidate :
         {QStringLiteral("/usr/sbin/vsftpd"), QStringLiteral("/sbin/vsftpd")})
        if (QFile::exists(candidate))
            return candidate;
    return QStandardPaths::findExecutable(QStringLiteral("vsftpd"));
}

bool VsftpdServer::launch(QProcess& process, quint16 port, QString* error) {
    // Debian 12's vsftpd fails uploads under TLS 1.3: its OpenSSL is held to TLS 1.2.
    const QByteArray openssl = "openssl_conf = default_conf\n"
                               "[default_conf]\nssl_conf = ssl_sect\n"
                               "[ssl_sect]\nsystem_default = system_default_sect\n"
                               "[system_default_sect]\nMaxProtocol = TLSv1.2\n";
    if (!QDir(path("")).mkpath("empty") || !writeText(path("openssl.cnf"), openssl, error))
        return false;
    QFile::setPermissions(path("empty"), QFileDevice::Permissions(0x7555));
    const QByteArray conf =
        "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" +
        QByteArray::number(port) +
        "\nbackground=NO\nseccomp_sandbox=NO\n"
        "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
        "anon_other_write_enable=YES\nanon_umask=022\nno_anon_password=NO\n"
        "anon_root=" +
        QFile::encodeName(path("")) +
        "\nftp_username=ftp\nnopriv_user=nobody\n"
        "secure_chroot_dir=" +
        QFile::encodeName(path("empty")) +
        "\nallow_writeable_chroot=YES\n"
        "pasv_enable=YES\nport_enable=YES\nconnect_from_port_20=NO\n"
        "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=" +
        yesNo(tlsRequired) + "\nforce_anon_data_ssl=" + yesNo(tlsRequired) +
        "\nrequire_ssl_reuse=YES\nssl_tlsv1=YES\nssl_sslv2=NO\n"
        "ssl_sslv3=NO\nssl_ciphers=HIGH\nrsa_cert_file=" +
        QFile::encodeName(path("cert.pem")) +
        "\nrsa_private_key_file=" + QFile::encodeName(path("key.pem")) +
        "\nxferlog_enable=NO\nsyslog_enable=NO\nvsftpd_log_file=/dev/null\n";
    if (!writeText(path("vsftpd.conf"), conf, error))
        return false;
    // vsftpd refuses to serve anonymously from a root the anonymous user may write to.
    QFile::setPermissions(path(""), QFileDevice::Permissions(0x7555));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OPENSSL_CONF", path("openssl.cnf"));
    process.setProcessEnvironment(env);
    process.start(program(), {path("vsftpd.conf")});
    return true;
}

bool PyftpdlibTlsServer::launch(QProcess& process, quint16 port, QString* error) {
    const QByteArray script = "import sys\n"
                              "from pyftpdlib.authorizers import DummyAuthorizer\n"
                              "from pyftpdlib.handlers import TLS_FTPHandler\n"
                              "from pyftpdlib.servers import FTPServer\n"
                              "port, root, cert, key, user, password = sys.argv[1:7]\n"
                              "authorizer = DummyAuthorizer()\n"
                              "authorizer.add_user(user, password, root, perm='elradfmwMT')\n"
                              "handler = TLS_FTPHandler\n"
                              "handler.certfile = cert\n"
                              "handler.keyfile = key\n"
                              "handler.authorizer = authorizer\n"
                              "handler.tls_control_required = handler.tls_data_required = " +
                              QByteArray(tlsRequired ? "True" : "False") +
                              "\n"
                              "FTPServer(('127.0.0.1', int(port)), handler).serve_forever()\n";
    if (!writeText(path("server.py"), script, error))
        return false;
    process.start("/usr/bin/python3",
                  {path("server.py"), QString::number(port), path(""), path("cert.pem"),
                   path("key.pem"), QString::fromLatin1(userName()),
                   QString::fromLatin1(password())});
    return true;
}

QString ProftpdServer::program() {
    const QString proftpd = serverFile(QStringLiteral("/usr/sbin/proftpd"));
    return serverFile(QStringLiteral("/usr/lib/proftpd/mod_tls.so")).isEmpty() ? QString()
                                                                               : proftpd;
}

bool ProftpdServer::launch(QProcess& process, quint16 port, QString* error) {
    const QByteArray hash = passwordHash(password(), error);
    if (hash.isEmpty())
        return false;
    const QByteArray root = QFile::encodeName(path(""));
    if (!writeText(path("passwd"), userName() + ":" + hash + ":65534:65534::" + root + ":/bin/sh\n",
                   error) ||
        !writeText(path("group"), "nogroup:x:65534:\n", error))
        return false;
    QFile::setPermissions(path("passwd"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray modules = QFile::encodeName(
        QFileInfo(serverFile(QStringLiteral("/usr/lib/proftpd/mod_tls.so"))).absolutePath());
    const QByteArray conf =
        "ServerType standalone\nDefaultServer on\nPort " + QByteArray::number(port) +
        "\nDefaultAddress 127.0.0.1\nSocketBindTight on\nUseIPv6 off\nUser nobody\n"
        "Group nogroup\nPidFile " +
        root + "/proftpd.pid\nScoreboardFile " + root +
        "/scoreboard\nDelayTable none\nWtmpLog off\nTransferLog none\nUseReverseDNS off\n"
        "RequireValidShell off\nAuthPAM off\nDelayEngine off\nAuthOrder mod_auth_file.c\n"
        "AuthUserFile " +
        root + "/passwd\nAuthGroupFile " + root +
        "/group\nDefaultRoot ~\nAllowOverwrite on\nUmask 022\nModulePath " + modules +
        "\nLoadModule mod_tls.c\nTLSEngine on\nTLSRequired " + (tlsRequired ? "on" : "off") +
        "\nTLSECCertificateFile " + root + "/cert.pem\nTLSECCertificateKeyFile " + root +
        "/key.pem\n";
    if (!writeText(path("proftpd.conf"), conf, error))
        return false;
    process.start(program(), {"-n", "-q", "-c", path("proftpd.conf")});
    return true;
}

QString PureFtpdServer::program() {
    return serverFile(QStringLiteral("/usr/sbin/pure-ftpd"));
}

bool PureFtpdServer::launch(QProcess& process, quint16 port, QString* error) {
    const QString pw = QFileInfo(program()).dir().filePath(QStringLiteral("../bin/pure-pw"));
    // Written here rather than by "pure-pw useradd", whose default hash costs a second a login.
    const QByteArray hash = passwordHash(password(), error);
    if (hash.isEmpty() ||
        !writeText(path("users.passwd"),
                   userName() + ":" + hash + ":65534:65534::" + QFile::encodeName(path("")) +
                       "/./::::::::::::\n",
                   error) ||
        !run(pw, {"mkdb", path("users.pdb"), "-f", path("users.passwd")}, error))
        return false;
    // -Y 3: the login and every data connection under TLS; 1: TLS offered.
    process.start(program(),
                  {"-S", "127.0.0.1," + QString::number(port), "-l", "puredb:" + path("users.pdb"),
                   "-E", "-A", "-H", "-4", "-u", "1", "-Y", tlsRequired ? "3" : "1", "-2",
                   path("cert.pem") + "," + path("key.pem")});
    return true;
}

} // namespace vantor::test
