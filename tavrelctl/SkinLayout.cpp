#include "SkinLayout.h"

#include <algorithm>
#include <limits>

namespace tavrelctl {

using tavrel::host::Status;
using tavrel::host::StatusCode;

namespace {

class GridScanner
{
public:
    GridScanner(const QImage &image, int grid) : m_image(image), m_grid(grid) {}

    bool isGrid(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height() &&
               m_image.constScanLine(y)[x] == m_grid;
    }
    bool rowIsGrid(int y, int x0, int x1) const
    {
        for (int x = x0; x <= x1; ++x) {
            if (!isGrid(x, y))
                return false;
        }
        return true;
    }
    bool columnIsGrid(int x, int y0, int y1) const
    {
        for (int y = y0; y <= y1; ++y) {
            if (!isGrid(x, y))
                return false;
        }
        return true;
    }
    // Columns in [0, width) whose pixels from y0 to y1 are all grid.
    QList<int> verticalLines(int y0, int y1) const
    {
        QList<int> xs;
        for (int x = 0; x < m_image.width(); ++x) {
            if (columnIsGrid(x, y0, y1))
                xs.append(x);
        }
        return xs;
    }
    int gridPixelsInRow(int y, int *lastX) const
    {
        int count = 0;
        for (int x = 0; x < m_image.width(); ++x) {
            if (isGrid(x, y)) {
                ++count;
                *lastX = x;
            }
        }
        return count;
    }

private:
    const QImage &m_image;
    const int m_grid;
};

Status layoutError(const QString &what)
{
    return Status::failure(StatusCode::InvalidPicture,
                           QStringLiteral("the skin picture has no usable layout: %1").arg(what));
}

QString joined(const QList<int> &values)
{
    QStringList parts;
    for (int v : values)
        parts << QString::number(v);
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QLatin1String(", "));
}

// Cells between consecutive lines, one pixel in from each.
QList<QRect> cellsBetween(const QList<int> &xs, int top, int bottom)
{
    QList<QRect> cells;
    for (qsizetype i = 0; i + 1 < xs.size(); ++i)
        cells.append(QRect(QPoint(xs.at(i) + 1, top + 1), QPoint(xs.at(i + 1) - 1, bottom - 1)));
    return cells;
}

bool allNonEmpty(const QList<QRect> &cells)
{
    return std::all_of(cells.cbegin(), cells.cend(), [](const QRect &r) { return !r.isEmpty(); });
}

} // namespace

