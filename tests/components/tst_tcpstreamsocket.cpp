// The TCP stream socket against raw loopback peers.
#include "components/ComponentError.h"
#include "components/TcpStreamSocket.h"
#include "MessageBoxes.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

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

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
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

        socket.SetLocalPort(0);
        socket.Listen();
        QCOMPARE(socket.State(), StreamSocket::sckListening);
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.Connect());
        QVERIFY_THROWS_EXCEPTION(ComponentError, socket.Listen());
    }

    void listenerHandsRequestsToTheSocketThatAccepts()
    {
        TcpStreamSocket listener;
        TcpStreamSocket data;
        listener.SetLocalPort(0);
        listener.Listen();
        connect(&listener, &StreamSocket::ConnectionRequest, &data, [&](qint32 requestID) { data.Accept(requestID); });

        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, listener.BoundPort());
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
        listener.SetLocalPort(0);
        listener.Listen();
        QSignalSpy requests(&listener, &StreamSocket::ConnectionRequest);
        QTcpSocket peer;
        QSignalSpy dropped(&peer, &QTcpSocket::disconnected);
        peer.connectToHost(QHostAddress::LocalHost, listener.BoundPort());
        QVERIFY(dropped.wait());
        QCOMPARE(requests.count(), 1);
        QCOMPARE(listener.State(), StreamSocket::sckListening);
    }

    void closeStopsListeningAndFreesThePort()
    {
        TcpStreamSocket listener;
        listener.SetLocalPort(0);
        listener.Listen();
        const quint16 port = listener.BoundPort();
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
};

QTEST_MAIN(tst_TcpStreamSocket)
#include "tst_tcpstreamsocket.moc"
