#include "RawPeer.h"

#include "components/network/StreamSocket.h"

#include <QPushButton>
#include <QTest>

RawPeer::RawPeer(SocketLimits limits)
{
    server.listen(QHostAddress::LocalHost, 0);
    chat = new frmChat(nullptr, new TcpStreamSocket(std::move(limits)));
    chat->strRemotePort = QString::number(server.serverPort());
    chat->show();
    chat->cmdConnect->click();
    // A test finds the socket missing if the window never got through.
    if (QTest::qWaitFor([&] { return server.hasPendingConnections(); })
        && QTest::qWaitFor([&] { return chat->wsockData->State() == StreamSocket::sckConnected; }))
        socket = server.nextPendingConnection();
}

RawPeer::~RawPeer()
{
    delete chat;
}

QByteArray RawPeer::receive(qsizetype count, int timeoutMs)
{
    QByteArray bytes;
    const auto enough = [&] {
        bytes += socket->readAll();
        return bytes.size() >= count;
    };
    if (!QTest::qWaitFor(enough, timeoutMs))
        bytes += socket->readAll();  // what came by the time-out
    return bytes;
}
