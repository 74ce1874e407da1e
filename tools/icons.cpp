// Writes the program's picture as hicolor icons, scaled without smoothing:
//   brindlet_icons DIRECTORY   ->  DIRECTORY/hicolor/SIZExSIZE/apps/io.brindlet.Brindlet.png
#include "about/BrindletIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir root(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const QImage picture = BrindletIcon().toImage();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!root.mkpath(folder))
            return 1;
        const QImage scaled = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!scaled.save(root.filePath(folder + QStringLiteral("/io.brindlet.Brindlet.png"))))
            return 1;
    }
    return 0;
}
