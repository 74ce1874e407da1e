// Renders the program's windows offscreen into PNG files, for the README:
//   brindlet_screenshots DIRECTORY   ->  chat-window.png, options-dialog.png, about-box.png
#include "ChatWindow.h"
#include "TranscriptChecks.h"
#include "about/frmAbout.h"
#include "chat/frmChat.h"
#include "components/forms/StatusBar.h"
#include "components/text/RichTextBox.h"
#include "options/frmOptions.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

namespace {

// A window's own pixels and the menu bar, without a window manager's frame.
void save(QWidget *window, const QDir &directory, const QString &name)
{
    window->show();
    QApplication::processEvents();
    window->grab().save(directory.filePath(name));
}

}  // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir directory(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    auto *chat = new frmChat;
    chat->setWindowTitle(chat->windowTitle() + QStringLiteral(" (connected)"));
    appendToTranscript(*chat->rtxtChat, QStringLiteral("Hello! Are you there?"), true);
    appendToTranscript(*chat->rtxtChat, QStringLiteral("Yes, I'm here. The build is green."), false);
    appendToTranscript(*chat->rtxtChat, QStringLiteral("Great, let's ship it."), true);
    chat->sbarChat->Panels(1)->setText(QStringLiteral("Connection Connected"));
    save(chat, directory, QStringLiteral("chat-window.png"));

    save(optionsOf(chat), directory, QStringLiteral("options-dialog.png"));

    auto *about = new frmAbout;
    save(about, directory, QStringLiteral("about-box.png"));
    return 0;
}
