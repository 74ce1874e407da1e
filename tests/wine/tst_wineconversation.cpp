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
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <csignal>
#include <optional>
#include <unistd.h>

namespace {

constexpr int wineTakesItsTime = 60000;  // milliseconds for each step

// Runs a tool to its end; what it printed, or nothing when it failed.
std::optional<QByteArray> run(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return tool.readAllStandardOutput();
}

QString xdotool(const QStringList &arguments)
{
    return QString::fromUtf8(run(QStringLiteral("xdotool"), arguments).value_or(QByteArray())).trimmed();
}

// The X window showing with this caption, if one does.
QString shownWindow(const QString &caption)
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                    QLatin1Char('^') + QRegularExpression::escape(caption) + QLatin1Char('$')});
}

QString clipboard()
{
    return QString::fromUtf8(run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")})
                                 .value_or(QByteArray()))
        .remove(QLatin1Char('\r'));
}

// Whether something listens on this port, on any address of either kind.
bool listensOn(quint16 port)
{
    QFile table4(QStringLiteral("/proc/net/tcp")), table6(QStringLiteral("/proc/net/tcp6"));
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
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the test's own windows are off screen; the program's show on the X server
        wine.setProcessEnvironment(environment);
        wine.setProcessChannelMode(QProcess::ForwardedChannels);
        wine.setChildProcessModifier([] { setsid(); });
        wine.start(QStringLiteral("sh"), {QStringLiteral(WINE_RUN), qEnvironmentVariable("BRINDLET_EXE")});
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
        return QTest::qWaitFor([this] { return !(window = shownWindow(QStringLiteral("Brindlet"))).isEmpty(); }, wineTakesItsTime);
    }

    QString caption() const { return xdotool({QStringLiteral("getwindowname"), window}); }

    bool press(const QString &keys, const QString &target = {}) const
    {
        return activate(target)
               && run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} + keys.split(u' '));
    }

    bool type(const QString &text, const QString &target = {}) const
    {
        return activate(target) && run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
    }

    // Pastes text through the clipboard, the only way characters outside
    // ASCII come into Wine from a virtual keyboard.
    bool paste(const QString &text)
    {
        pasteSource.start(QStringLiteral("xclip"), {QStringLiteral("-i"), QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
        pasteSource.write(text.toUtf8());
        pasteSource.closeWriteChannel();
        return QTest::qWaitFor([&] { return clipboard() == text; }, 10000) && press(QStringLiteral("ctrl+v"));
    }

    // Sets the port in the Options dialog, dialling 127.0.0.1 or listening, and
    // starts with the toggle button, which has the focus since the window opened.
    bool start(Mode mode, quint16 port)
    {
        QString options;
        const auto dialogShown = [&] { return !(options = shownWindow(QStringLiteral("Brindlet Options"))).isEmpty(); };
        // The focus is on the connect option as the dialog opens; Tab comes to the mode's port.
        const QString toPort = mode == Dial ? QStringLiteral("Tab Tab") : QStringLiteral("Down Tab");
        return press(QStringLiteral("alt+c o")) && QTest::qWaitFor(dialogShown, wineTakesItsTime)
               && press(toPort, options) && type(QString::number(port), options) && press(QStringLiteral("Return"), options)
               && QTest::qWaitFor([&] { return !dialogShown(); }, wineTakesItsTime) && press(QStringLiteral("space"));
    }

    // The transcript as copied from it with the keyboard; the focus must be in it.
    QString transcript() const { return press(QStringLiteral("ctrl+a ctrl+c")) ? clipboard() : QString(); }

    bool exit()
    {
        return press(QStringLiteral("alt+c x")) && wine.waitForFinished(wineTakesItsTime)
               && wine.exitCode() == 0;
    }

    QString window;

private:
    // Gives the focus to a window of the program's, the main window unless
    // told: through the window manager where one runs, else directly.
    bool activate(const QString &target) const
    {
        const QString id = target.isEmpty() ? window : target;
        return run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id})
               || run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    }

    QProcess wine;
    QProcess pasteSource;
};

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
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QVERIFY(windows.start(WindowsProgram::Dial, server.serverPort()));
        QVERIFY(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, wineTakesItsTime));
        QTcpSocket *peer = server.nextPendingConnection();
        QTRY_COMPARE_WITH_TIMEOUT(windows.caption(), QStringLiteral("Brindlet (connected)"), wineTakesItsTime);

        QVERIFY(windows.type(QStringLiteral("hello ")));  // the input box took the focus as they connected
        QVERIFY(windows.paste(QStringLiteral("café €")) && windows.press(QStringLiteral("Return")));
        QByteArray received;
        const QByteArray sent("hello caf\xE9 \x80");
        QVERIFY(QTest::qWaitFor([&] { return (received += peer->readAll()).size() >= sent.size(); }, wineTakesItsTime));
        QCOMPARE(received, sent);

        peer->write("na\xEFve \x80\x35\r\nsecond line");
        QVERIFY(windows.press(QStringLiteral("Tab")));  // to the transcript
        QTRY_COMPARE_WITH_TIMEOUT(windows.transcript(), QStringLiteral("hello café €\nnaïve €5\nsecond line\n"), wineTakesItsTime);
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
        here.strRemoteHost = QStringLiteral("127.0.0.1");
        here.strRemotePort = QString::number(port);
        here.show();
        here.cmdConnect->click();
        QTRY_COMPARE_WITH_TIMEOUT(here.wsockData->State(), StreamSocket::sckConnected, wineTakesItsTime);
        QTRY_COMPARE_WITH_TIMEOUT(windows.caption(), QStringLiteral("Brindlet (connected)"), wineTakesItsTime);

        QVERIFY(windows.type(QStringLiteral("hi, ")));
        QVERIFY(windows.paste(QStringLiteral("Jürgen ½€")) && windows.press(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(here.rtxtChat->Text(), QStringLiteral("hi, Jürgen ½€\r\n"), wineTakesItsTime);

        sendLine(&here, QStringLiteral("grüß dich ‰"));
        QVERIFY(windows.press(QStringLiteral("Tab")));
        QTRY_COMPARE_WITH_TIMEOUT(windows.transcript(), QStringLiteral("hi, Jürgen ½€\ngrüß dich ‰\n"), wineTakesItsTime);
        QVERIFY(windows.exit());
        QTRY_COMPARE(status(&here), QStringLiteral("Connection Peer is closing the connection"));
    }
};

QTEST_MAIN(tst_WineConversation)
#include "tst_wineconversation.moc"
