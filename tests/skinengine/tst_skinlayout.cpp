#include "SkinTestData.h"

#include <PictureStream.h>
#include <SkinLayout.h>
#include <SkinScheme.h>
#include <TestSupport.h>

#include <QColor>
#include <QTest>

#include <functional>

using tavrelctl::SkinLayout;
using tavrelctl::SkinScheme;

// Reading a skin picture by its grid: where the pieces are, what the marker
// rows say, and a clear refusal of a picture whose grid is broken. Also the
// colour schemes' palette rules.
class TestSkinLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void realPictureCells();
    void realPictureMarkers();
    void syntheticPictureReadsTheSame();
    void brokenGridIsRefused_data();
    void brokenGridIsRefused();
    void schemeRules_data();
    void schemeRules();
    void schemesDifferFromEachOther();

private:
    QImage m_real;
};

void TestSkinLayout::initTestCase()
{
    testing::installStrictMessageHandler();
    QVERIFY(tavrel::host::PictureStream::decodeBitmap(skintest::realPictureFile(), &m_real));
}

void TestSkinLayout::realPictureCells()
{
    SkinLayout layout;
    const tavrel::host::Status status = SkinLayout::read(m_real, &layout);
    QVERIFY2(status, qPrintable(status.toString()));
    QCOMPARE(layout.gridIndex(), 0x1A);
    QCOMPARE(layout.captionCell(true, SkinLayout::Active, SkinLayout::LeftEnd),
             QRect(1, 1, 28, 42));
    QCOMPARE(layout.captionCell(true, SkinLayout::Active, SkinLayout::Middle),
             QRect(30, 1, 13, 42));
    QCOMPARE(layout.captionCell(true, SkinLayout::Active, SkinLayout::RightEnd),
             QRect(44, 1, 28, 42));
    QCOMPARE(layout.captionCell(true, SkinLayout::Inactive, SkinLayout::LeftEnd),
             QRect(73, 1, 28, 42));
    QCOMPARE(layout.captionCell(false, SkinLayout::Inactive, SkinLayout::RightEnd),
             QRect(116, 44, 28, 24));
    for (int k = 0; k < SkinLayout::TileCount; ++k)
        QCOMPARE(layout.frameTile(k), QRect(1 + 7 * k, 69, 6, 6));
    QCOMPARE(layout.frameTile(SkinLayout::Inactive, SkinLayout::RightEdge), QRect(92, 69, 6, 6));
    QCOMPARE(layout.glyphCell(SkinLayout::CloseGlyph, SkinLayout::Normal), QRect(1, 76, 14, 15));
    QCOMPARE(layout.glyphCell(SkinLayout::MinimizeGlyph, SkinLayout::Disabled),
             QRect(46, 124, 14, 15));
    // Row 1 normal, row 3 hot, row 4 disabled; the stock picture's row 2
    // repeats row 1, so a press shows the hot row, shaded.
    QCOMPARE(layout.glyphCell(SkinLayout::CloseGlyph, SkinLayout::Hover), QRect(1, 108, 14, 15));
    QVERIFY(layout.pressedIsShadedHot());
    QCOMPARE(layout.glyphCell(SkinLayout::MaximizeGlyph, SkinLayout::Pressed),
             QRect(31, 108, 14, 15));
    // A picture that draws its own pressed row gets it.
    QImage ownPressed = m_real.copy();
    ownPressed.setPixel(20, 98, 0x07);
    SkinLayout own;
    QVERIFY(SkinLayout::read(ownPressed, &own));
    QVERIFY(!own.pressedIsShadedHot());
    QCOMPARE(own.glyphCell(SkinLayout::MaximizeGlyph, SkinLayout::Pressed), QRect(31, 92, 14, 15));
    for (int k = 0; k < SkinLayout::SwatchCount; ++k)
        QCOMPARE(layout.swatchCell(k), QRect(1 + 4 * k, 140, 3, 3));
    QCOMPARE(layout.borderLeft(), 6);
    QCOMPARE(layout.borderBottom(), 6);
    QCOMPARE(layout.shortBandHeight(), 24);
    QCOMPARE(layout.tallBandHeight(), 42);
}

void TestSkinLayout::realPictureMarkers()
{
    SkinLayout layout;
    QVERIFY(SkinLayout::read(m_real, &layout));
    const QList<int> expected{0, 4, 25, 3, 3, 20, 25, 4, 0, 0, 25};
    QList<int> markers;
    for (int m = 0; m < SkinLayout::MarkerCount; ++m)
        markers << layout.marker(SkinLayout::Marker(m));
    QCOMPARE(markers, expected);
    // A caption of 25 rows takes the top of the tall band.
    QCOMPARE(layout.captionHeight(layout.marker(SkinLayout::SizableCaption)), 25);
    QCOMPARE(layout.captionHeight(100), 42);

    // Every metric at the top of its range is still a usable picture.
    const QList<int> highest{1, 27, 27, 27, 14, 28, 42, 28, 1, 6, 42};
    const QImage edge = skintest::syntheticPicture(qRgb(0, 0, 200), qRgb(220, 220, 220), highest);
    const tavrel::host::Status status = SkinLayout::read(edge, &layout);
    QVERIFY2(status, qPrintable(status.toString()));
    for (int m = 0; m < SkinLayout::MarkerCount; ++m)
        QCOMPARE(layout.marker(SkinLayout::Marker(m)), highest.at(m));
}

