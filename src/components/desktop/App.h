#pragma once

#include <QIcon>
#include <QString>

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
// What the program sets up once its QApplication exists, before the first
// window: the style, the names the desktop knows it by, the version, the icon.
void SetUp();
}
