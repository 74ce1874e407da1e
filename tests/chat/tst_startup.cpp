// The chat window as it opens, and the hidden Options dialog behind it.
#include "ChatWindow.h"
#include "chat/frmChat.h"
#include "components/core/Twips.h"
#include "components/desktop/App.h"
#include "components/forms/Forms.h"
#include "components/forms/PictureBox.h"
#include "components/forms/StatusBar.h"
#include "components/network/StreamSocket.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"
#include "options/frmOptions.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSettings>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

QRectF twipsGeometry(const QWidget *control)
{
    return {Twips::Left(control), Twips::Top(control), Twips::Width(control), Twips::Height(control)};
}

QStringList entries(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

}  // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private:
    QPointer<frmChat> chat;

private slots:
    void init()
    {
        chat = new frmChat;
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
    }

    void cleanup() { delete chat; }

    void sessionStartsIdleWithTheDialogsValues()
    {
        QCOMPARE(chat->strMode, QStringLiteral("Close"));
        QCOMPARE(chat->strRemoteHost, QStringLiteral("127.0.0.1"));
        QCOMPARE(chat->strRemotePort, QStringLiteral("1001"));
        QCOMPARE(chat->strLocalPort, QStringLiteral("1001"));
        QCOMPARE(chat->windowTitle(), QStringLiteral("Brindlet"));
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(chat->rtxtChat->Text(), QString());
        QCOMPARE(chat->NewText->Text(), QString());
        QCOMPARE(chat->sbarChat->Panels(1)->text(), QString());
        QCOMPARE(chat->wsockData->State(), StreamSocket::sckClosed);
        QCOMPARE(chat->wsockListener->State(), StreamSocket::sckClosed);
    }

    void optionsDialogIsLoadedHiddenInConnectMode()
    {
        frmOptions *options = optionsOf(chat);
        QVERIFY(options);
        QVERIFY(!options->isVisible());
        QCOMPARE(Forms::Item(Forms::Count() - 2), chat.data());
        QCOMPARE(Forms::Item(Forms::Count() - 1), options);
        QCOMPARE(options->windowTitle(), QStringLiteral("Brindlet Options"));
        QVERIFY(options->optionConnect->isChecked());
        QVERIFY(!options->optionListen->isChecked());
        QCOMPARE(options->cboIP->currentText(), QStringLiteral("127.0.0.1"));
        QCOMPARE(entries(options->cboIP), QStringList());
        QCOMPARE(entries(options->cboPort), (QStringList{QStringLiteral("1001"), QStringLiteral("80")}));
        QCOMPARE(entries(options->cboLocalPort), (QStringList{QStringLiteral("1001"), QStringLiteral("80")}));
        for (QWidget *on : QList<QWidget *>{options->framConnect, options->lblConnect[0], options->lblConnect[1],
                                            options->cboIP, options->cboPort})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        for (QWidget *off : QList<QWidget *>{options->framListen, options->lblListen[0], options->cboLocalPort})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    }

    void windowOpensWithTheDesignGeometry()
    {
        QCOMPARE(chat->ScaleWidth(), 5685.0f);
        QCOMPARE(chat->ScaleHeight(), 4845.0f);
        const QPoint clientCorner = chat->clientArea->mapToGlobal(QPoint(0, 0));
        QCOMPARE(clientCorner, QPoint(Twips::ToPixelsX(6360), Twips::ToPixelsY(1395)));
        QCOMPARE(twipsGeometry(chat->cmdConnect), QRectF(1920, 90, 1515, 465));
        QCOMPARE(twipsGeometry(chat->sbarChat), QRectF(0, 4590, 5685, 255));
        // The first layout pass: two pixels in from the left, input box two pixels above the status bar.
        QCOMPARE(twipsGeometry(chat->rtxtChat), QRectF(30, 660, 5625, 2865));
        QCOMPARE(twipsGeometry(chat->picSep), QRectF(30, 3555, 5625, 105));
        QCOMPARE(twipsGeometry(chat->lblNewText), QRectF(30, 3690, 5625, 210));
        QCOMPARE(twipsGeometry(chat->NewText), QRectF(30, 3915, 5625, 645));
    }

    void designFontsOrTheirSubstitutes()
    {
        // Where Verdana is missing, the substitute keeps size and weight.
        QCOMPARE(QFontInfo(chat->rtxtChat->font()).pointSizeF(), 9.75);
        QCOMPARE(QFontInfo(chat->NewText->font()).weight(), int(QFont::Bold));
        QCOMPARE(QFontInfo(chat->cmdConnect->font()).pointSizeF(), 9.0);
        QVERIFY(QFontInfo(chat->rtxtChat->font()).family().contains(QStringLiteral("Sans")));
    }

    void focusStartsOnTheButtonAndTabFollowsTheDesignOrder()
    {
        chat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat));
        QCOMPARE(QApplication::focusWidget(), chat->cmdConnect);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chat->NewText);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chat->rtxtChat);
    }

    void menusWithAccessKeysAndTheExitShortcut()
    {
        const QList<QAction *> top = chat->menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top[0]->text(), QStringLiteral("&Connection"));
        QCOMPARE(top[1]->text(), QStringLiteral("&Help"));
        const QList<QAction *> file = chat->mnuFile->actions();
        QCOMPARE(file.size(), 3);
        QCOMPARE(file[0]->text(), QStringLiteral("&Options ..."));
        QVERIFY(file[1]->isSeparator());
        QCOMPARE(file[2]->text(), QStringLiteral("Disconnect and E&xit"));
        QCOMPARE(file[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
        QCOMPARE(chat->mnuHelp->actions().size(), 1);
        QCOMPARE(chat->mnuHelp->actions()[0]->text(), QStringLiteral("About..."));
    }

    void optionsDialogHasItsDesignGeometry()
    {
        frmOptions *options = optionsOf(chat);
        QCOMPARE(options->size(), QSize(Twips::ToPixelsX(6150), Twips::ToPixelsY(3930)));
        // The option buttons lie on their frames' top edges, above them.
        QCOMPARE(Twips::Top(options->optionConnect), Twips::Top(options->framConnect));
        QCOMPARE(Twips::Top(options->optionListen), Twips::Top(options->framListen));
        QVERIFY(options->children().indexOf(options->optionListen) > options->children().indexOf(options->framListen));
        QCOMPARE(twipsGeometry(options->cboLocalPort), QRectF(2070, 450, 1305, 330));  // inside its frame
    }

    // The running window names the desktop entry that starts it: its Wayland
    // app id is the entry's name, its X11 class the entry's StartupWMClass.
    void windowAndMenuEntryAreOneProgram()
    {
        QSettings entry(QStringLiteral(DESKTOP_ENTRY), QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(QFileInfo(QStringLiteral(DESKTOP_ENTRY)).completeBaseName(), App::DesktopFileName());
        QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), App::DesktopFileName());
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")).toString(), App::Title());
        // The windows carry the entry's icon drawn at the sizes panels and
        // title bars ask for, so none of them is a blurred rescale.
        const QList<QSize> drawn = App::Icon().availableSizes();
        for (const int size : {16, 32, 48, 256})
            QVERIFY2(drawn.contains(QSize(size, size)), qPrintable(QString::number(size)));
    }

    void selectingAnOptionSwitchesTheSides()
    {
        frmOptions *options = optionsOf(chat);
        options->optionListen->setChecked(true);
        QVERIFY(!options->optionConnect->isChecked());
        QVERIFY(!options->framConnect->isEnabled());
        QVERIFY(!options->lblConnect[0]->isEnabled());
        QVERIFY(!options->lblConnect[1]->isEnabled());
        QVERIFY(!options->cboIP->isEnabled());
        QVERIFY(!options->cboPort->isEnabled());
        QVERIFY(options->framListen->isEnabled());
        QVERIFY(options->lblListen[0]->isEnabled());
        QVERIFY(options->cboLocalPort->isEnabled());
        QCOMPARE(options->cboIP->currentText(), QStringLiteral("127.0.0.1"));

        options->optionConnect->setChecked(true);
        QVERIFY(options->cboIP->isEnabled());
        QVERIFY(options->lblConnect[1]->isEnabled());
        QVERIFY(!options->cboLocalPort->isEnabled());
        QVERIFY(!options->lblListen[0]->isEnabled());
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Connect"));
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
