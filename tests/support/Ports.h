#pragma once

#include "components/network/TcpStreamSocket.h"

#include <QTcpServer>
#include <QTcpSocket>

// Ports no other test can take meanwhile, even under ctest -j: a socket listening
// on a port the system picks, and a port held bound, not listening, refusing all.

// A socket that, told local port 0, which the program's own refuses, listens
// on a port the system picks.
class AnyPortSocket : public TcpStreamSocket
{
public:
    using TcpStreamSocket::TcpStreamSocket;

    void SetLocalPort(qint32 port) override
    {
        if (port != 0)
            TcpStreamSocket::SetLocalPort(port);
    }

    // The port it listens on; 0 when it does not listen.
    quint16 listeningPort() const
    {
        const auto *server = findChild<QTcpServer *>();
        return server && server->isListening() ? server->serverPort() : 0;
    }
};

inline quint16 listenOnAnyPort(AnyPortSocket &socket)
{
    socket.SetLocalPort(0);
    socket.Listen();
    return socket.listeningPort();
}

struct RefusingPort
{
    RefusingPort() { holder.bind(QHostAddress::LocalHost, 0); }
    quint16 port() const { return holder.localPort(); }
    QTcpSocket holder;
};
