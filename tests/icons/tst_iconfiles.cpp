#include "RawIcon.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString sourceDir = QStringLiteral(TAVREL_SOURCE_DIR);

enum StandardIndex {
    Black = 0,
    Olive = 3,
    Grey = 7,
    Silver = 8,
    Yellow = 11,
    Cyan = 14,
    White = 15
};

const QList<QRgb> standardPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
    qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString boltPath()
{
    return sourceDir + QStringLiteral("/forms/CleanFrm/resources/cleanfrm.ico");
}

QString appIconPath()
{
    return sourceDir + QStringLiteral("/app/resources/tavrelsample.ico");
}

qint64 imageBytes(int width, int height, int bitsPerPixel)
{
    const qint64 xorRow = (qint64(width) * bitsPerPixel + 31) / 32 * 4;
    const qint64 andRow = (qint64(width) + 31) / 32 * 4;
    return 40 + 4 * (qint64(1) << bitsPerPixel) + height * (xorRow + andRow);
}

bool isOpaque(const RawIcon::Image &image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width && y < image.height() && !image.masked(x, y);
}

QSet<int> opaqueIndices(const RawIcon::Image &image)
{
    QSet<int> used;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (isOpaque(image, x, y))
                used.insert(image.index(x, y));
        }
    }
    return used;
}

// Mean position of the opaque pixels of one palette index.
QPointF centroid(const RawIcon::Image &image, int index, int fromRow = 0, int toRow = -1)
{
    if (toRow < 0)
        toRow = image.height();
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (isOpaque(image, x, y) && (index < 0 || image.index(x, y) == index)) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    return n ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

QImage toArgb(const RawIcon::Image &image)
{
    QImage out(image.width, image.height(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width; ++x)
            out.setPixel(x, y, isOpaque(image, x, y) ? image.palette.at(image.index(x, y)) : 0u);
    }
    return out;
}

void verifyStructure(const QByteArray &file, const RawIcon &icon)
{
    QVERIFY(icon.ok());
    QCOMPARE(icon.reserved, 0);
    QCOMPARE(icon.type, 1);
    qint64 expectedOffset = 6 + 16 * qint64(icon.count);
    for (int i = 0; i < icon.count; ++i) {
        const RawIcon::Entry &entry = icon.entries.at(i);
        const RawIcon::Image &image = icon.images.at(i);
        QCOMPARE(qint64(entry.offset), expectedOffset);
        QCOMPARE(image.headerSize, 40u);
        QCOMPARE(image.width, entry.width);
        QCOMPARE(image.heightField, 2 * entry.height);
        QCOMPARE(image.planes, 1);
        QCOMPARE(image.compression, 0u);
        QCOMPARE(entry.colourCount, 1 << image.bitsPerPixel);
        QCOMPARE(entry.reserved, 0);
        QCOMPARE(qint64(entry.byteSize), imageBytes(entry.width, entry.height, image.bitsPerPixel));
        // A masked pixel must be black in the colour part, or it would tint
        // whatever is drawn under it.
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (image.masked(x, y))
                    QCOMPARE(image.index(x, y), 0);
            }
        }
        expectedOffset += entry.byteSize;
    }
    QCOMPARE(qint64(file.size()), expectedOffset);
}

} // namespace

class TestIconFiles : public QObject
{
    Q_OBJECT

private slots:
    void boltFileLayout();
    void boltImages_data();
    void boltImages();
    void appIconLayout();
    void appIconColourImages_data();
    void appIconColourImages();
    void appIconMonochromeHasTheSameShape();
    void appIconPngMatchesTheIcon();
    void generatorReproducesTheCommittedFiles();
};

void TestIconFiles::boltFileLayout()
{
    const QByteArray file = readFile(boltPath());
    QCOMPARE(file.size(), 1078);
    const RawIcon icon(file);
    QCOMPARE(icon.count, 2);
    verifyStructure(file, icon);

    const int sizes[] = {32, 16};
    const quint32 bytes[] = {744, 296};
    const quint32 offsets[] = {38, 782};
    for (int i = 0; i < 2; ++i) {
        const RawIcon::Entry &entry = icon.entries.at(i);
        QCOMPARE(entry.width, sizes[i]);
        QCOMPARE(entry.height, sizes[i]);
        QCOMPARE(entry.colourCount, 16);
        QCOMPARE(entry.planes, 0);
        QCOMPARE(entry.bitCount, 0);
        QCOMPARE(entry.byteSize, bytes[i]);
        QCOMPARE(entry.offset, offsets[i]);
        QCOMPARE(icon.images.at(i).bitsPerPixel, 4);
        QCOMPARE(icon.images.at(i).palette, standardPalette);
    }
}

