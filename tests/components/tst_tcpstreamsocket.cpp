// The TCP stream socket against raw loopback peers.
#include "Ports.h"
#include "Wine.h"
#include "components/core/ComponentError.h"
#include "components/network/SystemSocket.h"
#include "components/network/TcpStreamSocket.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_LINUX  // the cases that watch the connections as Linux shows them
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <atomic>
#include <thread>
#include <unistd.h>
#endif

namespace {

struct ErrorSeen
{
    qint16 number = 0;
    QString description;
};

// Records the Error events of a socket, and says they were shown.
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

// Starts listening on a port the system picks; the listener's requests are
// accepted on the other socket. Returns the port.
quint16 listenAndAcceptOn(AnyPortSocket &listener, TcpStreamSocket &data)
{
    const quint16 port = listenOnAnyPort(listener);
    QObject::connect(&listener, &StreamSocket::ConnectionRequest, &data, [&data](qint32 requestID) { data.Accept(requestID); });
    return port;
}

#ifdef Q_OS_LINUX
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

// A listening descriptor on `address` that the test drives by hand: one that
// takes little in, or whose full queue of one lets no further caller in.
int rawListener(const char *address, quint16 *port, int receiveBuffer = 0, int backlog = 1)
{
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer)
        ::setsockopt(server, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(*port);
    ::inet_pton(AF_INET, address, &bound.sin_addr);
    socklen_t size = sizeof bound;
    if (::bind(server, reinterpret_cast<sockaddr *>(&bound), size) != 0 || ::listen(server, backlog) != 0)
        return -1;
    ::getsockname(server, reinterpret_cast<sockaddr *>(&bound), &size);
    *port = ntohs(bound.sin_port);
    return server;
}

// Dials a raw listener; returns the peer's end once both are connected.
int dialRaw(TcpStreamSocket &socket, int server, quint16 port)
{
    socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
    socket.SetRemotePort(port);
    socket.Connect();
    return QTest::qWaitFor([&] { return socket.State() == StreamSocket::sckConnected; }) ? ::accept(server, nullptr, nullptr)
                                                                                          : -1;
}

// How many callers a listening descriptor holds for accept.
quint32 waitingToBeAccepted(int fd)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size);
    return info.tcpi_unacked;
}

// How many sockets of this process are still dialling.
int dialsInProgress()
{
    int dialling = 0;
    for (int fd = 0; fd < 1024; ++fd)
        dialling += tcpState(fd) == TCP_SYN_SENT;
    return dialling;
}
#endif

