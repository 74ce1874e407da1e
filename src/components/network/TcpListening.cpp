// A TcpStreamSocket that listens: it offers each incoming connection as a
// request, which any socket of the process may Accept by its ID.

#include "components/network/TcpStreamSocket.h"

#include "components/core/ComponentError.h"
#include "components/core/Diagnostics.h"
#include "components/network/Linger.h"
#include "components/network/SocketErrors.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

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

}  // namespace

void TcpStreamSocket::Listen()
{
    requireClosed();
    auto *server = new QTcpServer(this);
    if (!server->listen(QHostAddress::Any, m_localPort)) {
        const SocketErrorText text = SocketErrors::text(SocketErrors::numberOf(server->serverError()));
        qCDebug(lcNetwork) << "listening on port" << m_localPort << "failed:" << server->errorString();
        delete server;
        throw ComponentError(text.number, QString::fromLatin1(text.description));
    }
    connect(server, &QTcpServer::newConnection, this, &TcpStreamSocket::onNewConnection);
    connect(server, &QTcpServer::acceptError, this, &TcpStreamSocket::onAcceptError);
    m_server = server;
    m_state = sckListening;
    listeningSockets().append(this);
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

// Requests this listener offered and nobody accepted yet go with it: no
// handler may accept one after the user stopped listening.
void TcpStreamSocket::stopListening()
{
    if (!m_server)
        return;
    listeningSockets().removeAll(this);
    for (const QPointer<QTcpSocket> &request : std::as_const(m_requests)) {
        if (request)
            discard(request);
    }
    m_requests.clear();
    m_server->disconnect(this);
    m_server->close();
    m_server->deleteLater();
    m_server = nullptr;
}

void TcpStreamSocket::onNewConnection()
{
    // A handler may close the listener, or end the window, while it runs.
    const QPointer<TcpStreamSocket> self(this);
    while (self && m_server && m_server->hasPendingConnections())
        beginConnection(m_server->nextPendingConnection(), &TcpStreamSocket::offerRequest);
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

void TcpStreamSocket::onAcceptError()
{
    raiseError(SocketErrors::numberOf(m_server->serverError()));
}
