#include "components/TcpStreamSocket.h"

#include "components/CodePage.h"
#include "components/ComponentError.h"

#include <QCoreApplication>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// How long a closed connection may go on sending what was queued before it.
constexpr int lingerMilliseconds = 10000;
// The most one DataArrival event hands over, so that a flooding peer cannot
// hold up the program with one huge piece of text.
constexpr qint64 largestArrival = 64 * 1024;

struct SocketErrorText
{
    qint16 number;
    const char *description;
};

SocketErrorText errorText(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return {10061, "Connection refused"};
    case QAbstractSocket::HostNotFoundError:
        return {11001, "Host not found"};
    case QAbstractSocket::SocketTimeoutError:
        return {10060, "Connection timed out"};
    case QAbstractSocket::AddressInUseError:
        return {10048, "Address already in use"};
    case QAbstractSocket::SocketAddressNotAvailableError:
        return {10049, "Address not available on this computer"};
    case QAbstractSocket::SocketAccessError:
        return {10013, "Permission denied"};
    case QAbstractSocket::SocketResourceError:
        return {10055, "No buffer space available"};
    case QAbstractSocket::NetworkError:
        return {10050, "Network is down or unreachable"};
    case QAbstractSocket::UnsupportedSocketOperationError:
        return {10045, "Operation not supported"};
    default:
        return {10004, "Socket operation failed"};
    }
}

ComponentError listenError(const QTcpServer &server)
{
    const SocketErrorText text = errorText(server.serverError());
    return ComponentError(text.number, QString::fromLatin1(text.description));
}

