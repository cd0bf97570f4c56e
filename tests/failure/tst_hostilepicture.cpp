// Hostile skin pictures: decoder checks beyond the framing and header cases
// of tst_picturestream, and pictures that decode but carry no usable grid,
// handed to the real component the way a window hands it its stored
// properties. Such a component fails to create, nothing of it stays on the
// window, and the failure reaches the reporter naming the fault.
#include <ComponentHost.h>
#include <ComponentSite.h>
#include <ErrorBoundary.h>
#include <FailureReporter.h>
#include <IconFile.h>
#include <PictureStream.h>
#include <SkinContract.h>
#include <TestSupport.h>

#include <QFile>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

#include <functional>

using tavrel::host::PictureStream::decodeBitmap;
using tavrel::host::Status;
using tavrel::host::StatusCode;

namespace {

constexpr int Width = 145;
constexpr int Height = 162;
constexpr int Stride = 148;
constexpr int PixelOffset = 1078;
constexpr char GridIndex = 0x1A;
constexpr char BackgroundIndex = 0x7B;

QByteArray skinPictureFile()
{
    QFile f(QStringLiteral(TAVREL_SKIN_PICTURE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put32(QByteArray &b, int offset, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + offset);
}

// Pixel (x, y) of the skin picture file, y from the top (rows are stored
// bottom-up).
char &pixel(QByteArray &file, int x, int y)
{
    return file[PixelOffset + (Height - 1 - y) * Stride + x];
}

// An 8-bit bitmap file of w x h pixels, all `index`, with a grey palette.
QByteArray plainBitmap(int w, int h, char index)
{
    const int stride = (w + 3) / 4 * 4;
    QByteArray f(PixelOffset + stride * h, '\0');
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, quint32(f.size()));
    put32(f, 10, PixelOffset);
    put32(f, 14, 40);
    put32(f, 18, quint32(w));
    put32(f, 22, quint32(h));
    qToLittleEndian<quint16>(1, f.data() + 26);
    qToLittleEndian<quint16>(8, f.data() + 28);
    put32(f, 34, quint32(stride * h));
    for (int i = 0; i < 256; ++i)
        f[54 + 4 * i] = f[55 + 4 * i] = f[56 + 4 * i] = char(i);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            f[PixelOffset + y * stride + x] = index;
    return f;
}

// An uncompressed bottom-up 8-bit bitmap file of an indexed image.
QByteArray bitmapOf(const QImage &image)
{
    const int w = image.width(), h = image.height(), stride = (w + 3) / 4 * 4;
    QByteArray f = plainBitmap(1, 1, 0).left(PixelOffset);
    f.append(QByteArray(stride * h, '\0'));
    put32(f, 2, quint32(f.size()));
    put32(f, 18, quint32(w));
    put32(f, 22, quint32(h));
    put32(f, 34, quint32(stride * h));
    const QList<QRgb> colours = image.colorTable();
    for (int i = 0; i < colours.size(); ++i) {
        f[54 + 4 * i] = char(qBlue(colours[i]));
        f[55 + 4 * i] = char(qGreen(colours[i]));
        f[56 + 4 * i] = char(qRed(colours[i]));
    }
    for (int y = 0; y < h; ++y)
        memcpy(f.data() + PixelOffset + (h - 1 - y) * stride, image.constScanLine(y), size_t(w));
    return f;
}

// The skin picture stretched to w x h with its grid intact: column 38 (inside
// the caption's middle cell, frame tile 5, glyph column 2 and swatch 9) and
// rows 20 (inside the tall band) and 71 (inside the frame tiles) repeated.
// Then every marker row's one pixel is moved to `markers` where it gives one.
QByteArray stretchedPicture(const QByteArray &file, int w, int h, const QList<int> &markers)
{
    QImage real;
    if (!decodeBitmap(file, &real))
        return {};
    const int extraColumns = w - Width, extraRows = h - Height;
    QImage big(w, h, QImage::Format_Indexed8);
    big.setColorTable(real.colorTable());
    for (int y = 0; y < h; ++y) {
        int sy = y;
        if (y > 20)
            sy = y <= 20 + extraRows / 2 ? 20 : y - extraRows / 2;
        if (sy > 71 && y > 20 + extraRows / 2)
            sy = sy <= 71 + (extraRows - extraRows / 2) ? 71 : sy - (extraRows - extraRows / 2);
        const uchar *from = real.constScanLine(sy);
        uchar *to = big.scanLine(y);
        memcpy(to, from, 39);
        memset(to + 39, from[38], size_t(extraColumns));
        memcpy(to + 39 + extraColumns, from + 39, size_t(Width - 39));
    }
    const int firstMarkerRow = 146 + extraRows;
    for (int m = 0; m < markers.size(); ++m) {
        uchar *row = big.scanLine(firstMarkerRow + m);
        memset(row, BackgroundIndex, size_t(w));
        row[markers[m]] = GridIndex;
    }
    return bitmapOf(big);
}

tavrel::host::PropertyBag propertiesWith(const QByteArray &bitmapFile)
{
    tavrel::host::PropertyBag bag;
    bag.write(skin::Property::extentX(), tavrel::host::Variant::fromI4(skin::StoredExtentX));
    bag.write(skin::Property::extentY(), tavrel::host::Variant::fromI4(skin::StoredExtentY));
    bag.write(skin::Property::skinPicture(),
              tavrel::host::Variant::fromBlob(tavrel::host::PictureStream::encodeStored(bitmapFile)));
    return bag;
}

} // namespace

class tst_HostilePicture : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shortPaletteDecodesWhileIndicesFit();
    void decoderRefuses_data();
    void decoderRefuses();
    void iconFromAnotherFormatIsRefused();