void TestIconFiles::boltImages_data()
{
    QTest::addColumn<int>("image");
    QTest::newRow("32x32") << 0;
    QTest::newRow("16x16") << 1;
}

void TestIconFiles::boltImages()
{
    QFETCH(int, image);
    const RawIcon icon(readFile(boltPath()));
    QVERIFY(icon.ok());
    const RawIcon::Image &bolt = icon.images.at(image);
    const int w = bolt.width;
    const int h = bolt.height();

    QVERIFY(!isOpaque(bolt, 0, 0));
    QVERIFY(!isOpaque(bolt, w - 1, h - 1));
    QCOMPARE(opaqueIndices(bolt), (QSet<int>{Black, Yellow, Olive}));

    int yellow = 0;
    int olive = 0;
    for (int y = 0; y < h; ++y) {
        QString row;
        for (int x = 0; x < w; ++x) {
            const bool body = isOpaque(bolt, x, y) && bolt.index(x, y) != Black;
            if (body) {
                // The outline closes the bolt on every side.
                QVERIFY2(
                    isOpaque(bolt, x - 1, y) && isOpaque(bolt, x + 1, y) &&
                        isOpaque(bolt, x, y - 1) && isOpaque(bolt, x, y + 1),
                    qPrintable(QStringLiteral("(%1, %2) touches the background").arg(x).arg(y)));
            }
            row += !isOpaque(bolt, x, y)        ? QLatin1Char('.')
                   : bolt.index(x, y) == Yellow ? QLatin1Char('Y')
                   : bolt.index(x, y) == Olive  ? QLatin1Char('O')
                                                : QLatin1Char('K');
        }
        yellow += int(row.count(QLatin1Char('Y')));
        olive += int(row.count(QLatin1Char('O')));
        // Shading sits on the right-hand edge: every run of the bolt's body
        // is yellow then olive, never olive then yellow, and wider runs
        // start yellow.
        static const QRegularExpression body(QStringLiteral("[YO]+"));
        for (const QRegularExpressionMatch &m : body.globalMatch(row)) {
            const QString run = m.captured();
            QVERIFY2(QRegularExpression(QStringLiteral("^Y*O+$")).match(run).hasMatch(),
                     qPrintable(QStringLiteral("row %1: %2").arg(y).arg(row)));
            if (run.size() > 2)
                QVERIFY2(run.startsWith(QLatin1Char('Y')), qPrintable(row));
        }
    }
    QVERIFY(yellow > olive);
    QVERIFY(olive >= h / 2);

    // From the top right to the bottom left.
    const QPointF top = centroid(bolt, -1, 0, h / 4);
    const QPointF bottom = centroid(bolt, -1, h - h / 4, h);
    QVERIFY2(top.x() > bottom.x() + w / 4,
             qPrintable(QStringLiteral("top %1, bottom %2").arg(top.x()).arg(bottom.x())));
}

