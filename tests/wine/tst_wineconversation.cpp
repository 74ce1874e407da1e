// The Windows program, under Wine on the test run's X server, in conversation
// with a raw socket and with the chat window of this system, driven by keys as
// a person drives it: what is typed into it reaches the peer byte for byte,
// and what the peer sends shows in its transcript as the same text.
#include "ChatWindow.h"
#include "components/network/StreamSocket.h"
#include "components/text/RichTextBox.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <csignal>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int wineTakesItsTime = 60000;  // milliseconds for each step

// Runs a tool to its end; what it printed, or nothing when it failed.
std::optional<QString> run(const QStringList &command)
{
    QProcess tool;
    tool.start(command.first(), command.mid(1));
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QString output(const QStringList &command) { return run(command).value_or(QString()); }

QStringList xdotool(const QString &command) { return u"xdotool "_s.append(command).split(u' '); }

// The X window showing with exactly this caption, if one does.
QString shownWindow(const QString &caption)
{
    return output(xdotool(u"search --onlyvisible --name"_s) << u'^' + caption + u'$').trimmed();
}

QString clipboard() { return output(u"xclip -o -selection clipboard"_s.split(u' ')).remove(u'\r'); }

// Whether something listens on this port, on any address of either kind.
bool listensOn(quint16 port)
{
    QFile table4(u"/proc/net/tcp"_s), table6(u"/proc/net/tcp6"_s);
    if (!table4.open(QIODevice::ReadOnly) || !table6.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : (table4.readAll() + table6.readAll()).split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1].endsWith(local) && fields[3] == "0A")
            return true;
    }
    return false;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// brindlet.exe under Wine, in a process group of its own so that nothing of
// it outlives the test, and the clipboard it pastes from.
class WindowsProgram
{
public:
    enum Mode { Dial, Listen };

    WindowsProgram()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_s);  // the test's own windows are off screen; the program's show
        wine.setProcessEnvironment(environment);
        wine.setProcessChannelMode(QProcess::ForwardedChannels);
        wine.setChildProcessModifier([] { setsid(); });
        wine.start(u"sh"_s, {QStringLiteral(WINE_RUN), qEnvironmentVariable("BRINDLET_EXE")});
    }

    ~WindowsProgram()
    {
        pasteSource.kill();
        pasteSource.waitForFinished();
        if (wine.state() != QProcess::NotRunning)
            ::kill(-pid_t(wine.processId()), SIGKILL);
        wine.waitForFinished();
    }

    bool showsItsWindow()
    {
        return QTest::qWaitFor([this] { return !(window = shownWindow(u"Brindlet"_s)).isEmpty(); }, wineTakesItsTime);
    }

    QString caption() const { return output(xdotool(u"getwindowname "_s + window)).trimmed(); }

    bool press(const QString &keys, const QString &target = {}) const
    {
        return activate(target) && run(xdotool(u"key --delay 30 "_s + keys));
    }

    bool type(const QString &text, const QString &target = {}) const
    {
        return activate(target) && run(xdotool(u"type --delay 30"_s) << text);
    }

    // Pastes text through the clipboard, the only way characters outside
    // ASCII come into Wine from a virtual keyboard.
    bool paste(const QString &text)
    {
        pasteSource.start(u"xclip"_s, u"-i -quiet -selection clipboard"_s.split(u' '));
        pasteSource.write(text.toUtf8());
        while (pasteSource.bytesToWrite() > 0 && pasteSource.waitForBytesWritten(10000)) {
        }
        pasteSource.closeWriteChannel();
        return QTest::qWaitFor([&] { return clipboard() == text; }, 10000) && press(u"ctrl+v"_s);
    }

    // Sets the port in the Options dialog, dialling 127.0.0.1 or listening, and
    // starts with the toggle button, which has the focus since the window opened.
    bool start(Mode mode, quint16 port)
    {
        QString options;
        const auto dialogShown = [&] { return !(options = shownWindow(u"Brindlet Options"_s)).isEmpty(); };
        // The focus is on the connect option as the dialog opens; Tab comes to the mode's port.
        const QString toPort = mode == Dial ? u"Tab Tab"_s : u"Down Tab"_s;
        return press(u"alt+c o"_s) && QTest::qWaitFor(dialogShown, wineTakesItsTime) && press(toPort, options)
               && type(QString::number(port), options) && press(u"Return"_s, options)
               && QTest::qWaitFor([&] { return !dialogShown(); }, wineTakesItsTime) && press(u"space"_s);
    }

    // The transcript as copied from it with the keyboard, once it reads as
    // expected or when the time is up; the focus must be in it.
    QString transcript(const QString &expected) const
    {
        QString copied;
        const auto copy = [&] { return (copied = press(u"ctrl+a ctrl+c"_s) ? clipboard() : QString()) == expected; };
        return QTest::qWaitFor(copy, wineTakesItsTime) ? expected : copied;
    }

    // Ends the Wine session, as Windows ends a user's at logout or shutdown.
    bool endSession()
    {
        return run({u"sh"_s, QStringLiteral(WINE_RUN), u"wineboot"_s, u"--end-session"_s})
               && wine.waitForFinished(wineTakesItsTime);
    }

    bool exit()
    {
        return press(u"alt+c x"_s) && wine.waitForFinished(wineTakesItsTime) && wine.exitCode() == 0;
    }

    QString window;

