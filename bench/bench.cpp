// The benchmark: start-up, send latency, transcript append scaling, ingest of
// a flooding peer and memory, the window's stalls on a quiet and on a busy
// machine, each beside an anchor measured in the same run.
//   brindlet_bench [--quick]
//   brindlet_bench --ingest lines|unbroken|anchor [--quick]   one ingest, for the run above
//   brindlet_bench --flood MEGABYTES                          one flood, for the run above
//   brindlet_bench --flood-anchor MEGABYTES                   the same into a bare QPlainTextEdit
//   brindlet_bench --paste [--quick]                          only the paste-and-send figures
//   brindlet_bench --startup [--quick]                        only the start-up figures
//   brindlet_bench --append [--quick]                         only the append figures
#include "ChatWindow.h"
#include "FakeStreamSocket.h"
#include "Ports.h"
#include "Process.h"
#include "StallWatch.h"
#include "TranscriptChecks.h"
#include "chat/frmChat.h"
#include "components/desktop/App.h"
#include "components/network/TcpStreamSocket.h"
#include "components/text/CodePage.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

bool quick = false;

// The longest wait of the event loop, as the user feels it, and the longest
// that was the program's own work rather than the machine's.
struct WorstStalls
{
    Stall worst;
    Stall ownWork;

    void add(const WorstStalls &other)
    {
        worst = other.worst.ms > worst.ms ? other.worst : worst;
        ownWork = other.ownWork.ms > ownWork.ms ? other.ownWork : ownWork;
    }
};

// The worst event-loop stalls of one pass.
struct Stalls
{
    WorstStalls lines;
    WorstStalls unbroken;
    WorstStalls flood;
    WorstStalls paste5;
    WorstStalls paste20;
};

constexpr int frameMs = 16;
constexpr int busyFrameMs = 33;

double percentile(QList<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.at(qMin(values.size() - 1, qsizetype(fraction * values.size())));
}

double median(const QList<double> &values) { return percentile(values, 0.5); }

void printFigure(const QString &name, double value, double anchor, const QString &unit, const QString &target)
{
    printf("%-44s %10.3f %-5s anchor %10.3f %-5s ratio %6.2f   target %s\n", qPrintable(name), value, qPrintable(unit),
           anchor, qPrintable(unit), value / anchor, qPrintable(target));
    fflush(stdout);
}

// A stall figure twice: the wall-clock worst as the user feels it, and the
// worst of the program's own work, which the target is for; then what the
// main thread did in each.
void printStalls(const QString &what, const WorstStalls &stalls, double anchorMs, const QString &anchor, int targetMs)
{
    printFigure(QStringLiteral("worst stall, ") + what, stalls.worst.ms, anchorMs, QStringLiteral("ms"),
                QStringLiteral("- (as the user feels it; anchor: %1)").arg(anchor));
    printFigure(QStringLiteral("worst stall, own work, ") + what, stalls.ownWork.ms, anchorMs, QStringLiteral("ms"),
                QStringLiteral("<= %1 ms (anchor: %2)").arg(targetMs).arg(anchor));
    for (const Stall &stall : {stalls.worst, stalls.ownWork})
        printf("    (%.1f ms: the main thread ran %.1f ms and took %ld page faults)\n", stall.ms, stall.runningMs, stall.pageFaults);
}

void printMachine()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    QString model = QStringLiteral("unknown CPU");
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                model = QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
                break;
            }
        }
    }
    printf("Machine: %s, %d cores, Qt %s\n", qPrintable(model), std::thread::hardware_concurrency(), qVersion());
}

