// Hostile peers and faults: nothing crashes, nothing is lost, the window keeps
// answering. Loopback only; every loop stops by itself.
#include "ChatPair.h"
#include "ChatWindow.h"
#include "FakeStreamSocket.h"
#include "MessageBoxes.h"
#include "Process.h"
#include "RawPeer.h"
#include "StallWatch.h"
#include "chat/frmChat.h"
#include "components/forms/StatusBar.h"
#include "components/text/CodePage.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <atomic>
#include <sys/socket.h>
#include <thread>

namespace {

constexpr QRgb blue = qRgb(0, 0, 255);

#if defined(__SANITIZE_ADDRESS__)
// A sanitized build runs a few times slower, and keeps freed memory in quarantine.
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
// The longest the window may leave its events waiting and still count as answering.
constexpr qint64 responsiveMs = sanitized ? 4000 : 1000;

// What the transcript holds in one style, entries run together.
QString textInColor(const RichTextBox *transcript, QRgb color)
{
    QString text;
    for (QTextBlock block = transcript->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().foreground().color().rgb() == color)
                text += it.fragment().text().remove(QChar::LineSeparator);  // the entries' own line ends
        }
    }
    return text;
}

// Pastes text into the input box, the way a long text gets there.
void paste(frmChat *chat, const QString &text)
{
    QApplication::clipboard()->setText(text);
    chat->NewText->paste();
}

// Ends the connection with a reset instead of an orderly close.
void reset(QTcpSocket *socket)
{
    const linger abortive{1, 0};
    setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    socket->abort();
}

// The next conversation of the window works: it disconnects, dials a new raw
// peer and exchanges a line with it.
bool nextSessionWorks(frmChat *chat)
{
    if (chat->cmdConnect->text() == QLatin1String("Disconnect"))
        chat->cmdConnect->click();
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    chat->strRemotePort = QString::number(server.serverPort());
    chat->cmdConnect->click();
    if (!QTest::qWaitFor([&] {
            return server.hasPendingConnections() && chat->wsockData->State() == StreamSocket::sckConnected;
        }))
        return false;
    QTcpSocket *peer = server.nextPendingConnection();
    sendLine(chat, QStringLiteral("hello again"));
    peer->write("welcome back");
    QByteArray received;
    return QTest::qWaitFor([&] {
        received += peer->readAll();
        return received == "hello again" && chat->rtxtChat->Text().endsWith(QStringLiteral("welcome back\r\n"));
    });
}

QByteArray hostilePayload()
{
    QByteArray payload;
    for (int round = 0; round < 64; ++round) {
        for (int b = 0; b < 256; ++b)
            payload.append(char(b));
    }
    payload += QByteArray("\0\0\0", 3);
    payload += "\xC3\x28\xA0\xA1\xE2\x28\xA1\xF0\x28\x8C\xBC\xFF\xFE\xC0\xAF\xED\xA0\x80";
    payload += "<b>bold</b><script>alert(1)</script><img src=x onerror=y>&amp;&lt;&#x41;";
    payload += "{\\rtf1\\ansi{\\b bold}\\par}";
    payload += "\x1b[31mred\x1b[0m\x1b]0;title\x07\x1b[2J\x08\x08\x7f";
    payload += QByteArray(10 * 1024 * 1024, 'x');
    return payload;
}

}  // namespace