    void gridlessPictureFailsToCreate_data();
    void gridlessPictureFailsToCreate();
    void untouchedPictureCreates();
    void gridlessPictureIsReportedAndEndsTheLoop();

private:
    Status createOn(QWidget *window, const QByteArray &bitmapFile, tavrel::host::ComponentSite **site);
    QByteArray edited(const std::function<void(QByteArray &)> &edit) const;

    QByteArray m_file;
    QStringList m_reports;
};

void tst_HostilePicture::initTestCase()
{
    testing::applyApplicationDefaults();
    m_file = skinPictureFile();
    QCOMPARE(m_file.size(), 25054);
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
}

void tst_HostilePicture::init()
{
    app::FailureReporter::install();
    app::FailureReporter::clear();
    m_reports.clear();
    app::FailureReporter::setPresenter([this](const QString &, const QString &text) { m_reports << text; });
}

void tst_HostilePicture::cleanup()
{
    app::FailureReporter::resetPresenter();
    app::FailureReporter::clear();
}

QByteArray tst_HostilePicture::edited(const std::function<void(QByteArray &)> &edit) const
{
    QByteArray f = m_file;
    edit(f);
    return f;
}

Status tst_HostilePicture::createOn(QWidget *window, const QByteArray &bitmapFile,
                                    tavrel::host::ComponentSite **site)
{
    return tavrel::host::ComponentSite::create(skin::className(), skin::instanceName(), window,
                                       propertiesWith(bitmapFile), site);
}

void tst_HostilePicture::shortPaletteDecodesWhileIndicesFit()
{
    // The picture uses entries 0x00 to 0x7B only: a 124-colour palette fits.
    const QByteArray f = edited([](QByteArray &b) { put32(b, 46, 124); });
    QImage image;
    const Status s = decodeBitmap(f, &image);
    QVERIFY2(s.isOk(), qPrintable(s.toString()));
    QCOMPARE(image.colorCount(), 124);
    QCOMPARE(image.color(0x1A), qRgb(0, 128, 0));
    QCOMPARE(image.pixelIndex(0, 0), 0x1A);
}

