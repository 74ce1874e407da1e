#include "chat/frmChat.h"
#include "components/desktop/App.h"
#include "components/desktop/SystemEnd.h"

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