class tst_Stress : public QObject
{
    Q_OBJECT

private slots:
    void hostileBytesArriveAsPlainText()
    {
        RawPeer raw;
        const QByteArray payload = hostilePayload();
        QVERIFY(!payload.contains("\r\n"));
        raw.chat->rtxtChat->SetMaxLength(2 * payload.size());  // all of it stays
        raw.socket->write(payload);
        const QString expected = CodePage::decode(payload);
        // Every entry ends in the break the receiver adds, and nothing else is there.
        QTRY_VERIFY_WITH_TIMEOUT(raw.chat->rtxtChat->TextLength() >= expected.size(), 60000);
        QVERIFY(raw.chat->rtxtChat->Text().remove(QStringLiteral("\r\n")) == expected);
        for (QTextBlock block = raw.chat->rtxtChat->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                QVERIFY(format.foreground().color().rgb() == blue && !format.font().bold() && !format.isImageFormat());
            }
        }
    }

    // A flood faster than the window can show: what stays in the transcript
    // is the newest of it, exact and in order, within the bound.
    void aFloodEndsWithItsNewestTextExact()
    {
        RawPeer raw;
        QByteArray flood;
        for (int line = 0; flood.size() < (sanitized ? 4 : 16) * 1024 * 1024; ++line)
            flood += "line " + QByteArray::number(line) + " of a flood that comes faster than it can be shown\n";
        raw.socket->write(flood);
        const QString sent = CodePage::decode(flood);
        QTRY_VERIFY_WITH_TIMEOUT(raw.chat->rtxtChat->Text().endsWith(sent.right(80) + QStringLiteral("\r\n")), 60000);
        const QString shown = raw.chat->rtxtChat->Text().remove(QStringLiteral("\r\n"));
        QVERIFY(sent.endsWith(shown));
        QVERIFY(raw.chat->rtxtChat->TextLength() <= frmChat::transcriptCharacters);
        QVERIFY(shown.size() >= frmChat::transcriptCharacters / 2);
        QCOMPARE(textInColor(raw.chat->rtxtChat, blue), QString(shown).remove(u'\n'));
    }

    void resetInTheMiddleOfAStream()
    {
        RawPeer raw;
        MessageBoxes boxes;
        StallWatch stalls;
        const QByteArray payload(1024 * 1024, 'r');
        raw.socket->write(payload);
        raw.socket->flush();
        reset(raw.socket);
        QTRY_VERIFY(raw.chat->wsockData->State() != StreamSocket::sckConnected);
        const QString text = textInColor(raw.chat->rtxtChat, blue);
        QVERIFY(CodePage::decode(payload).startsWith(text));  // what arrived, arrived whole and in order
        QVERIFY2(status(raw.chat) == QLatin1String("Connection Peer is closing the connection")
                     || status(raw.chat).startsWith(QLatin1String("Winsock Error #")),
                 qPrintable(status(raw.chat)));
        QCOMPARE(raw.chat->windowTitle(), QStringLiteral("Brindlet"));
        QVERIFY(nextSessionWorks(raw.chat));
        QVERIFY2(stalls.worstMs() < responsiveMs, qPrintable(QString::number(stalls.worstMs())));
    }

    void halfClosedPeer()
    {
        RawPeer raw;
        MessageBoxes boxes;
        raw.socket->write("last words");
        raw.socket->flush();
        shutdown(int(raw.socket->socketDescriptor()), SHUT_WR);
        QTRY_COMPARE(status(raw.chat), QStringLiteral("Connection Peer is closing the connection"));
        QCOMPARE(raw.chat->rtxtChat->Text(), QStringLiteral("last words\r\n"));
        sendLine(raw.chat, QStringLiteral("anyone?"));
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Link to remote computer not established"));
        QVERIFY(nextSessionWorks(raw.chat));
    }

    void peerThatStopsReading()
    {
        RawPeer raw;
        StallWatch stalls;
        raw.socket->setReadBufferSize(1);  // takes almost nothing until told otherwise
        const QString line(1024 * 1024, u'z');
        paste(raw.chat, line);
        pressEnter(raw.chat);
        raw.socket->write("still here");
        QTRY_VERIFY(raw.chat->rtxtChat->Text().endsWith(QStringLiteral("still here\r\n")));
        QVERIFY2(stalls.worstMs() < responsiveMs, qPrintable(QString::number(stalls.worstMs())));
        raw.socket->setReadBufferSize(0);
        QCOMPARE(raw.receive(line.size(), 30000), CodePage::encode(line));
    }

    void thousandConnectDisconnectCycles()
    {
        QTcpServer live;
        QVERIFY(live.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&live, &QTcpServer::newConnection, [&] {
            while (QTcpSocket *peer = live.nextPendingConnection())
                QObject::connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
        });
        QPointer<frmChat> chat = new frmChat;
        chat->strRemotePort = QString::number(live.serverPort());
        const auto cycle = [&] {
            chat->cmdConnect->click();
            const bool up = QTest::qWaitFor([&] { return chat->wsockData->State() == StreamSocket::sckConnected; });
            chat->cmdConnect->click();
            return up;
        };
        for (int i = 0; i < 50; ++i)  // settle allocations that stay for the run
            QVERIFY(cycle());
        QTest::qWait(0);
        const int descriptorsBefore = openDescriptors();
        const qint64 residentBefore = residentBytes();
        for (int i = 0; i < 1000; ++i)
            QVERIFY(cycle());
        QTRY_COMPARE(openDescriptors(), descriptorsBefore);
        const qint64 growth = residentBytes() - residentBefore;
        if (!sanitized)
            QVERIFY2(growth < 4 * 1024 * 1024, qPrintable(QStringLiteral("grew by %1 bytes").arg(growth)));
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
        delete chat;
    }

    void disconnectDuringAStormOfConnectsEndsListening()
    {
        for (const int pressAt : {50, 400, 900}) {
            ChatPair pair;
            pair.listen();
            std::atomic<int> dialled = 0;
            std::thread storm([&, port = pair.port()] {
                for (bool refused = false; !refused && dialled < 3000; ++dialled) {
                    QTcpSocket caller;  // one thread's event-less socket: a blocking dial, once
                    caller.connectToHost(QHostAddress::LocalHost, port);
                    refused = !caller.waitForConnected();
                }
            });
            // An event loop of its own: QTest's waits sleep between their checks, which slows a storm down.
            QEventLoop loop;
            QTimer press;
            QObject::connect(&press, &QTimer::timeout, [&] {
                if (dialled >= pressAt) {
                    press.stop();
                    QTest::mouseClick(pair.listener->cmdConnect, Qt::LeftButton);
                    loop.quit();
                }
            });
            press.start(0);
            QTimer::singleShot(30000, &loop, &QEventLoop::quit);
            loop.exec();
            storm.join();
            QCOMPARE(pair.listener->cmdConnect->text(), QStringLiteral("Listen"));
            QCOMPARE(pair.listener->wsockListener->State(), StreamSocket::sckClosed);
        }
    }

    void peerAcceptedWhileAnErrorIsShownKeepsItsConversation()
    {
        auto *listener = new FakeStreamSocket;
        auto *data = new FakeStreamSocket;
        QPointer<frmChat> chat = new frmChat(listener, data);
        listener->state = StreamSocket::sckListening;
        data->state = StreamSocket::sckConnected;
        MessageBoxes boxes;
        boxes.whenShown = [&] {
            // Handlers run inside the box's modal loop: a new peer, and its first words.
            listener->raiseConnectionRequest(5);
            data->raiseData(QStringLiteral("hi from the new peer"));
            return QString();
        };
        data->raiseError(10054, QStringLiteral("Connection reset by peer"));
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(data->calls, (QStringList{QStringLiteral("Close"), QStringLiteral("Accept 5")}));
        QCOMPARE(data->state, StreamSocket::sckConnected);
        QCOMPARE(chat->rtxtChat->Text(), QStringLiteral("hi from the new peer\r\n"));
        QCOMPARE(chat->windowTitle(), QStringLiteral("Brindlet (connected)"));
        delete chat;
    }

    void soakOfAHundredThousandMessagesEachWay()
    {
        ChatPair pair;
        pair.listen();
        frmChat *caller = pair.newCaller();
        QVERIFY(pair.connect(caller));
        for (frmChat *chat : {pair.listener.data(), caller}) {  // every message stays, to be checked
            chat->rtxtChat->SetMaxEntries(1'000'000);
            chat->rtxtChat->SetMaxLength(10'000'000);
        }
        QString sentByCaller, sentByListener;
        for (int i = 0; i < 100000; ++i) {
            const QString a = QStringLiteral("a%1;").arg(i);
            const QString b = QStringLiteral("b%1;").arg(i);
            sendLine(caller, a);
            sendLine(pair.listener, b);
            sentByCaller += a;
            sentByListener += b;
            if (i % 256 == 0)
                QCoreApplication::processEvents();
        }
        QTRY_VERIFY_WITH_TIMEOUT(textInColor(pair.listener->rtxtChat, blue).size() >= sentByCaller.size()
                                     && textInColor(caller->rtxtChat, blue).size() >= sentByListener.size(),
                                 60000);
        QVERIFY(textInColor(pair.listener->rtxtChat, blue) == sentByCaller);
        QVERIFY(textInColor(caller->rtxtChat, blue) == sentByListener);
        QVERIFY(textInColor(caller->rtxtChat, qRgb(0, 0, 0)) == sentByCaller);
    }

    void pasteOfTenMegabytesIsSentWhole()
    {
        RawPeer raw;
        const QString text = QString(10 * 1024 * 1024, u'p') + QStringLiteral(" end");
        paste(raw.chat, text);
        QCOMPARE(raw.chat->NewText->Text().size(), text.size());
        StallWatch stalls;
        pressEnter(raw.chat);
        QCOMPARE(raw.receive(text.size(), 60000), CodePage::encode(text));
        QCOMPARE(raw.chat->NewText->Text(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(raw.chat->rtxtChat->TextLength(), text.size() + 2, 60000);  // the echo, a part a turn
        QVERIFY(raw.chat->rtxtChat->Text() == text + QStringLiteral("\r\n"));
        qInfo("longest wait of the event loop while sending 10 MB: %.0f ms", stalls.worstMs());
    }
};

QTEST_MAIN(tst_Stress)
#include "tst_stress.moc"
