// The menu commands, shutdown, and the About box.
#include "ChatPair.h"
#include "ChatWindow.h"
#include "FakeStreamSocket.h"
#include "MessageBoxes.h"
#include "RawPeer.h"
#include "about/frmAbout.h"
#include "chat/frmChat.h"
#include "components/desktop/SystemEnd.h"
#include "components/forms/Forms.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"
#include "options/frmOptions.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <csignal>
#include <functional>
#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#endif

namespace {

// The contrast ratio of two colours, 1 to 21, as accessibility guidelines measure it.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pixel of a picture that stands out most from the given background.
QColor strongest(const QImage &image, const QColor &background, const std::function<bool(QColor)> &among)
{
    QColor best = background;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (among(pixel) && contrast(pixel, background) > contrast(best, background))
                best = pixel;
        }
    }
    return best;
}

// A dark desktop theme, set the way a platform theme sets it: for the whole
// application and for the labels in particular.
struct DarkTheme
{
    DarkTheme()
    {
        QPalette dark(QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::Base, QColor(0x2D, 0x2D, 0x2D));
        QApplication::setPalette(dark);
        QApplication::setPalette(dark, "QLabel");
        QApplication::setPalette(dark, "QAbstractButton");
    }
    ~DarkTheme() { QApplication::setPalette(QPalette()); }
};

}  // namespace

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
        frmOptions *options = optionsOf(chat);
        chat->mnuOption->trigger();
        QVERIFY(options->isVisible());
        QVERIFY(!options->isModal());
        chat->mnuOption->trigger();
        QCOMPARE(optionsOf(chat), options);
        QCOMPARE(chat->findChildren<frmOptions *>().size(), 1);
        chat->cmdConnect->click();  // the chat window still works
        QCOMPARE(chat->cmdConnect->text(), QStringLiteral("Disconnect"));
    }

    void aboutBoxShowsTheProgramAndStartsAfreshEachTime()
    {
        openChat(new frmChat);
        chat->mnuAbout->trigger();
        QCOMPARE(aboutBoxes().size(), 1);
        QPointer<frmAbout> about = aboutBoxes().first();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Brindlet"));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("Brindlet"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version " PROJECT_VERSION));
        QCOMPARE(about->lblDescription->text(), QStringLiteral("Brindlet is a chat program"));
        QCOMPARE(about->lblDisclaimer->text(), QStringLiteral("Warning: ..."));
        chat->mnuAbout->trigger();
        QCOMPARE(aboutBoxes(), QList<frmAbout *>{about.data()});

        QVERIFY(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(!about);
        chat->mnuAbout->trigger();
        QCOMPARE(aboutBoxes().size(), 1);
        about = aboutBoxes().first();
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version " PROJECT_VERSION));
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

    void darkThemeKeepsTheTranscriptAndAboutBoxReadable()
    {
        const DarkTheme theme;
        auto *data = new FakeStreamSocket;
        data->state = StreamSocket::sckConnected;
        openChat(new frmChat(nullptr, data));
        QTest::keyClicks(chat->NewText, QStringLiteral("MMMM"));
        QTest::keyClick(chat->NewText, Qt::Key_Return);
        data->raiseData(QStringLiteral("MMMM"));
        QTRY_COMPARE(chat->rtxtChat->Text(), QStringLiteral("MMMM\r\nMMMM\r\n"));  // within a frame
        const QImage page = chat->rtxtChat->viewport()->grab().toImage();
        const QColor white(Qt::white);
        QCOMPARE(page.pixelColor(page.width() - 2, page.height() - 2), white);
        const auto bluish = [](QColor c) { return c.blue() > c.red() + 100; };
        const QColor own = strongest(page, white, [&](QColor c) { return !bluish(c); });
        const QColor peer = strongest(page, white, bluish);
        QVERIFY2(contrast(own, white) >= 4.5 && own.blue() < 60, qPrintable(own.name()));
        QVERIFY2(contrast(peer, white) >= 4.5 && peer.red() < 60, qPrintable(peer.name()));

        chat->mnuAbout->trigger();
        frmAbout *about = aboutBoxes().value(0);
        QVERIFY(about);
        const QImage title = about->lblTitle->grab().toImage();
        const QColor background = title.pixelColor(title.width() - 1, title.height() - 1);
        QVERIFY2(contrast(strongest(title, background, [](QColor) { return true; }), background) >= 4.5,
                 qPrintable(background.name()));
        QCOMPARE(about->lblTitle->palette().color(QPalette::WindowText), QColor(Qt::black));
        const QPalette button = about->cmdOK->palette();
        QVERIFY(contrast(button.color(QPalette::ButtonText), button.color(QPalette::Button)) >= 4.5);
        about->cmdOK->click();
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

    // Only once all that was sent is on its way: the peer gets it whole, and
    // then the end, however slow the machine (the linger is long here).
    void closingTheWindowEndsTheProgram()
    {
        RawPeer peer({.linger = std::chrono::minutes(10)});
        openChat(peer.chat);
        QByteArray received;
        QObject::connect(peer.socket, &QIODevice::readyRead, [&] { received += peer.socket->readAll(); });
        const QByteArray sent(8 * 1024 * 1024, 's');
        sendLine(chat, QString::fromLatin1(sent));
        chat->mnuOption->trigger();
        chat->mnuAbout->trigger();
        QTimer::singleShot(0, chat, [this] { QTest::keyClick(chat->NewText, Qt::Key_X, Qt::ControlModifier); });
        QTimer::singleShot(100000, qApp, [] { QCoreApplication::exit(1); });  // the program did not end
        QCOMPARE(QApplication::exec(), 0);
        for (const QTcpSocket *lingering : qApp->findChildren<QTcpSocket *>())
            QCOMPARE(lingering->bytesToWrite(), 0);  // the system has it all
        QTRY_COMPARE_WITH_TIMEOUT(peer.socket->state(), QAbstractSocket::UnconnectedState, 100000);
        QVERIFY(received == sent);
    }

    // Asked by the system to end (logout, kill, Ctrl+C), the program ends as
    // Disconnect and Exit does: a peer that reads gets all that was queued,
    // then the end. Asked again, it ends at once, and a peer that has not had
    // it all gets a reset, never the orderly end of a whole text.
    void theSystemAsksTheProgramToEndAsExitDoes_data()
    {
        QTest::addColumn<bool>("peerReads");
        QTest::newRow("a peer that reads") << true;
        QTest::newRow("a peer that does not") << false;
    }

    void theSystemAsksTheProgramToEndAsExitDoes()
    {
#ifndef Q_OS_LINUX
        QSKIP("asks by a signal and reads the peer's TCP state as Linux shows it; Windows asks by ending the "
              "session, which a test cannot do");
#else
        QFETCH(bool, peerReads);
        const SystemEnd endsWhenAsked;
        RawPeer peer({.linger = std::chrono::minutes(10)});
        openChat(peer.chat);
        QByteArray received;
        if (peerReads)
            QObject::connect(peer.socket, &QIODevice::readyRead, [&] { received += peer.socket->readAll(); });
        else
            peer.socket->setReadBufferSize(4096);
        const QByteArray sent(16 * 1024 * 1024, 's');
        sendLine(chat, QString::fromLatin1(sent));
        QObject::connect(chat, &QObject::destroyed, [peerReads] {
            if (!peerReads)
                ::raise(SIGINT);
        });
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        QTimer::singleShot(100000, qApp, [] { QCoreApplication::exit(1); });  // the program did not end
        QCOMPARE(QApplication::exec(), 0);
        if (peerReads) {
            QTRY_COMPARE_WITH_TIMEOUT(peer.socket->state(), QAbstractSocket::UnconnectedState, 100000);
            QVERIFY(received == sent);
        } else {
            const int fd = int(peer.socket->socketDescriptor());
            tcp_info info{};
            socklen_t size = sizeof info;
            QTRY_VERIFY(::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 && info.tcpi_state != TCP_ESTABLISHED);
            QCOMPARE(info.tcpi_state, TCP_CLOSE);  // reset, not the orderly close of a text sent whole
        }
#endif
    }

    // The Ctrl of Ctrl+X, pressed alone, leaves a big paste going in a part a
    // turn: the window goes at once, whatever is still going in.
    void ctrlXClosesAtOnceWhileABigPasteGoesIn()
    {
        openChat(new frmChat);
        QApplication::clipboard()->setText(QString(4 * TextBox::pastedPerTurn, u'p'));
        chat->NewText->paste();
        QTest::keyPress(chat->NewText, Qt::Key_Control, Qt::ControlModifier);
        QVERIFY(isPasting(chat->NewText));
        QTest::keyClick(chat->NewText, Qt::Key_X, Qt::ControlModifier);
        QTRY_VERIFY(!chat);
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
