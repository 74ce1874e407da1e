#include "components/network/TcpStreamSocket.h"

#include "components/core/ComponentError.h"
#include "components/core/Diagnostics.h"
#include "components/network/Linger.h"
#include "components/network/SocketErrors.h"
#include "components/network/SystemSocket.h"
#include "components/text/CodePage.h"

#include <QTcpSocket>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

// A peer that vanishes without a word (cable pulled, laptop closed) while
// nothing is being sent is given up within about two minutes: after a minute
// of silence, six probes ten seconds apart go unanswered. A live peer sees
// nothing of this.
constexpr std::chrono::seconds keepAliveIdle = 60s;
constexpr std::chrono::seconds keepAliveInterval = 10s;
constexpr int keepAliveProbes = 6;

quint16 checkedPort(qint32 port, qint32 lowest)
{
    if (port < lowest || port > 65535)
        throw ComponentError(ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    return static_cast<quint16>(port);
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
// Port 0 would listen on a port the system picks, where nobody knows to connect.
void TcpStreamSocket::SetLocalPort(qint32 port) { m_localPort = checkedPort(port, 1); }

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
    connect(race, &AddressRace::won, this, [this](QTcpSocket *socket) {
        m_race->deleteLater();
        beginConnection(socket, &TcpStreamSocket::onDialled);
    });
    connect(race, &AddressRace::notFound, this, [this] {
        m_race->deleteLater();
        raiseError(SocketErrors::hostNotFound);
    });
    connect(race, &AddressRace::lost, this, [this](int errorNumber) {
        m_race->deleteLater();
        raiseError(errorNumber);
    });
    m_race = race;
    m_state = sckResolvingHost;
    race->start();
}

// The one road by which every connection begins, dialled or accepted: what a
// connection needs before it counts (and a handshake, were there one) is
// done here, then `begun` takes it on.
void TcpStreamSocket::beginConnection(QTcpSocket *socket, Begun begun)
{
    socket->setReadBufferSize(largestArrival);
    SystemSocket::keepAlive(socket->socketDescriptor(), keepAliveIdle, keepAliveInterval, keepAliveProbes);
    qCDebug(lcNetwork) << "connection with" << socket->peerAddress() << socket->peerPort();
    (this->*begun)(socket);
}

void TcpStreamSocket::onDialled(QTcpSocket *socket)
{
    takeConnection(socket);
    emit Connected();
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
    connect(socket, &QIODevice::readyRead, this, &TcpStreamSocket::onReadyRead);
    relayLater(socket, &QAbstractSocket::disconnected, &TcpStreamSocket::onDisconnected);
    relayLater(socket, &QAbstractSocket::errorOccurred, &TcpStreamSocket::onSocketError);
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
    stopListening();
    m_socket = nullptr;
    m_state = sckClosed;
}

void TcpStreamSocket::SendData(const QString &text)
{
    if (m_state != sckConnected || !m_socket)
        throw ComponentError(ErrorNumber::WrongProtocolOrState,
                             QStringLiteral("Wrong protocol or connection state for the requested transaction or request"));
    if (m_socket->bytesToWrite() + m_sending.waitingCharacters() + text.size() > m_limits.sendQueueLimit) {
        const SocketErrorText full = SocketErrors::text(SocketErrors::noBufferSpace);
        throw ComponentError(full.number, QString::fromLatin1(full.description));
    }
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
    raiseError(SocketErrors::numberOf(m_socket->error()));
}

void TcpStreamSocket::raiseError(int errorNumber)
{
    const SocketErrorText known = SocketErrors::text(errorNumber);
    const QString systemDescription = known.number == errorNumber ? QString() : SystemSocket::errorDescription(errorNumber);
    const qint16 number = systemDescription.isEmpty() ? known.number : qint16(errorNumber);
    const QString description = systemDescription.isEmpty() ? QString::fromLatin1(known.description) : systemDescription;
    qCDebug(lcNetwork) << objectName() << "failed:" << number << description;
    m_state = sckError;
    RaiseError(number, description);
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
        } else if (SystemSocket::peerSilentWhileAsked(socket->socketDescriptor(), m_limits.deadPeerTime)) {
            watch->stop();
            raiseError(SocketErrors::timedOut);
        }
    });
}
