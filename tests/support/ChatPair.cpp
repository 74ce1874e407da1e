#include "ChatPair.h"

#include "Ports.h"
#include "components/StreamSocket.h"
#include "components/TcpStreamSocket.h"
#include "options/frmOptions.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTest>

ChatPair::ChatPair()
    : listener(new frmChat(new TcpStreamSocket(anyLocalPort())))
{
}

ChatPair::~ChatPair()
{
    for (const QPointer<frmChat> &caller : callers)
        delete caller;
    delete listener;
}

void ChatPair::listen()
{
    listener->strLocalPort = QStringLiteral("0");
    listener->Options()->optionListen->setChecked(true);
    listener->cmdConnect->setText(QStringLiteral("Listen"));
    listener->cmdConnect->click();
}

quint16 ChatPair::port() const
{
    const auto *socket = qobject_cast<const TcpStreamSocket *>(listener->wsockListener);
    return socket ? socket->ListeningPort() : 0;
}

frmChat *ChatPair::newCaller()
{
    auto *caller = new frmChat;
    caller->strRemoteHost = QStringLiteral("127.0.0.1");
    caller->strRemotePort = QString::number(port());
    callers << caller;
    return caller;
}

bool ChatPair::connect(frmChat *caller)
{
    caller->cmdConnect->click();
    return QTest::qWaitFor([&] {
        return caller->wsockData->State() == StreamSocket::sckConnected
               && listener->wsockData->State() == StreamSocket::sckConnected;
    });
}

bool ChatPair::burstOfRequests(int count)
{
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    for (int i = 0; i < count; ++i) {
        peers.push_back(std::make_unique<QTcpSocket>());
        peers.back()->connectToHost(QHostAddress::LocalHost, port());
    }
    const auto stillConnected = [&] {
        return std::count_if(peers.begin(), peers.end(),
                             [](const auto &peer) { return peer->state() == QAbstractSocket::ConnectedState; });
    };
    return QTest::qWaitFor([&] { return stillConnected() == 1; }, 20000)
           && listener->wsockData->State() == StreamSocket::sckConnected
           && listener->wsockListener->State() == StreamSocket::sckListening;
}
