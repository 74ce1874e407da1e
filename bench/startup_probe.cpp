// brindlet_startup_probe chat|bare: shows the chat window, or an empty window
// of the same size, and exits with 0 as soon as it has been painted once.
#include "chat/frmChat.h"

#include <QApplication>
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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool bare = argc > 1 && qstrcmp(argv[1], "bare") == 0;
    QWidget *window = bare ? new QWidget : new frmChat;
    if (bare)
        window->resize(379, 345);
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return QApplication::exec();
}
