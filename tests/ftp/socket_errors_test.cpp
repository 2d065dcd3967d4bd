#include "ftp/async_ftp_client.h"
#include "ftp/socket_errors.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(SocketErrors, DescriptionsByWinsockNumber) {
    EXPECT_EQ(WSocketErrorDesc(0), "No Error");
    EXPECT_EQ(WSocketErrorDesc(10061), "Connection refused");
    EXPECT_EQ(WSocketErrorDesc(10047), "Address family not supported by protocol family");
    EXPECT_EQ(WSocketErrorDesc(11004), "No Data");
    EXPECT_EQ(WSocketErrorDesc(10010), "Not a WinSock error");
    EXPECT_EQ(WSocketErrorDesc(-1), "Not a WinSock error");
    EXPECT_EQ(WSocketErrorText(11001), "Host not found (Winsock error #11001)");
}

TEST(SocketErrors, ErrnoAndQtErrorsMapOntoWinsockNumbers) {
    EXPECT_EQ(winsockErrorFromErrno(0), 0);
    EXPECT_EQ(winsockErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(winsockErrorFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(winsockErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(winsockErrorFromErrno(ENETUNREACH), 10051);
    EXPECT_EQ(winsockErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(winsockErrorFromErrno(EADDRINUSE), 10048);
    EXPECT_EQ(winsockErrorFromErrno(EMFILE), 10024);
    // Never 0 for a failure the table lacks.
    EXPECT_NE(winsockErrorFromErrno(ENOENT), 0);

    EXPECT_EQ(winsockErrorFromQt(QAbstractSocket::ConnectionRefusedError), 10061);
    EXPECT_EQ(winsockErrorFromQt(QAbstractSocket::HostNotFoundError), 11001);
    EXPECT_EQ(winsockErrorFromQt(QAbstractSocket::SocketTimeoutError), 10060);
    EXPECT_EQ(winsockErrorFromQt(QAbstractSocket::AddressInUseError), 10048);
    EXPECT_NE(winsockErrorFromQt(QAbstractSocket::UnknownSocketError), 0);

    EXPECT_EQ(winsockErrorFromLookup(QHostInfo::NoError), 0);
    EXPECT_EQ(winsockErrorFromLookup(QHostInfo::HostNotFound), 11001);
    EXPECT_EQ(winsockErrorFromLookup(QHostInfo::UnknownError), 11002);
}

TEST(TransferSummary, SecondsAndRateAsTheClientComputesThem) {
    EXPECT_EQ(transferSummary(0, 0), "! 0 bytes received/sent in 0 seconds");
    EXPECT_EQ(transferSummary(33, 46), "! 33 bytes received/sent in 0 seconds (717 Bytes/sec)");
    EXPECT_EQ(transferSummary(32767, 3000),
              "! 32767 bytes received/sent in 3 seconds (10922 Bytes/sec)");
    // Above 32767 bytes the rate is computed per millisecond first.
    EXPECT_EQ(transferSummary(32768, 3000),
              "! 32768 bytes received/sent in 3 seconds (10000 Bytes/sec)");
    EXPECT_EQ(transferSummary(52428800, 1999),
              "! 52428800 bytes received/sent in 1 seconds (26227000 Bytes/sec)");
}

} // namespace
} // namespace vantor
