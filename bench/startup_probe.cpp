// brindlet_startup_probe chat|bare|text: shows the chat window, an empty
// window of the same size, or one with a label and a text box, and exits with
// 0 as soon as it has been painted once.
// brindlet_startup_probe flood PORT: shows the chat window, which connects to
// 127.0.0.1 on PORT; once the peer has ended the conversation, prints the
// megabytes per second from connected to ended and the peak resident memory
// in MB, and exits.
#include "Process.h"
#include "chat/frmChat.h"
#include "components/App.h"
#include "components/Fonts.h"
#include "components/StreamSocket.h"

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

// The flood's figures, as the window takes it.
int takeFlood(const QString &port)
{
    auto *chat = new frmChat;
    chat->strRemotePort = port;
    chat->show();
    QElapsedTimer flood;
    qint64 bytes = 0;
    QObject::connect(chat->wsockData, &StreamSocket::Connected, [&] { flood.start(); });
    QObject::connect(chat->wsockData, &StreamSocket::DataArrival, [&](qint32 count) { bytes += count; });
    QObject::connect(chat->wsockData, &StreamSocket::Closed, [&] {
        const double seconds = flood.nsecsElapsed() / 1e9;
        printf("%.1f %.1f\n", bytes / 1e6 / seconds, peakResidentBytes() / 1e6);
        QCoreApplication::quit();
    });
    chat->cmdConnect->click();
    return QApplication::exec();
}

int main(int argc, char *argv[])
{
    // Every window is started as the program starts its own.
    App::MapBigBlocks();
    QApplication app(argc, argv);
    App::SetUp();
    const QByteArray mode = argc > 1 ? argv[1] : "chat";
    if (mode == "flood")
        return takeFlood(QString::fromLatin1(argc > 2 ? argv[2] : ""));
    QWidget *window = mode == "bare" ? new QWidget : mode == "text" ? textWindow() : new frmChat;
    if (mode != "chat")
        window->resize(379, 345);
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return QApplication::exec();
}
