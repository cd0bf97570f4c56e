// host/PictureStream: the stored form of the skin picture (class id, "lt\0\0",
// byte count, bitmap file) and the checks made before a bitmap is decoded.

#include <PictureStream.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

#include <functional>

using namespace tavrel::host;

namespace {

QByteArray skinPictureFile()
{
    QFile f(QStringLiteral(TAVREL_SKIN_PICTURE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put32(QByteArray &b, int offset, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + offset);
}

void put16(QByteArray &b, int offset, quint16 v)
{
    qToLittleEndian<quint16>(v, b.data() + offset);
}

// The stored property written out by hand, as the stored property is laid out.
QByteArray storedByHand(const QByteArray &file)
{
    const unsigned char classId[16] = {0x04, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                                       0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};
    QByteArray out(reinterpret_cast<const char *>(classId), 16);
    out.append("lt\0\0", 4);
    QByteArray count(4, '\0');
    put32(count, 0, quint32(file.size()));
    out.append(count);
    out.append(file);
    return out;
}

// A bitmap file with its stream wrapped around it, both sizes kept right.
QByteArray storedBitmap(QByteArray file)
{
    return storedByHand(file);
}

} // namespace

class TestPictureStream : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void encodesAsThePartSays();
    void decodesTheSkinPicture();
    void keepsThePalette();
    void malformedStored_data();
    void malformedStored();
    void malformedStream_data();
    void malformedStream();
    void nullOutputsAreAllowed();
    void corruptedHeadersNeverCrash();

private:
    QByteArray m_file;
};

void TestPictureStream::initTestCase()
{
    m_file = skinPictureFile();
    QCOMPARE(m_file.size(), 25054);
}

void TestPictureStream::encodesAsThePartSays()
{
    const QByteArray stored = PictureStream::encodeStored(m_file);
    QCOMPARE(stored, storedByHand(m_file));
    QCOMPARE(stored.size(), 16 + 8 + 25054);
    QCOMPARE(stored.mid(16, 4), QByteArray("lt\0\0", 4));
    QCOMPARE(qFromLittleEndian<quint32>(stored.constData() + 20), 25054u);
    QCOMPARE(PictureStream::standardPictureClassId().toHex(), QByteArray("0452e30b918fce119de300aa004bb851"));
    QCOMPARE(PictureStream::encodeStream(m_file), stored.mid(16));
}

void TestPictureStream::decodesTheSkinPicture()
{
    QByteArray file;
    const Status s = PictureStream::decodeStored(storedByHand(m_file), &file);
    QVERIFY2(s.isOk(), qPrintable(s.toString()));
    QCOMPARE(file, m_file);

    QImage image;
    const Status b = PictureStream::decodeStoredBitmap(storedByHand(m_file), &image);
    QVERIFY2(b.isOk(), qPrintable(b.toString()));
    QCOMPARE(image.size(), QSize(145, 162));
    QCOMPARE(image.format(), QImage::Format_Indexed8);
}

void TestPictureStream::keepsThePalette()
{
    QImage image;
    QVERIFY(PictureStream::decodeBitmap(m_file, &image).isOk());
    QCOMPARE(image.colorTable().size(), 256);
    QCOMPARE(image.color(0x1A), qRgb(0, 128, 0));
    QCOMPARE(image.color(0x7B), qRgb(254, 254, 254));
    QCOMPARE(image.color(0x36), qRgb(255, 0, 255));
    // Indices as stored: the top-left grid pixel, the first swatch (panel),
    // the empty area.
    QCOMPARE(image.pixelIndex(0, 0), 0x1A);
    QCOMPARE(image.pixelIndex(1, 140), 0x6E);
    QCOMPARE(image.pixelIndex(100, 100), 0x7B);
    // Every pixel equals the stored index (bottom-up rows of 148 bytes).
    for (int y = 0; y < 162; ++y)
        for (int x = 0; x < 145; ++x)
            QCOMPARE(image.pixelIndex(x, y), int(uchar(m_file.at(1078 + (161 - y) * 148 + x))));
}

void TestPictureStream::malformedStored_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("keyword");

    const QByteArray good = storedByHand(m_file);
    auto edited = [&](const std::function<void(QByteArray &)> &edit) {
        QByteArray b = good;
        edit(b);
        return b;
    };
    auto bitmap = [&](const std::function<void(QByteArray &)> &edit) {
        QByteArray f = m_file;
        edit(f);
        return storedBitmap(f);
    };