template <typename Condition>
bool spinUntil(Condition condition, int timeoutMs = 120000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

// 1. Start-up ---------------------------------------------------------------

double startupMilliseconds(const char *mode)
{
    QProcess probe;
    QElapsedTimer timer;
    timer.start();
    probe.start(QStringLiteral(STARTUP_PROBE), {QString::fromLatin1(mode)});
    probe.waitForFinished(30000);
    return timer.nsecsElapsed() / 1e6;
}

void benchStartup()
{
    QList<double> chat, bare, text;
    for (int run = 0; run < (quick ? 3 : 31); ++run) {
        bare << startupMilliseconds("bare");
        text << startupMilliseconds("text");
        chat << startupMilliseconds("chat");
    }
    printFigure(QStringLiteral("start-up to first paint (median)"), median(chat), median(bare), QStringLiteral("ms"),
                QStringLiteral("- (anchor: an empty window)"));
    printFigure(QStringLiteral("start-up to first paint (median)"), median(chat), median(text), QStringLiteral("ms"),
                QStringLiteral("ratio <= 1.2 (anchor: a window with a label and a text box)"));
}

// 2. Send latency -----------------------------------------------------------

// A peer in a thread of its own that accepts one connection on 127.0.0.1 and
// notes when bytes arrive, so that nothing the program draws delays it.
class TimingPeer
{
public:
    TimingPeer()
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(m_listener, 1);
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            const int connection = accept(m_listener, nullptr, nullptr);
            char buffer[4096];
            for (ssize_t n; (n = recv(connection, buffer, sizeof buffer, 0)) > 0;) {
                lastArrival = std::chrono::steady_clock::now().time_since_epoch().count();
                received += n;
            }
            close(connection);
        });
    }

    ~TimingPeer()
    {
        shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        close(m_listener);
    }

    // Milliseconds from start until count bytes in all have arrived.
    double millisecondsUntil(qint64 count, std::chrono::steady_clock::time_point start)
    {
        spinUntil([&] { return received >= count; });
        return (lastArrival - start.time_since_epoch().count()) / 1e6;
    }

    quint16 port = 0;
    std::atomic<qint64> received{0};
    std::atomic<std::chrono::steady_clock::rep> lastArrival{0};

private:
    int m_listener;
    std::thread m_thread;
};

// A shown chat window that has dialled the port on 127.0.0.1 and got through.
frmChat *dialledChat(quint16 port)
{
    auto *chat = new frmChat;
    chat->strRemotePort = QString::number(port);
    chat->show();
    chat->cmdConnect->click();
    spinUntil([&] { return chat->wsockData->State() == StreamSocket::sckConnected; });
    return chat;
}

void benchSendLatency()
{
    const int sends = quick ? 200 : 1000;
    const int warmUp = 100;
    QList<double> chatTimes, anchorTimes;

    TimingPeer chatPeer;
    frmChat *chat = dialledChat(chatPeer.port);
    qint64 sent = 0;
    for (int i = 0; i < warmUp + sends; ++i) {
        const QString text = QStringLiteral("message number %1").arg(i);
        chat->NewText->SetText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        const auto start = std::chrono::steady_clock::now();
        QApplication::sendEvent(chat->NewText, &press);
        sent += text.size();
        const double ms = chatPeer.millisecondsUntil(sent, start);
        QApplication::sendEvent(chat->NewText, &release);
        if (i >= warmUp)
            chatTimes << ms;
    }
    delete chat;

    TimingPeer anchorPeer;
    QTcpSocket writer;
    writer.connectToHost(QHostAddress::LocalHost, anchorPeer.port);
    writer.waitForConnected();
    sent = 0;
    for (int i = 0; i < warmUp + sends; ++i) {
        const QByteArray bytes = QStringLiteral("message number %1").arg(i).toLatin1();
        const auto start = std::chrono::steady_clock::now();
        writer.write(bytes);
        writer.flush();
        sent += bytes.size();
        const double ms = anchorPeer.millisecondsUntil(sent, start);
        if (i >= warmUp)
            anchorTimes << ms;
    }
    writer.close();

    printFigure(QStringLiteral("send latency, Enter to readable (p50)"), percentile(chatTimes, 0.5),
                percentile(anchorTimes, 0.5), QStringLiteral("ms"), QStringLiteral("- (anchor: raw QTcpSocket write)"));
    printFigure(QStringLiteral("send latency, Enter to readable (p99)"), percentile(chatTimes, 0.99),
                percentile(anchorTimes, 0.99), QStringLiteral("ms"), QStringLiteral("p99 <= 1 ms and ratio <= 3"));
}

