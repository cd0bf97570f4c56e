// The committed skin picture (skin/resources/tavrelskin.bmp) against the
// layout tables of the skin picture format. Every expected value here is
// copied from those tables, not from the generator.

#include "SkinPictureFile.h"

#include <QSet>
#include <QTest>

#include <map>
#include <vector>

using skintest::levels;
using skintest::Rgb;
using skintest::SkinPictureFile;

Q_DECLARE_METATYPE(Rgb)

namespace {

constexpr int kGridIndex = 0x1A;
constexpr int kBackgroundIndex = 0x7B;
const Rgb kPanel{226, 225, 220};
const Rgb kGridColour{0, 128, 0};

struct Segment
{
    const char *name;
    int x1, y1, x2, y2;
};

// The grid.
const std::vector<Segment> &gridSegments()
{
    static const std::vector<Segment> segments = [] {
        std::vector<Segment> s;
        for (int y : {0, 43, 68, 143})
            s.push_back({"horizontal full width", 0, y, 144, y});
        s.push_back({"horizontal y 75", 0, 75, 98, 75});
        for (int y : {91, 107, 123, 139})
            s.push_back({"horizontal button grid", 0, y, 60, y});
        s.push_back({"vertical x 0", 0, 0, 0, 146});
        for (int x : {29, 43, 72, 101, 115, 144})
            s.push_back({"vertical caption", x, 0, x, 68});
        for (int x = 7; x <= 98; x += 7)
            s.push_back({"vertical frame tiles", x, 68, x, 75});
        for (int x : {15, 30, 45, 60})
            s.push_back({"vertical button grid", x, 75, x, 139});
        for (int x = 4; x <= 60; x += 4)
            s.push_back({"vertical swatches", x, 139, x, 143});
        return s;
    }();
    return segments;
}

// The ruler and the marker rows.
const int kMarkerX[11] = {0, 4, 25, 3, 3, 20, 25, 4, 0, 0, 25};

QSet<int> expectedGridPixels()
{
    QSet<int> set;
    for (const Segment &s : gridSegments())
        for (int y = s.y1; y <= s.y2; ++y)
            for (int x = s.x1; x <= s.x2; ++x)
                set.insert(y * 1000 + x);
    for (int x = 0; x <= 140; x += 5)
        set.insert(144 * 1000 + x);
    for (int x = 0; x <= 140; x += 10)
        set.insert(145 * 1000 + x);
    for (int i = 0; i < 11; ++i)
        set.insert((146 + i) * 1000 + kMarkerX[i]);
    return set;
}

bool isFrameLine(const Rgb &c)
{
    return c == Rgb{161, 161, 161} || c == Rgb{156, 156, 156};
}

// What lies beside the caption tab: the frame line, the bevel (light greys
// of 229 and up) and the panel.
bool isBesideTab(const Rgb &c)
{
    const int lo = std::min({c.r, c.g, c.b});
    const int hi = std::max({c.r, c.g, c.b});
    return isFrameLine(c) || c == kPanel || (lo >= 229 && hi - lo <= 4);
}

// The colour that most pixels of a span have.
Rgb mainColour(const SkinPictureFile &pic, int x1, int x2, int y1, int y2, int *count = nullptr)
{
    std::map<Rgb, int> counts;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            ++counts[pic.rgb(x, y)];
    Rgb best;
    int n = -1;
    for (const auto &[c, k] : counts) {
        if (k > n) {
            best = c;
            n = k;
        }
    }
    if (count)
        *count = n;
    return best;
}

// The middle cells of the caption bands (see the regions of the layout).
constexpr int kActiveMiddle = 30, kInactiveMiddle = 102;
// The three cells of each look, and the mirror axis of each look.
struct LookCells
{
    const char *name;
    int first;     // x of the outer column on the left
    int last;      // x of the outer column on the right
    int axisTwice; // twice the mirror axis: x' = axisTwice - x
};
const LookCells kLooks[2] = {{"active", 1, 71, 72}, {"inactive", 73, 143, 216}};

// The tab's left boundary on rows 1..21 of the active look.
const int kTabLeft[21] = {9, 8, 8, 8, 8, 8, 8, 8, 9, 9, 10, 10, 11, 12, 13, 14, 15, 16, 18, 20, 23};

using Tile = std::array<std::array<Rgb, 6>, 6>;

Tile tile(const SkinPictureFile &pic, int k)
{
    Tile t;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            t[r][c] = pic.rgb(1 + 7 * k + c, 69 + r);
    return t;
}

Tile mirrored(const Tile &t)
{
    Tile m;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            m[r][c] = t[r][5 - c];
    return m;
}

// Pixels that differ, and whether each difference is a single-pixel dither
// (small, and no two differing pixels side by side).
int tileDifferences(const Tile &a, const Tile &b, bool *singlePixelDither)
{
    int n = 0;
    bool ok = true;
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 6; ++c) {
            if (a[r][c] == b[r][c])
                continue;
            ++n;
            if (levels(a[r][c], b[r][c]) > 12)
                ok = false;
            if (c + 1 < 6 && a[r][c + 1] != b[r][c + 1])
                ok = false;
            if (r + 1 < 6 && a[r + 1][c] != b[r + 1][c])
                ok = false;
        }
    }
    *singlePixelDither = ok;
    return n;
}

