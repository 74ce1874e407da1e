#pragma once

#include "components/StreamSocket.h"

#include <QPointer>

class QTcpServer;
class QTcpSocket;

// The stream socket over QTcpSocket and QTcpServer. One object can dial out,
// listen, or carry a connection accepted from any listener of the process.
class TcpStreamSocket : public StreamSocket
{
    Q_OBJECT

public:
    using StreamSocket::StreamSocket;
    ~TcpStreamSocket() override;

    qint16 State() const override { return m_state; }
    void SetRemoteHost(const QString &host) override;
    void SetRemotePort(qint32 port) override;
    void SetLocalPort(qint32 port) override;
    void Connect() override;
    void Listen() override;
    void Accept(qint32 requestID) override;
    void Close() override;
    void SendData(const QString &text) override;
    QString GetData() override;

    // Which port the listener is bound to, for callers that listened on port 0.
    quint16 BoundPort() const;

private:
    void requireClosed() const;
    void adopt(QTcpSocket *socket);
    void onSocketStateChanged();
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    void onNewConnection();
    void onAcceptError();
    void offerRequest(QTcpSocket *socket);

    QString m_remoteHost;
    quint16 m_remotePort = 0;
    quint16 m_localPort = 0;
    qint16 m_state = sckClosed;
    QPointer<QTcpSocket> m_socket;
    QPointer<QTcpServer> m_server;
};
