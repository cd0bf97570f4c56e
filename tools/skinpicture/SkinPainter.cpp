#include "SkinPainter.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace skinpicture {

namespace {

// --- Colours of the layout ----------------------------------------------

constexpr Rgb kGrid{0, 128, 0};
constexpr Rgb kBackground{254, 254, 254};
constexpr Rgb kPanel{226, 225, 220};
constexpr Rgb kFrameA{161, 161, 161}; // 0x3F
constexpr Rgb kFrameB{156, 156, 156}; // 0x3A
constexpr Rgb kBlueOutline{74, 104, 151};
constexpr Rgb kGreyOutline{109, 109, 109};
constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kCharcoal{63, 63, 63};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kMagenta{255, 0, 255};

// Bevel: the highlight on the top rows and the three columns inside the
// outer frame line.
constexpr Rgb kBevelTop{248, 247, 246};
constexpr Rgb kBevelTop2{241, 240, 238};
constexpr Rgb kBevel1{234, 234, 233};
constexpr Rgb kBevel2{231, 231, 230};
constexpr Rgb kBevel3{229, 229, 229};

// Bottom edge shading of the frame tiles.
constexpr Rgb kShade1{211, 210, 206};
constexpr Rgb kShade2{204, 204, 201};
constexpr Rgb kShade3{202, 201, 197};
constexpr Rgb kShadeCorner{218, 217, 213};

// Caption tab, rows 1..24 of the tall band (index 0 unused).
constexpr std::array<Rgb, 25> kActiveRows{{
    {0, 0, 0},
    {163, 186, 227}, {157, 182, 225}, {154, 179, 220}, {146, 171, 214}, {146, 171, 214},
    {137, 164, 210}, {135, 160, 203}, {130, 156, 199}, {130, 156, 199}, {130, 156, 199},
    {122, 149, 195}, {122, 149, 195}, {121, 145, 187}, {97, 119, 157}, {97, 119, 157},
    {97, 119, 157}, {92, 114, 154}, {92, 114, 154}, {90, 112, 151}, {90, 112, 151},
    {74, 104, 151}, {172, 172, 172}, {188, 188, 187}, {216, 215, 211},
}};
constexpr std::array<Rgb, 25> kInactiveRows{{
    {0, 0, 0},
    {193, 193, 193}, {193, 193, 193}, {188, 188, 187}, {180, 180, 180}, {180, 180, 180},
    {172, 172, 172}, {166, 169, 171}, {166, 169, 171}, {161, 161, 161}, {161, 161, 161},
    {161, 161, 161}, {156, 156, 156}, {156, 156, 156}, {130, 130, 130}, {130, 130, 130},
    {123, 123, 123}, {123, 123, 123}, {123, 123, 123}, {123, 123, 123}, {123, 123, 123},
    {109, 109, 109}, {175, 176, 175}, {188, 188, 187}, {213, 212, 210},
}};

// Rows whose fill carries a light dither, and the colour dithered in.
struct Dither
{
    int row;
    Rgb colour;
};
constexpr std::array<Dither, 4> kActiveDither{{
    {5, {137, 164, 210}}, {8, {135, 160, 203}}, {10, {122, 149, 195}}, {18, {90, 112, 151}},
}};
constexpr std::array<Dither, 4> kInactiveDither{{
    {2, {188, 188, 187}}, {5, {172, 172, 172}}, {10, {156, 156, 156}}, {17, {130, 130, 130}},
}};

// The tab's left edge, rows 1..21, in tenths of a pixel (index 0 unused).
// Its whole part is the boundary pixel the layout lists: 9, 8, 8, ... 20, 23.
constexpr std::array<int, 23> kTabEdge{{
    0, 94, 83, 80, 80, 80, 80, 80, 82, 90, 95, 101, 106, 112, 120, 130, 140, 150, 160, 180, 202, 230,
    1000,
}};
// Left end of the three shadow rows 22..24 (tenths).
constexpr std::array<int, 3> kShadowStart{{225, 212, 200}};

// Buttons.
struct ButtonLook
{
    Rgb top;       // upper part of the disc (the gloss)
    Rgb upper;     // upper half
    Rgb lower;     // lower half
    Rgb outline;
    Rgb glyphSoft; // the near-white of the glyph's lower, shaded pixels
    bool glyphBright; // whether the glyph's lit pixels are the background white
    int gloss;        // tenths of white in the highlight under the top edge
};
constexpr ButtonLook kBlue{{106, 130, 170}, {106, 130, 170}, {101, 124, 164}, kBlueOutline,
                           {228, 235, 246}, true, 3};
constexpr ButtonLook kRed{{182, 121, 121}, {201, 106, 106}, {183, 102, 102}, {140, 62, 62},
                          {250, 232, 232}, true, 3};
constexpr ButtonLook kBrightBlue{{127, 161, 218}, {122, 155, 211}, {89, 125, 180}, kBlueOutline,
                                 {232, 240, 252}, true, 3};
constexpr ButtonLook kGrey{{156, 156, 156}, {139, 139, 139}, {130, 130, 130}, {115, 115, 115},
                           {206, 206, 206}, false, 2};
constexpr Rgb kGreyCornerTop{186, 185, 181};
constexpr Rgb kGreyCornerBottom{123, 123, 123};

// --- Helpers ---------------------------------------------------------------

// a * (den - num) / den + b * num / den, rounded half up.
Rgb mix(Rgb a, Rgb b, int num, int den)
{
    auto ch = [&](int x, int y) { return (x * (den - num) + y * num + den / 2) / den; };
    return {ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)};
}