// Button glyph grid.
const int kButtonColumnX[4] = {1, 16, 31, 46};
const int kButtonRowY[4] = {76, 92, 108, 124};

bool isNearWhite(const Rgb &c)
{
    return std::min({c.r, c.g, c.b}) >= 200;
}

} // namespace

class TestSkinPicture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void headerFields_data();
    void headerFields();

    void paletteNamedEntries_data();
    void paletteNamedEntries();
    void paletteUsage();
    void paddingBytes();

    void gridLines_data();
    void gridLines();
    void gridCensus();
    void rulerTicks_data();
    void rulerTicks();
    void markerRows_data();
    void markerRows();

    void emptyArea_data();
    void emptyArea();
    void backgroundCensus();

    void middleRowColours_data();
    void middleRowColours();
    void tabBoundary_data();
    void tabBoundary();
    void rightEndMirrorsLeftEnd_data();
    void rightEndMirrorsLeftEnd();
    void outerFrameLine_data();
    void outerFrameLine();
    void bevelColumns_data();
    void bevelColumns();
    void plainPanelBelowTheShadow();
    void shortBandRepeatsTallBand_data();
    void shortBandRepeatsTallBand();

    void frameTileIdentities_data();
    void frameTileIdentities();
    void frameTileLines_data();
    void frameTileLines();
    void frameTileShading_data();
    void frameTileShading();

    void glyphRowsIdentical();
    void buttonCorners_data();
    void buttonCorners();
    void buttonDiscs_data();
    void buttonDiscs();
    void glyphs_data();
    void glyphs();

    void swatches_data();
    void swatches();

private:
    SkinPictureFile m_pic;
};

void TestSkinPicture::initTestCase()
{
    QString error;
    QVERIFY2(m_pic.load(&error), qPrintable(error));
}

// ---- Image file --------------------------------------------------------------

void TestSkinPicture::headerFields_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("signature BM") << 0 << 2 << quint32('B' | 'M' << 8);
    QTest::newRow("file size") << 2 << 4 << 25054u;
    QTest::newRow("reserved") << 6 << 4 << 0u;
    QTest::newRow("offset of the pixel rows") << 10 << 4 << 1078u;
    QTest::newRow("information header size") << 14 << 4 << 40u;
    QTest::newRow("width") << 18 << 4 << 145u;
    QTest::newRow("height (positive, bottom-up)") << 22 << 4 << 162u;
    QTest::newRow("planes") << 26 << 2 << 1u;
    QTest::newRow("bits per pixel") << 28 << 2 << 8u;
    QTest::newRow("compression") << 30 << 4 << 0u;
    QTest::newRow("size of the pixel rows") << 34 << 4 << 23976u;
    QTest::newRow("horizontal resolution") << 38 << 4 << 0u;
    QTest::newRow("vertical resolution") << 42 << 4 << 0u;
    QTest::newRow("colours used") << 46 << 4 << 0u;
    QTest::newRow("important colours") << 50 << 4 << 0u;
}

void TestSkinPicture::headerFields()
{
    QFETCH(int, offset);
    QFETCH(int, size);
    QFETCH(quint32, expected);
    const quint32 actual = size == 2 ? m_pic.u16(offset) : m_pic.u32(offset);
    QCOMPARE(actual, expected);
}

void TestSkinPicture::paletteNamedEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<Rgb>("colour");
    QTest::newRow("0x1A grid") << 0x1A << Rgb{0, 128, 0};
    QTest::newRow("0x7B background") << 0x7B << Rgb{254, 254, 254};
    QTest::newRow("0x6E panel") << 0x6E << Rgb{226, 225, 220};
    QTest::newRow("0x3F frame line") << 0x3F << Rgb{161, 161, 161};
    QTest::newRow("0x3A frame line dither") << 0x3A << Rgb{156, 156, 156};
    QTest::newRow("0x09 active outline") << 0x09 << Rgb{74, 104, 151};
    QTest::newRow("0x03 inactive outline") << 0x03 << Rgb{109, 109, 109};
    QTest::newRow("0x07 navy") << 0x07 << Rgb{0, 0, 128};
    QTest::newRow("0x01 charcoal") << 0x01 << Rgb{63, 63, 63};
    QTest::newRow("0x00 black") << 0x00 << Rgb{0, 0, 0};
    QTest::newRow("0x36 magenta") << 0x36 << Rgb{255, 0, 255};
}

