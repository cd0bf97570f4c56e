#pragma once

#include <Status.h>

#include <QImage>
#include <QList>
#include <QRect>

namespace tavrelctl {

// Where each piece of a skin picture lies and what its marker rows say,
// found by following the grid the picture carries (never by fixed
// coordinates), so that a picture with the same arrangement but other
// pixels or other cell sizes is read the same way.
//
// The grid colour is the colour of the top-left pixel. The picture holds,
// top to bottom: four grid lines across the whole width (band top, between
// the tall and the short caption band, above the frame tiles, the ruler);
// the caption bands cut by vertical lines into six cells (active left end,
// middle, right end, then the inactive ones); a row of 14 frame tiles; a 4 x 4
// grid of caption button glyphs with a row of colour swatches below it; the
// ruler with two tick rows; then the marker rows, each holding exactly one
// grid-colour pixel whose x is the row's value (in picture pixels). Marker
// rows in order:
//   0  MiddleFill       0: the caption's middle cell is tiled; else stretched
//   1  TextTop          top of the caption text box, from the caption's top
//   2  TextLeft         where the window icon (or the text, without one)
//                       starts, from the caption's leading edge
//   3  ButtonTop        top of the caption buttons
//   4  ButtonGap        space between two caption buttons
//   5  ButtonMargin     from the caption's trailing edge to the last button
//   6  FixedCaption     caption height of a fixed-size window
//   7  IconGap          space between the icon and the caption text
//   8  TextAlign        0: text at the leading edge; else centred in the bar
//   9  ClientInset      extra space between the skin and the client area
//   10 SizableCaption   caption height of a sizable window
// A caption height up to the short band's uses the short band; a taller one
// uses that many top rows of the tall band (at most the band's height).
// Each metric must lie within the cells it describes; read() refuses a
// picture whose marker breaks its bounds, naming the marker and the range:
//   FixedCaption, SizableCaption   1 to the tall band's height
//   TextTop, ButtonTop             a glyph-high box within the lower caption
//   TextLeft                       inside the caption's leading end cell
//   IconGap, ButtonMargin          at most a caption end cell's width
//   ButtonGap                      at most a glyph's width
//   ClientInset                    at most the smallest side of a frame tile
//
// The glyph grid's columns are the buttons (close, restore, maximise,
// minimise) and its rows their states:
//   row 1  normal
//   row 2  pressed (the button held down with the pointer over it)
//   row 3  hot: the pointer over the button (a red close disc and brighter
//          blue discs in the stock picture)
//   row 4  inactive: a disabled button, and every button of an inactive
//          window that the pointer is not over
// A picture whose row 2 repeats row 1 pixel for pixel (the stock picture
// does) would show no change on a press; the pressed state then draws the
// hot row with its disc shaded darker (see pressedIsShadedHot()).
class SkinLayout
{
public:
    enum Look { Active = 0, Inactive = 1 };
    enum BandPart { LeftEnd = 0, Middle = 1, RightEnd = 2 };
    enum Marker {
        MiddleFill,
        TextTop,
        TextLeft,
        ButtonTop,
        ButtonGap,
        ButtonMargin,
        FixedCaption,
        IconGap,
        TextAlign,
        ClientInset,
        SizableCaption,
        MarkerCount
    };
    // Frame tiles, per look (the second group of seven is the inactive look).
    enum Tile { LeftEdge = 0, BottomLeft = 1, BottomEdge = 3, BottomRight = 5, RightEdge = 6 };
    // Glyph columns, and the states a button is drawn in (glyphCell() says
    // which row serves which state).
    enum Glyph { CloseGlyph = 0, RestoreGlyph = 1, MaximizeGlyph = 2, MinimizeGlyph = 3 };
    enum GlyphState { Normal, Hover, Pressed, Disabled };
    // Swatches and the window colours they stand for.
    enum Swatch {
        WindowSwatch = 0,
        HighlightSwatch = 1,
        WindowTextSwatch = 2,
        LinkSwatch = 3,
        ButtonTextSwatch = 4,
        LinkVisitedSwatch = 5,
        ButtonSwatch = 6,
        BaseSwatch = 7,
        HighlightedTextSwatch = 8,
        TextSwatch = 9,
        TransparentSwatch = 10, // pieces draw this colour as transparent
        ToolTipTextSwatch = 11,
        AlternateBaseSwatch = 12,
        ActiveCaptionTextSwatch = 13,
        InactiveCaptionTextSwatch = 14,
        SwatchCount = 15
    };
    static constexpr int TileCount = 14;
    static constexpr int TilesPerLook = 7;
    static constexpr int GlyphColumns = 4;
    static constexpr int GlyphRows = 4;

    // Reads the layout of `picture` (an 8-bit indexed image). Fails, naming
    // the missing or malformed part, if the grid is not where it must be.
    static tavrel::host::Status read(const QImage &picture, SkinLayout *layout);

    QRect captionCell(bool tall, Look look, BandPart part) const;
    QRect frameTile(int index) const { return m_tiles.value(index); }
    QRect frameTile(Look look, Tile tile) const { return frameTile(look * TilesPerLook + tile); }
    // The cell a button in `state` draws: row 1 normal, row 2 pressed, row 3
    // hot, row 4 disabled; a pressed button draws the hot row when the
    // picture's pressed row repeats its normal row.
    QRect glyphCell(Glyph glyph, GlyphState state) const;
    static int glyphRow(GlyphState state);
    // True when row 2 repeats row 1: a pressed button then shows the hot
    // row with its disc shaded darker.
    bool pressedIsShadedHot() const { return m_pressedRepeatsNormal; }
    QRect swatchCell(int index) const { return m_swatches.value(index); }
    int marker(Marker m) const { return m_markers.value(m); }
    int gridIndex() const { return m_gridIndex; }

    int tallBandHeight() const { return m_tallCells.value(0).height(); }
    int shortBandHeight() const { return m_shortCells.value(0).height(); }
    // The height a caption asking for `requested` pixels gets: at least
    // one row, at most the tall band's height (SkinTheme::captionSource()
    // says which band rows it draws).
    int captionHeight(int requested) const;
    int borderLeft() const { return frameTile(Active, LeftEdge).width(); }
    int borderRight() const { return frameTile(Active, RightEdge).width(); }
    int borderBottom() const { return frameTile(Active, BottomEdge).height(); }
    QSize glyphSize() const { return m_glyphs.value(0).size(); }

private:
    tavrel::host::Status checkMarkers(int firstMarkerRow) const;

    int m_gridIndex = -1;
    QList<QRect> m_tallCells;  // 6: active L, M, R, inactive L, M, R
    QList<QRect> m_shortCells; // 6
    QList<QRect> m_tiles;      // 14
    QList<QRect> m_glyphs;     // row-major, 4 x 4
    QList<QRect> m_swatches;   // 15
    QList<int> m_markers;      // 11
    bool m_pressedRepeatsNormal = false;
};

} // namespace tavrelctl