Rgb darken(Rgb c, int by)
{
    return {std::max(0, c.r - by), std::max(0, c.g - by), std::max(0, c.b - by)};
}

int clampi(int v, int lo, int hi)
{
    return std::min(hi, std::max(lo, v));
}

// --- Caption band ------------------------------------------------------------
//
// The bar of one look is drawn in "bar coordinates": u 1..71 across (the
// active look's x), t 1..42 down (the tall band's y). Left of u = 36 the
// pixels are drawn, right of it they are mirrored, the right end shaded a
// little darker.

struct Look
{
    const std::array<Rgb, 25> *rows;
    const std::array<Dither, 4> *dither;
};

Rgb frameLine(int du, int t)
{
    return (du + 2 * t) % 5 == 0 ? kFrameB : kFrameA;
}

// Background of the bar outside the tab (frame, bevel, panel, shadow).
Rgb barBackground(int u, int t, int du, const Look &look)
{
    if (u == 1 || t == 1)
        return frameLine(du, t);
    if (t <= 4) {
        if (u <= 4 || t <= 3)
            return kBevelTop;
        return kBevelTop2;
    }
    if (u == 2)
        return kBevel1;
    if (u == 3)
        return kBevel2;
    if (u == 4)
        return kBevel3;
    if (t >= 22 && t <= 24) {
        const int start = kShadowStart[t - 22];
        const int cover = clampi((u + 1) * 10 - start, 0, 10);
        return mix(kPanel, (*look.rows)[t], cover, 10);
    }
    return kPanel;
}

Rgb tabFill(int t, int du, int phase, const Look &look)
{
    for (const Dither &d : *look.dither) {
        if (d.row == t && (du + 2 * t + phase) % 4 == 0)
            return d.colour;
    }
    return (*look.rows)[t];
}

// One pixel of the left half (u <= 36) of the bar.
Rgb barPixel(int u, int t, int du, int phase, const Look &look, int shade)
{
    const Rgb bg = barBackground(u, t, du, look);
    if (t > 21)
        return bg;
    const Rgb outline = (*look.rows)[21];
    const int edge = kTabEdge[t];
    // Tenths of the pixel [u, u+1] that lie outside the tab, on the
    // outline band [edge, edge+1] and inside it.
    const int outside = clampi(edge - u * 10, 0, 10);
    const int onOutline = clampi(std::min(u * 10 + 10, edge + 10) - std::max(u * 10, edge), 0, 10);
    const int inside = 10 - outside - onOutline;
    if (t == 21) // the lower outline row
        return mix(bg, outline, 10 - outside, 10);
    Rgb fill = tabFill(t, du, phase, look);
    // Where the row below ends further in, this row is the tab's lower edge.
    const int below = clampi(kTabEdge[t + 1] - u * 10, 0, 10);
    if (inside == 10 && below == 0)
        return darken(fill, shade); // the shading touches the face only
    fill = mix(fill, outline, below, 10);
    const int r = bg.r * outside + outline.r * onOutline + fill.r * inside;
    const int g = bg.g * outside + outline.g * onOutline + fill.g * inside;
    const int b = bg.b * outside + outline.b * onOutline + fill.b * inside;
    return {(r + 5) / 10, (g + 5) / 10, (b + 5) / 10};
}