void TestSkinPicture::paletteNamedEntries()
{
    QFETCH(int, index);
    QFETCH(Rgb, colour);
    QCOMPARE(toString(m_pic.paletteEntry(index)), toString(colour));
}

void TestSkinPicture::paletteUsage()
{
    std::vector<int> used(256, 0);
    for (int y = 0; y < SkinPictureFile::kHeight; ++y)
        for (int x = 0; x < SkinPictureFile::kWidth; ++x)
            ++used[m_pic.index(x, y)];
    for (int i = 0; i < 256; ++i) {
        QVERIFY2(m_pic.reservedByte(i) == 0, qPrintable(QStringLiteral("entry %1: 4th byte not 0").arg(i)));
        if (i <= 0x7B) {
            QVERIFY2(used[i] > 0, qPrintable(QStringLiteral("entry 0x%1 is not used").arg(i, 2, 16)));
        } else {
            QVERIFY2(used[i] == 0, qPrintable(QStringLiteral("entry 0x%1 is used").arg(i, 2, 16)));
            QVERIFY2(m_pic.paletteEntry(i) == Rgb{}, qPrintable(QStringLiteral("entry 0x%1 is not black").arg(i, 2, 16)));
        }
    }
}

void TestSkinPicture::paddingBytes()
{
    for (int row = 0; row < SkinPictureFile::kHeight; ++row) {
        for (int p = 145; p < 148; ++p) {
            const int at = SkinPictureFile::kPixelOffset + row * SkinPictureFile::kRowBytes + p;
            QVERIFY2(m_pic.bytes().at(at) == 0,
                     qPrintable(QStringLiteral("stored row %1, padding byte %2 is not 0").arg(row).arg(p - 145)));
        }
    }
}

// ---- Grid, ruler, markers -----------------------------------------------------

void TestSkinPicture::gridLines_data()
{
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("y1");
    QTest::addColumn<int>("x2");
    QTest::addColumn<int>("y2");
    for (const Segment &s : gridSegments()) {
        QTest::addRow("%s (%d,%d)-(%d,%d)", s.name, s.x1, s.y1, s.x2, s.y2)
            << s.x1 << s.y1 << s.x2 << s.y2;
    }
}

void TestSkinPicture::gridLines()
{
    QFETCH(int, x1);
    QFETCH(int, y1);
    QFETCH(int, x2);
    QFETCH(int, y2);
    QCOMPARE(toString(m_pic.paletteEntry(kGridIndex)), toString(kGridColour));
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            QVERIFY2(m_pic.index(x, y) == kGridIndex, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
}

void TestSkinPicture::gridCensus()
{
    const QSet<int> expected = expectedGridPixels();
    QCOMPARE(expected.size(), 1878);
    int count = 0;
    for (int y = 0; y < SkinPictureFile::kHeight; ++y) {
        for (int x = 0; x < SkinPictureFile::kWidth; ++x) {
            const bool grid = m_pic.rgb(x, y) == kGridColour;
            if (grid)
                ++count;
            QVERIFY2(grid == expected.contains(y * 1000 + x),
                     qPrintable(QStringLiteral("(%1, %2) %3 the grid colour").arg(x).arg(y).arg(QLatin1String(grid ? "has" : "lacks"))));
        }
    }
    QCOMPARE(count, 1878);
}

void TestSkinPicture::rulerTicks_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("every");
    QTest::addColumn<int>("ticks");
    QTest::newRow("y 144: every 5th column") << 144 << 5 << 29;
    QTest::newRow("y 145: every 10th column") << 145 << 10 << 15;
}

void TestSkinPicture::rulerTicks()
{
    QFETCH(int, y);
    QFETCH(int, every);
    QFETCH(int, ticks);
    int n = 0;
    for (int x = 0; x < SkinPictureFile::kWidth; ++x) {
        const bool tick = m_pic.index(x, y) == kGridIndex;
        n += tick;
        QCOMPARE(tick, x <= 140 && x % every == 0);
    }
    QCOMPARE(n, ticks);
    for (int x = 0; x < SkinPictureFile::kWidth; ++x)
        QCOMPARE(m_pic.index(x, 143), kGridIndex);
}

