#include "IconFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>

#include <functional>

using tavrel::host::StatusCode;

namespace {

QByteArray boltFile()
{
    QFile file(QStringLiteral(TAVREL_SOURCE_DIR "/forms/CleanFrm/resources/cleanfrm.ico"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void put16(QByteArray *data, qint64 at, quint16 value)
{
    qToLittleEndian(value, data->data() + at);
}

void put32(QByteArray *data, qint64 at, quint32 value)
{
    qToLittleEndian(value, data->data() + at);
}

// One image in the icon format, its colour part written from colourAt
// (a palette index, or 0xAARRGGBB at 32 bits) and its mask from maskedAt.
struct TestImage
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    QList<QRgb> palette;
    std::function<quint32(int, int)> colourAt;
    std::function<bool(int, int)> maskedAt;
};

QByteArray buildIcon(const QList<TestImage> &images)
{
    QList<QByteArray> data;
    for (const TestImage &image : images) {
        const int xorRow = (image.width * image.bitsPerPixel + 31) / 32 * 4;
        const int andRow = (image.width + 31) / 32 * 4;
        QByteArray bytes(40 + 4 * image.palette.size() + image.height * (xorRow + andRow), '\0');
        put32(&bytes, 0, 40);
        put32(&bytes, 4, quint32(image.width));
        put32(&bytes, 8, quint32(2 * image.height));
        put16(&bytes, 12, 1);
        put16(&bytes, 14, quint16(image.bitsPerPixel));
        put32(&bytes, 32,
              quint32(image.palette.size() == (1 << image.bitsPerPixel) || image.bitsPerPixel == 32
                          ? 0
                          : image.palette.size()));
        for (int i = 0; i < image.palette.size(); ++i)
            put32(&bytes, 40 + 4 * i, image.palette.at(i) & 0xFFFFFF);
        const int xorAt = 40 + 4 * int(image.palette.size());
        const int andAt = xorAt + image.height * xorRow;
        for (int y = 0; y < image.height; ++y) {
            const int row = image.height - 1 - y;
            for (int x = 0; x < image.width; ++x) {
                const quint32 value = image.colourAt(x, y);
                if (image.bitsPerPixel == 32) {
                    put32(&bytes, xorAt + row * xorRow + 4 * x, value);
                } else {
                    const int bit = x * image.bitsPerPixel;
                    char &byte = bytes[xorAt + row * xorRow + bit / 8];
                    byte = char(quint8(byte) | (value << (8 - image.bitsPerPixel - bit % 8)));
                }
                if (image.maskedAt(x, y)) {
                    char &byte = bytes[andAt + row * andRow + x / 8];
                    byte = char(quint8(byte) | (0x80 >> (x % 8)));
                }
            }
        }
        data.append(bytes);
    }
    QByteArray file(6 + 16 * images.size(), '\0');
    put16(&file, 2, 1);
    put16(&file, 4, quint16(images.size()));
    quint32 offset = quint32(file.size());
    for (int i = 0; i < images.size(); ++i) {
        const int at = 6 + 16 * i;
        file[at] = char(images.at(i).width & 0xFF);
        file[at + 1] = char(images.at(i).height & 0xFF);
        put32(&file, at + 8, quint32(data.at(i).size()));
        put32(&file, at + 12, offset);
        offset += quint32(data.at(i).size());
    }
    for (const QByteArray &bytes : data)
        file.append(bytes);
    return file;
}

// A picture whose every corner differs, so that flipped rows or columns and
// wrong row padding show.
quint32 cornerPattern(int x, int y, int width, int height, int colours)
{
    if (x == 0 && y == 0)
        return 1 % colours;
    if (x == width - 1 && y == 0)
        return 2 % colours;
    if (x == 0 && y == height - 1)
        return 3 % colours;
    return quint32((x + 2 * y) % colours);
}

} // namespace

class TestIconDecode : public QObject
{
    Q_OBJECT

private slots:
    void decodesTheBoltIcon();
    void decodesEveryBitDepth_data();
    void decodesEveryBitDepth();
    void rejectsMalformedFiles_data();
    void rejectsMalformedFiles();
    void rejectsEveryTruncation();
    void survivesCorruptHeaders();
    void agreesWithQtsIconReader_data();
    void agreesWithQtsIconReader();
    void buildsAnIcon();
};

void TestIconDecode::decodesTheBoltIcon()
{
    QList<QImage> images;
    const tavrel::host::Status status = tavrel::host::decodeIcon(boltFile(), &images);
    QVERIFY2(status.isOk(), qPrintable(status.toString()));
    QCOMPARE(images.size(), 2);
    QCOMPARE(images.at(0).size(), QSize(32, 32));
    QCOMPARE(images.at(1).size(), QSize(16, 16));
    for (const QImage &image : images) {
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(0, image.height() - 1)), 0);
        bool yellow = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                yellow = yellow || image.pixel(x, y) == qRgb(255, 255, 0);
        }
        QVERIFY(yellow);
    }
}

