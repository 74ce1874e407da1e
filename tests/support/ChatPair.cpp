#include "ChatPair.h"

#include "components/StreamSocket.h"
#include "components/TcpStreamSocket.h"
#include "options/frmOptions.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

TcpStreamSocket *tcp(StreamSocket *socket)
{
    return qobject_cast<TcpStreamSocket *>(socket);
}

ChatPair::ChatPair()
    : listener(new frmChat)
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
    return tcp(listener->wsockListener)->BoundPort();
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
