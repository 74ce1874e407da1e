#include "components/network/TcpStreamSocket.h"

#include "components/text/CodePage.h"
#include "components/core/ComponentError.h"

#include <QCoreApplication>
#include <QEventLoopLocker>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

// A peer that vanishes without a word (cable pulled, laptop closed) while
// nothing is being sent is given up within about two minutes: after a minute
// of silence, six probes ten seconds apart go unanswered. A live peer sees
// nothing of this.
constexpr int keepAliveIdleSeconds = 60;
constexpr int keepAliveIntervalSeconds = 10;
constexpr int keepAliveProbes = 6;

// The conventional number and description of a failure the system reports
// by its error number.
SocketErrorText errorText(int systemError)
{
    switch (systemError) {
    case ECONNREFUSED:
        return {10061, "Connection refused"};
    case ETIMEDOUT:
        return {10060, "Connection timed out"};
    case ECONNRESET:
        return {10054, "Connection reset by peer"};
    case ENETUNREACH:
        return {10051, "Network is unreachable"};
    case EHOSTUNREACH:
        return {10065, "No route to host"};
    case ENETDOWN:
        return {10050, "Network is down"};
    case EADDRINUSE:
        return {10048, "Address already in use"};
    case EADDRNOTAVAIL:
        return {10049, "Address not available on this computer"};
    case EACCES:
    case EPERM:
        return {10013, "Permission denied"};
    case ENOBUFS:
    case ENOMEM:
    case EMFILE:
    case ENFILE:
        return {10055, "No buffer space available"};
    case EAFNOSUPPORT:
    case EOPNOTSUPP:
        return {10045, "Operation not supported"};
    case EINVAL:
        return {10022, "Invalid argument"};
    default:
        return {10004, "Socket operation failed"};
    }
}

// The system's error number behind a failure Qt reports by its kind.
int systemErrorOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::AddressInUseError:
        return EADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SocketResourceError:
        return ENOBUFS;
    case QAbstractSocket::NetworkError:
        return ENETDOWN;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return EOPNOTSUPP;
    default:
        return 0;
    }
}

ComponentError listenError(const QTcpServer &server)
{
    const SocketErrorText text = errorText(systemErrorOf(server.serverError()));
    return ComponentError(text.number, QString::fromLatin1(text.description));
}

quint16 checkedPort(qint32 port, qint32 lowest)
{
    if (port < lowest || port > 65535)
        throw ComponentError(ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    return static_cast<quint16>(port);
}

// The sockets that listen: Accept finds a request among theirs.
QList<TcpStreamSocket *> &listeningSockets()
{
    static QList<TcpStreamSocket *> listening;
    return listening;
}

qint32 nextRequestID()
{
    static qint32 lastID = 0;
    lastID = lastID == std::numeric_limits<qint32>::max() ? 1 : lastID + 1;
    return lastID;
}

void setOption(QTcpSocket *socket, int level, int name, int value)
{
    ::setsockopt(static_cast<int>(socket->socketDescriptor()), level, name, &value, sizeof value);
}

void watchForVanishedPeer(QTcpSocket *socket)
{
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    setOption(socket, IPPROTO_TCP, TCP_KEEPIDLE, keepAliveIdleSeconds);
    setOption(socket, IPPROTO_TCP, TCP_KEEPINTVL, keepAliveIntervalSeconds);
    setOption(socket, IPPROTO_TCP, TCP_KEEPCNT, keepAliveProbes);
}

// True when data is on its way, has been sent again, and nothing at all has
// come back for `limit`. A peer that does not read shuts its window instead:
// then nothing is on its way, and the connection stays, however long.
bool peerSilentWhileAsked(QTcpSocket *socket, std::chrono::milliseconds limit)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(static_cast<int>(socket->socketDescriptor()), IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return false;
    const bool asked = info.tcpi_unacked > 0 && info.tcpi_retransmits > 0;
    return asked && info.tcpi_last_ack_recv > limit.count();
}

// Ends a connection at once. If it still had data to send, the peer is sent a
// reset: an orderly close would pass the cut-off text off as complete.
void discard(QTcpSocket *socket)
{
    if (socket->bytesToWrite() > 0 && socket->socketDescriptor() != -1) {
        const linger resetOnClose{1, 0};
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetOnClose,
                     sizeof resetOnClose);
    }
    socket->abort();
    socket->deleteLater();
}

