// What the Options dialog does with the user's choices, under keyboard and mouse.
#include "ChatWindow.h"
#include "FakeStreamSocket.h"
#include "MessageBoxes.h"
#include "chat/frmChat.h"
#include "components/forms/StatusBar.h"
#include "options/frmOptions.h"

#include <QComboBox>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>

class tst_Options : public QObject
{
    Q_OBJECT

private:
    FakeStreamSocket *listener = nullptr;
    FakeStreamSocket *data = nullptr;
    QPointer<frmChat> chat;
    frmOptions *options = nullptr;

    void focusBox(QComboBox *box)
    {
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
    }

    void emptyBox(QComboBox *box)
    {
        focusBox(box);
        box->lineEdit()->selectAll();
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(box->currentText(), QString());
    }

private slots:
    void init()
    {
        listener = new FakeStreamSocket;
        data = new FakeStreamSocket;
        chat = new frmChat(listener, data);
        chat->show();
        chat->mnuOption->trigger();
        options = optionsOf(chat);
        QVERIFY(options->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(options));
    }

    void cleanup() { delete chat; }

    void emptyBoxCannotBeLeftByTab()
    {
        emptyBox(options->cboPort);
        QTest::keyClick(options->cboPort->lineEdit(), Qt::Key_Tab);
        QVERIFY(options->cboPort->hasFocus());
        QTest::keyClick(options->cboPort->lineEdit(), Qt::Key_Backtab);
        QVERIFY(options->cboPort->hasFocus());
        QCOMPARE(chat->strRemotePort, QStringLiteral("1001"));
    }

    void emptyBoxSwallowsClicksOnOtherControls()
    {
        MessageBoxes boxes;
        chat->strMode = QStringLiteral("Connect");  // OK would ask if it ran
        emptyBox(options->cboIP);
        QTest::mouseClick(options->cmdOK, Qt::LeftButton);
        QTest::mouseClick(options->cmdCancel, Qt::LeftButton);
        QTest::mouseClick(options->optionListen, Qt::LeftButton);
        // The drop-down arrow of another box, whose text field takes the focus.
        QTest::mouseClick(options->cboPort, Qt::LeftButton, {}, options->cboPort->rect().center() + QPoint(options->cboPort->width() / 2 - 5, 0));
        QVERIFY(!options->cboPort->view()->isVisible());
        QVERIFY(options->isVisible());
        QVERIFY(options->cboIP->hasFocus());
        QVERIFY(options->optionConnect->isChecked());
        QCOMPARE(boxes.seen.size(), 0);
        QCOMPARE(chat->strRemoteHost, QStringLiteral("127.0.0.1"));
    }

    // Exactly as typed: "100" is not completed to the item "1001".
    void boxLeftWithTextTakesEffectAtOnce()
    {
        focusBox(options->cboPort);
        options->cboPort->lineEdit()->selectAll();
        QTest::keyClicks(options->cboPort->lineEdit(), QStringLiteral("100"));
        QTest::keyClick(options->cboPort->lineEdit(), Qt::Key_Tab);
        QCOMPARE(chat->strRemotePort, QStringLiteral("100"));
        QCOMPARE(options->cboPort->currentText(), QStringLiteral("100"));
        QVERIFY(!options->cboPort->hasFocus());

        focusBox(options->cboIP);
        options->cboIP->lineEdit()->selectAll();
        QTest::keyClicks(options->cboIP->lineEdit(), QStringLiteral("example.org"));
        QTest::mouseClick(options->cmdCancel, Qt::LeftButton);
        QVERIFY(!options->isVisible());
        QCOMPARE(chat->strRemoteHost, QStringLiteral("example.org"));
        chat->mnuOption->trigger();
        QCOMPARE(options->cboIP->currentText(), QStringLiteral("example.org"));
    }

    void enterRunsOkWithoutTheCheck()
    {
        emptyBox(options->cboPort);
        QTest::keyClick(options->cboPort->lineEdit(), Qt::Key_Return);
        QVERIFY(!options->isVisible());
        QCOMPARE(chat->strRemotePort, QString());
        QCOMPARE(options->cboPort->count(), 2);  // Enter adds nothing to the list
    }

