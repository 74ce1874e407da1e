// brindlet_startup_probe chat|bare|text: shows the chat window, an empty
// window of the same size, or one with a label and a text box, and exits with
// 0 as soon as it has been painted once.
// brindlet_startup_probe flood PORT LINES: shows the chat window, which
// connects to 127.0.0.1 on PORT, where a flood of LINES numbered lines (78
// digits and CR LF) comes. Once the peer has ended it and the transcript shows its last line,
// prints the megabytes per second from connected to ended, the peak resident
// memory until then in MiB (as /proc counts it, and the benchmark the
// terminal's), and whether the transcript holds the flood's end exactly.
#include "Process.h"
#include "TranscriptChecks.h"
#include "chat/frmChat.h"
#include "components/desktop/App.h"
#include "components/forms/Fonts.h"
#include "components/network/StreamSocket.h"
#include "components/text/RichTextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QEvent>
#include <QTimer>

namespace {

class FirstPaint : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

// A window the size of the chat window that draws one label and one text box
// in the chat window's font, so that it pays the font system's first start too.
QWidget *textWindow()
{
    auto *window = new QWidget;
    window->setFont(DesignFont(QStringLiteral("Verdana"), 9));
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(QStringLiteral("Enter your text here:")));
    layout->addWidget(new QPlainTextEdit(QStringLiteral("Hello")));
    return window;
}

// Whether the digits shown are the end of the numbered lines up to `lines`.
bool isTheFloodsEnd(QString shown, qint64 lines)
{
    shown.remove(u'\r').remove(u'\n');
    for (qint64 line = lines; !shown.isEmpty(); --line) {
        const QString number = QStringLiteral("%1").arg(line, 78, 10, QLatin1Char('0'));
        if (!number.endsWith(QStringView(shown).right(number.size())))
            return false;
        shown.chop(number.size());
    }
    return true;
}

// The flood's figures, as the window takes it.
int takeFlood(const QString &port, qint64 lines)
{
    auto *chat = new frmChat;
    chat->strRemotePort = port;
    chat->show();
    QElapsedTimer flood;
    double megabytesPerSecond = 0;
    QTimer shown;
    int looks = 0;
    QObject::connect(chat->wsockData, &StreamSocket::Connected, [&] { flood.start(); });
    QObject::connect(chat->wsockData, &StreamSocket::Closed, [&] {
        megabytesPerSecond = lines * 80 / 1e6 / (flood.nsecsElapsed() / 1e9);
        shown.start(16);
    });
    QObject::connect(&shown, &QTimer::timeout, [&] {
        const QString last = QStringLiteral("%1").arg(lines, 78, 10, QLatin1Char('0'));
        if (newestLine(*chat->rtxtChat) != last && ++looks < 600)
            return;  // the newest entries still go in, for ten seconds at most
        const double peak = peakResidentBytes() / 1048576.0;  // before the check below copies the text
        const QString text = chat->rtxtChat->Text();
        const bool exact = text.endsWith(last + QStringLiteral("\r\n\r\n")) && isTheFloodsEnd(text, lines);
        printf("%.1f %.1f %s\n", megabytesPerSecond, peak, exact ? "exact" : "NOT-EXACT");
        QCoreApplication::quit();
    });
    chat->cmdConnect->click();
    return QApplication::exec();
}

int main(int argc, char *argv[])
{
    const auto application = App::Start(argc, argv);  // as the program starts
    const QByteArray mode = argc > 1 ? argv[1] : "chat";
    if (mode == "flood")
        return takeFlood(QString::fromLatin1(argc > 2 ? argv[2] : ""), argc > 3 ? QByteArray(argv[3]).toLongLong() : 0);
    QWidget *window = mode == "bare" ? new QWidget : mode == "text" ? textWindow() : new frmChat;
    if (mode != "chat")
        window->resize(379, 345);
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return QApplication::exec();
}
