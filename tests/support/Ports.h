#pragma once

#include "components/network/TcpStreamSocket.h"

#include <QTcpSocket>

// Ports no other test can take meanwhile, even under ctest -j: a socket listening
// on a port the system picks, and a port held bound, not listening, refusing all.
inline SocketLimits anyLocalPort()
{
    SocketLimits limits;
    limits.lowestLocalPort = 0;
    return limits;
}

inline quint16 listenOnAnyPort(TcpStreamSocket &socket)
{
    socket.SetLocalPort(0);
    socket.Listen();
    return socket.ListeningPort();
}

struct RefusingPort
{
    RefusingPort() { holder.bind(QHostAddress::LocalHost, 0); }
    quint16 port() const { return holder.localPort(); }
    QTcpSocket holder;
};