void TestSkinLayout::syntheticPictureReadsTheSame()
{
    SkinLayout real, synthetic;
    QVERIFY(SkinLayout::read(m_real, &real));
    const tavrel::host::Status status = SkinLayout::read(
        skintest::syntheticPicture(qRgb(200, 0, 0), qRgb(220, 220, 220)), &synthetic);
    QVERIFY2(status, qPrintable(status.toString()));
    for (int k = 0; k < SkinLayout::TileCount; ++k)
        QCOMPARE(synthetic.frameTile(k), real.frameTile(k));
    QCOMPARE(synthetic.glyphCell(SkinLayout::RestoreGlyph, SkinLayout::Hover),
             real.glyphCell(SkinLayout::RestoreGlyph, SkinLayout::Hover));
    QCOMPARE(synthetic.marker(SkinLayout::ButtonMargin), real.marker(SkinLayout::ButtonMargin));
}

void TestSkinLayout::brokenGridIsRefused_data()
{
    QTest::addColumn<std::function<void(QImage &)>>("damage");
    QTest::addColumn<QString>("message");
    const uchar other = 2;
    QTest::newRow("band separator broken")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(60, 43, other); })
        << QStringLiteral("expected 4 grid lines across the whole width");
    QTest::newRow("caption cell line missing")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(29, 20, other); })
        << QStringLiteral("expected 7 vertical grid lines");
    QTest::newRow("frame tile separator missing")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(21, 71, other); })
        << QStringLiteral("between the frame tiles");
    QTest::newRow("glyph row line missing") << std::function<void(QImage &)>([=](QImage &i) {
        for (int x = 0; x <= 60; ++x)
            i.setPixel(x, 107, other);
    }) << QStringLiteral("across the button glyphs");
    QTest::newRow("glyph column line missing")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(45, 100, other); })
        << QStringLiteral("between the glyph columns");
    QTest::newRow("swatch separator missing")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(24, 141, other); })
        << QStringLiteral("between the swatches");
    QTest::newRow("marker row with two pixels")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(40, 150, 0x1A); })
        << QStringLiteral("marker row 4 (y = 150) holds 2 grid pixels");
    QTest::newRow("marker missing")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(25, 156, other); })
        << QStringLiteral("marker row 10 (y = 156) holds 0 grid pixels");
    QTest::newRow("not indexed") << std::function<void(QImage &)>([](QImage &i) {
        i = i.convertToFormat(QImage::Format_RGB32);
    }) << QStringLiteral("expected an 8-bit palette image");
    QTest::newRow("too small") << std::function<void(QImage &)>([](QImage &i) {
        i = i.copy(0, 0, 5, 5);
    }) << QStringLiteral("only 5 x 5 pixels");
    QTest::newRow("no grid colour at the corner")
        << std::function<void(QImage &)>([=](QImage &i) { i.setPixel(0, 0, other); })
        << QStringLiteral("expected 4 grid lines");

    // Metrics outside the cells they describe. The real picture's caption
    // bands are 42 and 24 rows high, its end cells 28 wide, its glyphs
    // 14 x 15 and its frame tiles 6 x 6.
    const auto marker = [=](SkinLayout::Marker m, int value) {
        return std::function<void(QImage &)>([=](QImage &i) {
            const int y = 146 + int(m);
            for (int x = 0; x < i.width(); ++x) {
                if (i.pixelIndex(x, y) == 0x1A)
                    i.setPixel(x, y, other);
            }
            i.setPixel(value, y, 0x1A);
        });
    };
    QTest::newRow("fixed caption taller than the tall band")
        << marker(SkinLayout::FixedCaption, 43)
        << QStringLiteral("marker row 6 (FixedCaption, y = 152) is 43; allowed 1 to 42");
    QTest::newRow("sizable caption of no height")
        << marker(SkinLayout::SizableCaption, 0)
        << QStringLiteral("marker row 10 (SizableCaption, y = 156) is 0; allowed 1 to 42");
    QTest::newRow("text box below the caption")
        << marker(SkinLayout::TextTop, 11)
        << QStringLiteral("marker row 1 (TextTop, y = 147) is 11; allowed 0 to 10");
    QTest::newRow("buttons below the caption")
        << marker(SkinLayout::ButtonTop, 60)
        << QStringLiteral("marker row 3 (ButtonTop, y = 149) is 60; allowed 0 to 10");
    QTest::newRow("caption lower than a button")
        << marker(SkinLayout::FixedCaption, 14)
        << QStringLiteral("marker row 1 (TextTop, y = 147) is 4; no value fits");
    QTest::newRow("icon past the leading end cell")
        << marker(SkinLayout::TextLeft, 28)
        << QStringLiteral("marker row 2 (TextLeft, y = 148) is 28; allowed 0 to 27");
    QTest::newRow("icon gap wider than an end cell")
        << marker(SkinLayout::IconGap, 100)
        << QStringLiteral("marker row 7 (IconGap, y = 153) is 100; allowed 0 to 28");
    QTest::newRow("button margin wider than an end cell")
        << marker(SkinLayout::ButtonMargin, 29)
        << QStringLiteral("marker row 5 (ButtonMargin, y = 151) is 29; allowed 0 to 28");
    QTest::newRow("button gap wider than a glyph")
        << marker(SkinLayout::ButtonGap, 15)
        << QStringLiteral("marker row 4 (ButtonGap, y = 150) is 15; allowed 0 to 14");
    QTest::newRow("inset wider than a frame tile")
        << marker(SkinLayout::ClientInset, 144)
        << QStringLiteral("marker row 9 (ClientInset, y = 155) is 144; allowed 0 to 6");
}

