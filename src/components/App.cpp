#include "App.h"

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

// The big texts (the transcript's copy, a pasted text, the input box's and
// the document's own buffers) grow by reallocation. On pages of their own a
// block grows by moving its pages, not by copying every byte into new ones,
// which held the window still for a frame and more; and a freed block goes
// back to the system at once, so that a long flood leaves no big heap behind.
void App::MapBigBlocks()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
}