// A resolver that knows the given names, answering from the event loop.
HostLookup lookupOf(const QHash<QString, QList<QHostAddress>> &names)
{
    return [=](const QString &name, QObject *context, std::function<void(const QList<QHostAddress> &)> done) {
        QTimer::singleShot(0, context, [=] { done(names.value(name)); });
    };
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

        // A connection the socket has left raises nothing, though its end was on its way.
        raw = dial(socket, peer);
        QVERIFY(raw);
        QObject::connect(socket.findChild<QTcpSocket *>(), &QAbstractSocket::disconnected, [&] {
            socket.Close();
            socket.Connect();
        });
        raw->write("to nobody");
        raw->disconnectFromHost();
        QTRY_COMPARE(socket.State(), StreamSocket::sckConnected);
        QTest::qWait(0);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(errors->number, 0);
        QCOMPARE(socket.GetData(), QString());
    }

    void refusedConnectRaisesTheErrorEvent()
    {
        if (runsUnderWine())
            QSKIP(wineMissesRefusedDials);
        TcpStreamSocket socket;
        const ErrorSeen *errors = watchErrors(socket);
        QSignalSpy connected(&socket, &StreamSocket::Connected);
        const RefusingPort refusing;
        socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
        socket.SetRemotePort(refusing.port());
        socket.Connect();
        QTRY_COMPARE(errors->number, 10061);
        QVERIFY(errors->description.contains(QStringLiteral("refused")));
        QCOMPARE(socket.State(), StreamSocket::sckError);
        QCOMPARE(connected.count(), 0);
        socket.Close();
        QCOMPARE(socket.State(), StreamSocket::sckClosed);
    }

    void aDialsFailureIsLoggedOnlyWhenAsked()
    {
        static QStringList logged;
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &context, const QString &message) {
                logged << QString::fromLatin1(context.category) + u' ' + message;
            });
        for (const bool asked : {false, true}) {
            QLoggingCategory::setFilterRules(asked ? QStringLiteral("brindlet.network.debug=true") : QString());
            logged.clear();
            TcpStreamSocket socket;
            const ErrorSeen *errors = watchErrors(socket);
            socket.SetRemoteHost(QStringLiteral("255.255.255.255"));  // unreachable
            socket.SetRemotePort(5000);
            socket.Connect();
            QTRY_COMPARE(errors->number, 10051);
            QCOMPARE(logged.filter(QStringLiteral("brindlet.network dialling")).filter(QStringLiteral("10051")).size(),
                     asked ? 1 : 0);
        }
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(previous);
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

        AnyPortSocket listener;
        listenOnAnyPort(listener);
        QCOMPARE(listener.State(), StreamSocket::sckListening);
        QVERIFY_THROWS_EXCEPTION(ComponentError, listener.Connect());
        QVERIFY_THROWS_EXCEPTION(ComponentError, listener.Listen());
    }

    void listenerHandsRequestsToTheSocketThatAccepts()
    {
        AnyPortSocket listener;
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
        AnyPortSocket listener;
        const quint16 port = listenOnAnyPort(listener);
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
        AnyPortSocket listener;
        TcpStreamSocket data;
        const quint16 port = listenOnAnyPort(listener);
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
        AnyPortSocket listener;
        const quint16 port = listenOnAnyPort(listener);
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

        // A big send goes out a part a turn, a character beyond the page in two
        // halves where a part would end still as one "?", and the next send after it.
        const QString big = QString(StreamSocket::largestArrival - 1, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80")
                            + QString(4 * 1024 * 1024, u'y');
        const QByteArray bigBytes = QByteArray(StreamSocket::largestArrival - 1, 'x') + '?' + QByteArray(4 * 1024 * 1024, 'y');
        socket.SendData(big);
        socket.SendData(QStringLiteral("after"));
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += raw->readAll(), received.size() >= bigBytes.size() + 5), 20000);
        QVERIFY(received == bigBytes + "after");

        socket.SendData(big);
        socket.Close();
        QCOMPARE(socket.State(), StreamSocket::sckClosed);
        received.clear();
        QTRY_VERIFY_WITH_TIMEOUT((received += raw->readAll(), received.size() >= bigBytes.size()), 20000);
        QVERIFY(received == bigBytes);
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
        SystemSocket::resetOnClose(raw->socketDescriptor());
        raw->abort();
        socket.SendData(QStringLiteral("into the void"));
        QCOMPARE(closed.count(), 0);
        QTRY_COMPARE(closed.count(), 1);
    }

    void closeWhileDiallingEndsTheAttempt()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket socket({.lookup = lookupOf({{QStringLiteral("peer.test"), {QHostAddress::LocalHost}}})});
        socket.SetRemoteHost(QStringLiteral("peer.test"));  // still resolving when closed
        socket.SetRemotePort(peer.serverPort());
        socket.Connect();
        socket.Close();
        // A later dial reaches the far side after anything the first could have sent.
        QTcpSocket later;
        later.connectToHost(QHostAddress::LocalHost, peer.serverPort());
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