void TestIconDecode::decodesEveryBitDepth_data()
{
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("paletteSize");
    QTest::newRow("1 bit, 3 wide") << 1 << 3 << 5 << 2;
    QTest::newRow("1 bit, 33 wide") << 1 << 33 << 2 << 2;
    QTest::newRow("4 bits, 5 wide") << 4 << 5 << 4 << 16;
    QTest::newRow("4 bits, short palette") << 4 << 7 << 3 << 6;
    QTest::newRow("8 bits, 3 wide") << 8 << 3 << 6 << 256;
    QTest::newRow("8 bits, short palette") << 8 << 9 << 9 << 20;
    QTest::newRow("256 wide") << 4 << 256 << 2 << 16;
}

void TestIconDecode::decodesEveryBitDepth()
{
    QFETCH(int, bitsPerPixel);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, paletteSize);
    TestImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bitsPerPixel;
    for (int i = 0; i < paletteSize; ++i)
        image.palette.append(qRgb(i * 7 % 256, 255 - i % 256, (i * 31) % 256));
    image.colourAt = [&](int x, int y) { return cornerPattern(x, y, width, height, paletteSize); };
    image.maskedAt = [&](int x, int y) { return x == width - 1 && y == height - 1; };

    QList<QImage> images;
    const tavrel::host::Status status = tavrel::host::decodeIcon(buildIcon({image}), &images);
    QVERIFY2(status.isOk(), qPrintable(status.toString()));
    QCOMPARE(images.size(), 1);
    const QImage &decoded = images.first();
    QCOMPARE(decoded.size(), QSize(width, height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb expected = image.maskedAt(x, y)
                                      ? qRgba(0, 0, 0, 0)
                                      : image.palette.at(int(image.colourAt(x, y)));
            QCOMPARE(decoded.pixel(x, y), expected);
        }
    }
}

