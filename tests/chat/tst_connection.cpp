// The toggle button, the listener and the data connection's events: two real
// windows on loopback, and fake sockets where a failure must be forced.
#include "ChatPair.h"
#include "ChatWindow.h"
#include "FakeStreamSocket.h"
#include "MessageBoxes.h"
#include "Wine.h"
#ifdef Q_OS_LINUX
#include "Process.h"  // the descriptors as Linux lists them
#endif
#include "chat/frmChat.h"
#include "components/forms/StatusBar.h"
#include "components/network/TcpStreamSocket.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"
#include "options/frmOptions.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// A chat window on two fake sockets.
struct FakeChat
{
    FakeStreamSocket *listener = new FakeStreamSocket;
    FakeStreamSocket *data = new FakeStreamSocket;
    QPointer<frmChat> chat = new frmChat(listener, data);
    ~FakeChat() { delete chat; }
};

}  // namespace

class tst_Connection : public QObject
{
    Q_OBJECT

private slots:
    void connectWithAnEmptySettingDoesNothing()
    {
        FakeChat fake;
        MessageBoxes boxes;
        fake.chat->strRemotePort.clear();
        fake.chat->cmdConnect->click();
        fake.chat->strRemotePort = QStringLiteral("1001");
        fake.chat->strRemoteHost.clear();
        fake.chat->cmdConnect->click();
        QCOMPARE(fake.data->calls, QStringList());
        QCOMPARE(fake.chat->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(fake.chat->strMode, QStringLiteral("Close"));
        QCOMPARE(status(fake.chat), QString());
        QCOMPARE(boxes.seen.size(), 0);
    }

    void unusablePortTakesTheFailurePath_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("letters") << "abc";
        QTest::newRow("above 65535") << "65536";
        QTest::newRow("negative") << "-1";
    }

