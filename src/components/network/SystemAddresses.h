#pragma once

// What the POSIX and the Windows sockets share: addresses as the system takes
// them, and the resolver, the same calls declared in different headers. Only
// the per-system files of SystemSocket include it.

#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>

#include <cstring>
#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace SystemAddresses {

#ifdef Q_OS_WIN
using Size = int;
#else
using Size = socklen_t;
#endif

struct SocketAddress
{
    sockaddr_storage storage{};
    Size size = 0;
};

inline SocketAddress socketAddress(const QHostAddress &address, quint16 port)
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

// The resolver's addresses for a name, each once, in its order. Qt's own
// lookup would write to Qt's cache, which may be gone when a lookup that took
// too long ends after the program.
inline QList<QHostAddress> resolve(const QByteArray &asciiName)
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

}  // namespace SystemAddresses
