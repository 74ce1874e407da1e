#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <chrono>

// Every call into the operating system's sockets, for what Qt's own sockets
// do not offer. One file per system implements it (SystemSocket_posix.cpp),
// picked by the build. Failures come as the numbers of SocketErrors.h.
namespace SystemSocket {

// A socket of the system's own, by its descriptor.
using Descriptor = qintptr;
constexpr Descriptor none = -1;

// A non-blocking dial of one address. While `inProgress`, the descriptor
// becomes writable once the address has answered, and dialOutcome tells how.
struct Dialling
{
    Descriptor descriptor = none;
    int error = 0;  // 0 while dialling or once connected
    bool inProgress = false;
};
Dialling dial(const QHostAddress &address, quint16 port);
int dialOutcome(Descriptor descriptor);
void close(Descriptor descriptor);

// The addresses of a host name, in the resolver's order; blocks, and may
// never return.
QList<QHostAddress> lookUp(const QByteArray &asciiName);

// Probes a connection that has been silent for `idle`, every `interval`,
// and gives it up after `probes` unanswered ones.
void keepAlive(Descriptor descriptor, std::chrono::seconds idle, std::chrono::seconds interval, int probes);

// True when data is on its way, has been sent again, and nothing at all has
// come back for `limit`.
bool peerSilentWhileAsked(Descriptor descriptor, std::chrono::milliseconds limit);

// A close from now on resets the connection rather than ending it in order.
void resetOnClose(Descriptor descriptor);

// The system's own words for a failure the table of SocketErrors.h does not
// know; empty where the system gives its failures only the table's numbers.
QString errorDescription(int errorNumber);

}  // namespace SystemSocket