    void enterInAnyBoxRunsOkWithItsText_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        for (const char *box : {"cboIP", "cboPort", "cboLocalPort"}) {
            QTest::addRow("%s untouched", box) << box << QString();
            QTest::addRow("%s typed", box) << box << "100";  // a list entry begins so
        }
    }

    void enterInAnyBoxRunsOkWithItsText()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        options->optionListen->setChecked(box == "cboLocalPort");
        auto *combo = options->findChild<QComboBox *>(box);
        focusBox(combo);
        if (!typed.isEmpty()) {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), typed);
        }
        const QString text = combo->currentText();
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QVERIFY(!options->isVisible());
        const QString stored = box == "cboIP" ? chat->strRemoteHost : box == "cboPort" ? chat->strRemotePort : chat->strLocalPort;
        QCOMPARE(stored, typed.isEmpty() ? text : typed);
        QCOMPARE(chat->cmdConnect->text(), box == "cboLocalPort" ? QStringLiteral("Listen") : QStringLiteral("Connect"));
    }

    void wheelOverAnotherBoxWhileOneIsEmptyChangesNothing()
    {
        emptyBox(options->cboIP);
        // Over the drop-down arrow, where the box itself takes the wheel.
        const QPoint arrow = options->cboPort->rect().center() + QPoint(options->cboPort->width() / 2 - 5, 0);
        QWheelEvent wheel(arrow, options->cboPort->mapToGlobal(arrow), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);  // as from the window system, which moves the focus
        QApplication::sendEvent(options->cboPort, &wheel);
        QVERIFY(options->cboIP->hasFocus());
        QCOMPARE(options->cboPort->currentText(), QStringLiteral("1001"));

        // On a desktop the wheel may move the focus, which the empty box takes back.
        options->cmdOK->setFocus(Qt::MouseFocusReason);
        QVERIFY(options->cboIP->hasFocus());
        QTest::keyClicks(options->cboIP->lineEdit(), QStringLiteral("10.0.0.1"));
        QCoreApplication::processEvents();
        QTest::mouseClick(options->cmdOK, Qt::LeftButton);  // a later click is not swallowed
        QVERIFY(!options->isVisible());
        QCOMPARE(chat->strRemoteHost, QStringLiteral("10.0.0.1"));
    }

    void escapeCancels()
    {
        focusBox(options->cboIP);
        QTest::keyClick(options->cboIP->lineEdit(), Qt::Key_Escape);
        QVERIFY(!options->isVisible());
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
    }

    void okWithNoSessionWritesAndSetsTheButton()
    {
        MessageBoxes boxes;
        listener->state = StreamSocket::sckListening;  // left over, closed by OK all the same
        options->optionListen->setChecked(true);
        options->cboIP->setEditText(QStringLiteral("10.1.2.3"));
        options->cboPort->setEditText(QStringLiteral("80"));
        options->cboLocalPort->setEditText(QStringLiteral("2002"));
        QTest::mouseClick(options->cmdOK, Qt::LeftButton);
        QCOMPARE(boxes.seen.size(), 0);
        QVERIFY(!options->isVisible());
        QCOMPARE(listener->calls, QStringList{QStringLiteral("Close")});
        // The disabled connect side is written too.
        QCOMPARE(chat->strRemoteHost, QStringLiteral("10.1.2.3"));
        QCOMPARE(chat->strRemotePort, QStringLiteral("80"));
        QCOMPARE(chat->strLocalPort, QStringLiteral("2002"));
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Listen"));
        QCOMPARE(chat->strMode, QStringLiteral("Close"));
    }

    void okAfterASessionAsksFirst()
    {
        MessageBoxes boxes;
        chat->cmdConnect->click();  // starts connecting: strMode "Connect"
        data->raiseConnected();
        data->raiseClosed();  // the peer has gone, the session still counts
        chat->mnuOption->trigger();
        options->cboPort->setEditText(QStringLiteral("2525"));

        boxes.answers = {QMessageBox::Cancel};
        options->cmdOK->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Active connection detected"));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Close the connection and proceed with the new settings?"));
        QCOMPARE(boxes.seen[0].buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
        QVERIFY(options->isVisible());
        QCOMPARE(chat->strRemotePort, QStringLiteral("1001"));
        QCOMPARE(data->state, StreamSocket::sckClosing);

        options->cmdOK->click();  // answered OK
        QCOMPARE(boxes.seen.size(), 2);
        QVERIFY(!options->isVisible());
        QCOMPARE(data->state, StreamSocket::sckClosed);
        QCOMPARE(chat->strRemotePort, QStringLiteral("2525"));
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(chat->strMode, QStringLiteral("Connect"));  // so the next OK asks again
    }

    void okThatEndsAConversationShowsItEnded()
    {
        MessageBoxes boxes;
        chat->cmdConnect->click();
        data->raiseConnected();
        QCOMPARE(chat->windowTitle(), QStringLiteral("Brindlet (connected)"));
        options->cmdOK->click();
        QCOMPARE(chat->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(chat->sbarChat->Panels(1)->text(), QStringLiteral("Connection Closed"));
    }

    void failedCloseIsReportedAndTheSettingsStillApply()
    {
        MessageBoxes boxes;
        data->state = StreamSocket::sckConnected;
        data->failClose = true;
        options->optionListen->setChecked(true);
        options->cmdOK->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Error closing connections"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Brindlet"));
        QVERIFY(!options->isVisible());
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Listen"));
    }

    void cancelledModeIsWhatTheDialogShowsAndTheButtonRestoresTo()
    {
        QTest::mouseClick(options->optionListen, Qt::LeftButton);
        QVERIFY(options->optionListen->isChecked());
        options->cmdCancel->click();
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
        chat->mnuOption->trigger();
        QVERIFY(options->optionListen->isChecked());
        QVERIFY(options->cboLocalPort->isEnabled());
        options->cmdCancel->click();

        chat->cmdConnect->click();  // Connect
        chat->cmdConnect->click();  // Disconnect: restored by the dialog's mode
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Listen"));
    }
};

QTEST_MAIN(tst_Options)
#include "tst_options.moc"
