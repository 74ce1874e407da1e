// The sockets of Windows: Winsock, whose error numbers are the ones users
// know already.

#include "components/network/SocketErrors.h"
#include "components/network/SystemAddresses.h"
#include "components/network/SystemSocket.h"

#include <mstcpip.h>

namespace {

// Winsock wants starting once per process before the first call; Qt's own
// sockets do the same, and the count of starts does no harm.
void startWinsock()
{
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    Q_UNUSED(started);
}

}  // namespace

namespace SystemSocket {

Dialling dial(const QHostAddress &address, quint16 port)
{
    startWinsock();
    Dialling dialling;
    const SOCKET handle = ::socket(address.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6,
                                   SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET) {
        dialling.error = WSAGetLastError();
        return dialling;
    }
    dialling.descriptor = Descriptor(handle);
    u_long nonBlocking = 1;
    ::ioctlsocket(handle, FIONBIO, &nonBlocking);
    const SystemAddresses::SocketAddress to = SystemAddresses::socketAddress(address, port);
    if (::connect(handle, reinterpret_cast<const sockaddr *>(&to.storage), to.size) != 0) {
        const int error = WSAGetLastError();
        dialling.inProgress = error == WSAEWOULDBLOCK;
        dialling.error = dialling.inProgress ? 0 : error;
    }
    return dialling;
}

int dialOutcome(Descriptor descriptor)
{
    int error = 0;
    int size = sizeof error;
    ::getsockopt(SOCKET(descriptor), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size);
    return error;
}

void close(Descriptor descriptor)
{
    ::closesocket(SOCKET(descriptor));
}

QList<QHostAddress> lookUp(const QByteArray &asciiName)
{
    startWinsock();
    return SystemAddresses::resolve(asciiName);
}

// Windows sets the idle time and the interval in one call; the number of
// probes is its own (ten), unless the system takes TCP_KEEPCNT (Windows 10
// from 1703 on).
void keepAlive(Descriptor descriptor, std::chrono::seconds idle, std::chrono::seconds interval, int probes)
{
    tcp_keepalive values{1, ULONG(std::chrono::milliseconds(idle).count()),
                         ULONG(std::chrono::milliseconds(interval).count())};
    DWORD returned = 0;
    ::WSAIoctl(SOCKET(descriptor), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr);
#ifdef TCP_KEEPCNT
    const DWORD count = DWORD(probes);
    ::setsockopt(SOCKET(descriptor), IPPROTO_TCP, TCP_KEEPCNT, reinterpret_cast<const char *>(&count), sizeof count);
#else
    Q_UNUSED(probes);
#endif
}

// Windows tells no time of the last acknowledgement; its own limit of
// retransmissions gives such a peer up instead.
bool peerSilentWhileAsked(Descriptor, std::chrono::milliseconds)
{
    return false;
}

void resetOnClose(Descriptor descriptor)
{
    const linger resetOnClose{1, 0};
    ::setsockopt(SOCKET(descriptor), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&resetOnClose),
                 sizeof resetOnClose);
}

QString errorDescription(int errorNumber)
{
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                              | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, DWORD(errorNumber), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString description = QString::fromWCharArray(text, int(length)).trimmed();
    ::LocalFree(text);
    return description;
}

}  // namespace SystemSocket
