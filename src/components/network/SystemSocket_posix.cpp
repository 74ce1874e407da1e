// The sockets of a POSIX system: Linux, which also has TCP_INFO.

#include "components/network/SocketErrors.h"
#include "components/network/SystemSocket.h"

#include <QNetworkInterface>

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The number of a failure the system reports by its error number.
int errorNumber(int systemError)
{
    static constexpr std::pair<int, int> numbers[] = {
        {ECONNREFUSED, 10061}, {ETIMEDOUT, SocketErrors::timedOut},
        {ECONNRESET, 10054},   {ENETUNREACH, 10051},
        {EHOSTUNREACH, 10065}, {ENETDOWN, 10050},
        {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},
        {EACCES, 10013},       {EPERM, 10013},
        {ENOBUFS, SocketErrors::noBufferSpace}, {ENOMEM, SocketErrors::noBufferSpace},
        {EMFILE, SocketErrors::noBufferSpace},  {ENFILE, SocketErrors::noBufferSpace},
        {EAFNOSUPPORT, 10045}, {EOPNOTSUPP, 10045},
        {EINVAL, 10022},
    };
    for (const auto &[error, number] : numbers) {
        if (error == systemError)
            return number;
    }
    return systemError == 0 ? 0 : SocketErrors::failed;
}

struct SocketAddress
{
    sockaddr_storage storage{};
    socklen_t size = 0;
};

SocketAddress socketAddress(const QHostAddress &address, quint16 port)
{
    SocketAddress result;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto &ipv4 = reinterpret_cast<sockaddr_in &>(result.storage);
        ipv4.sin_family = AF_INET;
        ipv4.sin_port = htons(port);
        ipv4.sin_addr.s_addr = htonl(address.toIPv4Address());
        result.size = sizeof ipv4;
    } else {
        auto &ipv6 = reinterpret_cast<sockaddr_in6 &>(result.storage);
        ipv6.sin6_family = AF_INET6;
        ipv6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&ipv6.sin6_addr, &bytes, sizeof bytes);
        bool numbered = false;
        ipv6.sin6_scope_id = address.scopeId().toUInt(&numbered);
        if (!numbered && !address.scopeId().isEmpty())
            ipv6.sin6_scope_id = QNetworkInterface::interfaceIndexFromName(address.scopeId());
        result.size = sizeof ipv6;
    }
    return result;
}

void setOption(SystemSocket::Descriptor descriptor, int level, int name, int value)
{
    ::setsockopt(int(descriptor), level, name, &value, sizeof value);
}

}  // namespace

namespace SystemSocket {

Dialling dial(const QHostAddress &address, quint16 port)
{
    Dialling dialling;
    dialling.descriptor = ::socket(address.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6,
                                   SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (dialling.descriptor < 0) {
        dialling.error = errorNumber(errno);
        return dialling;
    }
    const SocketAddress to = socketAddress(address, port);
    if (::connect(int(dialling.descriptor), reinterpret_cast<const sockaddr *>(&to.storage), to.size) != 0) {
        dialling.inProgress = errno == EINPROGRESS;
        dialling.error = dialling.inProgress ? 0 : errorNumber(errno);
    }
    return dialling;
}

int dialOutcome(Descriptor descriptor)
{
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(int(descriptor), SOL_SOCKET, SO_ERROR, &error, &size);
    return errorNumber(error);
}

void close(Descriptor descriptor)
{
    ::close(int(descriptor));
}

QList<QHostAddress> lookUp(const QByteArray &asciiName)
{
    QList<QHostAddress> found;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo *results = nullptr;
    if (::getaddrinfo(asciiName.constData(), nullptr, &hints, &results) != 0)
        return found;
    for (const addrinfo *result = results; result; result = result->ai_next) {
        const QHostAddress address(result->ai_addr);
        if (!found.contains(address))
            found << address;
    }
    ::freeaddrinfo(results);
    return found;
}

void keepAlive(Descriptor descriptor, std::chrono::seconds idle, std::chrono::seconds interval, int probes)
{
    setOption(descriptor, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, int(idle.count()));
    setOption(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, int(interval.count()));
    setOption(descriptor, IPPROTO_TCP, TCP_KEEPCNT, probes);
}

// A peer that does not read shuts its window instead: then nothing is on
// its way, and the connection stays, however long.
bool peerSilentWhileAsked(Descriptor descriptor, std::chrono::milliseconds limit)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(int(descriptor), IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return false;
    const bool asked = info.tcpi_unacked > 0 && info.tcpi_retransmits > 0;
    return asked && info.tcpi_last_ack_recv > limit.count();
}

void resetOnClose(Descriptor descriptor)
{
    const linger resetOnClose{1, 0};
    ::setsockopt(int(descriptor), SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
}

// Every errno the dial and the socket options see has its number in the table.
QString errorDescription(int)
{
    return {};
}

}  // namespace SystemSocket