void tst_HostilePicture::decoderRefuses_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("pixel past a short palette") << edited([](QByteArray &b) {
        put32(b, 46, 124);
        pixel(b, 100, 100) = char(0x90);
    }) << QStringLiteral("bitmap: pixel (100, 100) uses colour 144 of a 124-colour palette");
    QTest::newRow("pixel past a one-colour palette") << edited([](QByteArray &b) {
        put32(b, 46, 1);
    }) << QStringLiteral("bitmap: pixel (0, 0) uses colour 26 of a 1-colour palette");
    QTest::newRow("important colours 300") << edited([](QByteArray &b) { put32(b, 50, 300); })
                                           << QStringLiteral("bitmap: important colours 300 is more "
                                                             "than the 256 colours of the palette");
    QTest::newRow("important colours past a short palette") << edited([](QByteArray &b) {
        put32(b, 46, 124);
        put32(b, 50, 125);
    }) << QStringLiteral("bitmap: important colours 125 is more than the 124 colours of the palette");
}

void tst_HostilePicture::decoderRefuses()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QImage image(1, 1, QImage::Format_RGB32);
    const Status s = decodeBitmap(file, &image);
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QCOMPARE(s.message(), message);
    QCOMPARE(image.size(), QSize(1, 1));
}

void tst_HostilePicture::iconFromAnotherFormatIsRefused()
{
    // A bitmap where an icon is expected, and an icon where a bitmap is.
    QList<QImage> images;
    Status s = tavrel::host::decodeIcon(m_file, &images);
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QVERIFY2(s.message().startsWith(QLatin1String("icon: reserved header field")), qPrintable(s.message()));
    QVERIFY(images.isEmpty());
    QFile ico(QStringLiteral(":/forms/cleanfrm.ico"));
    QVERIFY(ico.open(QIODevice::ReadOnly));
    s = decodeBitmap(ico.readAll(), nullptr);
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QVERIFY2(s.message().contains(QLatin1String("signature")), qPrintable(s.message()));
}

void tst_HostilePicture::gridlessPictureFailsToCreate_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("fault");

    QTest::newRow("no grid colour at all") << edited([](QByteArray &b) {
        for (int i = PixelOffset; i < b.size(); ++i) {
            if (b[i] == GridIndex)
                b[i] = BackgroundIndex;
        }
    }) << QStringLiteral("expected 4 grid lines across the whole width");
    QTest::newRow("band separator broken") << edited([](QByteArray &b) {
        pixel(b, 50, 43) = BackgroundIndex;
    }) << QStringLiteral("expected 4 grid lines across the whole width (band top, band separator, "
                         "tile top, ruler), found 3 at y = 0, 68, 143");
    QTest::newRow("caption cell line missing") << edited([](QByteArray &b) {
        pixel(b, 29, 20) = BackgroundIndex;
    }) << QStringLiteral("expected 7 vertical grid lines through the caption bands, found 6");
    QTest::newRow("frame tile line missing") << edited([](QByteArray &b) {
        pixel(b, 49, 72) = BackgroundIndex;
    }) << QStringLiteral("expected 15 grid lines between the frame tiles, found 14");
    QTest::newRow("glyph column line missing") << edited([](QByteArray &b) {
        pixel(b, 30, 100) = BackgroundIndex;
    }) << QStringLiteral("grid lines between the glyph columns");
    QTest::newRow("swatch line missing") << edited([](QByteArray &b) {
        pixel(b, 16, 141) = BackgroundIndex;
    }) << QStringLiteral("expected 16 grid lines between the swatches, found 15");
    QTest::newRow("marker row with two markers") << edited([](QByteArray &b) {
        pixel(b, 60, 150) = GridIndex;
    }) << QStringLiteral("marker row 4 (y = 150) holds 2 grid pixels instead of one");
    QTest::newRow("marker row without a marker") << edited([](QByteArray &b) {
        pixel(b, 25, 156) = BackgroundIndex;
    }) << QStringLiteral("marker row 10 (y = 156) holds 0 grid pixels");
    QTest::newRow("inset wider than a frame tile") << edited([](QByteArray &b) {
        pixel(b, 0, 155) = BackgroundIndex;
        pixel(b, 144, 155) = GridIndex;
    }) << QStringLiteral("marker row 9 (ClientInset, y = 155) is 144; allowed 0 to 6");
    // The largest picture with every marker at its largest value would grow
    // a window by thousands of pixels on each side.
    QTest::newRow("4096 x 4096, every marker at 4095")
        << stretchedPicture(m_file, 4096, 4096, QList<int>(11, 4095))
        << QStringLiteral("marker row 6 (FixedCaption, y = 4086) is 4095; allowed 1 to 2009");
    QTest::newRow("4096 x 4096, inset at 4095")
        << stretchedPicture(m_file, 4096, 4096, {0, 4, 25, 3, 3, 20, 25, 4, 0, 4095, 25})
        << QStringLiteral("marker row 9 (ClientInset, y = 4089) is 4095; allowed 0 to 6");
    QTest::newRow("tiny picture") << plainBitmap(4, 4, GridIndex)
                                  << QStringLiteral("the picture is only 4 x 4 pixels");
    QTest::newRow("one colour") << plainBitmap(Width, Height, GridIndex)
                                << QStringLiteral("expected 4 grid lines across the whole width");
}

