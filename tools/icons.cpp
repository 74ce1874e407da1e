// Draws the program's icon from its SVG source as hicolor PNGs:
//   brindlet_icons SOURCE.svg DIRECTORY SIZE...
//     ->  DIRECTORY/hicolor/SIZExSIZE/apps/io.brindlet.Brindlet.png for each SIZE,
//         and DIRECTORY/io.brindlet.Brindlet.ico with all of them, for Windows
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

void appendLittleEndian(QByteArray &bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

// A Windows icon file holding each picture as PNG, as Windows reads them
// from Vista on: a header, one entry per picture, then the pictures.
QByteArray iconFile(const QList<QImage> &images)
{
    QList<QByteArray> pictures;
    for (const QImage &image : images) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        image.save(&png, "PNG");
        pictures << png.data();
    }
    QByteArray file;
    appendLittleEndian(file, 0, 2);
    appendLittleEndian(file, 1, 2);  // an icon
    appendLittleEndian(file, quint32(images.size()), 2);
    quint32 offset = 6 + 16 * quint32(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        file.append(char(images[i].width() % 256)).append(char(images[i].height() % 256));  // 256 is written as 0
        appendLittleEndian(file, 0, 2);   // no palette
        appendLittleEndian(file, 1, 2);   // planes
        appendLittleEndian(file, 32, 2);  // bits per pixel
        appendLittleEndian(file, quint32(pictures[i].size()), 4);
        appendLittleEndian(file, offset, 4);
        offset += quint32(pictures[i].size());
    }
    for (const QByteArray &picture : pictures)
        file += picture;
    return file;
}

}  // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    QSvgRenderer source(arguments.value(1));
    const QDir root(arguments.value(2));
    if (!source.isValid() || arguments.size() < 4)
        return 1;
    QList<QImage> drawn;
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
        if (pixels <= 256)
            drawn << image;
    }
    QFile icon(root.filePath(QStringLiteral("io.brindlet.Brindlet.ico")));
    return icon.open(QIODevice::WriteOnly) && icon.write(iconFile(drawn)) > 0 ? 0 : 1;
}
