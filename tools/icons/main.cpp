#include "IconArt.h"
#include "IconWriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTextStream>

namespace {

constexpr int PreviewScale = 8;
constexpr int PreviewGap = 2; // in icon pixels

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        QTextStream(stderr) << "tavrel-icongen: cannot write " << path << ": " << file.errorString()
                            << '\n';
        return false;
    }
    return true;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return bytes;
}

// The images side by side, enlarged, on a checkerboard so that transparent
// pixels can be told from white ones.
QImage preview(const QList<PixelCanvas> &images)
{
    int width = PreviewGap;
    int height = 0;
    for (const PixelCanvas &canvas : images) {
        width += canvas.width() + PreviewGap;
        height = qMax(height, canvas.height());
    }
    height += 2 * PreviewGap;
    QImage out(width * PreviewScale, height * PreviewScale, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const bool light = ((x / (PreviewScale / 2)) + (y / (PreviewScale / 2))) % 2 == 0;
            out.setPixel(x, y, light ? qRgb(236, 236, 236) : qRgb(200, 200, 200));
        }
    }
    int left = PreviewGap;
    for (const PixelCanvas &canvas : images) {
        const QImage image = canvas.toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    continue;
                for (int dy = 0; dy < PreviewScale; ++dy) {
                    for (int dx = 0; dx < PreviewScale; ++dx)
                        out.setPixel((left + x) * PreviewScale + dx,
                                     (PreviewGap + y) * PreviewScale + dy, pixel);
                }
            }
        }
        left += canvas.width() + PreviewGap;
    }
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr)
            << "usage: tavrel-icongen <source root>\n"
               "Writes the icons below <source root> at their places in the tree.\n";
        return 2;
    }
    const QDir root(args.at(1));

    const QList<PixelCanvas> bolt = {IconArt::lightningBolt32(), IconArt::lightningBolt16()};
    const QList<PixelCanvas> appIcon = {IconArt::slantedWindow32(1), IconArt::slantedWindow32(4),
                                        IconArt::slantedWindow16()};
    const QList<quint16> appIconIds = {30001, 30002, 30003};

    bool ok = writeFile(root.filePath(QStringLiteral("forms/CleanFrm/resources/cleanfrm.ico")),
                        IconWriter::iconFile(bolt, IconWriter::EntryStyle::Unspecified));
    ok = ok && writeFile(root.filePath(QStringLiteral("app/resources/tavrelsample.ico")),
                         IconWriter::iconFile(appIcon, IconWriter::EntryStyle::Explicit));
    // The resource script links the images in under fixed ids, which its
    // ICON statement cannot promise, so it takes them raw.
    ok = ok && writeFile(root.filePath(QStringLiteral("app/resources/app-group.bin")),
                         IconWriter::groupDirectory(appIcon, appIconIds));
    for (int i = 0; ok && i < appIcon.size(); ++i) {
        const QString name = QStringLiteral("app/resources/app-%1.bin").arg(appIconIds.at(i));
        ok = writeFile(root.filePath(name), IconWriter::imageData(appIcon.at(i)));
    }
    ok = ok && writeFile(root.filePath(QStringLiteral("app/resources/tavrelsample.png")),
                         png(appIcon.at(1).toImage()));
    ok = ok &&
         writeFile(root.filePath(QStringLiteral("docs/icon-cleanfrm-8x.png")), png(preview(bolt)));
    ok = ok &&
         writeFile(root.filePath(QStringLiteral("docs/icon-app-8x.png")), png(preview(appIcon)));
    return ok ? 0 : 1;
}