void TestSkinPicture::markerRows_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("x");
    for (int i = 0; i < 11; ++i)
        QTest::addRow("y %d", 146 + i) << 146 + i << kMarkerX[i];
}

void TestSkinPicture::markerRows()
{
    QFETCH(int, y);
    QFETCH(int, x);
    QList<int> found;
    for (int col = 0; col < SkinPictureFile::kWidth; ++col)
        if (m_pic.index(col, y) == kGridIndex)
            found << col;
    QCOMPARE(found, QList<int>{x});
}

// ---- Empty area -----------------------------------------------------------------

void TestSkinPicture::emptyArea_data()
{
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("y1");
    QTest::addColumn<int>("x2");
    QTest::addColumn<int>("y2");
    QTest::newRow("beside the frame tiles") << 99 << 69 << 144 << 75;
    QTest::newRow("beside the buttons and swatches") << 61 << 76 << 144 << 142;
    QTest::newRow("bottom rows") << 0 << 157 << 144 << 161;
    QTest::newRow("ruler and marker rows") << 0 << 144 << 144 << 156;
}

void TestSkinPicture::emptyArea()
{
    QFETCH(int, x1);
    QFETCH(int, y1);
    QFETCH(int, x2);
    QFETCH(int, y2);
    const QSet<int> grid = expectedGridPixels();
    for (int y = y1; y <= y2; ++y) {
        for (int x = x1; x <= x2; ++x) {
            if (grid.contains(y * 1000 + x))
                continue; // a tick or marker
            QVERIFY2(m_pic.index(x, y) == kBackgroundIndex,
                     qPrintable(QStringLiteral("(%1, %2) is not background").arg(x).arg(y)));
        }
    }
}

void TestSkinPicture::backgroundCensus()
{
    int n = 0;
    for (int y = 0; y < SkinPictureFile::kHeight; ++y)
        for (int x = 0; x < SkinPictureFile::kWidth; ++x)
            n += m_pic.index(x, y) == kBackgroundIndex;
    QCOMPARE(n, 8624);
}

// ---- Caption bands ----------------------------------------------------------------

void TestSkinPicture::middleRowColours_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<Rgb>("active");
    QTest::addColumn<Rgb>("inactive");
    struct Row
    {
        int from, to;
        Rgb active, inactive;
    };
    const Row rows[] = {
        {1, 1, {163, 186, 227}, {193, 193, 193}},   {2, 2, {157, 182, 225}, {193, 193, 193}},
        {3, 3, {154, 179, 220}, {188, 188, 187}},   {4, 5, {146, 171, 214}, {180, 180, 180}},
        {6, 6, {137, 164, 210}, {172, 172, 172}},   {7, 7, {135, 160, 203}, {166, 169, 171}},
        {8, 8, {130, 156, 199}, {166, 169, 171}},   {9, 10, {130, 156, 199}, {161, 161, 161}},
        {11, 11, {122, 149, 195}, {161, 161, 161}}, {12, 12, {122, 149, 195}, {156, 156, 156}},
        {13, 13, {121, 145, 187}, {156, 156, 156}}, {14, 15, {97, 119, 157}, {130, 130, 130}},
        {16, 16, {97, 119, 157}, {123, 123, 123}},  {17, 18, {92, 114, 154}, {123, 123, 123}},
        {19, 20, {90, 112, 151}, {123, 123, 123}},  {21, 21, {74, 104, 151}, {109, 109, 109}},
        {22, 22, {172, 172, 172}, {175, 176, 175}}, {23, 23, {188, 188, 187}, {188, 188, 187}},
        {24, 24, {216, 215, 211}, {213, 212, 210}}, {25, 42, {226, 225, 220}, {226, 225, 220}},
    };
    for (const Row &r : rows) {
        for (int y = r.from; y <= r.to; ++y) {
            QTest::addRow("tall y %d", y) << y << r.active << r.inactive;
            if (y <= 24) // the short band repeats the top 24 rows
                QTest::addRow("short y %d", y + 43) << y + 43 << r.active << r.inactive;
        }
    }
}

void TestSkinPicture::middleRowColours()
{
    QFETCH(int, y);
    QFETCH(Rgb, active);
    QFETCH(Rgb, inactive);
    int n = 0;
    QCOMPARE(toString(mainColour(m_pic, kActiveMiddle, kActiveMiddle + 12, y, y, &n)), toString(active));
    QVERIFY2(n >= 9, "active: more than a light dither");
    QCOMPARE(toString(mainColour(m_pic, kInactiveMiddle, kInactiveMiddle + 12, y, y, &n)), toString(inactive));
    QVERIFY2(n >= 9, "inactive: more than a light dither");
}