// 3. Append scaling ---------------------------------------------------------

// Appends an entry to a window; showAll() returns once the window shows every
// entry appended, as the chat window takes what arrives at most once a frame.
struct Appender
{
    std::function<void()> append;
    std::function<void()> showAll = [] {};
};

// The processor time the main thread has used, in microseconds: what the
// appends cost, without the time the window waits for its next frame.
double mainThreadMicroseconds()
{
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return used.tv_sec * 1e6 + used.tv_nsec / 1e3;
}

// Microseconds per entry around the given one: the median of five batches of
// 200 entries. The appender goes on from where the last call stopped.
double costAround(int entry, int &entries, const Appender &appender)
{
    const auto appendUpTo = [&](int count) {
        while (entries < count) {
            appender.append();
            if (++entries % 100 == 0)
                QCoreApplication::processEvents();
        }
        appender.showAll();
    };
    appendUpTo(entry - 500);
    QList<double> batches;
    for (int batch = 0; batch < 5; ++batch) {
        const double start = mainThreadMicroseconds();
        appendUpTo(entries + 200);
        batches << (mainThreadMicroseconds() - start) / 200;
    }
    return median(batches);
}

// Per-entry costs around each of the given entries, in a window made by
// newWindow(), which returns its Appender. A first window of 3,000
// entries fills Qt's font and layout caches, so that the early figure is
// not inflated by their warming up.
template <typename NewWindow>
QList<double> appendCosts(const QList<int> &around, NewWindow newWindow)
{
    for (const bool warmUp : {true, false}) {
        QObject owner;
        const Appender appender = newWindow(&owner);
        int entries = 0;
        QList<double> costs;
        for (const int entry : warmUp ? QList<int>{3000} : around)
            costs << costAround(entry, entries, appender);
        if (!warmUp)
            return costs;
    }
    return {};
}

void benchAppendScaling()
{
    const QString line = QStringLiteral("A received line of about sixty characters, as chats have.");
    const QList<int> around = quick ? QList<int>{1000, 100000} : QList<int>{1000, 100000, 1000000};

    const QList<double> chatCosts = appendCosts(around, [&](QObject *owner) {
        auto *data = new FakeStreamSocket;
        data->state = StreamSocket::sckConnected;
        auto *chat = new frmChat(nullptr, data);
        QObject::connect(owner, &QObject::destroyed, chat, [chat] { delete chat; });
        chat->show();
        auto raised = std::make_shared<int>(0);  // the lines are numbered, to see the newest shown
        return Appender{[data, line, raised] { data->raiseData(QStringLiteral("%1 %2").arg(line).arg(++*raised)); },
                        [chat, raised] {
                            const QString newest = QStringLiteral(" %1").arg(*raised);
                            while (!newestLine(*chat->rtxtChat).endsWith(newest))
                                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                        }};
    });
    // For comparison: what the same appends cost a bare QPlainTextEdit.
    const QList<double> bareCosts = appendCosts(around, [&](QObject *owner) {
        auto *editor = new QPlainTextEdit;
        QObject::connect(owner, &QObject::destroyed, editor, [editor] { delete editor; });
        editor->setUndoRedoEnabled(false);
        editor->resize(375, 191);
        editor->show();
        QTextCharFormat blue;
        blue.setForeground(QColor(0, 0, 255));
        return Appender{[editor, blue, line] {
            QTextCursor end(editor->document());
            end.movePosition(QTextCursor::End);
            end.insertText(line + QStringLiteral("\n"), blue);
            editor->setTextCursor(end);
        }};
    });
    for (qsizetype i = 1; i < around.size(); ++i) {
        printf("%s\n", qPrintable(QStringLiteral("(a bare QPlainTextEdit, for comparison: %1 us around the %2th, ratio %3)")
                                      .arg(bareCosts[i], 0, 'f', 1).arg(around[i]).arg(bareCosts[i] / bareCosts[0], 0, 'f', 2)));
        printFigure(QStringLiteral("append, per entry around the %1th").arg(QLocale(QLocale::English).toString(around[i])),
                    chatCosts[i], chatCosts[0], QStringLiteral("us"), QStringLiteral("ratio <= 1.2 (anchor: around the 1,000th)"));
    }
}

