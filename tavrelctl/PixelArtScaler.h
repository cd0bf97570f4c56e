#pragma once

#include <QImage>
#include <QList>
#include <QSize>

namespace tavrelctl {

// Scales a piece of the skin picture, drawn pixel by pixel for 96 dpi, to an
// exact number of device pixels at any ratio, the way a type designer hints
// a glyph:
//  - the picture is first enlarged four times with an edge-directed
//    pixel-art rule, which turns the stair steps of the discs, rings, the
//    cross and the tab's rounded ends into sloped edges;
//  - each device pixel is then the area average of the enlarged pixels it
//    covers, so round shapes come out anti-aliased at the exact scale
//    instead of growing a doubled pixel here and there (the lumps and
//    lopsided rings of nearest-neighbour scaling at 1.25 or 1.75);
//  - long straight edges and one-pixel lines found in the piece are first
//    moved onto whole device pixels (a one-pixel line keeps a whole width
//    of round(scale) device pixels), so frame lines, the tab's outline and
//    the flat sides of the glyphs stay crisp: no blur, no doubled lines.
// The placement is worked out from each end of the piece towards its middle,
// so a symmetric piece stays symmetric and a piece that tiles starts and ends
// on the device grid.
//
// Why this and not something simpler, from the caption sheets in
// docs/scales/ (tools/screenshots --scales): repeating whole pixels keeps
// lines crisp but makes every curve lumpy at 1.25 and 1.75 and stair-stepped
// at 2 and above; an area average of the picture alone fixes the lumps but
// keeps the stairs, blurred, at 2.5 and 3; the edge-directed enlargement
// makes the discs and the tab's ends round there. Without the snapping, a
// one-pixel frame line at 1.25 smears over two device pixels. Just above or
// below a whole scale (1.04, 1.1) the averaging would soften every pixel
// for a doubled pixel in ten or more, so there every pixel keeps whole
// device pixels (see deviceEdges).
class PixelArtScaler
{
public:
    // Boundaries along one axis of a piece of n pixels that must land on the
    // device grid: snap[k] for the boundary before pixel k (0..n), line[k]
    // for a pixel k that is a thin line and keeps a whole device width.
    struct AxisHints
    {
        QList<bool> snap;
        QList<bool> line;
        int length() const { return int(line.size()); }
        // Either's edges; both must be of the same length.
        AxisHints united(const AxisHints &other) const;
    };

    // Horizontal edges (between rows) and vertical edges (between columns)
    // of `piece`: a boundary snaps where the colours across it differ by
    // more than a faint shading step along a run of at least three pixels
    // and a quarter of the piece, or where it bounds a one-pixel line at
    // least three pixels long.
    static AxisHints rowHints(const QImage &piece);
    static AxisHints columnHints(const QImage &piece);

    // Device pixels a one-pixel line of the picture takes at `ratio`.
    static int lineWidth(qreal ratio);

    // Device position of each of the n + 1 boundaries of an axis scaled to
    // `deviceLength` pixels at device pixel ratio `ratio` (0: the axis's own
    // scale): snapped ones are whole numbers, the others lie evenly between
    // them. Strictly increasing, from 0 to deviceLength.
    static QList<double> deviceEdges(const AxisHints &hints, int deviceLength, qreal ratio = 0);

    // The edge-directed doubling: each pixel becomes four, and a quarter
    // that lies across a diagonal edge moves by `strength` (0 to 1) towards
    // the colour of the side it lies on (a 2xBR-style rule, mirror-symmetric).
    // Premultiplied ARGB.
    static QImage edgeDirected2x(const QImage &image, qreal strength);

    // `piece` (ARGB32 premultiplied) at exactly `deviceSize`, with the given
    // hints for its columns and rows, for a device pixel ratio `ratio` (0:
    // each axis's own scale; the two differ where a size was rounded up).
    static QImage scale(const QImage &piece, const QSize &deviceSize, const AxisHints &columns,
                        const AxisHints &rows, qreal ratio = 0);
};

} // namespace tavrelctl