Status SkinLayout::read(const QImage &picture, SkinLayout *layout)
{
    Q_ASSERT(layout);
    if (picture.format() != QImage::Format_Indexed8) {
        return layoutError(QStringLiteral("expected an 8-bit palette image, got format %1")
                               .arg(int(picture.format())));
    }
    if (picture.width() < 8 || picture.height() < 8) {
        return layoutError(QStringLiteral("the picture is only %1 x %2 pixels")
                               .arg(picture.width())
                               .arg(picture.height()));
    }
    SkinLayout l;
    l.m_gridIndex = picture.pixelIndex(0, 0);
    const GridScanner grid(picture, l.m_gridIndex);
    const int right = picture.width() - 1;

    QList<int> fullRows;
    for (int y = 0; y < picture.height(); ++y) {
        if (grid.rowIsGrid(y, 0, right))
            fullRows.append(y);
    }
    if (fullRows.size() != 4) {
        return layoutError(QStringLiteral("expected 4 grid lines across the whole width (band "
                                          "top, band separator, tile top, ruler), found %1 at "
                                          "y = %2")
                               .arg(fullRows.size())
                               .arg(joined(fullRows)));
    }
    const int bandTop = fullRows[0], bandSplit = fullRows[1], tileTop = fullRows[2],
              ruler = fullRows[3];

    const QList<int> bandLines = grid.verticalLines(bandTop, tileTop);
    if (bandLines.size() != 7) {
        return layoutError(QStringLiteral("expected 7 vertical grid lines through the caption "
                                          "bands, found %1 at x = %2")
                               .arg(bandLines.size())
                               .arg(joined(bandLines)));
    }
    l.m_tallCells = cellsBetween(bandLines, bandTop, bandSplit);
    l.m_shortCells = cellsBetween(bandLines, bandSplit, tileTop);

    int tileBottom = -1;
    for (int y = tileTop + 2; y < ruler; ++y) {
        if (grid.isGrid(1, y) && grid.isGrid(2, y)) {
            tileBottom = y;
            break;
        }
    }
    if (tileBottom < 0)
        return layoutError(QStringLiteral("no grid line closes the frame tile row"));
    const QList<int> tileLines = grid.verticalLines(tileTop, tileBottom);
    if (tileLines.size() != TileCount + 1) {
        return layoutError(QStringLiteral("expected %1 grid lines between the frame tiles, found "
                                          "%2 at x = %3")
                               .arg(TileCount + 1)
                               .arg(tileLines.size())
                               .arg(joined(tileLines)));
    }
    l.m_tiles = cellsBetween(tileLines, tileTop, tileBottom);

    QList<int> glyphRows{tileBottom};
    for (int y = tileBottom + 2; y < ruler; ++y) {
        if (grid.isGrid(1, y) && grid.isGrid(2, y))
            glyphRows.append(y);
    }
    // Four glyph rows, then the line above the swatches.
    if (glyphRows.size() != GlyphRows + 1) {
        return layoutError(QStringLiteral("expected %1 grid lines across the button glyphs, found "
                                          "%2 at y = %3")
                               .arg(GlyphRows + 1)
                               .arg(glyphRows.size())
                               .arg(joined(glyphRows)));
    }
    const int swatchTop = glyphRows.last();
    const QList<int> glyphColumns = grid.verticalLines(tileBottom, swatchTop);
    if (glyphColumns.size() != GlyphColumns + 1) {
        return layoutError(QStringLiteral("expected %1 grid lines between the glyph columns, "
                                          "found %2 at x = %3")
                               .arg(GlyphColumns + 1)
                               .arg(glyphColumns.size())
                               .arg(joined(glyphColumns)));
    }
    for (int row = 0; row < GlyphRows; ++row) {
        if (!grid.rowIsGrid(glyphRows[row], 0, glyphColumns.last())) {
            return layoutError(QStringLiteral("the grid line above glyph row %1 (y = %2) is broken")
                                   .arg(row + 1)
                                   .arg(glyphRows[row]));
        }
        l.m_glyphs += cellsBetween(glyphColumns, glyphRows[row], glyphRows[row + 1]);
    }
    const QList<int> swatchLines = grid.verticalLines(swatchTop, ruler);
    if (swatchLines.size() != SwatchCount + 1) {
        return layoutError(QStringLiteral("expected %1 grid lines between the swatches, found %2 "
                                          "at x = %3")
                               .arg(SwatchCount + 1)
                               .arg(swatchLines.size())
                               .arg(joined(swatchLines)));
    }
    l.m_swatches = cellsBetween(swatchLines, swatchTop, ruler);

    // Two tick rows under the ruler, then one marker pixel per row.
    int tickX = 0;
    if (ruler + 2 >= picture.height() || grid.gridPixelsInRow(ruler + 1, &tickX) < 2) {
        return layoutError(QStringLiteral("the ruler at y = %1 carries no tick rows").arg(ruler));
    }
    for (int y = ruler + 3; y < picture.height() && l.m_markers.size() < MarkerCount; ++y) {
        int x = -1;
        const int count = grid.gridPixelsInRow(y, &x);
        if (count != 1) {
            return layoutError(
                QStringLiteral("marker row %1 (y = %2) holds %3 grid pixels instead of one")
                    .arg(l.m_markers.size())
                    .arg(y)
                    .arg(count));
        }
        l.m_markers.append(x);
    }
    if (l.m_markers.size() != MarkerCount) {
        return layoutError(QStringLiteral("expected %1 marker rows under the ruler, found %2")
                               .arg(MarkerCount)
                               .arg(l.m_markers.size()));
    }

    if (!allNonEmpty(l.m_tallCells) || !allNonEmpty(l.m_shortCells) || !allNonEmpty(l.m_tiles) ||
        !allNonEmpty(l.m_glyphs) || !allNonEmpty(l.m_swatches)) {
        return layoutError(QStringLiteral("two grid lines touch, leaving an empty cell"));
    }
    if (l.m_tallCells[LeftEnd].width() != l.m_tallCells[RightEnd].width() ||
        l.m_tallCells[LeftEnd].width() != l.m_tallCells[3 + LeftEnd].width()) {
        return layoutError(QStringLiteral("the caption's end cells differ in width (%1, %2, %3)")
                               .arg(l.m_tallCells[LeftEnd].width())
                               .arg(l.m_tallCells[RightEnd].width())
                               .arg(l.m_tallCells[3 + LeftEnd].width()));
    }
    if (Status bounded = l.checkMarkers(ruler + 3); !bounded)
        return bounded;
    l.m_pressedRepeatsNormal = true;
    for (int column = 0; column < GlyphColumns && l.m_pressedRepeatsNormal; ++column) {
        const QRect normal = l.m_glyphs[column];
        const QRect pressed = l.m_glyphs[GlyphColumns + column];
        if (normal.size() != pressed.size() || picture.copy(normal) != picture.copy(pressed))
            l.m_pressedRepeatsNormal = false;
    }
    *layout = l;
    return Status::ok();
}