// 4 and 5. Ingest and memory ------------------------------------------------

QByteArray floodPayload(qsizetype size, bool lines)
{
    QByteArray payload;
    payload.reserve(size);
    while (payload.size() < size) {
        payload.append(char('a' + payload.size() % 26));
        if (lines && payload.size() % 82 == 80)
            payload.append("\r\n");
    }
    payload.truncate(size);
    return payload;
}

// Sends total bytes, the payload over and over, to 127.0.0.1:port as fast as
// the socket takes them, then closes.
std::thread startSender(quint16 port, const QByteArray &payload, qint64 total)
{
    return std::thread([port, &payload, total] {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            for (qint64 sent = 0; sent < total;) {
                const qsizetype at = sent % payload.size();
                const qint64 chunk = std::min<qint64>({65536, payload.size() - at, total - sent});
                const ssize_t n = send(fd, payload.constData() + at, size_t(chunk), 0);
                if (n <= 0)
                    break;
                sent += n;
            }
        }
        close(fd);
    });
}

struct IngestResult
{
    double megabytesPerSecond = 0;
    WorstStalls stalls;
    double missedFrameShare = 0;
    // Resident growth per byte for an ingest, the peak resident bytes for a flood.
    double memory = 0;

    void print() const
    {
        printf("%f %f %f %f %f %ld %f %f %ld\n", megabytesPerSecond, missedFrameShare, memory, stalls.worst.ms,
               stalls.worst.runningMs, stalls.worst.pageFaults, stalls.ownWork.ms, stalls.ownWork.runningMs,
               stalls.ownWork.pageFaults);
    }
    static IngestResult parse(const QByteArray &line)
    {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() != 9)
            return {};
        return {f[0].toDouble(), {{f[3].toDouble(), f[4].toDouble(), f[5].toLong()}, {f[6].toDouble(), f[7].toDouble(), f[8].toLong()}},
                f[1].toDouble(), f[2].toDouble()};
    }
};

// Runs the event loop until done() while the payload floods in, measuring the
// longest time the event loop was kept waiting.
template <typename Done>
IngestResult ingest(quint16 port, const QByteArray &payload, Done done, qint64 total = -1)
{
    total = total < 0 ? payload.size() : total;
    IngestResult result;
    const qint64 residentBefore = residentBytes();
    QElapsedTimer timer;
    timer.start();
    const StallWatch stalls;
    std::thread sender = startSender(port, payload, total);
    const bool finished = spinUntil(done, 600000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    result.stalls = {stalls.worst(), stalls.worstOwnWork()};
    result.missedFrameShare = stalls.missedFrameShare();
    sender.join();
    result.megabytesPerSecond = finished ? total / 1e6 / seconds : 0;
    result.memory = double(residentBytes() - residentBefore) / total;
    return result;
}

IngestResult ingestIntoChat(const QByteArray &payload, qint64 total = -1)
{
    auto *listener = new AnyPortSocket;
    auto *chat = new frmChat(listener);
    chat->show();
    chat->strLocalPort = QStringLiteral("0");
    chat->cmdConnect->setText(QStringLiteral("Listen"));
    chat->cmdConnect->click();
    const quint16 port = listener->listeningPort();
    const IngestResult result = ingest(
        port, payload, [&] { return chat->wsockData->State() == StreamSocket::sckClosing; }, total);
    if (total < 0 && chat->rtxtChat->TextLength() < payload.size())
        printf("warning: the transcript holds %lld of %lld bytes\n", qlonglong(chat->rtxtChat->TextLength()),
               qlonglong(payload.size()));
    delete chat;
    return result;
}

// The anchor: a bare QPlainTextEdit fed each chunk through a text cursor,
// keeping at most maximumBlocks lines where that is given.
IngestResult ingestIntoBareEditor(const QByteArray &payload, qint64 total = -1, int maximumBlocks = 0)
{
    QPlainTextEdit editor;
    editor.setUndoRedoEnabled(false);
    editor.setMaximumBlockCount(maximumBlocks);
    editor.resize(375, 191);
    editor.show();
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    bool closed = false;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [&editor, socket] {
            QTextCursor end(editor.document());
            end.movePosition(QTextCursor::End);
            end.insertText(CodePage::decode(socket->readAll()));
        });
        QObject::connect(socket, &QTcpSocket::disconnected, [&closed] { closed = true; });
    });
    return ingest(server.serverPort(), payload, [&] { return closed; }, total);
}