quint16 checkedPort(qint32 port)
{
    if (port < 0 || port > 65535)
        throw ComponentError(ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    return static_cast<quint16>(port);
}

// Incoming connections offered to the program and not yet accepted, by request ID.
QHash<qint32, QPointer<QTcpSocket>> &pendingRequests()
{
    static QHash<qint32, QPointer<QTcpSocket>> requests;
    return requests;
}

qint32 nextRequestID()
{
    static qint32 lastID = 0;
    lastID = lastID == std::numeric_limits<qint32>::max() ? 1 : lastID + 1;
    return lastID;
}

// Lets a connection send what is still queued, then closes and frees it; at
// the latest when the application ends.
void closeGracefully(QTcpSocket *socket)
{
    socket->disconnect();
    socket->setParent(QCoreApplication::instance());
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    QTimer::singleShot(lingerMilliseconds, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
}

}  // namespace

TcpStreamSocket::~TcpStreamSocket()
{
    Close();
}

void TcpStreamSocket::SetRemoteHost(const QString &host) { m_remoteHost = host; }
void TcpStreamSocket::SetRemotePort(qint32 port) { m_remotePort = checkedPort(port); }
void TcpStreamSocket::SetLocalPort(qint32 port) { m_localPort = checkedPort(port); }

void TcpStreamSocket::requireClosed() const
{
    if (m_state != sckClosed)
        throw ComponentError(ErrorNumber::InvalidOperationAtState, QStringLiteral("Invalid operation at current state"));
}

void TcpStreamSocket::Connect()
{
    requireClosed();
    auto *socket = new QTcpSocket(this);
    adopt(socket);
    m_state = sckResolvingHost;
    socket->connectToHost(m_remoteHost, m_remotePort);
}

void TcpStreamSocket::Listen()
{
    requireClosed();
    auto *server = new QTcpServer(this);
    if (!server->listen(QHostAddress::Any, m_localPort)) {
        const ComponentError error = listenError(*server);
        delete server;
        throw error;
    }
    connect(server, &QTcpServer::newConnection, this, &TcpStreamSocket::onNewConnection);
    connect(server, &QTcpServer::acceptError, this, &TcpStreamSocket::onAcceptError);
    m_server = server;
    m_state = sckListening;
}

void TcpStreamSocket::Accept(qint32 requestID)
{
    requireClosed();
    QPointer<QTcpSocket> socket = pendingRequests().take(requestID);
    if (!socket)
        throw ComponentError(ErrorNumber::InvalidArgument, QStringLiteral("No connection request with that ID"));
    socket->setParent(this);
    adopt(socket);
    m_state = sckConnected;
    // What arrived, or a close by the peer, while the request waited has raised
    // no event yet: raise it as soon as the caller is done.
    QTimer::singleShot(0, this, [this, socket] {
        if (socket != m_socket)
            return;
        if (socket->bytesAvailable() > 0)
            onReadyRead();
        if (socket->state() == QAbstractSocket::UnconnectedState)
            onDisconnected();
    });
}

void TcpStreamSocket::Close()
{
    if (m_socket)
        closeGracefully(m_socket);
    if (m_server) {
        m_server->disconnect(this);
        m_server->close();
        m_server->deleteLater();
    }
    m_socket = nullptr;
    m_server = nullptr;
    m_state = sckClosed;
}

void TcpStreamSocket::SendData(const QString &text)
{
    if (m_state != sckConnected || !m_socket)
        throw ComponentError(ErrorNumber::WrongProtocolOrState,
                             QStringLiteral("Wrong protocol or connection state for the requested transaction or request"));
    m_socket->write(CodePage::encode(text));
    m_socket->flush();  // on its way at once, not at the next turn of the event loop
}

QString TcpStreamSocket::GetData()
{
    return m_socket ? CodePage::decode(m_socket->readAll()) : QString();
}

quint16 TcpStreamSocket::BoundPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

void TcpStreamSocket::adopt(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setReadBufferSize(largestArrival);
    connect(socket, &QAbstractSocket::stateChanged, this, &TcpStreamSocket::onSocketStateChanged);
    connect(socket, &QAbstractSocket::connected, this, &TcpStreamSocket::onConnected);
    connect(socket, &QIODevice::readyRead, this, &TcpStreamSocket::onReadyRead);
    connect(socket, &QAbstractSocket::disconnected, this, &TcpStreamSocket::onDisconnected);
    connect(socket, &QAbstractSocket::errorOccurred, this, &TcpStreamSocket::onSocketError);
}

void TcpStreamSocket::onSocketStateChanged()
{
    if (m_socket->state() == QAbstractSocket::HostLookupState)
        m_state = sckResolvingHost;
    else if (m_socket->state() == QAbstractSocket::ConnectingState)
        m_state = sckConnecting;
}

void TcpStreamSocket::onConnected()
{
    m_state = sckConnected;
    emit Connected();
}

void TcpStreamSocket::onReadyRead()
{
    if (m_socket->bytesAvailable() > 0)
        emit DataArrival(static_cast<qint32>(qMin<qint64>(m_socket->bytesAvailable(), std::numeric_limits<qint32>::max())));
}

void TcpStreamSocket::onDisconnected()
{
    if (m_state != sckConnected)
        return;
    m_state = sckClosing;
    emit Closed();
}

void TcpStreamSocket::onSocketError()
{
    // A peer that closes or resets the connection ends it as a close, not as an error.
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError || m_state == sckClosing)
        return;
    const SocketErrorText text = errorText(m_socket->error());
    m_state = sckError;
    RaiseError(text.number, QString::fromLatin1(text.description));
}

void TcpStreamSocket::onNewConnection()
{
    // A handler may close the listener, or end the window, while it runs.
    const QPointer<TcpStreamSocket> self(this);
    while (self && m_server && m_server->hasPendingConnections())
        offerRequest(m_server->nextPendingConnection());
}

// Raises ConnectionRequest for one incoming connection; one that no handler
// accepted is closed, never leaked.
void TcpStreamSocket::offerRequest(QTcpSocket *socket)
{
    socket->setParent(this);
    const qint32 requestID = nextRequestID();
    pendingRequests().insert(requestID, socket);
    emit ConnectionRequest(requestID);
    const QPointer<QTcpSocket> unaccepted = pendingRequests().take(requestID);
    if (unaccepted) {
        unaccepted->abort();
        unaccepted->deleteLater();
    }
}

void TcpStreamSocket::onAcceptError()
{
    const SocketErrorText text = errorText(m_server->serverError());
    m_state = sckError;
    RaiseError(text.number, QString::fromLatin1(text.description));
}
