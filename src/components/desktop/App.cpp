#include "components/desktop/App.h"
#include "components/desktop/ContrastStyle.h"

#include <QApplication>
#include <QDirIterator>

#ifdef __GLIBC__
#include <malloc.h>
#endif

QIcon App::Icon()
{
    QIcon icon;
    QDirIterator pictures(QStringLiteral(":/hicolor"), {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (pictures.hasNext())
        icon.addFile(pictures.next());
    return icon;
}

// A big text (a pasted one, the input box's, its document's own buffer) grows
// by reallocation. On pages of its own a block grows by moving its pages, not
// by copying every byte into new ones, which held the window still for a frame
// and more; and a freed block goes back to the system at once. The
// transcript's texts, of a million characters, stay below the threshold on
// the heap, which they reuse as entries come and go.
void App::MapBigBlocks()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
}

std::unique_ptr<QApplication> App::Start(int &argc, char **argv)
{
    MapBigBlocks();
    auto application = std::make_unique<QApplication>(argc, argv);
    QApplication::setStyle(new ContrastStyle);
    QApplication::setApplicationName(Title());
    QGuiApplication::setDesktopFileName(DesktopFileName());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(Major).arg(Minor).arg(Revision));
    QApplication::setWindowIcon(Icon());
    return application;
}