void TestSkinPicture::tabBoundary_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("left"); // active look, left end
    for (int band : {0, 43}) {
        for (int row = 1; row <= 21; ++row)
            QTest::addRow("%s y %d", band ? "short" : "tall", row + band) << row + band << kTabLeft[row - 1];
    }
}

void TestSkinPicture::tabBoundary()
{
    QFETCH(int, y);
    QFETCH(int, left);
    for (const LookCells &look : kLooks) {
        const int offset = look.first - 1; // the inactive look: 72 to the right
        int found = -1;
        for (int x = look.first + 1; x <= look.first + 27; ++x) {
            if (!isBesideTab(m_pic.rgb(x, y))) {
                found = x;
                break;
            }
        }
        QVERIFY2(found == left + offset,
                 qPrintable(QStringLiteral("%1 look, left end: boundary at %2, expected %3")
                                .arg(QLatin1String(look.name)).arg(found).arg(left + offset)));
        int foundRight = -1;
        for (int x = look.last - 1; x >= look.last - 27; --x) {
            if (!isBesideTab(m_pic.rgb(x, y))) {
                foundRight = x;
                break;
            }
        }
        const int mirror = look.axisTwice - (left + offset);
        QVERIFY2(foundRight == mirror,
                 qPrintable(QStringLiteral("%1 look, right end: boundary at %2, expected %3 (mirror about %4)")
                                .arg(QLatin1String(look.name)).arg(foundRight).arg(mirror).arg(look.axisTwice / 2)));
    }
}

void TestSkinPicture::rightEndMirrorsLeftEnd_data()
{
    QTest::addColumn<int>("y1");
    QTest::addColumn<int>("y2");
    QTest::newRow("tall band") << 1 << 42;
    QTest::newRow("short band") << 44 << 67;
}

void TestSkinPicture::rightEndMirrorsLeftEnd()
{
    QFETCH(int, y1);
    QFETCH(int, y2);
    for (const LookCells &look : kLooks) {
        for (int y = y1; y <= y2; ++y) {
            for (int x = look.first; x <= look.first + 27; ++x) {
                const int m = look.axisTwice - x;
                QVERIFY2(levels(m_pic.rgb(x, y), m_pic.rgb(m, y)) <= 9,
                         qPrintable(QStringLiteral("%1: (%2, %4) %3 and its mirror (%5, %4) %6")
                                        .arg(QLatin1String(look.name)).arg(x).arg(toString(m_pic.rgb(x, y))).arg(y).arg(m)
                                        .arg(toString(m_pic.rgb(m, y)))));
            }
        }
    }
}

void TestSkinPicture::outerFrameLine_data()
{
    QTest::addColumn<int>("x");
    for (int x : {1, 71, 73, 143})
        QTest::addRow("x %d", x) << x;
}

void TestSkinPicture::outerFrameLine()
{
    QFETCH(int, x);
    QSet<int> indices;
    for (int y = 1; y <= 67; ++y) {
        if (y == 43)
            continue;
        const int i = m_pic.index(x, y);
        QVERIFY2(i == 0x3F || i == 0x3A, qPrintable(QStringLiteral("(%1, %2) index 0x%3").arg(x).arg(y).arg(i, 2, 16)));
        indices.insert(i);
    }
    QCOMPARE(indices.size(), 2); // dithered
    // Along the top row, where the tab does not reach.
    const bool left = x == 1 || x == 73;
    for (int band : {1, 44}) {
        const int reach = kTabLeft[0] - 1; // x 2..8 (and mirrored)
        for (int k = 2; k <= reach; ++k) {
            const int col = left ? x + k - 1 : x - k + 1;
            const int i = m_pic.index(col, band);
            QVERIFY2(i == 0x3F || i == 0x3A, qPrintable(QStringLiteral("top row (%1, %2)").arg(col).arg(band)));
        }
    }
}

void TestSkinPicture::bevelColumns_data()
{
    QTest::addColumn<int>("x");
    for (int x : {2, 3, 4, 70, 69, 68, 74, 75, 76, 142, 141, 140})
        QTest::addRow("x %d", x) << x;
}

void TestSkinPicture::bevelColumns()
{
    QFETCH(int, x);
    for (int band : {0, 43}) {
        const int rows = band ? 24 : 42;
        for (int t = 2; t <= rows; ++t) {
            const Rgb c = m_pic.rgb(x, t + band);
            if (t <= 4) {
                QVERIFY2(levels(c, Rgb{248, 247, 246}) <= 8,
                         qPrintable(QStringLiteral("(%1, %2) %3").arg(x).arg(t + band).arg(toString(c))));
            } else {
                const bool between = c.r >= 229 && c.r <= 234 && c.g >= 229 && c.g <= 234 && c.b >= 229 && c.b <= 233;
                QVERIFY2(between, qPrintable(QStringLiteral("(%1, %2) %3").arg(x).arg(t + band).arg(toString(c))));
            }
        }
    }
}

