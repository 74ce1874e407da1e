// brindlet_startup_probe chat|bare|text: shows the chat window, an empty
// window of the same size, or one with a label and a text box, and exits with
// 0 as soon as it has been painted once.
#include "chat/frmChat.h"
#include "components/App.h"
#include "components/Fonts.h"

#include <QApplication>
#include <QLabel>
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

int main(int argc, char *argv[])
{
    // Every window is started as the program starts its own.
    App::MapBigBlocks();
    QApplication app(argc, argv);
    App::SetUp();
    const QByteArray mode = argc > 1 ? argv[1] : "chat";
    QWidget *window = mode == "bare" ? new QWidget : mode == "text" ? textWindow() : new frmChat;
    if (mode != "chat")
        window->resize(379, 345);
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return QApplication::exec();
}
