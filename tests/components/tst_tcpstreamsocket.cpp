// The TCP stream socket against raw loopback peers.
#include "components/ComponentError.h"
#include "components/TcpStreamSocket.h"
#include "FreePort.h"
#include "MessageBoxes.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct ErrorSeen
{
    qint16 number = 0;
    QString description;
};

// Records the Error events of a socket and keeps the socket's own message box away.
ErrorSeen *watchErrors(StreamSocket &socket)
{
    auto *seen = new ErrorSeen;
    QObject::connect(&socket, &StreamSocket::Error, &socket,
                     [seen](qint16 number, QString &description, qint32, const QString &, const QString &, qint32,
                            bool &cancelDisplay) {
                         seen->number = number;
                         seen->description = description;
                         cancelDisplay = true;
                     });
    QObject::connect(&socket, &QObject::destroyed, [seen] { delete seen; });
    return seen;
}

// Dials a raw peer listening on loopback; returns the peer's end once both are connected.
QTcpSocket *dial(TcpStreamSocket &socket, QTcpServer &peer)
{
    socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
    socket.SetRemotePort(peer.serverPort());
    socket.Connect();
    if (!QTest::qWaitFor([&] { return peer.hasPendingConnections() && socket.State() == StreamSocket::sckConnected; }))
        return nullptr;
    return peer.nextPendingConnection();
}

// The open descriptor of this process that joins the two loopback ports.
int descriptorBetween(quint16 localPort, quint16 peerPort)
{
    // The port stands at the same place in IPv4 and IPv6 addresses.
    const auto port = [](const sockaddr_storage &address) {
        return ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    };
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_storage local{}, peer{};
        socklen_t size = sizeof local;
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &size) != 0
            || (local.ss_family != AF_INET && local.ss_family != AF_INET6))
            continue;
        size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &size) == 0 && port(local) == localPort
            && port(peer) == peerPort)
            return fd;
    }
    return -1;
}

int option(int fd, int level, int name)
{
    int value = -1;
    socklen_t size = sizeof value;
    ::getsockopt(fd, level, name, &value, &size);
    return value;
}

// The keepalive and unacknowledged-data limits of a conversation socket.
QList<int> vanishedPeerLimits(int fd)
{
    return {option(fd, SOL_SOCKET, SO_KEEPALIVE), option(fd, IPPROTO_TCP, TCP_KEEPIDLE),
            option(fd, IPPROTO_TCP, TCP_KEEPINTVL), option(fd, IPPROTO_TCP, TCP_KEEPCNT),
            option(fd, IPPROTO_TCP, TCP_USER_TIMEOUT)};
}

int tcpState(int fd)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size);
    return info.tcpi_state;
}

// Starts listening on a free port of 127.0.0.1; the listener's requests are
// accepted on the other socket. Returns the port.
quint16 listenAndAcceptOn(TcpStreamSocket &listener, TcpStreamSocket &data)
{
    const quint16 port = freePort();
    listener.SetLocalPort(port);
    listener.Listen();
    QObject::connect(&listener, &StreamSocket::ConnectionRequest, &data, [&data](qint32 requestID) { data.Accept(requestID); });
    return port;
}

}  // namespace

class tst_TcpStreamSocket : public QObject
{
    Q_OBJECT

private slots:
    void connectsSendsAndReceives()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket socket;
        QSignalSpy connected(&socket, &StreamSocket::Connected);
        socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
        socket.SetRemotePort(peer.serverPort());
        socket.Connect();
        QVERIFY(socket.State() == StreamSocket::sckResolvingHost || socket.State() == StreamSocket::sckConnecting);
        QVERIFY(connected.wait());
        QCOMPARE(socket.State(), StreamSocket::sckConnected);
        QTRY_VERIFY(peer.hasPendingConnections());
        QTcpSocket *raw = peer.nextPendingConnection();

        socket.SendData(QStringLiteral("café €5"));
        QTRY_COMPARE(raw->bytesAvailable(), 7);
        QCOMPARE(raw->readAll(), QByteArray("\x63\x61\x66\xE9\x20\x80\x35"));

