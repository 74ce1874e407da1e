#include "chat/frmChat.h"
#include "components/desktop/App.h"
#include "components/desktop/SystemEnd.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const auto application = App::Start(argc, argv);
    const SystemEnd endsWhenAsked;
    (new frmChat)->show();
    return QApplication::exec();
}
