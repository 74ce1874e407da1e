#include "about/BrindletIcon.h"
#include "chat/frmChat.h"
#include "components/App.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(App::Title());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(App::Major).arg(App::Minor).arg(App::Revision));
    QApplication::setWindowIcon(BrindletIcon());
    (new frmChat)->show();
    return QApplication::exec();
}