void TestSkinLayout::brokenGridIsRefused()
{
    QFETCH(std::function<void(QImage &)>, damage);
    QFETCH(QString, message);
    QImage picture = m_real.copy();
    damage(picture);
    SkinLayout layout;
    const tavrel::host::Status status = SkinLayout::read(picture, &layout);
    QVERIFY(!status);
    QCOMPARE(status.code(), tavrel::host::StatusCode::InvalidPicture);
    QVERIFY2(status.message().contains(message), qPrintable(status.message()));
}

void TestSkinLayout::schemeRules_data()
{
    QTest::addColumn<int>("scheme");
    QTest::addColumn<QRgb>("in");
    QTest::addColumn<QString>("expect");
    const QRgb tab = qRgb(130, 156, 199), red = qRgb(201, 106, 106), white = qRgb(254, 254, 254),
               panel = qRgb(226, 225, 220), magenta = qRgb(255, 0, 255);
    QTest::newRow("light blue keeps the tab") << 1 << tab << QStringLiteral("same");
    QTest::newRow("light blue keeps the panel") << 1 << panel << QStringLiteral("same");
    QTest::newRow("dark blue darkens the tab") << 2 << tab << QStringLiteral("darker blue");
    QTest::newRow("green turns the tab green") << 3 << tab << QStringLiteral("green");
    for (int s = 2; s <= 3; ++s) {
        QTest::addRow("scheme %d keeps the close button red", s)
            << s << red << QStringLiteral("same");
        QTest::addRow("scheme %d keeps glyph white", s) << s << white << QStringLiteral("same");
        QTest::addRow("scheme %d keeps the transparency key", s)
            << s << magenta << QStringLiteral("same");
        QTest::addRow("scheme %d tints the panel", s) << s << panel << QStringLiteral("tinted");
    }
}

void TestSkinLayout::schemeRules()
{
    QFETCH(int, scheme);
    QFETCH(QRgb, in);
    QFETCH(QString, expect);
    const QColor before = QColor::fromRgb(in);
    const QColor after = QColor::fromRgb(SkinScheme::remap(in, scheme));
    if (expect == QLatin1String("same")) {
        QCOMPARE(after, before);
    } else if (expect == QLatin1String("darker blue")) {
        QVERIFY(after.value() < before.value() - 40);
        QVERIFY(after.hsvHue() > 200 && after.hsvHue() < 240);
    } else if (expect == QLatin1String("green")) {
        QVERIFY2(after.green() > after.blue() && after.green() > after.red(),
                 qPrintable(after.name()));
    } else {
        QVERIFY(after != before);
        QVERIFY(qAbs(after.value() - before.value()) < 20);
    }
}

void TestSkinLayout::schemesDifferFromEachOther()
{
    QCOMPARE(SkinScheme::Initial, 1);
    QCOMPARE(SkinScheme::name(1), QStringLiteral("Light Blue"));
    QCOMPARE(SkinScheme::name(2), QStringLiteral("Dark Blue"));
    QCOMPARE(SkinScheme::name(3), QStringLiteral("Green"));
    QVERIFY(!SkinScheme::isValid(0) && !SkinScheme::isValid(4) && SkinScheme::isValid(2));
    const QList<QRgb> table = m_real.colorTable();
    QCOMPARE(SkinScheme::remapTable(table, 1), table);
    QVERIFY(SkinScheme::remapTable(table, 2) != SkinScheme::remapTable(table, 3));
}

QTEST_MAIN(TestSkinLayout)
#include "tst_skinlayout.moc"