// Tall band, y 25-42: plain panel, with the bevel and frame on the outer side.
void TestSkinPicture::plainPanelBelowTheShadow()
{
    for (const LookCells &look : kLooks) {
        for (int y = 25; y <= 42; ++y) {
            for (int x = look.first + 4; x <= look.last - 4; ++x) {
                if (x == look.first + 28 || x == look.first + 42)
                    continue; // grid lines between the cells
                QVERIFY2(m_pic.rgb(x, y) == kPanel,
                         qPrintable(QStringLiteral("%1: (%2, %3) %4").arg(QLatin1String(look.name)).arg(x).arg(y)
                                        .arg(toString(m_pic.rgb(x, y)))));
            }
        }
    }
}

void TestSkinPicture::shortBandRepeatsTallBand_data()
{
    QTest::addColumn<int>("look");
    QTest::newRow("active") << 0;
    QTest::newRow("inactive") << 1;
}

void TestSkinPicture::shortBandRepeatsTallBand()
{
    QFETCH(int, look);
    const LookCells &cells = kLooks[look];
    int differing = 0, worst = 0;
    for (int t = 1; t <= 24; ++t) {
        for (int x = cells.first; x <= cells.last; ++x) {
            const Rgb tall = m_pic.rgb(x, t), shortBand = m_pic.rgb(x, t + 43);
            differing += tall != shortBand;
            worst = std::max(worst, levels(tall, shortBand));
        }
    }
    if (look == 0)
        QVERIFY2(differing <= 4, qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
    else
        QVERIFY2(worst <= 12, qPrintable(QStringLiteral("a pixel differs by %1 levels").arg(worst)));
}

// ---- Frame tiles -----------------------------------------------------------------

void TestSkinPicture::frameTileIdentities_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("mirror");   // compare a with b mirrored
    QTest::addColumn<int>("maxDiffer"); // 0: identical
    QTest::addColumn<int>("minDiffer");
    QTest::newRow("1 = 2") << 1 << 2 << false << 0 << 0;
    QTest::newRow("1 = 8") << 1 << 8 << false << 0 << 0;
    QTest::newRow("1 = 9") << 1 << 9 << false << 0 << 0;
    QTest::newRow("5 = 12") << 5 << 12 << false << 0 << 0;
    QTest::newRow("4 ~ 5") << 4 << 5 << false << 2 << 1;
    QTest::newRow("11 ~ 12") << 11 << 12 << false << 2 << 1;
    QTest::newRow("5 mirrors 1") << 5 << 1 << true << 2 << 0;
    QTest::newRow("4 mirrors 1") << 4 << 1 << true << 3 << 0;
    QTest::newRow("6 mirrors 0") << 6 << 0 << true << 3 << 0;
    for (int k = 0; k < 7; ++k)
        QTest::addRow("%d ~ %d", k, k + 7) << k << k + 7 << false << 2 << 0;
}

void TestSkinPicture::frameTileIdentities()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, mirror);
    QFETCH(int, maxDiffer);
    QFETCH(int, minDiffer);
    const Tile ta = tile(m_pic, a);
    const Tile tb = mirror ? mirrored(tile(m_pic, b)) : tile(m_pic, b);
    bool dither = true;
    const int n = tileDifferences(ta, tb, &dither);
    QVERIFY2(n <= maxDiffer && n >= minDiffer, qPrintable(QStringLiteral("%1 pixels differ").arg(n)));
    QVERIFY2(dither, "differences are more than single-pixel dither");
}

void TestSkinPicture::frameTileLines_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<bool>("leftColumn");
    QTest::addColumn<bool>("rightColumn");
    QTest::addColumn<bool>("bottomRow");
    for (int group : {0, 7}) {
        QTest::addRow("%d left edge", group + 0) << group + 0 << true << false << false;
        QTest::addRow("%d bottom-left", group + 1) << group + 1 << true << false << true;
        QTest::addRow("%d bottom-left", group + 2) << group + 2 << true << false << true;
        QTest::addRow("%d bottom", group + 3) << group + 3 << false << false << true;
        QTest::addRow("%d bottom-right", group + 4) << group + 4 << false << true << true;
        QTest::addRow("%d bottom-right", group + 5) << group + 5 << false << true << true;
        QTest::addRow("%d right edge", group + 6) << group + 6 << false << true << false;
    }
}