void tst_HostilePicture::gridlessPictureFailsToCreate()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, fault);
    // The file itself is a sound bitmap: only the layout is at fault.
    QVERIFY(decodeBitmap(file, nullptr).isOk());

    QWidget window;
    window.setObjectName(QStringLiteral("MainFrm"));
    window.resize(371, 201);
    const Qt::WindowFlags flags = window.windowFlags();
    tavrel::host::ComponentSite *site = reinterpret_cast<tavrel::host::ComponentSite *>(quintptr(1));
    const Status s = createOn(&window, file, &site);
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QVERIFY2(s.message().contains(fault), qPrintable(s.message()));
    QVERIFY2(s.message().contains(QLatin1String("stored property 'skinpicture'")), qPrintable(s.message()));
    QVERIFY2(s.message().startsWith(QLatin1String("cannot create TavrelSkin1 (TavrelCtl.TavrelSkin)")),
             qPrintable(s.message()));
    QCOMPARE(site, nullptr);
    QVERIFY(window.findChildren<tavrel::host::ComponentSite *>().isEmpty());
    QCOMPARE(window.windowFlags(), flags);
    QCOMPARE(window.size(), QSize(371, 201));
}

void tst_HostilePicture::untouchedPictureCreates()
{
    // The same road with the picture as it is, and stretched to the largest
    // size with its own markers: the failures above are the edits'.
    for (const QByteArray &file : {m_file, stretchedPicture(m_file, 4096, 4096, {})}) {
        QWidget window;
        tavrel::host::ComponentSite *site = nullptr;
        const Status s = createOn(&window, file, &site);
        QVERIFY2(s.isOk(), qPrintable(s.toString()));
        QVERIFY(site);
        QCOMPARE(site->parent(), &window);
    }
}

void tst_HostilePicture::gridlessPictureIsReportedAndEndsTheLoop()
{
    const QByteArray gridless = edited([](QByteArray &b) { pixel(b, 29, 20) = BackgroundIndex; });
    QWidget window;
    bool ran = true;
    QTimer::singleShot(0, &window, [&] {
        ran = tavrel::host::ErrorBoundary::run([&] {
            tavrel::host::ComponentSite *site = nullptr;
            tavrel::host::raiseOnFailure(createOn(&window, gridless, &site));
        });
    });
    // The reporter ends the application's event loop with its exit code.
    QTimer::singleShot(10000, &window, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), app::FailureReporter::ExitCode);
    QVERIFY(!ran);
    QVERIFY(app::FailureReporter::hasFailed());
    QCOMPARE(m_reports.size(), 1);
    const QString report = m_reports.first();
    QVERIFY2(report.startsWith(QLatin1String("Run-time error 0x800A01E1")), qPrintable(report));
    QVERIFY2(report.contains(QLatin1String("TavrelSkin1")), qPrintable(report));
    QVERIFY2(report.contains(QLatin1String("7 vertical grid lines")), qPrintable(report));
    QCOMPARE(app::FailureReporter::lastReport(), report);
}

QTEST_MAIN(tst_HostilePicture)
#include "tst_hostilepicture.moc"