QByteArray payloadFor(const QString &kind)
{
    return floodPayload(quick ? 2'000'000 : 20'000'000, kind != QLatin1String("unbroken"));
}

// One ingest in this process: kind is "lines", "unbroken" or "anchor".
int runIngest(const QString &kind)
{
    const QByteArray payload = payloadFor(kind);
    (kind == QLatin1String("anchor") ? ingestIntoBareEditor(payload) : ingestIntoChat(payload)).print();
    return 0;
}

qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

// A flood of megabytes in 80-character lines into the chat window, or into a
// bare editor that keeps as many lines as the transcript keeps entries, in
// this process; the memory figure is the peak resident memory.
int runFlood(qint64 megabytes, bool anchor)
{
    const QByteArray payload = floodPayload(82 * 800, true);
    IngestResult result = anchor ? ingestIntoBareEditor(payload, megabytes * 1'000'000, frmChat::transcriptEntries)
                                 : ingestIntoChat(payload, megabytes * 1'000'000);
    result.memory = double(peakResidentBytes());
    result.print();
    return 0;
}

// Each ingest runs in a process of its own, so that none inherits the memory of another.
IngestResult ingestInChildProcess(QStringList arguments)
{
    QProcess child;
    if (quick)
        arguments << QStringLiteral("--quick");
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(900000);
    return IngestResult::parse(child.readAllStandardOutput().trimmed().split('\n').last());
}

int longFloodMegabytes()
{
    return quick ? 200 : 1000;
}

void benchIngest(Stalls &stalls)
{
    const IngestResult chatLines = ingestInChildProcess({QStringLiteral("--ingest"), QStringLiteral("lines")});
    const IngestResult chatUnbroken = ingestInChildProcess({QStringLiteral("--ingest"), QStringLiteral("unbroken")});
    const IngestResult anchor = ingestInChildProcess({QStringLiteral("--ingest"), QStringLiteral("anchor")});
    printFigure(QStringLiteral("ingest (a) 80-character lines"), chatLines.megabytesPerSecond, anchor.megabytesPerSecond,
                QStringLiteral("MB/s"), QStringLiteral("ratio >= 1.0 (anchor: bare QPlainTextEdit)"));
    printFigure(QStringLiteral("ingest (b) no line break"), chatUnbroken.megabytesPerSecond, chatLines.megabytesPerSecond,
                QStringLiteral("MB/s"), QStringLiteral("ratio >= 0.5 (anchor: (a))"));
    const QString bareEditor = QStringLiteral("bare QPlainTextEdit");
    printStalls(QStringLiteral("during (a)"), chatLines.stalls, anchor.stalls.worst.ms, bareEditor, frameMs);
    printStalls(QStringLiteral("during (b)"), chatUnbroken.stalls, anchor.stalls.worst.ms, bareEditor, frameMs);
    stalls.lines = chatLines.stalls;
    stalls.unbroken = chatUnbroken.stalls;
    printFigure(QStringLiteral("resident growth per received byte, (a)"), chatLines.memory, anchor.memory,
                QStringLiteral("B"), QStringLiteral("- (anchor: bare QPlainTextEdit)"));

    // With the transcript bounded, a longer flood must not raise the peak resident memory.
    const int longFlood = longFloodMegabytes();
    const int shortFlood = longFlood / 5;
    const IngestResult flood = ingestInChildProcess({QStringLiteral("--flood"), QString::number(longFlood)});
    const IngestResult shorter = ingestInChildProcess({QStringLiteral("--flood"), QString::number(shortFlood)});
    const IngestResult shorterAnchor = ingestInChildProcess({QStringLiteral("--flood-anchor"), QString::number(shortFlood)});
    printFigure(QStringLiteral("flood of %1 MB: peak resident memory").arg(longFlood), flood.memory / 1e6,
                shorter.memory / 1e6, QStringLiteral("MB"),
                QStringLiteral("ratio <= 1.1 (anchor: a flood of %1 MB; bound %2 M characters)")
                    .arg(shortFlood)
                    .arg(frmChat::transcriptCharacters / 1'000'000));
    printStalls(QStringLiteral("flood of %1 MB").arg(longFlood), flood.stalls, chatLines.stalls.worst.ms,
                QStringLiteral("(a)"), frameMs);
    stalls.flood = flood.stalls;
    printFigure(QStringLiteral("frames missed, flood of %1 MB").arg(shortFlood), 100 * shorter.missedFrameShare,
                100 * shorterAnchor.missedFrameShare, QStringLiteral("%"),
                QStringLiteral("- (anchor: bare QPlainTextEdit keeping %1 lines)").arg(frmChat::transcriptEntries));
}

