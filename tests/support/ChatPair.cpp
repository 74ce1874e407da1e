#include "ChatPair.h"

#include "ChatWindow.h"
#include "Ports.h"
#include "components/network/StreamSocket.h"
#include "components/network/TcpStreamSocket.h"
#include "options/frmOptions.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTest>

ChatPair::ChatPair()
    : listener(new frmChat(new AnyPortSocket))
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
    optionsOf(listener)->optionListen->setChecked(true);
    listener->cmdConnect->setText(QStringLiteral("Listen"));
    listener->cmdConnect->click();
}

quint16 ChatPair::port() const
{
    const auto *socket = dynamic_cast<const AnyPortSocket *>(listener->wsockListener);
    return socket ? socket->listeningPort() : 0;
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
    // Until no caller is left trying, one caller alone connected is not yet
    // the end of the burst.
    const auto inState = [&](QAbstractSocket::SocketState state) {
        return std::count_if(peers.begin(), peers.end(), [state](const auto &peer) { return peer->state() == state; });
    };
    return QTest::qWaitFor([&] {
               return inState(QAbstractSocket::ConnectingState) == 0 && inState(QAbstractSocket::ConnectedState) == 1;
           })
           && listener->wsockData->State() == StreamSocket::sckConnected
           && listener->wsockListener->State() == StreamSocket::sckListening;
}