// Draws a bar of `height` rows (42 or 24) with its top-left at (x0, y0).
void paintBar(Canvas &c, int x0, int y0, int height, const Look &look, int phase)
{
    for (int t = 1; t <= height; ++t) {
        for (int u = 1; u <= 71; ++u) {
            Rgb p;
            if (u <= 36) {
                p = barPixel(u, t, u, phase, look, 0);
            } else {
                // Mirror about u = 36; the tab in the right end is shaded
                // a little darker, as if lit from the left.
                const int shade = u >= 44 ? 3 : 0;
                p = barPixel(72 - u, t, u, phase, look, t <= 24 ? shade : 0);
            }
            c.set(x0 + u - 1, y0 + t - 1, p);
        }
    }
}

// --- Frame tiles -------------------------------------------------------------

using Tile = std::array<std::array<Rgb, 6>, 6>; // [row][column]

Tile mirrored(const Tile &t)
{
    Tile m;
    for (int r = 0; r < 6; ++r)
        for (int col = 0; col < 6; ++col)
            m[r][col] = t[r][5 - col];
    return m;
}

std::array<Tile, 14> frameTiles()
{
    const Rgb F = kFrameA, f = kFrameB, P = kPanel, a = kBevel1, b = kBevel2, c = kBevel3;
    const Rgb s1 = kShade1, s2 = kShade2, s3 = kShade3, q = kShadeCorner;
    const Tile leftEdge{{
        {F, a, b, c, P, P},
        {f, a, b, c, P, P},
        {F, a, b, c, P, P},
        {F, a, b, c, P, P},
        {f, a, b, c, P, P},
        {F, a, b, c, P, P},
    }};
    const Tile bottomLeft{{
        {F, a, b, c, P, P},
        {f, a, b, c, P, P},
        {F, b, c, q, s1, s1},
        {F, c, q, s2, s2, s2},
        {f, q, s3, s3, s3, s3},
        {F, f, F, F, f, F},
    }};
    const Tile bottom{{
        {P, P, P, P, P, P},
        {P, P, P, P, P, P},
        {s1, s1, s1, s1, s1, s1},
        {s2, s2, s2, s2, s2, s2},
        {s3, s3, s3, s3, s3, s3},
        {F, f, F, F, f, F},
    }};
    const Tile bottomRight = mirrored(bottomLeft);
    const Tile rightEdge = mirrored(leftEdge);

    std::array<Tile, 14> tiles;
    tiles[0] = leftEdge;
    tiles[1] = bottomLeft;
    tiles[2] = bottomLeft;
    tiles[3] = bottom;
    tiles[4] = bottomRight;
    tiles[4][5][3] = f; // single-pixel dither on the bottom line
    tiles[5] = bottomRight;
    tiles[6] = rightEdge;

    // The second group: the same tiles, a pixel of dither moved here and there.
    tiles[7] = leftEdge;
    tiles[7][3][0] = f;
    tiles[8] = bottomLeft;
    tiles[9] = bottomLeft;
    tiles[10] = bottom;
    tiles[10][3][2] = s3;
    tiles[11] = bottomRight;
    tiles[11][2][5] = f;
    tiles[12] = bottomRight;
    tiles[13] = rightEdge;
    tiles[13][2][5] = f;
    return tiles;
}

// --- Buttons -----------------------------------------------------------------

// Glyph masks, 14 x 15: 'W' lit (background white), 'w' near-white, '+'
// and '.' the anti-aliased fringe.
using Mask = std::array<const char *, 15>;

constexpr Mask kCrossLit{{
    "              ",
    "              ",
    "              ",
    "              ",
    "    W.  .W    ",
    "    .W..W.    ",
    "     .WW.     ",
    "     .WW.     ",
    "    .w..w.    ",
    "    w.  .w    ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
}};
// The hot close button: the cross lit further down.
constexpr Mask kCrossHot{{
    "              ",
    "              ",
    "              ",
    "              ",
    "    W.  .W    ",
    "    .W..W.    ",
    "     .WW.     ",
    "     .WW.     ",
    "    .W..W.    ",
    "    W.  .w    ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
}};
constexpr Mask kDot{{
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "     +WW+     ",
    "     wWWw     ",
    "     +ww+     ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
}};
constexpr Mask kRing{{
    "              ",
    "              ",
    "              ",
    "              ",
    "    +WWWW+    ",
    "   +W.  .W+   ",
    "   W.    .W   ",
    "   w      w   ",
    "   w      w   ",
    "   +w    w+   ",
    "    +wwww+    ",
    "              ",
    "              ",
    "              ",
    "              ",
}};
constexpr Mask kRingHot{{
    "              ",
    "              ",
    "              ",
    "              ",
    "    +WWWW+    ",
    "   +W.  .W+   ",
    "   W.    .W   ",
    "   W      W   ",
    "   w      w   ",
    "   +w    w+   ",
    "    +wwww+    ",
    "              ",
    "              ",
    "              ",
    "              ",
}};
constexpr Mask kDash{{
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "   +WWWWWW+   ",
    "   +wwwwww+   ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
    "              ",
}};

