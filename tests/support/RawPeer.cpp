#include "RawPeer.h"

#include "components/StreamSocket.h"

#include <QPushButton>
#include <QTest>

RawPeer::RawPeer()
{
    server.listen(QHostAddress::LocalHost, 0);
    chat = new frmChat;
    chat->strRemotePort = QString::number(server.serverPort());
    chat->show();
    chat->cmdConnect->click();
    if (QTest::qWaitFor([&] { return server.hasPendingConnections(); }))
        socket = server.nextPendingConnection();
    QTest::qWaitFor([&] { return chat->wsockData->State() == StreamSocket::sckConnected; });
}

RawPeer::~RawPeer()
{
    delete chat;
}

QByteArray RawPeer::receive(qsizetype count, int timeoutMs)
{
    QByteArray bytes;
    QTest::qWaitFor(
        [&] {
            bytes += socket->readAll();
            return bytes.size() >= count;
        },
        timeoutMs);
    return bytes;
}