void TestIconFiles::appIconLayout()
{
    const QByteArray file = readFile(appIconPath());
    const RawIcon icon(file);
    QCOMPARE(icon.count, 3);
    verifyStructure(file, icon);
    const int sizes[] = {32, 32, 16};
    const int bits[] = {1, 4, 4};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(icon.entries.at(i).width, sizes[i]);
        QCOMPARE(icon.entries.at(i).height, sizes[i]);
        QCOMPARE(icon.images.at(i).bitsPerPixel, bits[i]);
    }
    QCOMPARE(icon.images.at(0).palette, (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    QCOMPARE(icon.images.at(1).palette, standardPalette);
    QCOMPARE(icon.images.at(2).palette, standardPalette);
}

void TestIconFiles::appIconColourImages_data()
{
    QTest::addColumn<int>("image");
    QTest::newRow("32x32") << 1;
    QTest::newRow("16x16") << 2;
}

void TestIconFiles::appIconColourImages()
{
    QFETCH(int, image);
    const RawIcon icon(readFile(appIconPath()));
    QVERIFY(icon.ok());
    const RawIcon::Image &window = icon.images.at(image);
    const int w = window.width;
    const int h = window.height();
    QVERIFY(!isOpaque(window, 0, 0));
    QVERIFY(!isOpaque(window, w - 1, 0));
    QVERIFY(!isOpaque(window, 0, h - 1));
    QVERIFY(!isOpaque(window, w - 1, h - 1));
    QCOMPARE(opaqueIndices(window), (QSet<int>{Black, White, Cyan, Silver, Grey}));

    const QPointF paper = centroid(window, White);
    const QPointF caption = centroid(window, Cyan);
    const QPointF shadow = centroid(window, Grey);
    QVERIFY(caption.y() < paper.y());
    QVERIFY(shadow.x() > paper.x());
    QVERIFY(shadow.y() > paper.y());

    // Seen at a slant: the caption's lower boundary is not one row.
    int firstRow = h, lastRow = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (isOpaque(window, x, y) && window.index(x, y) == Cyan) {
                firstRow = qMin(firstRow, y);
                lastRow = qMax(lastRow, y);
            }
        }
    }
    QVERIFY(lastRow - firstRow >= 3);
}

void TestIconFiles::appIconMonochromeHasTheSameShape()
{
    const RawIcon icon(readFile(appIconPath()));
    QVERIFY(icon.ok());
    const RawIcon::Image &mono = icon.images.at(0);
    const RawIcon::Image &colour = icon.images.at(1);
    QCOMPARE(opaqueIndices(mono), (QSet<int>{0, 1}));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool window = isOpaque(colour, x, y) && colour.index(x, y) != Grey;
            QCOMPARE(isOpaque(mono, x, y), window);
            if (window && colour.index(x, y) == Black)
                QCOMPARE(mono.index(x, y), 0);
            if (window && colour.index(x, y) == White)
                QCOMPARE(mono.index(x, y), 1);
        }
    }
}

void TestIconFiles::appIconPngMatchesTheIcon()
{
    const RawIcon icon(readFile(appIconPath()));
    QVERIFY(icon.ok());
    QImage png(sourceDir + QStringLiteral("/app/resources/tavrelsample.png"));
    QVERIFY(!png.isNull());
    QCOMPARE(png.size(), QSize(32, 32));
    QCOMPARE(png.convertToFormat(QImage::Format_ARGB32), toArgb(icon.images.at(1)));
}

void TestIconFiles::generatorReproducesTheCommittedFiles()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess generator;
    generator.start(QStringLiteral(TAVREL_ICONGEN), {out.path()});
    QVERIFY(generator.waitForFinished(30000));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(generator.exitCode(), 0);

    const QStringList files = {
        QStringLiteral("forms/CleanFrm/resources/cleanfrm.ico"),
        QStringLiteral("app/resources/tavrelsample.ico"),
        QStringLiteral("app/resources/app-group.bin"),
        QStringLiteral("app/resources/app-30001.bin"),
        QStringLiteral("app/resources/app-30002.bin"),
        QStringLiteral("app/resources/app-30003.bin"),
        QStringLiteral("app/resources/tavrelsample.png"),
        QStringLiteral("docs/icon-cleanfrm-8x.png"),
        QStringLiteral("docs/icon-app-8x.png"),
    };
    for (const QString &name : files) {
        const QString generated = QDir(out.path()).filePath(name);
        const QString committed = QDir(sourceDir).filePath(name);
        QVERIFY2(QFile::exists(generated), qPrintable(name));
        if (name.endsWith(QLatin1String(".png"))) {
            // The compressed bytes are zlib's business; the pixels are ours.
            QImage a(generated);
            QImage b(committed);
            QVERIFY2(!a.isNull() && !b.isNull(), qPrintable(name));
            QVERIFY2(a.convertToFormat(QImage::Format_ARGB32) ==
                         b.convertToFormat(QImage::Format_ARGB32),
                     qPrintable(name + QStringLiteral(" differs: rerun tavrel-icongen")));
        } else {
            QVERIFY2(readFile(generated) == readFile(committed),
                     qPrintable(name + QStringLiteral(" differs: rerun tavrel-icongen")));
        }
    }
}

QTEST_MAIN(TestIconFiles)
#include "tst_iconfiles.moc"
