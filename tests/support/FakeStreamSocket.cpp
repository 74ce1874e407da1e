#include "FakeStreamSocket.h"

#include "components/core/ComponentError.h"
#include "components/text/CodePage.h"

void FakeStreamSocket::SetRemoteHost(const QString &host) { calls << QStringLiteral("RemoteHost=") + host; }
void FakeStreamSocket::SetRemotePort(qint32 port) { calls << QStringLiteral("RemotePort=%1").arg(port); }
void FakeStreamSocket::SetLocalPort(qint32 port) { calls << QStringLiteral("LocalPort=%1").arg(port); }

void FakeStreamSocket::Connect()
{
    calls << QStringLiteral("Connect");
    state = sckConnecting;
}

void FakeStreamSocket::Listen()
{
    calls << QStringLiteral("Listen");
    state = sckListening;
}

void FakeStreamSocket::Accept(qint32 requestID)
{
    calls << QStringLiteral("Accept %1").arg(requestID);
    state = sckConnected;
}

void FakeStreamSocket::Close()
{
    calls << QStringLiteral("Close");
    if (failClose)
        throw ComponentError(10093, QStringLiteral("Close failed"));
    state = sckClosed;
}

void FakeStreamSocket::SendData(const QString &text)
{
    calls << QStringLiteral("SendData");
    if (failSend || state != sckConnected)
        throw ComponentError(ErrorNumber::WrongProtocolOrState, QStringLiteral("Wrong protocol or connection state"));
    sent += CodePage::encode(text);
}

QString FakeStreamSocket::GetData()
{
    return std::exchange(pendingData, QString());
}

void FakeStreamSocket::raiseConnected(qint16 newState)
{
    state = newState;
    emit Connected();
}

void FakeStreamSocket::raiseClosed(qint16 newState)
{
    state = newState;
    emit Closed();
}

void FakeStreamSocket::raiseData(const QString &text)
{
    pendingData += text;
    emit DataArrival(qint32(text.size()));
}

void FakeStreamSocket::raiseError(qint16 number, const QString &description, qint16 newState)
{
    state = newState;
    RaiseError(number, description);
}

void FakeStreamSocket::raiseConnectionRequest(qint32 requestID)
{
    emit ConnectionRequest(requestID);
}
