#include "chat/frmChat.h"
#include "components/App.h"
#include "components/SystemEnd.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    App::MapBigBlocks();
    QApplication app(argc, argv);
    App::SetUp();
    const SystemEnd endsWhenAsked;
    (new frmChat)->show();
    return QApplication::exec();
}