    void unusablePortTakesTheFailurePath()
    {
        QFETCH(QString, port);
        QPointer<frmChat> chat = new frmChat;
        MessageBoxes boxes;
        boxes.whenShown = [&] { return status(chat); };
        chat->strRemotePort = port;
        chat->cmdConnect->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Error Connecting"));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Error connecting to host 127.0.0.1\r\nOn port ") + port
                                         + QStringLiteral("\r\nWinsock State = 0"));
        QCOMPARE(boxes.seen[0].statusWhenShown, QStringLiteral("Connection state: Closed"));
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(chat->strMode, QStringLiteral("Close"));
        QCOMPARE(chat->wsockData->State(), StreamSocket::sckClosed);
        delete chat;
    }

    void failedListenNamesTheRemoteSettingsAndKeepsTheCaption_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::newRow("port in use") << true;
        QTest::newRow("port 0, which nobody could find") << false;
    }

    void failedListenNamesTheRemoteSettingsAndKeepsTheCaption()
    {
        QFETCH(bool, inUse);
        QTcpServer occupier;
        QVERIFY(occupier.listen(QHostAddress::Any, 0));
        QPointer<frmChat> chat = new frmChat;
        MessageBoxes boxes;
        chat->strLocalPort = inUse ? QString::number(occupier.serverPort()) : QStringLiteral("0");
        chat->cmdConnect->setText(QStringLiteral("Listen"));
        chat->cmdConnect->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Error connecting to host 127.0.0.1\r\nOn port 1001\r\nWinsock State = 0"));
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Listen"));
        QCOMPARE(chat->strMode, QStringLiteral("Close"));
        delete chat;
    }

    void listenWithoutALocalPortOnlyMarksTheSession()
    {
        FakeChat fake;
        fake.chat->strLocalPort.clear();
        fake.chat->cmdConnect->setText(QStringLiteral("Listen"));
        fake.chat->cmdConnect->click();
        QCOMPARE(fake.listener->calls, QStringList());
        QCOMPARE(fake.chat->cmdConnect->text(), QStringLiteral("Listen"));
        QCOMPARE(fake.chat->strMode, QStringLiteral("Connect"));
    }

    void twoWindowsConnectAndThePeerCloses()
    {
        ChatPair pair;
        pair.listen();
        QCOMPARE(pair.listener->cmdConnect->text(), QStringLiteral("Disconnect"));
        QCOMPARE(pair.listener->strMode, QStringLiteral("Connect"));
        QCOMPARE(status(pair.listener), QString());
        frmChat *caller = pair.newCaller();
        QVERIFY(pair.connect(caller));
        QCOMPARE(caller->cmdConnect->text(), QStringLiteral("Disconnect"));
        QTRY_COMPARE(caller->windowTitle(), QStringLiteral("Brindlet (connected)"));
        QCOMPARE(status(caller), QStringLiteral("Connection Connected"));
        QCOMPARE(pair.listener->windowTitle(), QStringLiteral("Brindlet (connected)"));
        QCOMPARE(status(pair.listener), QStringLiteral("Connection Listening"));

        caller->cmdConnect->click();  // Disconnect
        QCOMPARE(caller->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(caller->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(status(caller), QStringLiteral("Connection Closed"));
        QCOMPARE(caller->strMode, QStringLiteral("Close"));
        QTRY_COMPARE(status(pair.listener), QStringLiteral("Connection Peer is closing the connection"));
        QCOMPARE(pair.listener->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(pair.listener->cmdConnect->text(), QStringLiteral("Disconnect"));
        QCOMPARE(pair.listener->strMode, QStringLiteral("Connect"));

        pair.listener->cmdConnect->click();  // the dialog is in listen mode
        QCOMPARE(pair.listener->cmdConnect->text(), QStringLiteral("Listen"));
        QCOMPARE(pair.listener->wsockData->State(), StreamSocket::sckClosed);
        QCOMPARE(pair.listener->wsockListener->State(), StreamSocket::sckClosed);
    }

    void aConversationThatBeginsTakesTheKeyboardToTheInputBox()
    {
        ChatPair pair;
        pair.listener->show();
        pair.listen();
        // The user is in another window: the listener in the background gets
        // the peer, and its input box has the keyboard when the user comes back.
        frmChat *caller = pair.newCaller();
        caller->show();
        caller->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(caller));
        QCOMPARE(pair.listener->focusWidget(), pair.listener->cmdConnect);
        caller->rtxtChat->setFocus();
        QVERIFY(pair.connect(caller));
        QTRY_COMPARE(caller->windowTitle(), QStringLiteral("Brindlet (connected)"));
        QCOMPARE(pair.listener->focusWidget(), pair.listener->NewText);
        QCOMPARE(QApplication::focusWidget(), caller->rtxtChat);  // the user's own place stays
        QVERIFY(caller->isActiveWindow());
    }

    // A real click is a press and, a moment later, a release: a conversation
    // that begins in between must not swallow it.
    void aClickOnDisconnectTakesThoughAPeerArrivesDuringIt()
    {
        ChatPair pair;
        pair.listener->show();
        QVERIFY(QTest::qWaitForWindowActive(pair.listener));
        pair.listen();
        QTest::mousePress(pair.listener->cmdConnect, Qt::LeftButton);
        QCOMPARE(pair.listener->focusWidget(), pair.listener->cmdConnect);
        QVERIFY(pair.connect(pair.newCaller()));
        QTest::mouseRelease(pair.listener->cmdConnect, Qt::LeftButton);
        QCOMPARE(pair.listener->cmdConnect->text(), QStringLiteral("Listen"));
        QCOMPARE(pair.listener->wsockListener->State(), StreamSocket::sckClosed);
        QCOMPARE(pair.listener->wsockData->State(), StreamSocket::sckClosed);
    }

    void messageBoxesStandOverTheWindowThatShowsThem()
    {
        frmChat first;
        frmChat second;
        first.show();
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        MessageBoxes boxes;
        second.strRemotePort = QStringLiteral("abc");
        second.cmdConnect->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].transientParent, second.windowHandle());
    }

    void reconnectingNeverDoublesTheSuffix()
    {
        ChatPair pair;
        pair.listen();
        frmChat *caller = pair.newCaller();
        for (int round = 0; round < 2; ++round) {
            QVERIFY(pair.connect(caller));
            QTRY_COMPARE(caller->windowTitle(), QStringLiteral("Brindlet (connected)"));
            caller->cmdConnect->click();
            QCOMPARE(caller->windowTitle(), QStringLiteral("Brindlet"));
        }
    }

    void aSecondPeerReplacesTheFirst()
    {
        ChatPair pair;
        pair.listen();
        frmChat *first = pair.newCaller();
        QVERIFY(pair.connect(first));
        frmChat *second = pair.newCaller();
        QVERIFY(pair.connect(second));
        QTRY_COMPARE(first->wsockData->State(), StreamSocket::sckClosing);
        QCOMPARE(first->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(status(first), QStringLiteral("Connection Peer is closing the connection"));
        QCOMPARE(pair.listener->windowTitle(), QStringLiteral("Brindlet (connected)"));
        QCOMPARE(second->wsockData->State(), StreamSocket::sckConnected);
        // Who each conversation was or is with, an IPv4 peer of the listener as such.
        QCOMPARE(first->sbarChat->Panels(1)->toolTip(), QStringLiteral("The conversation with 127.0.0.1, port %1 has ended").arg(pair.port()));
        const QLabel *listenerStatus = pair.listener->sbarChat->Panels(1);
        QVERIFY(QRegularExpression(QStringLiteral("^The other side is 127\\.0\\.0\\.1, port [1-9]\\d*$"))
                    .match(listenerStatus->toolTip()).hasMatch());
        QCOMPARE(listenerStatus->accessibleDescription(), QStringLiteral("Connection status. ") + listenerStatus->toolTip());

        // What a new peer sends at once, before the listener has taken it, shows.
        QTcpSocket third;
        third.connectToHost(QHostAddress::LocalHost, pair.port());
        QVERIFY(third.waitForConnected());
        third.write("early words");
        QVERIFY(third.waitForBytesWritten());
        QTRY_VERIFY(pair.listener->rtxtChat->Text().endsWith(QStringLiteral("early words\r\n")));
    }

    void refusedConnectEndsInTheErrorHandler()
    {
        if (runsUnderWine())
            QSKIP(wineMissesRefusedDials);
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 closedPort = probe.serverPort();
        probe.close();

        QPointer<frmChat> chat = new frmChat;
        MessageBoxes boxes;
        boxes.whenShown = [&] { return status(chat); };
        chat->strRemotePort = QString::number(closedPort);
        chat->cmdConnect->click();
        QTRY_COMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Brindlet"));
        QVERIFY(boxes.seen[0].text.startsWith(QStringLiteral("Winsock Error #10061\r\n")));
        QVERIFY(boxes.seen[0].statusWhenShown.startsWith(QStringLiteral("Winsock Error #10061 ")));
        QCOMPARE(chat->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(chat->wsockData->State(), StreamSocket::sckClosed);
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Disconnect"));
        delete chat;
    }

    void failureInsideTheConnectCallArrivesAfterTheClick()
    {
        QPointer<frmChat> chat = new frmChat;
        MessageBoxes boxes;
        boxes.whenShown = [&] { return chat->cmdConnect->text() + QStringLiteral(" | ") + status(chat); };
        chat->strRemoteHost = QStringLiteral("255.255.255.255");  // unreachable at once
        chat->cmdConnect->click();
        QCOMPARE(boxes.seen.size(), 0);
        QTRY_COMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Winsock Error #10051\r\nNetwork is unreachable"));
        QCOMPARE(boxes.seen[0].statusWhenShown, QStringLiteral("Disconnect | Winsock Error #10051 Network is unreachable"));
        delete chat;
    }

    void aBurstOfRequestsLeavesOneConversationAndNoLeaks()
    {
#ifndef Q_OS_LINUX
        QSKIP("counts the descriptors the process holds, which only Linux lists (in /proc)");
#else
        ChatPair pair;
        pair.listen();
        const int descriptorsBefore = openDescriptors();
        // Fewer than the listener's queue holds: a caller the full queue turned
        // away would try again seconds later, after the count below.
        QVERIFY(pair.burstOfRequests(40));
        QCOMPARE(pair.listener->windowTitle(), QStringLiteral("Brindlet (connected)"));
        // The peers went: the conversation's peer is closing, and nothing else stays open.
        QTRY_COMPARE(pair.listener->wsockData->State(), StreamSocket::sckClosing);
        QTRY_COMPARE(openDescriptors(), descriptorsBefore);
        pair.listener->cmdConnect->click();
        QTRY_COMPARE(openDescriptors(), descriptorsBefore - 1);  // the listening socket is gone too
#endif
    }

    void socketStateTexts_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        const char *texts[] = {"Closed",        "Open",       "Listening", "Pending",
                               "Resolving Host", "Host Resolved", "Connecting", "Connected",
                               "Peer is closing the connection", "Error"};
        for (int state = 0; state < 10; ++state)
            QTest::addRow("%d", state) << state << QString::fromLatin1(texts[state]);
        QTest::newRow("10") << 10 << "Winsock State Undetermined";
        QTest::newRow("255") << 255 << "Winsock State Undetermined";
        QTest::newRow("-1") << -1 << "Winsock State Undetermined";
    }

    void socketStateTexts()
    {
        QFETCH(int, state);
        QFETCH(QString, text);
        FakeChat fake;
        fake.data->raiseConnected(qint16(state));
        QCOMPARE(status(fake.chat), QStringLiteral("Connection ") + text);
        fake.data->raiseClosed(qint16(state));
        QCOMPARE(status(fake.chat), QStringLiteral("Connection ") + text);
    }

    void dataErrorShowsStatusFirstThenTheBoxThenCloses()
    {
        FakeChat fake;
        MessageBoxes boxes;
        boxes.whenShown = [&] { return status(fake.chat) + QStringLiteral("|") + fake.data->calls.join(u','); };
        fake.data->raiseConnected();
        fake.data->calls.clear();
        fake.data->raiseError(-5, QString());
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Winsock Error #-5\r\n"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Brindlet"));
        QCOMPARE(boxes.seen[0].statusWhenShown, QStringLiteral("Winsock Error #-5 |"));
        QCOMPARE(fake.data->calls, QStringList{QStringLiteral("Close")});
        QCOMPARE(fake.data->state, StreamSocket::sckClosed);
        QCOMPARE(fake.chat->windowTitle(), QStringLiteral("Brindlet (connected)"));
    }

    void listenerErrorIsReportedAndEndsListening()
    {
        FakeChat fake;
        MessageBoxes boxes;
        boxes.whenShown = [&] { return status(fake.chat); };
        fake.chat->cmdConnect->setText(QStringLiteral("Listen"));
        fake.chat->cmdConnect->click();
        QCOMPARE(fake.listener->calls, (QStringList{QStringLiteral("LocalPort=1001"), QStringLiteral("Listen")}));
        fake.listener->raiseError(10048, QStringLiteral("Address already in use"));
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Attempt to listen on port 1001 failed. Error #10048\r\nAddress already in use"));
        QCOMPARE(boxes.seen[0].statusWhenShown, QString());
        QCOMPARE(status(fake.chat), QStringLiteral("Winsock Error #10048 Address already in use"));
        QCOMPARE(fake.listener->state, StreamSocket::sckClosed);
        QCOMPARE(fake.chat->cmdConnect->text(), QStringLiteral("Disconnect"));
        QCOMPARE(fake.chat->strMode, QStringLiteral("Connect"));
    }

    void requestWhileThePeerIsClosingClosesFirst()
    {
        FakeChat fake;
        fake.data->state = StreamSocket::sckClosing;
        fake.listener->state = StreamSocket::sckListening;
        fake.listener->raiseConnectionRequest(7);
        QCOMPARE(fake.data->calls, (QStringList{QStringLiteral("Close"), QStringLiteral("Accept 7")}));
        QCOMPARE(fake.chat->windowTitle(), QStringLiteral("Brindlet (connected)"));
        QCOMPARE(status(fake.chat), QStringLiteral("Connection Listening"));
    }

    void aSessionEndedWhileAcceptingTakesNoStranger_data()
    {
        QTest::addColumn<bool>("byOptionsOK");
        QTest::newRow("Disconnect") << false;
        QTest::newRow("Options OK") << true;
    }

    void aSessionEndedWhileAcceptingTakesNoStranger()
    {
        QFETCH(bool, byOptionsOK);
        FakeChat fake;
        MessageBoxes boxes;
        fake.chat->cmdConnect->setText(QStringLiteral("Listen"));
        fake.chat->cmdConnect->click();
        fake.listener->raiseConnectionRequest(1);
        QPushButton *endSession = byOptionsOK ? optionsOf(fake.chat)->cmdOK : fake.chat->cmdConnect;
        // Runs inside the yield between closing the old conversation and accepting.
        QMetaObject::invokeMethod(endSession, &QPushButton::click, Qt::QueuedConnection);
        fake.listener->raiseConnectionRequest(2);
        QVERIFY(!fake.data->calls.contains(QStringLiteral("Accept 2")));
        QCOMPARE(fake.data->state, StreamSocket::sckClosed);
        QCOMPARE(fake.listener->state, StreamSocket::sckClosed);
        QCOMPARE(fake.chat->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(fake.chat->cmdConnect->text(), QStringLiteral("Connect"));
    }

    void closeAllConnectionsClosesOnlyWhatIsOpen()
    {
        FakeChat fake;
        QVERIFY(fake.chat->CloseAllConnections());
        QCOMPARE(fake.data->calls + fake.listener->calls, QStringList());

        fake.data->state = StreamSocket::sckConnected;
        fake.listener->state = StreamSocket::sckListening;
        fake.data->failClose = true;
        QVERIFY(!fake.chat->CloseAllConnections());
        QCOMPARE(fake.listener->calls, QStringList());  // a failure stops before the listener
        QCOMPARE(fake.listener->state, StreamSocket::sckListening);
    }

    void failedDisconnectIsReportedAndStillEndsTheSession()
    {
        FakeChat fake;
        MessageBoxes boxes;
        fake.chat->cmdConnect->click();
        QCOMPARE(fake.chat->cmdConnect->text(), QStringLiteral("Disconnect"));
        fake.data->raiseConnected();
        fake.data->failClose = true;
        optionsOf(fake.chat)->optionListen->setChecked(true);
        fake.chat->cmdConnect->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Error trying to disconnect"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Brindlet"));
        QCOMPARE(fake.chat->cmdConnect->text(), QStringLiteral("Listen"));
        QCOMPARE(fake.chat->strMode, QStringLiteral("Close"));
        QCOMPARE(fake.chat->windowTitle(), QStringLiteral("Brindlet"));
    }

    void failureInAHandlerDoesNotEndTheProgram()
    {
        FakeChat fake;
        fake.data->state = StreamSocket::sckConnected;
        fake.data->failClose = true;
        QTest::ignoreMessage(QtWarningMsg, "Unhandled failure in frmChat::wsockListener_ConnectionRequest: Close failed");
        fake.listener->raiseConnectionRequest(3);  // closing the old conversation throws
        QCOMPARE(fake.data->calls, QStringList{QStringLiteral("Close")});
        QCOMPARE(fake.chat->windowTitle(), QStringLiteral("Brindlet"));
    }
};

QTEST_MAIN(tst_Connection)
#include "tst_connection.moc"
