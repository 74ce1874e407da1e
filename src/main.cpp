#include "chat/frmChat.h"
#include "components/App.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(App::Title());
    QGuiApplication::setDesktopFileName(App::DesktopFileName());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(App::Major).arg(App::Minor).arg(App::Revision));
    QApplication::setWindowIcon(App::Icon());
    (new frmChat)->show();
    const int status = QApplication::exec();
    // Every window is closed and every connection ended. A name lookup still
    // running in Qt's resolver thread would hold the process until it times
    // out, so the process ends here without waiting for it.
    std::_Exit(status);
}