// 6. Paste and send --------------------------------------------------------

// Text of the given size as people paste it: prose, lines, or one unbroken run.
QString pastedText(qsizetype size, const QString &kind)
{
    const QString unit = kind == QLatin1String("prose")   ? QStringLiteral("pasted words of a long text ")
                         : kind == QLatin1String("lines") ? QString(78, u'l') + QStringLiteral("\r\n")
                                                          : QStringLiteral("0123456789abcdef");
    return unit.repeated(size / unit.size() + 1).left(size);
}

// The longest the event loop waits while the text is pasted into the input
// box, sent with Enter, and the window has drawn the result.
WorstStalls pasteAndSendStalls(const QString &text)
{
    TimingPeer peer;
    frmChat *chat = dialledChat(peer.port);
    QApplication::clipboard()->setText(text);
    const qint64 bytes = CodePage::encode(text).size();

    const StallWatch stalls;
    bool pasted = false;
    QTimer::singleShot(0, chat, [&] {
        chat->NewText->paste();
        pasted = true;
    });
    spinUntil([&] { return pasted && !isPasting(chat->NewText); });
    QTimer::singleShot(0, chat, [&] { pressEnter(chat); });
    spinUntil([&] { return peer.received >= bytes; });
    QElapsedTimer settle;
    settle.start();
    spinUntil([&] { return settle.elapsed() > 200; });  // the window draws what changed
    const WorstStalls worst{stalls.worst(), stalls.worstOwnWork()};
    delete chat;
    return worst;
}

// The worst stalls over prose, lines and an unbroken run of this size.
WorstStalls pasteAndSendStalls(qsizetype megabytes)
{
    WorstStalls worst;
    for (const char *kind : {"prose", "lines", "unbroken"}) {
        const WorstStalls stalls = pasteAndSendStalls(pastedText(megabytes * 1'000'000, QString::fromLatin1(kind)));
        printf("  (%lld MB %s: %.0f ms, own work %.0f ms)\n", qlonglong(megabytes), kind, stalls.worst.ms, stalls.ownWork.ms);
        worst.add(stalls);
    }
    return worst;
}

