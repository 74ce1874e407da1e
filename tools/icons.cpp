// Draws the program's icon from its SVG source as hicolor PNGs:
//   brindlet_icons SOURCE.svg DIRECTORY SIZE...
//     ->  DIRECTORY/hicolor/SIZExSIZE/apps/io.brindlet.Brindlet.png for each SIZE
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    QSvgRenderer source(arguments.value(1));
    const QDir root(arguments.value(2));
    if (!source.isValid() || arguments.size() < 4)
        return 1;
    for (const QString &size : arguments.mid(3)) {
        const int pixels = size.toInt();
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(pixels);
        if (pixels <= 0 || !root.mkpath(folder))
            return 1;
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        source.render(&painter);
        painter.end();
        if (!image.save(root.filePath(folder + QStringLiteral("/io.brindlet.Brindlet.png"))))
            return 1;
    }
    return 0;
}
