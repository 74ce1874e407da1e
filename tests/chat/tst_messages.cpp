// Sending with Enter, receiving, and the transcript both end up in.
#include "ChatPair.h"
#include "ChatWindow.h"
#include "FakeStreamSocket.h"
#include "MessageBoxes.h"
#include "RawPeer.h"
#include "ScreenReader.h"
#include "TranscriptChecks.h"
#include "chat/Transcript.h"
#include "chat/frmChat.h"
#include "components/accessibility/Announcer.h"
#include "components/forms/StatusBar.h"
#include "components/text/CodePage.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class tst_Messages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RawPeer> raw;
    frmChat *chat = nullptr;
    QTcpSocket *peer = nullptr;

    QByteArray receiveAtPeer(qsizetype count) { return raw->receive(count); }

private slots:
    void init()
    {
        raw = std::make_unique<RawPeer>();
        chat = raw->chat;
        peer = raw->socket;
        QVERIFY(peer);
        QCOMPARE(chat->wsockData->State(), StreamSocket::sckConnected);
    }

    void cleanup() { raw.reset(); }

    void enterSendsExactlyTheTypedText()
    {
        QTest::keyClicks(chat->NewText, QStringLiteral("abc"));
        pressEnter(chat);
        QCOMPARE(receiveAtPeer(3), QByteArray("abc"));
        QCOMPARE(chat->rtxtChat->Text(), QStringLiteral("abc\r\n"));
        QCOMPARE(chat->NewText->Text(), QString());  // emptied again when Enter was released
        const QTextCharFormat format = formatAt(*chat->rtxtChat, 0);
        QVERIFY(format.font().bold());
        QCOMPARE(format.foreground().color(), QColor(Qt::black));
        QTest::qWait(0);
        QCOMPARE(peer->bytesAvailable(), 0);  // nothing after the text
    }

    void textIsSentInTheSingleBytePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("accents and euro") << QStringLiteral("café €5") << QByteArray("\x63\x61\x66\xE9\x20\x80\x35");
        QTest::newRow("line break") << QStringLiteral("one\ntwo") << QByteArray("one\r\ntwo");
        QTest::newRow("blanks only") << QStringLiteral("   ") << QByteArray("   ");
        QTest::newRow("outside the page") << QStringLiteral("\u4E2D!") << QByteArray("?!");
    }

    void textIsSentInTheSingleBytePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        sendLine(chat, text);
        QCOMPARE(receiveAtPeer(bytes.size()), bytes);
        // The own line shows what was sent, as the other side shows it.
        QCOMPARE(chat->rtxtChat->Text(), CodePage::decode(bytes) + QStringLiteral("\r\n"));
    }

    void receivedTextShowsInPlainBlue()
    {
        peer->write("hello");
        QTRY_COMPARE(chat->rtxtChat->Text(), QStringLiteral("hello\r\n"));
        QCOMPARE(status(chat), QStringLiteral("Connection Connected"));
        const QTextCharFormat format = formatAt(*chat->rtxtChat, 0);
        QVERIFY(!format.font().bold());
        QCOMPARE(format.foreground().color(), QColor(0, 0, 255));
    }

    void textsArrivingTogetherFormOneEntry()
    {
        peer->write("abc");
        peer->write("def\r\n");
        QTRY_VERIFY(chat->rtxtChat->TextLength() > 0);
        QCOMPARE(chat->rtxtChat->Text(), QStringLiteral("abcdef\r\n\r\n"));
    }

    void aFloodIsSpokenOnceAndCut()
    {
        peer->write("unheard");  // no screen reader listens yet: nothing is kept for one
        QTRY_VERIFY(chat->rtxtChat->TextLength() > 0);
        const ScreenReader reader;
        peer->write("caf\xE9");
        QTRY_VERIFY(chat->rtxtChat->TextLength() > 9);
        peer->write(QByteArray(100000, 'x'));
        QTRY_COMPARE(reader.spoken.size(), 1);
        QCOMPARE(reader.spoken[0], QStringLiteral("café\n") + QString(Announcer::mostArrivalCharactersSpoken - 4, u'x') + Announcer::moreArrived);
        QCOMPARE(chat->focusWidget(), chat->NewText);  // and the unchanged status was not spoken
        peer->write("still the flood");
        peer->disconnectFromHost();
        QTRY_COMPARE(reader.spoken.size(), 2);
        QCOMPARE(reader.spoken[1], QStringLiteral("Connection Peer is closing the connection"));
        QCOMPARE(reader.textInserts, 0);  // the transcript away from the focus is kept quiet
    }

    void closesAreSpoken()
    {
        const ScreenReader reader;
        chat->rtxtChat->setFocus();
        peer->write("last words");
        QTRY_VERIFY(reader.textInserts > 0);  // the focused transcript tells what goes into it
        peer->disconnectFromHost();
        QTRY_COMPARE(reader.spoken.join(u'\n'), QStringLiteral("last words\nConnection Peer is closing the connection"));
        chat->cmdConnect->setFocus();
        QTest::keyClick(chat->cmdConnect, Qt::Key_Space);  // the focused button says "Connect" again
        QTRY_COMPARE(reader.spoken.last(), QStringLiteral("Connect\nConnection Closed"));
    }

    void transcriptIsReadOnlyButCopyable()
    {
        peer->write("one");
        QTRY_COMPARE(chat->rtxtChat->Text(), QStringLiteral("one\r\n"));
        QTest::keyClicks(chat->NewText, QStringLiteral("two"));
        pressEnter(chat);
        QTRY_COMPARE(chat->rtxtChat->Text(), QStringLiteral("one\r\ntwo\r\n"));  // within a frame
        chat->rtxtChat->setFocus();
        QTest::keyClicks(chat->rtxtChat, QStringLiteral("typed"));
        QCOMPARE(chat->rtxtChat->Text(), QStringLiteral("one\r\ntwo\r\n"));
        QTest::keyClick(chat->rtxtChat, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(chat->rtxtChat, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one\ntwo\n"));  // the desktop's line ends
    }

    void copyGivesTheTextShownWithTheDesktopsLineEnds()
    {
        const QByteArray token = QByteArray(3000, 'x') + "\ry\n" + QByteArray(1500, 'z') + "\r\n";
        peer->write(token);
        QTRY_COMPARE(chat->rtxtChat->TextLength(), token.size() + 2);
        QTest::keyClick(chat->rtxtChat, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(chat->rtxtChat, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString(3000, u'x') + QStringLiteral("\ny\n") + QString(1500, u'z') + QStringLiteral("\n\n"));
        chat->rtxtChat->SetSelStart(1000);
        chat->rtxtChat->SetSelLength(1500);
        QTest::keyClick(chat->rtxtChat, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString(1500, u'x'));  // an unbroken run stays whole
        QCOMPARE(chat->rtxtChat->Text().right(4), QStringLiteral("\r\n\r\n"));  // the transcript keeps its own
    }

    void pasteFromAClipboardThatServesOnce()
    {
        // Hands its text out once, as password managers do.
        class ServesOnce : public QMimeData
        {
        public:
            QStringList formats() const override { return {QStringLiteral("text/plain")}; }

        protected:
            QVariant retrieveData(const QString &mimeType, QMetaType) const override
            {
                if (mimeType != QLatin1String("text/plain") || served)
                    return {};
                served = true;
                return QStringLiteral("s3cret pass");
            }

        private:
            mutable bool served = false;
        };
        QApplication::clipboard()->setMimeData(new ServesOnce);
        chat->NewText->setFocus();
        QTest::keyClick(chat->NewText, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(chat->NewText->Text(), QStringLiteral("s3cret pass"));
    }

    void pastedTextIsSentExactly()
    {
        const QString text = QString(3000, u'u') + QStringLiteral("\r\n") + QStringLiteral("prose with blanks ").repeated(400)
                             + QStringLiteral("\rlone\nbreaks");
        QApplication::clipboard()->setText(text);
        chat->NewText->setFocus();
        chat->NewText->paste();
        const QString expected = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n')
                                     .replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        QCOMPARE(chat->NewText->Text(), expected);
        pressEnter(chat);
        QCOMPARE(receiveAtPeer(expected.size()), CodePage::encode(expected));
        QCOMPARE(chat->rtxtChat->Text(), expected + QStringLiteral("\r\n"));
    }

    // Enter while a big paste still goes in sends all of it, as the box will
    // hold it, without putting the rest in first; in an empty box or not.
    void enterDuringABigPasteSendsItWithoutWaitingForIt()
    {
        const QString text = QStringLiteral("line\r\n").repeated(TextBox::pastedPerTurn) + QStringLiteral("\rlone\u2028end");
        const QString expected = QStringLiteral("line\r\n").repeated(TextBox::pastedPerTurn) + QStringLiteral("\r\nlone\r\nend");
        int mostHeld = 0;
        connect(chat->NewText->document(), &QTextDocument::contentsChanged,
                [&] { mostHeld = qMax(mostHeld, chat->NewText->document()->characterCount()); });
        QApplication::clipboard()->setText(text);
        for (const QString &typed : {QString(), QStringLiteral("typed ")}) {
            QTest::keyClicks(chat->NewText, typed);
            chat->NewText->paste();
            QCoreApplication::processEvents();  // a part goes in
            pressEnter(chat);
            QCOMPARE(receiveAtPeer(typed.size() + expected.size()), CodePage::encode(typed + expected));
            QCOMPARE(chat->NewText->Text(), QString());
            QVERIFY(mostHeld < text.size());
        }
    }

    void arrivalsLeaveAReaderWhereTheyAre()
    {
        for (int line = 0; line < 200; ++line)
            chat->rtxtChat->SetSelText(QStringLiteral("line %1\r\n").arg(line));
        QScrollBar *scroll = chat->rtxtChat->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);
        scroll->setValue(10);
        chat->rtxtChat->SetSelStart(100);
        chat->rtxtChat->SetSelLength(20);
        peer->write("while reading");
        QTRY_VERIFY(chat->rtxtChat->Text().endsWith(QStringLiteral("while reading\r\n")));
        QCOMPARE(scroll->value(), 10);
        QCOMPARE(chat->rtxtChat->SelStart(), 100);
        QCOMPARE(chat->rtxtChat->SelLength(), 20);

        scroll->setValue(scroll->maximum());  // back at the end: the view follows, the selection stays
        const int end = scroll->maximum();
        peer->write("a\r\nb\r\nc\r\nd");
        QTRY_VERIFY(chat->rtxtChat->Text().endsWith(QStringLiteral("d\r\n")));
        QVERIFY(scroll->maximum() > end);
        QCOMPARE(scroll->value(), scroll->maximum());
        QCOMPARE(chat->rtxtChat->SelLength(), 20);

        scroll->setValue(10);  // a line of one's own goes to the end
        QTest::keyClicks(chat->NewText, QStringLiteral("mine"));
        pressEnter(chat);
        QTRY_VERIFY(chat->rtxtChat->Text().endsWith(QStringLiteral("mine\r\n")));
        QCOMPARE(scroll->value(), scroll->maximum());
    }

    void arrivalWhileTypingLeavesTheInputBoxAlone()
    {
        QTest::keyClicks(chat->NewText, QStringLiteral("half a th"));
        peer->write("incoming");
        QTRY_COMPARE(chat->rtxtChat->Text(), QStringLiteral("incoming\r\n"));
        QCOMPARE(chat->NewText->Text(), QStringLiteral("half a th"));
        QTest::keyClicks(chat->NewText, QStringLiteral("ought"));
        pressEnter(chat);
        QCOMPARE(receiveAtPeer(14), QByteArray("half a thought"));
        QTRY_COMPARE(chat->rtxtChat->Text(), QStringLiteral("incoming\r\nhalf a thought\r\n"));
    }

    void enterInAnEmptyBoxKeepsItsLineBreak()
    {
        chat->sbarChat->Panels(1)->setText(QStringLiteral("before"));
        pressEnter(chat);
        QCOMPARE(chat->NewText->Text(), QStringLiteral("\r\n"));
        QCOMPARE(chat->rtxtChat->Text(), QString());
        QCOMPARE(status(chat), QStringLiteral("before"));
        QTest::keyClicks(chat->NewText, QStringLiteral("x"));
        pressEnter(chat);
        QCOMPARE(receiveAtPeer(3), QByteArray("\r\nx"));
    }

    void twoWindowsExchangeLinesBothWays()
    {
        ChatPair pair;
        pair.listen();
        frmChat *caller = pair.newCaller();
        QVERIFY(pair.connect(caller));
        QTest::keyClicks(caller->NewText, QStringLiteral("ping"));
        pressEnter(caller);
        QTRY_COMPARE(pair.listener->rtxtChat->Text(), QStringLiteral("ping\r\n"));
        QTest::keyClicks(pair.listener->NewText, QStringLiteral("pong"));
        pressEnter(pair.listener);
        QTRY_COMPARE(caller->rtxtChat->Text(), QStringLiteral("ping\r\npong\r\n"));
        QTRY_COMPARE(pair.listener->rtxtChat->Text(), QStringLiteral("ping\r\npong\r\n"));
        QVERIFY(formatAt(*caller->rtxtChat, 0).font().bold());
        QVERIFY(!formatAt(*caller->rtxtChat, 6).font().bold());
        QVERIFY(!formatAt(*pair.listener->rtxtChat, 0).font().bold());
        QVERIFY(formatAt(*pair.listener->rtxtChat, 6).font().bold());
    }
};

// Sending and receiving with fake sockets that fail or raise arrivals on demand.
class tst_FakeSockets : public QObject
{
    Q_OBJECT

private slots:
    void failedSend_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("closed") << 0 << "Connection state: Closed" << "Link to remote computer not established";
        QTest::newRow("peer closing") << 8 << "Connection state: Peer is closing the connection"
                                      << "Link to remote computer not established";
        QTest::newRow("connected") << 7 << "Connection state: Connected" << "Operation canceled";
    }

    void failedSend()
    {
        QFETCH(int, state);
        QFETCH(QString, statusText);
        QFETCH(QString, prompt);
        auto *data = new FakeStreamSocket;
        data->state = qint16(state);
        data->failSend = true;
        QPointer<frmChat> chat = new frmChat(nullptr, data);
        MessageBoxes boxes;
        boxes.whenShown = [&] { return status(chat); };
        QTest::keyClicks(chat->NewText, QStringLiteral("hello"));
        pressEnter(chat);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, prompt);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Brindlet"));
        QCOMPARE(boxes.seen[0].statusWhenShown, statusText);
        QCOMPARE(chat->rtxtChat->Text(), QString());
        QCOMPARE(chat->NewText->Text(), QStringLiteral("hello\r\n"));  // with the Enter key's own break
        QCOMPARE(data->sent, QByteArray());
        delete chat;
    }

    void enterInsideALongPastedRunBreaksItThere()
    {
        QPointer<frmChat> chat = new frmChat(nullptr, new FakeStreamSocket);
        MessageBoxes boxes;
        QApplication::clipboard()->setText(QString(3000, u'u'));
        chat->NewText->paste();
        // Inside the run, where the box holds it in a paragraph of its own.
        QTextCursor caret(chat->NewText->document()->findBlockByNumber(1));
        caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 10);
        chat->NewText->setTextCursor(caret);
        pressEnter(chat);  // not connected: the text and the Enter key's break stay
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(chat->NewText->Text(), QString(1034, u'u') + QStringLiteral("\r\n") + QString(1966, u'u'));
        delete chat;
    }

    // A long echo goes in over several turns as one entry, and what comes
    // meanwhile, the peer's text or the user's next line, waits for its end.
    void entriesStayWholeAndInOrderWhileALongOneGoesIn()
    {
        auto *data = new FakeStreamSocket;
        data->state = StreamSocket::sckConnected;
        QPointer<frmChat> chat = new frmChat(nullptr, data);
        // A character beyond the page, in two halves where the first turn ends, is sent as one "?".
        const QString start(TranscriptWriter::charactersPerTurn - 1, u'p');
        const QString end(TranscriptWriter::charactersPerTurn * 3 / 2, u'q');
        const QString paste = start + QString::fromUtf8("\xF0\x9F\x98\x80") + end;
        const QString shown = start + QStringLiteral("?") + end;
        sendLine(chat, paste);
        QCOMPARE(chat->rtxtChat->TextLength(), 0);  // it begins on the next turn, Enter's own stays short
        data->raiseData(QStringLiteral("reply"));
        sendLine(chat, QStringLiteral("next"));
        QCOMPARE(chat->rtxtChat->TextLength(), 0);
        QTRY_COMPARE(chat->rtxtChat->Text(), shown + QStringLiteral("\r\nreply\r\nnext\r\n"));
        QVERIFY(formatAt(*chat->rtxtChat, shown.size() - 1).font().bold());
        QVERIFY(!formatAt(*chat->rtxtChat, shown.size() + 2).font().bold());
        chat->rtxtChat->SetMaxEntries(3);  // all three are kept: the paste was one entry
        QCOMPARE(chat->rtxtChat->TextLength(), shown.size() + 15);
        delete chat;
    }

    // A peer that sends a byte at a time, or floods, cannot fill memory: the
    // window's transcript keeps its newest entries and characters.
    void theTranscriptIsBounded()
    {
        auto *data = new FakeStreamSocket;
        data->state = StreamSocket::sckConnected;
        QPointer<frmChat> chat = new frmChat(nullptr, data);
        for (int entry = 0; entry <= frmChat::transcriptEntries; ++entry)
            data->raiseData(QStringLiteral("x"));
        data->raiseData(QStringLiteral("end"));
        QTRY_VERIFY(chat->rtxtChat->Text().endsWith(QStringLiteral("x\r\nend\r\n")));
        QVERIFY(chat->rtxtChat->TextLength() <= 3 * frmChat::transcriptEntries + 2);
        data->raiseData(QString(frmChat::transcriptCharacters * 3 / 5, u'y'));
        data->raiseData(QString(frmChat::transcriptCharacters * 3 / 5, u'z'));
        QTRY_VERIFY(chat->rtxtChat->Text().endsWith(QStringLiteral("zz\r\n")));
        QVERIFY(chat->rtxtChat->TextLength() <= frmChat::transcriptCharacters);
        delete chat;
    }

    void otherKeysNeverSendOrClear()
    {
        auto *data = new FakeStreamSocket;
        data->state = StreamSocket::sckConnected;
        QPointer<frmChat> chat = new frmChat(nullptr, data);
        QTest::keyClicks(chat->NewText, QStringLiteral("abc"));
        QTest::keyClick(chat->NewText, Qt::Key_Backspace);
        QTest::keyClick(chat->NewText, Qt::Key_Left);
        QCOMPARE(chat->NewText->Text(), QStringLiteral("ab"));
        QCOMPARE(data->calls, QStringList());
        delete chat;
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    tst_Messages messages;
    tst_FakeSockets fakeSockets;
    return QTest::qExec(&messages, argc, argv) | QTest::qExec(&fakeSockets, argc, argv);
}

#include "tst_messages.moc"