void benchPasteAndSend(Stalls &stalls)
{
    for (const qsizetype megabytes : {5, 20}) {
        const WorstStalls worst = pasteAndSendStalls(megabytes);
        (megabytes == 5 ? stalls.paste5 : stalls.paste20) = worst;
        // The anchor: the prose pasted into a bare QPlainTextEdit, which lays
        // it out as one paragraph. (An unbroken run would take it minutes.)
        QPlainTextEdit editor;
        editor.show();
        QApplication::clipboard()->setText(pastedText(megabytes * 1'000'000, QStringLiteral("prose")));
        QElapsedTimer timer;
        timer.start();
        editor.paste();
        QCoreApplication::processEvents();
        printStalls(QStringLiteral("paste and send %1 MB").arg(megabytes), worst, timer.nsecsElapsed() / 1e6,
                    QStringLiteral("paste into a bare QPlainTextEdit"), frameMs);
    }
}

// 7. Stalls on a busy machine -------------------------------------------------

// A process on every core that spins for as long as the object lives.
class BusyCores
{
public:
    BusyCores()
    {
        for (unsigned core = 0; core < std::thread::hardware_concurrency(); ++core) {
            m_spinners.push_back(std::make_unique<QProcess>());
            m_spinners.back()->start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        }
    }
    ~BusyCores()
    {
        for (const auto &spinner : m_spinners) {
            spinner->kill();
            spinner->waitForFinished();
        }
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_spinners;
};

// The stalls again while every core is busy with another process, each
// beside the same figure of the quiet pass.
void benchStallsWhenBusy(const Stalls &quiet)
{
    Stalls busy;
    {
        const BusyCores cores;
        busy.lines = ingestInChildProcess({QStringLiteral("--ingest"), QStringLiteral("lines")}).stalls;
        busy.unbroken = ingestInChildProcess({QStringLiteral("--ingest"), QStringLiteral("unbroken")}).stalls;
        busy.flood = ingestInChildProcess({QStringLiteral("--flood"), QString::number(longFloodMegabytes())}).stalls;
        busy.paste5 = pasteAndSendStalls(5);
        busy.paste20 = pasteAndSendStalls(20);
    }
    const auto print = [&](const QString &what, const WorstStalls &busyStalls, const WorstStalls &quietStalls) {
        printStalls(QStringLiteral("busy cores, ") + what, busyStalls, quietStalls.worst.ms, QStringLiteral("the quiet pass"),
                    busyFrameMs);
    };
    print(QStringLiteral("ingest (a)"), busy.lines, quiet.lines);
    print(QStringLiteral("ingest (b)"), busy.unbroken, quiet.unbroken);
    print(QStringLiteral("flood of %1 MB").arg(longFloodMegabytes()), busy.flood, quiet.flood);
    print(QStringLiteral("paste and send 5 MB"), busy.paste5, quiet.paste5);
    print(QStringLiteral("paste and send 20 MB"), busy.paste20, quiet.paste20);
}

}  // namespace

int main(int argc, char *argv[])
{
    App::MapBigBlocks();  // as the program does
    QApplication app(argc, argv);
    quick = app.arguments().contains(QStringLiteral("--quick"));
    if (const qsizetype ingest = app.arguments().indexOf(QStringLiteral("--ingest")); ingest > 0)
        return runIngest(app.arguments().value(ingest + 1));
    if (const qsizetype flood = app.arguments().indexOf(QStringLiteral("--flood")); flood > 0)
        return runFlood(app.arguments().value(flood + 1).toLongLong(), false);
    if (const qsizetype flood = app.arguments().indexOf(QStringLiteral("--flood-anchor")); flood > 0)
        return runFlood(app.arguments().value(flood + 1).toLongLong(), true);
    Stalls quiet;
    if (app.arguments().contains(QStringLiteral("--startup"))) {
        benchStartup();
        return 0;
    }
    if (app.arguments().contains(QStringLiteral("--paste"))) {
        benchPasteAndSend(quiet);
        return 0;
    }
    if (app.arguments().contains(QStringLiteral("--append"))) {
        benchAppendScaling();
        return 0;
    }
    printMachine();
    benchStartup();
    benchIngest(quiet);
    benchPasteAndSend(quiet);
    benchStallsWhenBusy(quiet);
    benchSendLatency();
    benchAppendScaling();
    return 0;
}