// Lets a connection send what is still queued, then closes and frees it; at
// the latest after the linger time. The program does not end before: its last
// window may be gone while the peer still reads. A dial still resolving or
// connecting ends at once: nothing of it may reach the far side.
void closeGracefully(QTcpSocket *socket, std::chrono::milliseconds linger)
{
    socket->disconnect();
    socket->setParent(QCoreApplication::instance());
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    QTimer::singleShot(linger, socket, [socket] { discard(socket); });
    auto *keepsProgramRunning = new QEventLoopLocker;
    QObject::connect(socket, &QObject::destroyed, [keepsProgramRunning] { delete keepsProgramRunning; });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, socket,
                     [socket] { discard(socket); });
}

}  // namespace

TcpStreamSocket::TcpStreamSocket(SocketLimits limits)
    : m_limits(std::move(limits))
    , m_sending(largestArrival, [this](const PartsPerTurn::Part &part) { write(part); }, this)
{
}

TcpStreamSocket::~TcpStreamSocket()
{
    Close();
}

void TcpStreamSocket::SetRemoteHost(const QString &host) { m_remoteHost = host; }
void TcpStreamSocket::SetRemotePort(qint32 port) { m_remotePort = checkedPort(port, 0); }
void TcpStreamSocket::SetLocalPort(qint32 port) { m_localPort = checkedPort(port, m_limits.lowestLocalPort); }

void TcpStreamSocket::requireClosed() const
{
    if (m_state != sckClosed)
        throw ComponentError(ErrorNumber::InvalidOperationAtState, QStringLiteral("Invalid operation at current state"));
}

void TcpStreamSocket::Connect()
{
    requireClosed();
    auto *race = new AddressRace(m_remoteHost, m_remotePort, m_limits.nextAddressDelay, m_limits.dialTimeout,
                                 m_limits.lookup, this);
    connect(race, &AddressRace::resolved, this, [this] { m_state = sckConnecting; });
    connect(race, &AddressRace::won, this, &TcpStreamSocket::onRaceWon);
    connect(race, &AddressRace::notFound, this, [this] {
        m_race->deleteLater();
        raiseError({11001, "Host not found"});
    });
    connect(race, &AddressRace::lost, this, [this](int systemError) {
        m_race->deleteLater();
        raiseError(errorText(systemError));
    });
    m_race = race;
    m_state = sckResolvingHost;
    race->start();
}

void TcpStreamSocket::onRaceWon(QTcpSocket *socket)
{
    m_race->deleteLater();
    takeConnection(socket);
    emit Connected();
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
    listeningSockets().append(this);
}

quint16 TcpStreamSocket::ListeningPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

void TcpStreamSocket::Accept(qint32 requestID)
{
    requireClosed();
    QPointer<QTcpSocket> socket;
    for (TcpStreamSocket *listener : std::as_const(listeningSockets())) {
        if ((socket = listener->m_requests.take(requestID)))
            break;
    }
    if (!socket)
        throw ComponentError(ErrorNumber::InvalidArgument, QStringLiteral("No connection request with that ID"));
    takeConnection(socket);
}

// The connection, dialled out or accepted, is this socket's from now on.
void TcpStreamSocket::takeConnection(QTcpSocket *socket)
{
    socket->setParent(this);
    m_socket = socket;
    // A listener for both kinds of address sees an IPv4 peer as ::ffff:a.b.c.d.
    bool isIPv4 = false;
    const quint32 ipv4 = socket->peerAddress().toIPv4Address(&isIPv4);
    m_peerAddress = isIPv4 ? QHostAddress(ipv4).toString() : socket->peerAddress().toString();
    m_peerPort = socket->peerPort();
    socket->setReadBufferSize(largestArrival);
    connect(socket, &QIODevice::readyRead, this, &TcpStreamSocket::onReadyRead);
    relayLater(socket, &QAbstractSocket::disconnected, &TcpStreamSocket::onDisconnected);
    relayLater(socket, &QAbstractSocket::errorOccurred, &TcpStreamSocket::onSocketError);
    watchForVanishedPeer(socket);
    watchForDeadPeer();
    m_state = sckConnected;
    raiseWhatWaited(socket);
}