    QTest::newRow("empty") << QByteArray() << QStringLiteral("too short");
    QTest::newRow("class id only") << good.left(16) << QStringLiteral("empty");
    QTest::newRow("short stream") << good.left(19) << QStringLiteral("too short");
    QTest::newRow("wrong class id") << edited([](QByteArray &b) { b[0] = 0x05; }) << QStringLiteral("class id");
    QTest::newRow("wrong signature") << edited([](QByteArray &b) { b[17] = 'T'; }) << QStringLiteral("signature");
    QTest::newRow("count too big")
        << edited([](QByteArray &b) { put32(b, 20, 25055); }) << QStringLiteral("byte count 25055");
    QTest::newRow("count too small")
        << edited([](QByteArray &b) { put32(b, 20, 120); }) << QStringLiteral("byte count 120");
    QTest::newRow("count huge")
        << edited([](QByteArray &b) { put32(b, 20, 0xFFFFFFFFu); }) << QStringLiteral("byte count");
    QTest::newRow("bytes after the file") << good + QByteArray(1, '\0') << QStringLiteral("byte count");
    QTest::newRow("file shorter than the headers")
        << storedBitmap(m_file.left(30)) << QStringLiteral("too short");
    QTest::newRow("not BM") << bitmap([](QByteArray &f) { f[1] = 'A'; }) << QStringLiteral("signature");
    QTest::newRow("file size field lies")
        << bitmap([](QByteArray &f) { put32(f, 2, 25000); }) << QStringLiteral("file size");
    QTest::newRow("pixel offset past the end")
        << bitmap([](QByteArray &f) { put32(f, 10, 30000); }) << QStringLiteral("pixel offset");
    QTest::newRow("pixel offset inside the palette")
        << bitmap([](QByteArray &f) { put32(f, 10, 500); }) << QStringLiteral("pixel offset");
    QTest::newRow("information header size 12")
        << bitmap([](QByteArray &f) { put32(f, 14, 12); }) << QStringLiteral("information header");
    QTest::newRow("width 0") << bitmap([](QByteArray &f) { put32(f, 18, 0); }) << QStringLiteral("width");
    QTest::newRow("width negative")
        << bitmap([](QByteArray &f) { put32(f, 18, quint32(-145)); }) << QStringLiteral("width");
    QTest::newRow("width huge")
        << bitmap([](QByteArray &f) { put32(f, 18, 0x7FFFFFFF); }) << QStringLiteral("width");
    QTest::newRow("height 0") << bitmap([](QByteArray &f) { put32(f, 22, 0); }) << QStringLiteral("height");
    QTest::newRow("height negative")
        << bitmap([](QByteArray &f) { put32(f, 22, quint32(-162)); }) << QStringLiteral("height");
    QTest::newRow("height huge")
        << bitmap([](QByteArray &f) { put32(f, 22, 100000); }) << QStringLiteral("height");
    QTest::newRow("planes 2") << bitmap([](QByteArray &f) { put16(f, 26, 2); }) << QStringLiteral("planes");
    QTest::newRow("24 bits per pixel")
        << bitmap([](QByteArray &f) { put16(f, 28, 24); }) << QStringLiteral("bits per pixel");
    QTest::newRow("compression 1")
        << bitmap([](QByteArray &f) { put32(f, 30, 1); }) << QStringLiteral("compression");
    QTest::newRow("colours used 300")
        << bitmap([](QByteArray &f) { put32(f, 46, 300); }) << QStringLiteral("colours used");
    QTest::newRow("rows field lies")
        << bitmap([](QByteArray &f) { put32(f, 34, 99999); }) << QStringLiteral("size of the pixel rows");
    QTest::newRow("truncated rows") << bitmap([](QByteArray &f) {
        f.chop(148);
        put32(f, 2, quint32(f.size()));
    }) << QStringLiteral("truncated");
    QTest::newRow("one row too many claimed")
        << bitmap([](QByteArray &f) { put32(f, 22, 163); }) << QStringLiteral("truncated");
}

void TestPictureStream::malformedStored()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, keyword);
    QImage image(1, 1, QImage::Format_RGB32);
    const Status s = PictureStream::decodeStoredBitmap(stored, &image);
    QVERIFY2(!s.isOk(), "accepted");
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QVERIFY2(s.message().contains(keyword), qPrintable(s.message()));
    QCOMPARE(image.size(), QSize(1, 1)); // untouched
}

void TestPictureStream::malformedStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("picture stream: empty, no signature and byte count");
    QTest::newRow("short") << QByteArray("lt\0", 3)
                           << QStringLiteral("picture stream: 3 bytes are too short for the signature and byte count (8 bytes)");
    QByteArray count(QByteArray("lt\0\0", 4) + QByteArray("\xDE\x61\0\0", 4) + QByteArray(120, 'x'));
    QTest::newRow("count") << count
                           << QStringLiteral("picture stream: byte count 25054 does not match the 120 bytes that follow");
}

void TestPictureStream::malformedStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, message);
    QByteArray file("untouched");
    const Status s = PictureStream::decodeStream(stream, &file);
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QCOMPARE(s.message(), message);
    QCOMPARE(file, QByteArray("untouched"));
}

void TestPictureStream::nullOutputsAreAllowed()
{
    QVERIFY(PictureStream::decodeStored(storedByHand(m_file), nullptr).isOk());
    QVERIFY(PictureStream::decodeBitmap(m_file, nullptr).isOk());
}

// Random bytes in the headers and palette, with a fixed seed: every result is
// either a clean refusal naming InvalidPicture or a decoded image whose size
// is the header's. (Run under the sanitizers this also checks the bounds.)
void TestPictureStream::corruptedHeadersNeverCrash()
{
    QRandomGenerator random(20261208);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray f = m_file;
        const int edits = 1 + int(random.bounded(4));
        for (int e = 0; e < edits; ++e)
            f[int(random.bounded(62))] = char(random.bounded(256));
        if (random.bounded(8) == 0)
            f.truncate(int(random.bounded(f.size())));
        QImage image;
        const Status s = PictureStream::decodeStoredBitmap(storedByHand(f), &image);
        if (s.isOk()) {
            QCOMPARE(image.format(), QImage::Format_Indexed8);
            QVERIFY(image.width() > 0 && image.width() <= 4096);
            QVERIFY(image.height() > 0 && image.height() <= 4096);
        } else {
            ++refused;
            QCOMPARE(s.code(), StatusCode::InvalidPicture);
            QVERIFY(!s.message().isEmpty());
        }
    }
    QVERIFY(refused > 0);
}

QTEST_MAIN(TestPictureStream)
#include "tst_picturestream.moc"