// Every metric must lie within the cells it describes, so that a picture can
// never make a window grow by more than its own caption band and frame tiles
// (plus an inset no wider than a tile), nor place a button outside the
// caption. The two switches (MiddleFill, TextAlign) only ask zero or not.
Status SkinLayout::checkMarkers(int firstMarkerRow) const
{
    struct Bound
    {
        Marker marker;
        const char *name;
        int low;
        int high;
        const char *why;
    };
    int smallestTile = std::numeric_limits<int>::max();
    for (int k = 0; k < TileCount; ++k)
        smallestTile = std::min({smallestTile, m_tiles[k].width(), m_tiles[k].height()});
    const int tall = tallBandHeight();
    const int endWidth = m_tallCells[LeftEnd].width();
    const QSize glyph = glyphSize();
    // The buttons and the text box must fit the lower of the two captions.
    const int lowCaption = std::min(m_markers[FixedCaption], m_markers[SizableCaption]);
    const Bound bounds[] = {
        {FixedCaption, "FixedCaption", 1, tall, "the tall caption band's height"},
        {SizableCaption, "SizableCaption", 1, tall, "the tall caption band's height"},
        {TextTop, "TextTop", 0, lowCaption - glyph.height(),
         "the text box, as tall as a button glyph, within the lower caption"},
        {ButtonTop, "ButtonTop", 0, lowCaption - glyph.height(),
         "the caption buttons within the lower caption"},
        {TextLeft, "TextLeft", 0, endWidth - 1, "within the caption's leading end cell"},
        {IconGap, "IconGap", 0, endWidth, "the width of a caption end cell"},
        {ButtonMargin, "ButtonMargin", 0, endWidth, "within the caption's trailing end cell"},
        {ButtonGap, "ButtonGap", 0, glyph.width(), "the width of a button glyph"},
        {ClientInset, "ClientInset", 0, smallestTile, "the smallest side of a frame tile"},
    };
    for (const Bound &b : bounds) {
        const int value = m_markers[b.marker];
        if (value >= b.low && value <= b.high)
            continue;
        const QString range = b.high < b.low
                                  ? QStringLiteral("no value fits")
                                  : QStringLiteral("allowed %1 to %2").arg(b.low).arg(b.high);
        return layoutError(QStringLiteral("marker row %1 (%2, y = %3) is %4; %5 (%6)")
                               .arg(int(b.marker))
                               .arg(QLatin1String(b.name))
                               .arg(firstMarkerRow + int(b.marker))
                               .arg(value)
                               .arg(range, QLatin1String(b.why)));
    }
    return Status::ok();
}

QRect SkinLayout::captionCell(bool tall, Look look, BandPart part) const
{
    return (tall ? m_tallCells : m_shortCells).value(look * 3 + part);
}

int SkinLayout::glyphRow(GlyphState state)
{
    switch (state) {
    case Normal:
        return 0;
    case Pressed:
        return 1;
    case Hover:
        return 2;
    case Disabled:
        break;
    }
    return 3;
}

QRect SkinLayout::glyphCell(Glyph glyph, GlyphState state) const
{
    if (state == Pressed && m_pressedRepeatsNormal)
        state = Hover;
    return m_glyphs.value(glyphRow(state) * GlyphColumns + glyph);
}

int SkinLayout::captionHeight(int requested) const
{
    return qBound(1, requested, tallBandHeight());
}

} // namespace tavrelctl