#ifdef Q_OS_LINUX
    void theFirstAddressToAnswerWins()
    {
        // 127.0.0.2 lets nobody in: its queue is full, so a caller's packets go unanswered.
        quint16 port = 0;
        const int working = rawListener("127.0.0.1", &port);
        const int full = rawListener("127.0.0.2", &port, 0, 0);
        QVERIFY(working >= 0 && full >= 0);
        QTcpSocket filler;
        filler.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), port);
        QVERIFY(filler.waitForConnected());
        const QHostAddress unanswered(QStringLiteral("127.0.0.2"));
        TcpStreamSocket socket({.lookup = lookupOf({{QStringLiteral("both.test"), {unanswered, QHostAddress::LocalHost}},
                                                    {QStringLiteral("unknown.test"), {}}})});
        QSignalSpy connected(&socket, &StreamSocket::Connected);
        int stillDialling = -1;
        QObject::connect(&socket, &StreamSocket::Connected, [&] { stillDialling = dialsInProgress(); });
        socket.SetRemoteHost(QStringLiteral("\u00A0both.test "));  // blanks around a name, as around an address
        socket.SetRemotePort(port);
        socket.Connect();
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 2000);  // not the system's minute of retries
        QCOMPARE(stillDialling, 0);  // the loser could have got in later
        socket.Close();
        ::close(working);

        // Each way a race is lost has its own error: the name, a refusal, no
        // answer in time (only the impatient socket gives up that soon), and
        // an address the system cannot dial (a link-local one that names no
        // interface).
        TcpStreamSocket lost({.lookup = lookupOf({{QStringLiteral("unknown.test"), {}}})});
        TcpStreamSocket impatient({.dialTimeout = std::chrono::milliseconds(100)});
        QList<std::tuple<TcpStreamSocket *, const char *, int>> failures{
            {&lost, "unknown.test", 11001}, {&lost, " 127.0.0.1\t", 10061}, {&impatient, "127.0.0.2", 10060}};
        if (QTcpServer v6; v6.listen(QHostAddress::LocalHostIPv6))
            failures += {{&lost, "fe80::1%nosuch", 10022}, {&lost, "fe80::1", 10022}};
        for (const auto &[dialler, host, number] : failures) {
            ErrorSeen *errors = watchErrors(*dialler);
            dialler->SetRemoteHost(QString::fromUtf8(host));
            dialler->SetRemotePort(port);
            dialler->Connect();
            QTRY_VERIFY(errors->number);
            QCOMPARE(errors->number, number);
            dialler->Close();
            QObject::disconnect(dialler, &StreamSocket::Error, nullptr, nullptr);  // the next failure is watched afresh
        }
        ::close(full);
        QCOMPARE(connected.count(), 1);
        QCOMPARE(hostOfText(QStringLiteral(" [::1] ")), QStringLiteral("::1"));  // as pasted from a URL
    }

    void eachConnectDialsOnceThoughThePeerResetsAtOnce()
    {
        quint16 port = 0;
        const int server = rawListener("127.0.0.1", &port, 0, 16);
        std::atomic<int> accepted = 0;
        std::thread resetter([&] {
            for (int peer; (peer = ::accept(server, nullptr, nullptr)) >= 0; ++accepted) {
                const linger resetOnClose{1, 0};
                ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
                ::close(peer);
            }
        });
        TcpStreamSocket socket;
        watchErrors(socket);
        for (int press = 0; press < 20; ++press) {
            socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
            socket.SetRemotePort(port);
            socket.Connect();
            QTRY_VERIFY(socket.State() != StreamSocket::sckResolvingHost && socket.State() != StreamSocket::sckConnecting);
            socket.Close();
        }
        // On loopback a dial is in the listener's queue once the call that made it returns.
        QTRY_COMPARE(waitingToBeAccepted(server), 0u);
        ::shutdown(server, SHUT_RDWR);
        resetter.join();
        ::close(server);
        QCOMPARE(accepted, 20);
    }

    void conversationSocketsNoticeAVanishedPeer()
    {
        const QList<int> limits{1, 60, 10, 6, 0};
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        TcpStreamSocket dialled;
        QTcpSocket *raw = dial(dialled, peer);
        QVERIFY(raw);
        QCOMPARE(vanishedPeerLimits(descriptorBetween(raw->peerPort(), peer.serverPort())), limits);

        AnyPortSocket listener;
        TcpStreamSocket accepted;
        const quint16 port = listenAndAcceptOn(listener, accepted);
        QTcpSocket caller;
        caller.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(accepted.State(), StreamSocket::sckConnected);
        QCOMPARE(vanishedPeerLimits(descriptorBetween(port, caller.localPort())), limits);
    }

    void aPeerThatDoesNotReadGetsABoundedQueueAndKeepsItsConnection()
    {
        quint16 port = 0;
        const int server = rawListener("127.0.0.1", &port, 4096);
        TcpStreamSocket socket({.deadPeerTime = std::chrono::milliseconds(600), .sendQueueLimit = 1024 * 1024});
        const ErrorSeen *errors = watchErrors(socket);
        const int peer = dialRaw(socket, server, port);
        const QString piece(256 * 1024, u'x');
        qint64 queued = 0;
        try {
            for (; queued < 64 * 1024 * 1024; queued += piece.size())  // the system's buffers fill first
                socket.SendData(piece);
        } catch (const ComponentError &error) {
            QCOMPARE(error.Number, 10055);
        }
        QVERIFY(queued < 64 * 1024 * 1024);

        // The peer pauses reading for several dead-peer times, then reads it all.
        QVERIFY(!QTest::qWaitFor([&] { return errors->number != 0; }, 3000));
        QCOMPARE(errors->number, 0);
        QCOMPARE(socket.State(), StreamSocket::sckConnected);
        qint64 received = 0;
        const auto readAll = [&] {
            char buffer[65536];
            for (ssize_t got; (got = ::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
                received += got;
            return received == queued;
        };
        QTRY_VERIFY_WITH_TIMEOUT(readAll(), 20000);
        ::close(peer);
        ::close(server);
    }

    void queueThrownAwayAfterTheLingerResetsThePeer()
    {
        // A peer that takes nothing in: what is queued for it cannot leave.
        quint16 port = 0;
        const int server = rawListener("127.0.0.1", &port, 4096);
        TcpStreamSocket socket({.linger = std::chrono::milliseconds(50)});
        const int peer = dialRaw(socket, server, port);
        socket.SendData(QString(16 * 1024 * 1024, u'x'));
        socket.Close();
        QTRY_VERIFY(tcpState(peer) != TCP_ESTABLISHED);
        QCOMPARE(tcpState(peer), TCP_CLOSE);  // reset, not the orderly close of a message sent whole
        ::close(peer);
        ::close(server);
    }
#endif
};

QTEST_MAIN(tst_TcpStreamSocket)
#include "tst_tcpstreamsocket.moc"