private:
    // Gives the focus to a window of the program's, the main window unless
    // told: through the window manager where one runs, else directly.
    bool activate(const QString &target) const
    {
        const QString id = target.isEmpty() ? window : target;
        return run(xdotool(u"windowactivate --sync "_s + id)) || run(xdotool(u"windowfocus --sync "_s + id));
    }

    QProcess wine;
    QProcess pasteSource;
};

// Has the program dial a raw socket on 127.0.0.1: the peer's end, or none.
QTcpSocket *rawPeerDialledBy(WindowsProgram &windows, QTcpServer &server)
{
    if (!server.listen(QHostAddress::LocalHost, 0) || !windows.start(WindowsProgram::Dial, server.serverPort())
        || !QTest::qWaitFor([&] { return server.hasPendingConnections(); }, wineTakesItsTime))
        return nullptr;
    return server.nextPendingConnection();
}

}  // namespace

class tst_WineConversation : public QObject
{
    Q_OBJECT

private slots:
    void withARawPeerEveryByteArrivesBothWays()
    {
        WindowsProgram windows;
        QVERIFY(windows.showsItsWindow());
        QTcpServer server;
        QTcpSocket *peer = rawPeerDialledBy(windows, server);
        QVERIFY(peer);
        QTRY_COMPARE_WITH_TIMEOUT(windows.caption(), u"Brindlet (connected)"_s, wineTakesItsTime);

        QVERIFY(windows.type(u"hello "_s));  // the input box took the focus as they connected
        QVERIFY(windows.paste(u"café €"_s) && windows.press(u"Return"_s));
        QByteArray received;
        const QByteArray sent("hello caf\xE9 \x80");
        QVERIFY(QTest::qWaitFor([&] { return (received += peer->readAll()).size() >= sent.size(); }, wineTakesItsTime));
        QCOMPARE(received, sent);

        peer->write("na\xEFve \x80\x35\r\nsecond line");
        QVERIFY(windows.press(u"Tab"_s));  // to the transcript
        const QString shown = u"hello café €\nnaïve €5\nsecond line\n"_s;
        QCOMPARE(windows.transcript(shown), shown);
        QCOMPARE(peer->readAll(), QByteArray());  // nothing after the text
        QVERIFY(windows.exit());
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    }

    void listensAndTalksWithTheChatWindowOfThisSystem()
    {
        WindowsProgram windows;
        QVERIFY(windows.showsItsWindow());
        const quint16 port = freePort();
        QVERIFY(windows.start(WindowsProgram::Listen, port));
        QVERIFY(QTest::qWaitFor([&] { return listensOn(port); }, wineTakesItsTime));
        frmChat here;
        here.strRemoteHost = u"127.0.0.1"_s;
        here.strRemotePort = QString::number(port);
        here.show();
        here.cmdConnect->click();
        QTRY_COMPARE_WITH_TIMEOUT(here.wsockData->State(), StreamSocket::sckConnected, wineTakesItsTime);
        QTRY_COMPARE_WITH_TIMEOUT(windows.caption(), u"Brindlet (connected)"_s, wineTakesItsTime);

        QVERIFY(windows.type(u"hi, "_s));
        QVERIFY(windows.paste(u"Jürgen ½€"_s) && windows.press(u"Return"_s));
        QTRY_COMPARE_WITH_TIMEOUT(here.rtxtChat->Text(), u"hi, Jürgen ½€\r\n"_s, wineTakesItsTime);

        sendLine(&here, u"grüß dich ‰"_s);
        QVERIFY(windows.press(u"Tab"_s));
        const QString shown = u"hi, Jürgen ½€\ngrüß dich ‰\n"_s;
        QCOMPARE(windows.transcript(shown), shown);
        QVERIFY(windows.exit());
        QTRY_COMPARE(status(&here), u"Connection Peer is closing the connection"_s);
    }

    // What a peer that reads nothing meanwhile has not had when the session
    // ends is reset, never closed in order as if the text were whole.
    void theSessionsEndResetsATextLeftHalfSent()
    {
        WindowsProgram windows;
        QVERIFY(windows.showsItsWindow());
        QTcpServer server;
        QTcpSocket *peer = rawPeerDialledBy(windows, server);
        QVERIFY(peer);
        peer->setReadBufferSize(4096);
        // More than the system's buffers on both ends hold, so that most of it waits in the program.
        QVERIFY(windows.paste(QString(8'000'000, u'q')) && windows.press(u"Return"_s));
        QVERIFY(QTest::qWaitFor([&] { return peer->bytesAvailable() > 0; }, wineTakesItsTime));
        QVERIFY(windows.endSession());
        tcp_info info{};
        socklen_t size = sizeof info;
        const auto ended = [&] {
            return ::getsockopt(int(peer->socketDescriptor()), IPPROTO_TCP, TCP_INFO, &info, &size) == 0
                   && info.tcpi_state != TCP_ESTABLISHED;
        };
        QVERIFY(QTest::qWaitFor(ended, wineTakesItsTime));  // an orderly end would wait behind the unread text
        QCOMPARE(info.tcpi_state, TCP_CLOSE);  // reset
    }
};

QTEST_MAIN(tst_WineConversation)
#include "tst_wineconversation.moc"
