#pragma once

#include "chat/frmChat.h"
#include "components/network/TcpStreamSocket.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A chat window that has dialled out to a raw socket on 127.0.0.1, which
// sees exactly the bytes the window sends and sends whatever a test likes.
class RawPeer
{
public:
    explicit RawPeer(SocketLimits limits = {});
    ~RawPeer();

    // Reads until count bytes have come from the window; fewer on time-out.
    QByteArray receive(qsizetype count, int timeoutMs = 5000);

    QTcpServer server;
    QPointer<frmChat> chat;
    QTcpSocket *socket = nullptr;
};