        QSignalSpy arrived(&socket, &StreamSocket::DataArrival);
        raw->write("\x93hi\x94");
        QVERIFY(arrived.wait());
        QCOMPARE(arrived.first().first().toInt(), 4);
        QCOMPARE(socket.GetData(), QStringLiteral("\u201Chi\u201D"));
    }

    void peerCloseGivesStateEightAndTheCloseEvent()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket socket;
        const ErrorSeen *errors = watchErrors(socket);
        QTcpSocket *raw = dial(socket, peer);
        QVERIFY(raw);

        QSignalSpy closed(&socket, &StreamSocket::Closed);
        raw->write("last words");
        raw->disconnectFromHost();
        QVERIFY(closed.wait());
        QCOMPARE(socket.State(), StreamSocket::sckClosing);
        QCOMPARE(errors->number, 0);
        QCOMPARE(socket.GetData(), QStringLiteral("last words"));
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.SendData(QStringLiteral("x")));
        socket.Close();
        QCOMPARE(socket.State(), StreamSocket::sckClosed);
    }

    void refusedConnectRaisesTheErrorEvent()
    {
        TcpStreamSocket socket;
        const ErrorSeen *errors = watchErrors(socket);
        QSignalSpy connected(&socket, &StreamSocket::Connected);
        socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
        socket.SetRemotePort(freePort());
        socket.Connect();
        QTRY_COMPARE(errors->number, 10061);
        QVERIFY(errors->description.contains(QStringLiteral("refused")));
        QCOMPARE(socket.State(), StreamSocket::sckError);
        QCOMPARE(connected.count(), 0);
        socket.Close();
        QCOMPARE(socket.State(), StreamSocket::sckClosed);
    }

    void unhandledErrorIsShownByTheSocketItself()
    {
        MessageBoxes boxes;
        TcpStreamSocket socket;
        socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
        socket.SetRemotePort(freePort());
        socket.Connect();
        QTRY_COMPARE(boxes.seen.size(), 1);
        QVERIFY(boxes.seen[0].text.contains(QStringLiteral("refused")));
    }

    void callsThatCannotBeCarriedOutThrowAtOnce()
    {
        TcpStreamSocket socket;
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.SendData(QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.SetRemotePort(-1));
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.SetRemotePort(65536));
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.SetLocalPort(70000));
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.SetLocalPort(0));  // a port nobody would know
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.Accept(123456));

        QTcpServer occupier;
        QVERIFY(occupier.listen(QHostAddress::Any, 0));
        socket.SetLocalPort(occupier.serverPort());
        try {
            socket.Listen();
            QFAIL("Listen on a port in use succeeded");
        } catch (const ComponentError &error) {
            QCOMPARE(error.Number, 10048);
        }
        QCOMPARE(socket.State(), StreamSocket::sckClosed);

        socket.SetLocalPort(freePort());
        socket.Listen();
        QCOMPARE(socket.State(), StreamSocket::sckListening);
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.Connect());
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.Listen());
    }

    void listenerHandsRequestsToTheSocketThatAccepts()
    {
        TcpStreamSocket listener;
        TcpStreamSocket data;
        const quint16 port = listenAndAcceptOn(listener, data);

        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, port);
        peer.write("early bytes");
        QSignalSpy arrived(&data, &StreamSocket::DataArrival);
        QTRY_COMPARE(data.State(), StreamSocket::sckConnected);
        QCOMPARE(listener.State(), StreamSocket::sckListening);
        if (arrived.isEmpty())
            QVERIFY(arrived.wait());
        QCOMPARE(data.GetData(), QStringLiteral("early bytes"));

        data.SendData(QStringLiteral("back"));
        QTRY_COMPARE(peer.bytesAvailable(), 4);
        QCOMPARE(peer.readAll(), QByteArray("back"));
    }

    void requestThatNobodyAcceptsIsClosed()
    {
        TcpStreamSocket listener;
        const quint16 port = freePort();
        listener.SetLocalPort(port);
        listener.Listen();
        QSignalSpy requests(&listener, &StreamSocket::ConnectionRequest);
        QTcpSocket peer;
        QSignalSpy dropped(&peer, &QTcpSocket::disconnected);
        peer.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(dropped.wait());
        QCOMPARE(requests.count(), 1);
        QCOMPARE(listener.State(), StreamSocket::sckListening);
    }

    void requestGoesWithTheListenerThatClosed()
    {
        TcpStreamSocket listener;
        TcpStreamSocket data;
        const quint16 port = freePort();
        listener.SetLocalPort(port);
        listener.Listen();
        bool refused = false;
        connect(&listener, &StreamSocket::ConnectionRequest, &data, [&](qint32 requestID) {
            listener.Close();
            try {
                data.Accept(requestID);
            } catch (const ComponentError &) {
                refused = true;
            }
        });
        QTcpSocket peer;
        QSignalSpy dropped(&peer, &QTcpSocket::disconnected);
        peer.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(dropped.wait());
        QVERIFY(refused);
        QCOMPARE(data.State(), StreamSocket::sckClosed);
    }

    void closeStopsListeningAndFreesThePort()
    {
        TcpStreamSocket listener;
        const quint16 port = freePort();
        listener.SetLocalPort(port);
        listener.Listen();
        listener.Close();
        QCOMPARE(listener.State(), StreamSocket::sckClosed);
        TcpStreamSocket again;
        again.SetLocalPort(port);
        again.Listen();
        QCOMPARE(again.State(), StreamSocket::sckListening);
    }

    void closeDeliversWhatWasQueued()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket socket;
        QTcpSocket *raw = dial(socket, peer);
        QVERIFY(raw);

        const QString big(4 * 1024 * 1024, u'x');
        socket.SendData(big);
        socket.Close();
        QCOMPARE(socket.State(), StreamSocket::sckClosed);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += raw->readAll(), received.size() == big.size()), 20000);
        QTRY_COMPARE(raw->state(), QAbstractSocket::UnconnectedState);
    }

    void outcomesArriveAfterTheCall()
    {
        // An address that fails inside the connect call itself.
        TcpStreamSocket unreachable;
        const ErrorSeen *errors = watchErrors(unreachable);
        unreachable.SetRemoteHost(QStringLiteral("255.255.255.255"));
        unreachable.SetRemotePort(5000);
        unreachable.Connect();
        QCOMPARE(errors->number, 0);
        QTRY_COMPARE(errors->number, 10051);
        QCOMPARE(errors->description, QStringLiteral("Network is unreachable"));
        QCOMPARE(unreachable.State(), StreamSocket::sckError);

        // A peer that has reset: the write inside SendData finds out.
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket socket;
        QTcpSocket *raw = dial(socket, peer);
        QVERIFY(raw);
        QSignalSpy closed(&socket, &StreamSocket::Closed);
        raw->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const linger resetOnClose{1, 0};
        ::setsockopt(int(raw->socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
        raw->abort();
        socket.SendData(QStringLiteral("into the void"));
        QCOMPARE(closed.count(), 0);
        QTRY_COMPARE(closed.count(), 1);
    }

    void closeWhileDiallingEndsTheAttempt()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket socket;
        socket.SetRemoteHost(QStringLiteral("localhost"));  // still resolving when closed
        socket.SetRemotePort(peer.serverPort());
        socket.Connect();
        socket.Close();
        // A later dial by name reaches the far side after anything the first could have sent.
        QTcpSocket later;
        later.connectToHost(QStringLiteral("localhost"), peer.serverPort());
        QList<QTcpSocket *> arrived;
        const auto laterArrived = [&] {
            while (peer.hasPendingConnections())
                arrived << peer.nextPendingConnection();
            return std::any_of(arrived.begin(), arrived.end(),
                               [&](QTcpSocket *one) { return one->peerPort() == later.localPort(); });
        };
        QTRY_VERIFY(laterArrived());
        QCOMPARE(arrived.size(), 1);
    }

    void conversationSocketsNoticeAVanishedPeer()
    {
        const QList<int> limits{1, 60, 10, 6, 60000};
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket dialled;
        QTcpSocket *raw = dial(dialled, peer);
        QVERIFY(raw);
        QCOMPARE(vanishedPeerLimits(descriptorBetween(raw->peerPort(), peer.serverPort())), limits);

        TcpStreamSocket listener;
        TcpStreamSocket accepted;
        const quint16 port = listenAndAcceptOn(listener, accepted);
        QTcpSocket caller;
        caller.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(accepted.State(), StreamSocket::sckConnected);
        QCOMPARE(vanishedPeerLimits(descriptorBetween(port, caller.localPort())), limits);
    }

    void queueThrownAwayAfterTheLingerResetsThePeer()
    {
        // A peer that takes nothing in: what is queued for it cannot leave.
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        const int small = 4096;
        ::setsockopt(server, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        QCOMPARE(::bind(server, reinterpret_cast<sockaddr *>(&address), size), 0);
        QCOMPARE(::listen(server, 1), 0);
        ::getsockname(server, reinterpret_cast<sockaddr *>(&address), &size);

        TcpStreamSocket socket(std::chrono::milliseconds(50));
        socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
        socket.SetRemotePort(ntohs(address.sin_port));
        socket.Connect();
        QTRY_COMPARE(socket.State(), StreamSocket::sckConnected);
        const int peer = ::accept(server, nullptr, nullptr);
        socket.SendData(QString(16 * 1024 * 1024, u'x'));
        socket.Close();
        QTRY_VERIFY(tcpState(peer) != TCP_ESTABLISHED);
        QCOMPARE(tcpState(peer), TCP_CLOSE);  // reset, not the orderly close of a message sent whole
        ::close(peer);
        ::close(server);
    }
};

QTEST_MAIN(tst_TcpStreamSocket)
#include "tst_tcpstreamsocket.moc"
