// The sockets of a POSIX system: Linux, which also has TCP_INFO.

#include "components/network/SocketErrors.h"
#include "components/network/SystemAddresses.h"
#include "components/network/SystemSocket.h"

#include <cerrno>
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
    const SystemAddresses::SocketAddress to = SystemAddresses::socketAddress(address, port);
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
    return SystemAddresses::resolve(asciiName);
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
