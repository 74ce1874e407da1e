#include "chat/frmChat.h"
#include "components/App.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    App::MapBigBlocks();
    QApplication app(argc, argv);
    App::SetUp();
    (new frmChat)->show();
    return QApplication::exec();
}
