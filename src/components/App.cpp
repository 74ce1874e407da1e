#include "App.h"

#include <QDirIterator>

QIcon App::Icon()
{
    QIcon icon;
    QDirIterator pictures(QStringLiteral(":/hicolor"), {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (pictures.hasNext())
        icon.addFile(pictures.next());
    return icon;
}
