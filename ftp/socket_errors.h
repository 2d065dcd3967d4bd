#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostInfo>

namespace vantor {

// Socket errors are reported by their Windows Sockets numbers, the numbers the users of the
// client have always seen (10061 for a refused connection, 11001 for an unknown host, ...).
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_DATA = 11004;

// The description of a Windows Sockets error number ("Not a WinSock error" for others).
QByteArray WSocketErrorDesc(int error);
// "<description> (Winsock error #<n>)".
QByteArray WSocketErrorText(int error);

// errno values of the socket calls onto the Windows Sockets numbers.
int winsockErrorFromErrno(int err);
// Qt's socket error kinds onto the Windows Sockets numbers (0 for none).
int winsockErrorFromQt(QAbstractSocket::SocketError error);
// Qt's name lookup results onto the Windows Sockets numbers (0 for none).
int winsockErrorFromLookup(QHostInfo::HostInfoError error);

} // namespace vantor
