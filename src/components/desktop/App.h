#pragma once

#include <QApplication>
#include <QIcon>
#include <QString>
#include <memory>

// The program's title, version and icon.
namespace App {
inline QString Title() { return QStringLiteral(BRINDLET_TITLE); }
constexpr int Major = BRINDLET_VERSION_MAJOR;
constexpr int Minor = BRINDLET_VERSION_MINOR;
constexpr int Revision = BRINDLET_VERSION_REVISION;
// The name of the desktop entry that starts the program: the desktop links a
// running window to its menu entry and icon by it (Wayland's app id), and by
// the application name (X11's window class), which the entry names too.
inline QString DesktopFileName() { return QStringLiteral("io.brindlet.Brindlet"); }
// The icon the menu entry shows, at every size it was drawn in, for the windows.
QIcon Icon();
// Gives blocks of 4 MB and more pages of their own, before the first window.
void MapBigBlocks();
// The program's QApplication, started as the program starts: big blocks
// mapped from the first, then the style, the names the desktop knows it by,
// the version and the icon, before the first window.
std::unique_ptr<QApplication> Start(int &argc, char **argv);
}
