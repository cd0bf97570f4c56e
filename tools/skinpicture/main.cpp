// tavrel-skinpicture --bmp OUT.bmp [--png4x OUT.png]
//
// Draws the skin picture and writes the exact 25054-byte bitmap
// file; with --png4x also a 4x enlarged PNG of it for the documentation.

#include "BmpWriter.h"
#include "Quantizer.h"
#include "SkinPainter.h"

#include <QSaveFile>
#include <QString>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tavrel-skinpicture --bmp OUT.bmp [--png4x OUT.png]\n");
    return 2;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        std::fprintf(stderr, "tavrel-skinpicture: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(f.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QString bmpPath, pngPath;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if ((arg == QLatin1String("--bmp") || arg == QLatin1String("--png4x")) && i + 1 < argc) {
            (arg == QLatin1String("--bmp") ? bmpPath : pngPath) = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            usage();
            return 0;
        } else {
            return usage();
        }
    }
    if (bmpPath.isEmpty())
        return usage();

    using namespace skinpicture;
    IndexedPicture picture;
    QString error;
    if (!quantize(paintSkin(), &picture, &error)) {
        std::fprintf(stderr, "tavrel-skinpicture: %s\n", qPrintable(error));
        return 1;
    }
    if (!writeFile(bmpPath, writeBmp(picture)))
        return 1;
    if (!pngPath.isEmpty()) {
        QImage image = enlarged(picture, 4);
        QSaveFile f(pngPath);
        if (!f.open(QIODevice::WriteOnly) || !image.save(&f, "PNG") || !f.commit()) {
            std::fprintf(stderr, "tavrel-skinpicture: cannot write %s\n", qPrintable(pngPath));
            return 1;
        }
    }
    return 0;
}
