#pragma once

#include "components/network/StreamSocket.h"

#include <QStringList>

// A stream socket whose state, failures and events a test sets by hand, for
// what a real socket cannot be made to do on demand. Calls are recorded.
class FakeStreamSocket : public StreamSocket
{
    Q_OBJECT

public:
    using StreamSocket::StreamSocket;

    qint16 state = sckClosed;
    bool failClose = false;
    bool failSend = false;
    QString pendingData;
    QStringList calls;
    QByteArray sent;

    qint16 State() const override { return state; }
    void SetRemoteHost(const QString &host) override;
    void SetRemotePort(qint32 port) override;
    QString RemoteHostIP() const override { return QStringLiteral("192.0.2.7"); }
    qint32 RemotePort() const override { return 4242; }
    void SetLocalPort(qint32 port) override;
    void Connect() override;
    void Listen() override;
    void Accept(qint32 requestID) override;
    void Close() override;
    void SendData(const QString &text) override;
    QString GetData() override;

    void raiseConnected(qint16 newState = sckConnected);
    void raiseClosed(qint16 newState = sckClosing);
    void raiseData(const QString &text);
    void raiseError(qint16 number, const QString &description, qint16 newState = sckError);
    void raiseConnectionRequest(qint32 requestID);
};
