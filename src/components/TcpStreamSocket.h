#pragma once

#include "components/StreamSocket.h"

#include <QPointer>
#include <chrono>

class QTcpServer;
class QTcpSocket;

// The stream socket over QTcpSocket and QTcpServer. One object can dial out,
// listen, or carry a connection accepted from any listener of the process.
class TcpStreamSocket : public StreamSocket
{
    Q_OBJECT

public:
    // A closed connection may go on sending what was queued for the linger time.
    explicit TcpStreamSocket(std::chrono::milliseconds linger = std::chrono::seconds(10));
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

private:
    void requireClosed() const;
    void adopt(QTcpSocket *socket);
    template <typename Signal>
    void relayLater(QTcpSocket *socket, Signal signal, void (TcpStreamSocket::*handler)());
    void onSocketStateChanged();
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    void onNewConnection();
    void onAcceptError();
    void offerRequest(QTcpSocket *socket);
    void abandonRequests();

    const std::chrono::milliseconds m_linger;
    QString m_remoteHost;
    quint16 m_remotePort = 0;
    quint16 m_localPort = 0;
    qint16 m_state = sckClosed;
    QPointer<QTcpSocket> m_socket;
    QPointer<QTcpServer> m_server;
};