// The corner colour outside the disc, per row of the cell: the caption tab's
// gradient for the blue and red rows, light over dark grey for the grey row.
Rgb cornerColour(int row, bool grey)
{
    if (grey)
        return row < 7 ? kGreyCornerTop : kGreyCornerBottom;
    return kActiveRows[4 + row];
}

void paintButton(Canvas &c, int x0, int y0, const ButtonLook &look, const Mask &mask, bool greyCorners)
{
    // 8 x 8 samples a pixel, in sixteenths of a pixel. The disc fills the
    // 14 x 15 cell: centre (7, 7.5), radius 7, outline 1.125 pixels wide.
    constexpr int cx = 7 * 16, cy = 15 * 8;
    constexpr int ro = 7 * 16, ri = 7 * 16 - 18;
    // The gloss: an ellipse 7 x 3 pixels whose centre lies 5.5 pixels above
    // the disc's, lighter by a few tenths of white.
    const Rgb gloss = mix(look.top, Rgb{255, 255, 255}, look.gloss, 10);
    auto glossy = [](int dx, int dy) {
        const int gy = dy + 88;
        return dx * dx * (24 * 24) + gy * gy * (56 * 56) < (56 * 24) * (56 * 24);
    };
    for (int py = 0; py < 15; ++py) {
        for (int px = 0; px < 14; ++px) {
            int r = 0, g = 0, b = 0;
            for (int sy = 0; sy < 8; ++sy) {
                for (int sx = 0; sx < 8; ++sx) {
                    const int dx = px * 16 + 1 + 2 * sx - cx;
                    const int dy = py * 16 + 1 + 2 * sy - cy;
                    const int d2 = dx * dx + dy * dy;
                    Rgb s;
                    if (d2 >= ro * ro) {
                        s = cornerColour(py, greyCorners);
                    } else if (d2 >= ri * ri) {
                        s = look.outline;
                    } else if (glossy(dx, dy)) {
                        s = gloss;
                    } else if (dy < -40) { // rows 0-4
                        s = look.top;
                    } else if (dy < 8) { // rows 5-7
                        s = look.upper;
                    } else {
                        s = look.lower;
                    }
                    r += s.r;
                    g += s.g;
                    b += s.b;
                }
            }
            Rgb p{(r + 32) / 64, (g + 32) / 64, (b + 32) / 64};
            const Rgb lit = look.glyphBright ? kBackground : look.glyphSoft;
            switch (mask[py][px]) {
            case 'W': p = lit; break;
            case 'w': p = look.glyphSoft; break;
            case '+': p = mix(p, look.glyphSoft, 6, 10); break;
            case '.': p = mix(p, look.glyphSoft, 3, 10); break;
            default: break;
            }
            c.set(x0 + px, y0 + py, p);
        }
    }
}

} // namespace

const std::vector<NamedEntry> &namedEntries()
{
    static const std::vector<NamedEntry> entries{
        {0x00, kBlack},  {0x01, kCharcoal},  {0x03, kGreyOutline}, {0x07, kNavy},
        {0x09, kBlueOutline}, {0x1A, kGrid}, {0x36, kMagenta},     {0x3A, kFrameB},
        {0x3F, kFrameA}, {0x6E, kPanel},     {0x7B, kBackground},
    };
    return entries;
}

