// The menu commands, shutdown, and the About box.
#include "ChatPair.h"
#include "components/FakeStreamSocket.h"
#include "MessageBoxes.h"
#include "about/frmAbout.h"
#include "chat/frmChat.h"
#include "components/Forms.h"
#include "components/TextBox.h"
#include "options/frmOptions.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

class tst_Menus : public QObject
{
    Q_OBJECT

private:
    QPointer<frmChat> chat;

    void openChat(frmChat *window)
    {
        chat = window;
        chat->show();
        chat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat));
    }

private slots:
    void init() { QCOMPARE(Forms::Count(), 0); }

    void cleanup()
    {
        delete chat;
        QTRY_COMPARE(Forms::Count(), 0);
    }

    void optionsCommandShowsTheOneDialogWithoutBlocking()
    {
        openChat(new frmChat);
        frmOptions *options = chat->Options();
        chat->mnuOption->trigger();
        QVERIFY(options->isVisible());
        QVERIFY(!options->isModal());
        chat->mnuOption->trigger();
        QCOMPARE(chat->Options(), options);
        QCOMPARE(chat->findChildren<frmOptions *>().size(), 1);
        chat->cmdConnect->click();  // the chat window still works
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Disconnect"));
    }

    void aboutBoxShowsTheProgramAndStartsAfreshEachTime()
    {
        openChat(new frmChat);
        chat->mnuAbout->trigger();
        QPointer<frmAbout> about = chat->About();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Brindlet"));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("Brindlet"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 1.0.14"));
        QCOMPARE(about->lblDescription->text(), QStringLiteral("Brindlet is a chat program"));
        QCOMPARE(about->lblDisclaimer->text(), QStringLiteral("Warning: ..."));
        chat->mnuAbout->trigger();
        QCOMPARE(chat->About(), about.data());

        QVERIFY(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(!about);
        chat->mnuAbout->trigger();
        about = chat->About();
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 1.0.14"));
        about->cmdOK->click();
        QTRY_VERIFY(!about);
    }

    void aboutBoxDrawsItsIconAndEtchedRule()
    {
        frmAbout about;
        const QImage image = about.grab().toImage();
        QCOMPARE(about.picIcon->pixmap().size(), QSize(32, 32));
        QCOMPARE(image.pixelColor(100, 163), QColor(128, 128, 128));
        QCOMPARE(image.pixelColor(100, 164), QColor(Qt::white));
        QCOMPARE(image.pixelColor(100, 165), QColor(Qt::white));
        QVERIFY(about.cmdOK->isDefault());
    }

    void ctrlXClosesFromTheInputBoxWithoutCutting()
    {
        openChat(new frmChat);
        QApplication::clipboard()->setText(QStringLiteral("clipboard"));
        chat->NewText->setFocus();
        QTest::keyClicks(chat->NewText, QStringLiteral("keep me"));
        QTest::keyClick(chat->NewText, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(chat->NewText, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!chat->isVisible());
        QCOMPARE(chat->NewText->Text(), QStringLiteral("keep me"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("clipboard"));
    }

    void closingEndsEveryWindowAndTheConversation()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        openChat(new frmChat);
        MessageBoxes boxes;
        chat->strRemotePort = QString::number(peer.serverPort());
        chat->cmdConnect->click();
        QTRY_VERIFY(peer.hasPendingConnections());
        QTcpSocket *far = peer.nextPendingConnection();
        chat->mnuOption->trigger();
        chat->mnuAbout->trigger();
        QCOMPARE(Forms::Count(), 3);

        chat->mnuExit->trigger();
        QTRY_COMPARE(far->state(), QAbstractSocket::UnconnectedState);
        QTRY_VERIFY(!chat);
        QCOMPARE(Forms::Count(), 0);
        QCOMPARE(boxes.seen.size(), 0);
        QVERIFY(QApplication::topLevelWidgets().isEmpty()
                || std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
                                [](const QWidget *w) { return w->isVisible(); }));
    }

    void closingTheWindowEndsTheProgram()
    {
        openChat(new frmChat);
        chat->mnuOption->trigger();
        chat->mnuAbout->trigger();
        QTimer::singleShot(0, chat, [this] { chat->mnuExit->trigger(); });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });  // the program did not end
        QCOMPARE(QApplication::exec(), 0);
    }

    void failedCloseIsReportedAndTheWindowStillCloses()
    {
        auto *data = new FakeStreamSocket;
        data->state = StreamSocket::sckConnected;
        data->failClose = true;
        openChat(new frmChat(nullptr, data));
        MessageBoxes boxes;
        chat->close();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Could not close the connection."));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Brindlet"));
        QTRY_VERIFY(!chat);
    }
};

QTEST_MAIN(tst_Menus)
#include "tst_menus.moc"
