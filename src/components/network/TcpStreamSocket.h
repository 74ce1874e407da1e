#pragma once

#include "components/network/AddressRace.h"
#include "components/network/StreamSocket.h"
#include "components/text/PartsPerTurn.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <chrono>

class QTcpServer;
class QTcpSocket;

// What a connection may take, and how long it waits.
struct SocketLimits
{
    // A closed connection may go on sending what was queued for this long.
    std::chrono::milliseconds linger = std::chrono::seconds(10);
    // How long one address of a host may go unanswered before the next is dialled too.
    std::chrono::milliseconds nextAddressDelay = std::chrono::milliseconds(250);
    // An address that has not answered for this long has failed.
    std::chrono::milliseconds dialTimeout = std::chrono::seconds(30);
    // A peer that acknowledges nothing of what was sent for this long is
    // gone. A peer that is slow to read still answers, and stays.
    std::chrono::milliseconds deadPeerTime = std::chrono::minutes(3);
    // The most bytes queued for a peer that does not read; a send past it fails.
    qint64 sendQueueLimit = 32 * 1024 * 1024;
    HostLookup lookup = systemHostLookup;
};

// The stream socket over QTcpSocket and QTcpServer. One object can dial out,
// listen, or carry a connection accepted from any listener of the process.
// TcpStreamSocket.cpp carries a connection; TcpListening.cpp listens and
// hands the requests on.
class TcpStreamSocket : public StreamSocket
{
    Q_OBJECT

public:
    explicit TcpStreamSocket(SocketLimits limits = {});
    ~TcpStreamSocket() override;

    qint16 State() const override { return m_state; }
    void SetRemoteHost(const QString &host) override;
    void SetRemotePort(qint32 port) override;
    QString RemoteHostIP() const override { return m_peerAddress; }
    qint32 RemotePort() const override { return m_peerPort; }
    void SetLocalPort(qint32 port) override;
    void Connect() override;
    void Listen() override;
    void Accept(qint32 requestID) override;
    void Close() override;
    void SendData(const QString &text) override;
    QString GetData() override;

private:
    using Begun = void (TcpStreamSocket::*)(QTcpSocket *socket);

    void requireClosed() const;
    void beginConnection(QTcpSocket *socket, Begun begun);
    void takeConnection(QTcpSocket *socket);
    template <typename Signal>
    void relayLater(QTcpSocket *socket, Signal signal, void (TcpStreamSocket::*handler)());
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    void stopListening();
    void onNewConnection();
    void onAcceptError();
    void offerRequest(QTcpSocket *socket);
    void raiseWhatWaited(QTcpSocket *socket);
    void onDialled(QTcpSocket *socket);
    void watchForDeadPeer();
    void raiseError(int errorNumber);
    void write(const PartsPerTurn::Part &part);

    const SocketLimits m_limits;
    QString m_remoteHost;
    quint16 m_remotePort = 0;
    quint16 m_localPort = 0;
    QString m_peerAddress;
    quint16 m_peerPort = 0;
    qint16 m_state = sckClosed;
    QPointer<QTcpSocket> m_socket;
    QPointer<QTcpServer> m_server;
    QPointer<AddressRace> m_race;
    // Incoming connections this listener offered and nobody accepted yet, by request ID.
    QHash<qint32, QPointer<QTcpSocket>> m_requests;
    // Text sent but not yet handed to the connection: a big send goes out a
    // part each turn of the event loop.
    PartsPerTurn m_sending;
};
