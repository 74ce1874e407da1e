#include "chat/frmChat.h"
#include "components/App.h"
#include "components/ContrastStyle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    App::MapBigBlocks();
    QApplication app(argc, argv);
    QApplication::setStyle(new ContrastStyle);
    QApplication::setApplicationName(App::Title());
    QGuiApplication::setDesktopFileName(App::DesktopFileName());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(App::Major).arg(App::Minor).arg(App::Revision));
    QApplication::setWindowIcon(App::Icon());
    (new frmChat)->show();
    return QApplication::exec();
}