const std::vector<Rgb> &baseColours()
{
    static const std::vector<Rgb> colours = [] {
        std::vector<Rgb> v;
        for (const NamedEntry &e : namedEntries())
            v.push_back(e.colour);
        for (int t = 1; t <= 24; ++t) {
            v.push_back(kActiveRows[t]);
            v.push_back(kInactiveRows[t]);
        }
        for (Rgb c : {kBevelTop, kBevelTop2, kBevel1, kBevel2, kBevel3, kShade1, kShade2, kShade3,
                      kShadeCorner, kGreyCornerTop, kGreyCornerBottom})
            v.push_back(c);
        for (const ButtonLook &l : {kBlue, kRed, kBrightBlue, kGrey}) {
            for (Rgb c : {l.top, l.upper, l.lower, l.outline, l.glyphSoft})
                v.push_back(c);
        }
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        return v;
    }();
    return colours;
}

Canvas paintSkin()
{
    Canvas c;
    std::fill(c.pixels.begin(), c.pixels.end(), kBackground);

    // Caption bands: tall (y 1-42) and short (y 44-67), active look at
    // x 1-71, inactive look 72 pixels to the right. The short band is the
    // top 24 rows of the tall one; the inactive one with its dither moved.
    const Look active{&kActiveRows, &kActiveDither};
    const Look inactive{&kInactiveRows, &kInactiveDither};
    paintBar(c, 1, 1, 42, active, 0);
    paintBar(c, 73, 1, 42, inactive, 0);
    paintBar(c, 1, 44, 24, active, 0);
    paintBar(c, 73, 44, 24, inactive, 2);

    // Frame tiles, y 69-74.
    const auto tiles = frameTiles();
    for (int k = 0; k < 14; ++k)
        for (int r = 0; r < 6; ++r)
            for (int col = 0; col < 6; ++col)
                c.set(1 + 7 * k + col, 69 + r, tiles[k][r][col]);

    // Button glyph grid: columns cross, dot, ring, dash; rows normal,
    // normal again, hot, disabled.
    const std::array<int, 4> colX{{1, 16, 31, 46}};
    const std::array<int, 4> rowY{{76, 92, 108, 124}};
    const std::array<const Mask *, 4> normalMasks{{&kCrossLit, &kDot, &kRing, &kDash}};
    const std::array<const Mask *, 4> hotMasks{{&kCrossHot, &kDot, &kRingHot, &kDash}};
    for (int col = 0; col < 4; ++col) {
        paintButton(c, colX[col], rowY[0], kBlue, *normalMasks[col], false);
        paintButton(c, colX[col], rowY[1], kBlue, *normalMasks[col], false);
        paintButton(c, colX[col], rowY[2], col == 0 ? kRed : kBrightBlue, *hotMasks[col], false);
        paintButton(c, colX[col], rowY[3], kGrey, *normalMasks[col], true);
    }

    // Swatch row, y 140-142.
    const std::array<Rgb, 15> swatches{{kPanel, kNavy, kCharcoal, kNavy, kCharcoal, kNavy, kPanel,
                                        kBackground, kBackground, kBlack, kMagenta, kNavy, kPanel,
                                        kBackground, kBackground}};
    for (int k = 0; k < 15; ++k)
        for (int y = 140; y <= 142; ++y)
            for (int x = 1 + 4 * k; x <= 3 + 4 * k; ++x)
                c.set(x, y, swatches[k]);

    // Grid lines, ruler ticks and marker pixels.
    auto hline = [&](int y, int x1, int x2) {
        for (int x = x1; x <= x2; ++x)
            c.set(x, y, kGrid);
    };
    auto vline = [&](int x, int y1, int y2) {
        for (int y = y1; y <= y2; ++y)
            c.set(x, y, kGrid);
    };
    for (int y : {0, 43, 68, 143})
        hline(y, 0, 144);
    hline(75, 0, 98);
    for (int y : {91, 107, 123, 139})
        hline(y, 0, 60);
    vline(0, 0, 146);
    for (int x : {29, 43, 72, 101, 115, 144})
        vline(x, 0, 68);
    for (int x = 7; x <= 98; x += 7)
        vline(x, 68, 75);
    for (int x : {15, 30, 45, 60})
        vline(x, 75, 139);
    for (int x = 4; x <= 60; x += 4)
        vline(x, 139, 143);
    for (int x = 0; x <= 140; x += 5)
        c.set(x, 144, kGrid);
    for (int x = 0; x <= 140; x += 10)
        c.set(x, 145, kGrid);
    const std::array<int, 11> markers{{0, 4, 25, 3, 3, 20, 25, 4, 0, 0, 25}};
    for (int i = 0; i < 11; ++i)
        c.set(markers[i], 146 + i, kGrid);
    return c;
}

} // namespace skinpicture