void TestIconDecode::rejectsMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    const QByteArray good = boltFile();
    QVERIFY(good.size() == 1078);
    auto with16 = [&](qint64 at, quint16 v) {
        QByteArray f = good;
        put16(&f, at, v);
        return f;
    };
    auto with32 = [&](qint64 at, quint32 v) {
        QByteArray f = good;
        put32(&f, at, v);
        return f;
    };
    auto withByte = [&](qint64 at, char v) {
        QByteArray f = good;
        f[at] = v;
        return f;
    };
    // Image 1's information header starts at 38, image 2's at 782.

    QTest::newRow("empty") << QByteArray() << QStringLiteral("shorter than the 6-byte header");
    QTest::newRow("truncated header")
        << good.left(4) << QStringLiteral("file of 4 bytes is shorter");
    QTest::newRow("reserved") << with16(0, 1) << QStringLiteral("reserved header field is 1");
    QTest::newRow("cursor type") << with16(2, 2) << QStringLiteral("resource type is 2");
    QTest::newRow("count 0") << with16(4, 0) << QStringLiteral("image count 0 is outside 1..16");
    QTest::newRow("count 17") << with16(4, 17) << QStringLiteral("image count 17 is outside");
    QTest::newRow("directory cut")
        << good.left(30) << QStringLiteral("directory of 2 entries ends at byte 38");
    QTest::newRow("image past end")
        << good.left(900)
        << QStringLiteral("image 2 extends past the end of the file (offset 782 + 296 > 900)");
    QTest::newRow("offset near 4 GiB")
        << with32(6 + 12, 0xFFFFFFF0u) << QStringLiteral("image 1 extends past the end");
    QTest::newRow("size near 4 GiB")
        << with32(6 + 16 + 8, 0xFFFFFFFFu) << QStringLiteral("image 2 extends past the end");
    QTest::newRow("offset in directory")
        << with32(6 + 12, 20)
        << QStringLiteral("image 1 starts at offset 20, inside the directory");
    QTest::newRow("image smaller than its header")
        << with32(6 + 8, 24) << QStringLiteral("image 1 has 24 bytes, too few");
    QTest::newRow("header size") << with32(38, 12)
                                 << QStringLiteral("image 1: information header size is 12");
    QTest::newRow("width") << with32(782 + 4, 17)
                           << QStringLiteral("image 2: width 17 differs from the directory's 16");
    QTest::newRow("entry width") << withByte(6, 31)
                                 << QStringLiteral(
                                        "image 1: width 32 differs from the directory's 31");
    QTest::newRow("height field") << with32(38 + 8, 32)
                                  << QStringLiteral("image 1: height field 32 is not twice");
    QTest::newRow("negative height")
        << with32(782 + 8, quint32(-32)) << QStringLiteral("image 2: height field -32");
    QTest::newRow("planes") << with16(38 + 12, 2) << QStringLiteral("image 1: 2 planes");
    QTest::newRow("bit count 3") << with16(38 + 14, 3)
                                 << QStringLiteral("image 1: bit count 3 is not 1, 4, 8 or 32");
    QTest::newRow("bit count 24") << with16(782 + 14, 24)
                                  << QStringLiteral("image 2: bit count 24");
    QTest::newRow("bit count 8, 4-bit sizes")
        << with16(38 + 14, 8)
        << QStringLiteral("image 1: 32x32 at 8 bits per pixel needs 2216 bytes");
    QTest::newRow("compressed") << with32(38 + 16, 2)
                                << QStringLiteral("image 1: compression 2 is not supported");
    QTest::newRow("palette too big")
        << with32(38 + 32, 17) << QStringLiteral("image 1: 17 palette colours");
    QTest::newRow("size mismatch")
        << with32(6 + 8, 740)
        << QStringLiteral(
               "image 1: 32x32 at 4 bits per pixel needs 744 bytes, the directory says 740");

    TestImage shortPalette;
    shortPalette.width = 4;
    shortPalette.height = 2;
    shortPalette.bitsPerPixel = 4;
    shortPalette.palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    shortPalette.colourAt = [](int x, int y) { return x == 2 && y == 1 ? 9u : 0u; };
    shortPalette.maskedAt = [](int, int) { return false; };
    QTest::newRow("index past palette")
        << buildIcon({shortPalette})
        << QStringLiteral("image 1: pixel (2, 1) uses colour 9 of a 2-colour palette");
}

void TestIconDecode::rejectsMalformedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QList<QImage> images = {QImage(1, 1, QImage::Format_ARGB32)};
    const tavrel::host::Status status = tavrel::host::decodeIcon(file, &images);
    QVERIFY(!status.isOk());
    QCOMPARE(status.code(), StatusCode::InvalidPicture);
    QVERIFY2(status.message().startsWith(QLatin1String("icon: ")), qPrintable(status.message()));
    QVERIFY2(status.message().contains(message), qPrintable(status.message()));
    // A failed decode leaves the caller's list alone.
    QCOMPARE(images.size(), 1);
}