void TestSkinPicture::frameTileLines()
{
    QFETCH(int, k);
    QFETCH(bool, leftColumn);
    QFETCH(bool, rightColumn);
    QFETCH(bool, bottomRow);
    const Tile t = tile(m_pic, k);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(isFrameLine(t[i][0]), leftColumn || (bottomRow && i == 5));
        QCOMPARE(isFrameLine(t[i][5]), rightColumn || (bottomRow && i == 5));
        QCOMPARE(isFrameLine(t[5][i]), bottomRow || (leftColumn && i == 0) || (rightColumn && i == 5));
    }
}

void TestSkinPicture::frameTileShading_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("row");
    QTest::addColumn<Rgb>("colour");
    for (int k : {3, 10}) {
        QTest::addRow("%d row 0 panel", k) << k << 0 << kPanel;
        QTest::addRow("%d row 1 panel", k) << k << 1 << kPanel;
        QTest::addRow("%d row 2", k) << k << 2 << Rgb{211, 210, 206};
        QTest::addRow("%d row 3", k) << k << 3 << Rgb{204, 204, 201};
        QTest::addRow("%d row 4", k) << k << 4 << Rgb{202, 201, 197};
    }
}

void TestSkinPicture::frameTileShading()
{
    QFETCH(int, k);
    QFETCH(int, row);
    QFETCH(Rgb, colour);
    int n = 0;
    const int x = 1 + 7 * k;
    QCOMPARE(toString(mainColour(m_pic, x, x + 5, 69 + row, 69 + row, &n)), toString(colour));
    QVERIFY(n >= 5);
    // The corners shade down to the same colour above the bottom line, on
    // their inner side.
    QCOMPARE(toString(m_pic.rgb(1 + 7 * 1 + 5, 73)), toString(Rgb{202, 201, 197}));
    QCOMPARE(toString(m_pic.rgb(1 + 7 * 5 + 0, 73)), toString(Rgb{202, 201, 197}));
    // The edges show the panel on their inner side.
    QCOMPARE(toString(m_pic.rgb(1 + 7 * 0 + 5, 71)), toString(kPanel));
    QCOMPARE(toString(m_pic.rgb(1 + 7 * 6 + 0, 71)), toString(kPanel));
}

// ---- Button glyph grid -----------------------------------------------------------------

void TestSkinPicture::glyphRowsIdentical()
{
    for (int y = 0; y < 15; ++y)
        for (int x = 1; x <= 59; ++x)
            QVERIFY2(m_pic.index(x, 76 + y) == m_pic.index(x, 92 + y),
                     qPrintable(QStringLiteral("(%1, %2) and (%1, %3)").arg(x).arg(76 + y).arg(92 + y)));
}

void TestSkinPicture::buttonCorners_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<Rgb>("top");
    QTest::addColumn<Rgb>("bottom");
    for (int row = 0; row < 3; ++row)
        QTest::addRow("row %d", row + 1) << row << Rgb{146, 171, 214} << Rgb{92, 114, 154};
    QTest::newRow("row 4") << 3 << Rgb{186, 185, 181} << Rgb{123, 123, 123};
}

void TestSkinPicture::buttonCorners()
{
    QFETCH(int, row);
    QFETCH(Rgb, top);
    QFETCH(Rgb, bottom);
    for (int col = 0; col < 4; ++col) {
        const int x = kButtonColumnX[col], y = kButtonRowY[row];
        for (int dx : {0, 13}) {
            QCOMPARE(toString(m_pic.rgb(x + dx, y)), toString(top));
            QCOMPARE(toString(m_pic.rgb(x + dx, y + 14)), toString(bottom));
        }
    }
}

void TestSkinPicture::buttonDiscs_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QList<Rgb>>("mostly");
    QTest::addColumn<bool>("blueOutline");
    const QList<Rgb> blue{{101, 124, 164}, {106, 130, 170}};
    const QList<Rgb> red{{182, 121, 121}, {201, 106, 106}, {183, 102, 102}};
    const QList<Rgb> brightBlue{{89, 125, 180}, {122, 155, 211}, {127, 161, 218}};
    const QList<Rgb> grey{{130, 130, 130}, {115, 115, 115}, {139, 139, 139}, {156, 156, 156}};
    for (int col = 0; col < 4; ++col) {
        QTest::addRow("row 1 col %d", col + 1) << 0 << col << blue << true;
        QTest::addRow("row 2 col %d", col + 1) << 1 << col << blue << true;
        QTest::addRow("row 3 col %d", col + 1) << 2 << col << (col == 0 ? red : brightBlue) << (col != 0);
        QTest::addRow("row 4 col %d", col + 1) << 3 << col << grey << false;
    }
}

