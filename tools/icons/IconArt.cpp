#include "IconArt.h"

namespace {

enum PaletteIndex {
    Black = 0,
    Olive = 3,
    Grey = 7,
    Silver = 8,
    Yellow = 11,
    Cyan = 14,
    White = 15,
};

// At 16 x 16 a rasterised polygon breaks the bolt's thin spike apart, so the
// small images are drawn by hand: K black, Y yellow, O olive, C cyan,
// W white, S silver, G grey, '.' transparent.
// clang-format off
const char *const smallBolt[] = {
    ".........KKKKKK.",
    "........KYYYYOK.",
    "........KYYYOK..",
    ".......KYYYOK...",
    ".......KYYOKKKK.",
    "......KYYYYYYOK.",
    "......KYYYYYOK..",
    ".....KKKKYYOK...",
    "........KYYOK...",
    ".......KYYOK....",
    "......KYYOK.....",
    ".....KYYOK......",
    "....KYOKK.......",
    "...KYOK.........",
    "..KOKK..........",
    "..KK............",
};
// clang-format on

// clang-format off
const char *const smallWindow[] = {
    "................",
    ".KKKK...........",
    ".KCCCKKKK.......",
    ".KCCCCCCCKKKKK..",
    ".KKKKCCCCCCCCKG.",
    ".KSSSKKKKCCCCKG.",
    ".KSWWSSSSKKKKKG.",
    ".KSWWWWWWSSSSKG.",
    ".KSWWWWWWWWWWKG.",
    ".KSWWWWWWWWWWKG.",
    ".KSWWWWWWWWWWKG.",
    ".KSWWWWWWWWWWKG.",
    ".KSWWWWWWWKKKKG.",
    ".KSWWKKKKKGGGGG.",
    ".KKKKGGGGGG.....",
    "..GGGG..........",
};
// clang-format on

int paletteIndex(char code)
{
    switch (code) {
    case 'K':
        return Black;
    case 'O':
        return Olive;
    case 'G':
        return Grey;
    case 'S':
        return Silver;
    case 'Y':
        return Yellow;
    case 'C':
        return Cyan;
    case 'W':
        return White;
    default:
        return -1;
    }
}

PixelCanvas fromArt(const char *const *rows, int size)
{
    PixelCanvas canvas(size, size, 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int index = paletteIndex(rows[y][x]);
            if (index >= 0)
                canvas.setPixel(x, y, index);
        }
    }
    return canvas;
}

QList<QPointF> boltOutline()
{
    return {{17.5, 1}, {29, 1}, {20.5, 12}, {27.5, 12}, {4, 31}, {12.5, 18}, {6.5, 18}};
}

struct WindowCorners
{
    QPointF topLeft, topRight, bottomRight, bottomLeft;
};

WindowCorners windowCorners()
{
    return {{2, 4}, {26.5, 8.5}, {26.5, 24.5}, {3, 29}};
}

QPointF along(QPointF from, QPointF to, double t)
{
    return from + (to - from) * t;
}

} // namespace

namespace IconArt {

PixelCanvas lightningBolt32()
{
    constexpr int size = 32;
    PixelCanvas canvas(size, size, 4);
    const PixelMask bolt = PixelMask::fromPolygon(size, size, boltOutline());
    const PixelMask shade = bolt.edge(1, 0).united(bolt.edge(2, 0));
    canvas.fill(bolt.outerRing(), Black);
    canvas.fill(bolt, Yellow);
    canvas.fill(shade, Olive);
    return canvas;
}

PixelCanvas lightningBolt16()
{
    return fromArt(smallBolt, 16);
}

PixelCanvas slantedWindow32(int bitsPerPixel)
{
    constexpr int size = 32;
    PixelCanvas canvas(size, size, bitsPerPixel);
    const WindowCorners c = windowCorners();
    const PixelMask frame =
        PixelMask::fromPolygon(size, size, {c.topLeft, c.topRight, c.bottomRight, c.bottomLeft});
    constexpr double captionDepth = 0.22;
    const QPointF captionLeft = along(c.topLeft, c.bottomLeft, captionDepth);
    const QPointF captionRight = along(c.topRight, c.bottomRight, captionDepth);
    const PixelMask caption =
        PixelMask::fromPolygon(size, size, {c.topLeft, c.topRight, captionRight, captionLeft})
            .intersected(frame);
    const PixelMask outline = frame.innerRing();
    const PixelMask client = frame.subtracted(caption);
    // The line under the caption belongs to the outline.
    const PixelMask captionRule = client.edge(0, -1).subtracted(outline);
    const PixelMask paper = client.subtracted(outline).subtracted(captionRule);
    const PixelMask shadow = frame.translated(2, 2).subtracted(frame);

    const bool mono = bitsPerPixel == 1;
    canvas.fill(frame, mono ? 1 : White);
    if (!mono) {
        canvas.fill(shadow, Grey);
        canvas.fill(caption, Cyan);
        canvas.fill(paper.innerRing(), Silver);
    }
    canvas.fill(outline, Black);
    canvas.fill(captionRule, Black);
    return canvas;
}

PixelCanvas slantedWindow16()
{
    return fromArt(smallWindow, 16);
}

} // namespace IconArt