void TestIconDecode::rejectsEveryTruncation()
{
    const QByteArray good = boltFile();
    for (int size = 0; size < good.size(); ++size) {
        QList<QImage> images;
        const tavrel::host::Status status = tavrel::host::decodeIcon(good.left(size), &images);
        QVERIFY2(!status.isOk(), qPrintable(QString::number(size)));
        QCOMPARE(status.code(), StatusCode::InvalidPicture);
        QVERIFY(images.isEmpty());
    }
}

void TestIconDecode::survivesCorruptHeaders()
{
    // Every byte of the directory and of both information headers set to
    // each of a few values either still decodes or fails with a message;
    // under the sanitizers this also shows that nothing is read out of range.
    const QByteArray good = boltFile();
    QList<int> positions;
    for (int i = 0; i < 38 + 40; ++i)
        positions.append(i);
    for (int i = 782; i < 782 + 40; ++i)
        positions.append(i);
    for (int at : positions) {
        for (quint8 value :
             {quint8(0x00), quint8(0x01), quint8(0x7F), quint8(0x80), quint8(0xFF)}) {
            QByteArray file = good;
            file[at] = char(value);
            QList<QImage> images;
            const tavrel::host::Status status = tavrel::host::decodeIcon(file, &images);
            if (status.isOk()) {
                QCOMPARE(images.size(), int(quint8(file.at(4))));
            } else {
                QCOMPARE(status.code(), StatusCode::InvalidPicture);
                QVERIFY(!status.message().isEmpty());
            }
        }
    }
}

void TestIconDecode::agreesWithQtsIconReader_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("bolt") << QStringLiteral("forms/CleanFrm/resources/cleanfrm.ico");
    QTest::newRow("application") << QStringLiteral("app/resources/tavrelsample.ico");
}

void TestIconDecode::agreesWithQtsIconReader()
{
    QFETCH(QString, path);
    QFile file(QStringLiteral(TAVREL_SOURCE_DIR "/") + path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QList<QImage> ours;
    const tavrel::host::Status status = tavrel::host::decodeIcon(bytes, &ours);
    QVERIFY2(status.isOk(), qPrintable(status.toString()));

    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "ico");
    if (!reader.canRead())
        QSKIP("Qt's icon image plugin is not installed");
    QCOMPARE(reader.imageCount(), int(ours.size()));
    for (int i = 0; i < ours.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage theirs = reader.read().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(theirs.size(), ours.at(i).size());
        for (int y = 0; y < theirs.height(); ++y) {
            for (int x = 0; x < theirs.width(); ++x) {
                const QRgb a = theirs.pixel(x, y);
                const QRgb b = ours.at(i).pixel(x, y);
                // Fully transparent pixels may differ in their colour bits.
                if (qAlpha(a) == 0 && qAlpha(b) == 0)
                    continue;
                QVERIFY2(a == b, qPrintable(QStringLiteral("image %1 at (%2, %3): %4 vs %5")
                                                .arg(i + 1)
                                                .arg(x)
                                                .arg(y)
                                                .arg(a, 8, 16)
                                                .arg(b, 8, 16)));
            }
        }
    }
}

void TestIconDecode::buildsAnIcon()
{
    QIcon icon;
    const tavrel::host::Status status = tavrel::host::iconFromFile(boltFile(), &icon);
    QVERIFY2(status.isOk(), qPrintable(status.toString()));
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));

    QIcon untouched;
    QVERIFY(!tavrel::host::iconFromFile(boltFile().left(100), &untouched).isOk());
    QVERIFY(untouched.isNull());
}

QTEST_MAIN(TestIconDecode)
#include "tst_icondecode.moc"