void TestSkinPicture::buttonDiscs()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QList<Rgb>, mostly);
    QFETCH(bool, blueOutline);
    const int x0 = kButtonColumnX[col], y0 = kButtonRowY[row];
    // The disc: within radius 5 of the cell's centre, off the glyph box.
    int listed = 0, total = 0;
    bool outline = false;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 14; ++x) {
            const Rgb c = m_pic.rgb(x0 + x, y0 + y);
            outline |= c == Rgb{74, 104, 151};
            const int dx2 = 2 * x + 1 - 14, dy2 = 2 * y + 1 - 15; // twice the offset
            if (dx2 * dx2 + dy2 * dy2 > 4 * 25 || (x >= 3 && x <= 10 && y >= 4 && y <= 10))
                continue;
            ++total;
            listed += mostly.contains(c);
        }
    }
    QVERIFY2(listed * 2 > total, qPrintable(QStringLiteral("%1 of %2 disc pixels have the listed colours").arg(listed).arg(total)));
    QCOMPARE(outline, blueOutline);
}

void TestSkinPicture::glyphs_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("x2");
    QTest::addColumn<int>("y1");
    QTest::addColumn<int>("y2");
    QTest::newRow("cross") << 0 << 4 << 9 << 4 << 9;
    QTest::newRow("dot") << 1 << 5 << 8 << 6 << 8;
    QTest::newRow("ring") << 2 << 3 << 10 << 4 << 10;
    QTest::newRow("dash") << 3 << 4 << 9 << 6 << 7; // softened ends at 3 and 10
}

void TestSkinPicture::glyphs()
{
    QFETCH(int, col);
    QFETCH(int, x1);
    QFETCH(int, x2);
    QFETCH(int, y1);
    QFETCH(int, y2);
    for (int row = 0; row < 4; ++row) {
        const int x0 = kButtonColumnX[col], y0 = kButtonRowY[row];
        int minX = 99, maxX = -1, minY = 99, maxY = -1, brightest = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 14; ++x) {
                if (!isNearWhite(m_pic.rgb(x0 + x, y0 + y)))
                    continue;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                brightest += m_pic.index(x0 + x, y0 + y) == kBackgroundIndex;
            }
        }
        const QString where = QStringLiteral("row %1: near-white x %2-%3, y %4-%5")
                                  .arg(row + 1).arg(minX).arg(maxX).arg(minY).arg(maxY);
        QVERIFY2(minX == x1 && maxX == x2 && minY == y1 && maxY == y2, qPrintable(where));
        if (row < 3) // the lit glyphs carry the brightest colour
            QVERIFY2(brightest > 0, qPrintable(where));
    }
    if (col == 3) { // the dash's softened ends
        for (int row = 0; row < 3; ++row) {
            const int x0 = kButtonColumnX[col], y0 = kButtonRowY[row];
            for (int end : {3, 10}) {
                const Rgb soft = m_pic.rgb(x0 + end, y0 + 6);
                const Rgb disc = m_pic.rgb(x0 + end - (end == 3 ? 1 : -1), y0 + 6);
                QVERIFY2(levels(soft, disc) >= 30, "softened end is not lighter than the disc");
            }
        }
    }
}

// ---- Swatches -----------------------------------------------------------------------------

void TestSkinPicture::swatches_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("index");
    QTest::addColumn<Rgb>("colour");
    const struct
    {
        int index;
        Rgb colour;
    } rows[15] = {
        {0x6E, {226, 225, 220}}, {0x07, {0, 0, 128}},     {0x01, {63, 63, 63}},    {0x07, {0, 0, 128}},
        {0x01, {63, 63, 63}},    {0x07, {0, 0, 128}},     {0x6E, {226, 225, 220}}, {0x7B, {254, 254, 254}},
        {0x7B, {254, 254, 254}}, {0x00, {0, 0, 0}},       {0x36, {255, 0, 255}},   {0x07, {0, 0, 128}},
        {0x6E, {226, 225, 220}}, {0x7B, {254, 254, 254}}, {0x7B, {254, 254, 254}},
    };
    for (int k = 0; k < 15; ++k)
        QTest::addRow("k %d", k) << k << rows[k].index << rows[k].colour;
}

void TestSkinPicture::swatches()
{
    QFETCH(int, k);
    QFETCH(int, index);
    QFETCH(Rgb, colour);
    QCOMPARE(toString(m_pic.paletteEntry(index)), toString(colour));
    for (int y = 140; y <= 142; ++y)
        for (int x = 1 + 4 * k; x <= 3 + 4 * k; ++x)
            QCOMPARE(m_pic.index(x, y), index);
}

QTEST_MAIN(TestSkinPicture)
#include "tst_skinpicture.moc"