// What arrived, or a close by the peer, before the connection was this
// socket's has raised no event yet: raise it as soon as the caller is done.
void TcpStreamSocket::raiseWhatWaited(QTcpSocket *socket)
{
    QTimer::singleShot(0, this, [this, socket = QPointer<QTcpSocket>(socket)] {
        if (!socket || socket != m_socket)
            return;
        if (socket->bytesAvailable() > 0)
            onReadyRead();
        if (socket->state() == QAbstractSocket::UnconnectedState)
            onDisconnected();
    });
}

void TcpStreamSocket::Close()
{
    // Deleted at once, so that no address still being dialled reaches the far side.
    delete m_race;
    m_sending.finish();  // all that was sent goes out before the close
    if (m_socket)
        closeGracefully(m_socket, m_limits.linger);
    if (m_server) {
        listeningSockets().removeAll(this);
        abandonRequests();
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
    if (m_socket->bytesToWrite() + m_sending.waitingCharacters() + text.size() > m_limits.sendQueueLimit)
        throw ComponentError(10055, QStringLiteral("No buffer space available"));
    m_sending.enqueue(text);
}

// Encodes and writes a part of a text sent, each text on its own as if it
// were sent alone; what a connection that has gone could not take is dropped.
void TcpStreamSocket::write(const PartsPerTurn::Part &part)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_sending.clear();
        return;
    }
    m_socket->write(CodePage::encode(part.characters()));
    m_socket->flush();  // on its way at once, not at the next turn of the event loop
}

QString TcpStreamSocket::GetData()
{
    return m_socket ? CodePage::decode(m_socket->readAll()) : QString();
}

// Qt may report a connection's outcome inside the call that caused it (an
// address that fails inside connectToHost, a reset peer inside a write). The
// events are raised from the event loop instead, after the caller is done,
// and only while the connection is still this socket's.
template <typename Signal>
void TcpStreamSocket::relayLater(QTcpSocket *socket, Signal signal, void (TcpStreamSocket::*handler)())
{
    const QPointer<QTcpSocket> source(socket);
    connect(
        socket, signal, this,
        [this, source, handler] {
            if (source && source == m_socket)
                (this->*handler)();
        },
        Qt::QueuedConnection);
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
    raiseError(errorText(systemErrorOf(m_socket->error())));
}

void TcpStreamSocket::raiseError(const SocketErrorText &text)
{
    m_state = sckError;
    RaiseError(text.number, QString::fromLatin1(text.description));
}

// Data the peer never acknowledges: the system alone would retry for a
// quarter of an hour, far longer than a user waits.
void TcpStreamSocket::watchForDeadPeer()
{
    auto *watch = new QTimer(m_socket);
    watch->start(m_limits.deadPeerTime / 6);
    connect(watch, &QTimer::timeout, this, [this, watch, socket = m_socket.data()] {
        if (socket != m_socket || m_state != sckConnected) {
            watch->stop();
        } else if (peerSilentWhileAsked(socket, m_limits.deadPeerTime)) {
            watch->stop();
            raiseError(errorText(ETIMEDOUT));
        }
    });
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
    m_requests.insert(requestID, socket);
    const QPointer<TcpStreamSocket> self(this);
    emit ConnectionRequest(requestID);
    if (!self)
        return;  // its requests went with it
    if (const QPointer<QTcpSocket> unaccepted = m_requests.take(requestID)) {
        unaccepted->abort();
        unaccepted->deleteLater();
    }
}

// Requests this listener offered and nobody accepted yet go with it: no
// handler may accept one after the user stopped listening.
void TcpStreamSocket::abandonRequests()
{
    for (const QPointer<QTcpSocket> &request : std::as_const(m_requests)) {
        if (request)
            discard(request);
    }
    m_requests.clear();
}

void TcpStreamSocket::onAcceptError()
{
    raiseError(errorText(systemErrorOf(m_server->serverError())));
}
