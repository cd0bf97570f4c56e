#include "PixelArtScaler.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace tavrelctl {

namespace {

// Colours across a boundary differing by more than this (in any channel, of
// 255) make an edge. The tab's gradient falls by at most 9 levels a row, its
// step between the light and the dark part by 24 and more, the frame line
// differs from the bevel beside it by 70.
constexpr int EdgeContrast = 20;
// A line needs that contrast on one side and at least this much, and half
// as much, on the other.
constexpr int LineContrast = 12;
// Along a straight edge or line each side keeps its colour within this
// much (the ring glyph's sides shade from 254 to 228); the pixels beside a
// diagonal stroke jump by a hundred and more.
constexpr int AlongContrast = 32;
// An edge or line shorter than this is a step of a curve, not a straight
// edge, and is left to the smooth resampling.
constexpr int MinimumRun = 3;
// The enlargement before the area-averaged reduction: two edge-directed
// doublings. Four samples per picture pixel are enough for every scale up
// to 4 (an area average over fewer than one enlarged pixel per device
// pixel is still exact, it only stops smoothing further).
constexpr int Enlargement = 4;

int channelDifference(QRgb a, QRgb b)
{
    return qMax(qMax(qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b))),
                qMax(qAbs(qBlue(a) - qBlue(b)), qAbs(qAlpha(a) - qAlpha(b))));
}

// Perceptual distance for the edge-directed rule: luma weighs most, as in
// the usual pixel-art scalers. The weights are folded into the components.
struct Yuv
{
    float y, u, v, a;
};

Yuv toYuv(QRgb c)
{
    const float r = float(qRed(c)), g = float(qGreen(c)), b = float(qBlue(c));
    return {48.0f * (0.299f * r + 0.587f * g + 0.114f * b),
            7.0f * (-0.169f * r - 0.331f * g + 0.5f * b),
            6.0f * (0.5f * r - 0.419f * g - 0.081f * b), 48.0f * float(qAlpha(c))};
}

inline float distance(const Yuv &p, const Yuv &q)
{
    return std::abs(p.y - q.y) + std::abs(p.u - q.u) + std::abs(p.v - q.v) + std::abs(p.a - q.a);
}

// Below this, two colours the eye cannot tell apart (dither of a level or
// two of luma).
constexpr float AlikeDistance = 2.0f * 48.0f;

QRgb average(QRgb a, QRgb b)
{
    return qRgba((qRed(a) + qRed(b) + 1) / 2, (qGreen(a) + qGreen(b) + 1) / 2,
                 (qBlue(a) + qBlue(b) + 1) / 2, (qAlpha(a) + qAlpha(b) + 1) / 2);
}

// `a` moved towards `b` by `amount` of 256.
QRgb towards(QRgb a, QRgb b, int amount)
{
    auto mix = [amount](int from, int to) { return from + ((to - from) * amount + 128) / 256; };
    return qRgba(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)),
                 mix(qAlpha(a), qAlpha(b)));
}

// Hints along one axis; `at(i, j)` is the pixel at position i along the axis
// and j across it.
template <typename At> PixelArtScaler::AxisHints hintsAlong(int length, int across, At at)
{
    PixelArtScaler::AxisHints hints;
    hints.snap = QList<bool>(length + 1, false);
    hints.line = QList<bool>(length, false);
    if (length == 0)
        return hints;
    hints.snap[0] = hints.snap[length] = true;
    const int edgeRun = qMax(MinimumRun, (across + 3) / 4);
    auto alikeAlong = [](QRgb a, QRgb b) { return channelDifference(a, b) <= AlongContrast; };
    // The longest run of positions across the axis where `differs(j)` holds
    // and the pixels at the offsets `sides` from position i keep one colour
    // each along the run: a straight edge or line, not the steps of a curve
    // or the anti-aliased pixels beside a diagonal.
    auto longestRun = [&](int i, std::initializer_list<int> sides, auto differs) {
        int best = 0, run = 0;
        for (int j = 0; j < across; ++j) {
            bool continues = run > 0;
            for (int side : sides) {
                if (continues && !alikeAlong(at(i + side, j), at(i + side, j - 1)))
                    continues = false;
            }
            if (!differs(j))
                run = 0;
            else
                run = continues ? run + 1 : 1;
            best = qMax(best, run);
        }
        return best;
    };
    for (int k = 1; k < length; ++k) {
        const int run = longestRun(k, {-1, 0}, [&](int j) {
            return channelDifference(at(k - 1, j), at(k, j)) > EdgeContrast;
        });
        if (run >= edgeRun)
            hints.snap[k] = true;
    }
    // A pixel wide line: unlike the pixels on both sides (at the piece's
    // edge the inner side alone decides, so a frame line along the edge is
    // one). Two or more such rows side by side are shading (the rim of a
    // disc, the shadow under the tab), not lines: giving each a whole
    // device width would stretch them; their strong edges snap as edges.
    QList<bool> candidate(length, false);
    for (int k = 0; k < length; ++k) {
        const int run = longestRun(k, {0}, [&](int j) {
            const QRgb c = at(k, j);
            int before = k == 0 ? -1 : channelDifference(c, at(k - 1, j));
            int after = k == length - 1 ? -1 : channelDifference(c, at(k + 1, j));
            if (before < 0)
                before = after;
            if (after < 0)
                after = before;
            // About as unlike the one side as the other: a row much closer
            // to one side is that side's edge, not a line of its own.
            const int weaker = qMin(before, after), stronger = qMax(before, after);
            return weaker > LineContrast && stronger > EdgeContrast && 2 * weaker >= stronger;
        });
        candidate[k] = run >= MinimumRun;
    }
    for (int k = 0; k < length; ++k) {
        if (candidate[k] && (k == 0 || !candidate[k - 1]) &&
            (k == length - 1 || !candidate[k + 1])) {
            hints.line[k] = true;
            hints.snap[k] = hints.snap[k + 1] = true;
        }
    }
    return hints;
}

// One axis of the area-averaged reduction: for each device pixel, the
// enlarged pixels it covers and how much of it each covers.
struct Taps
{
    QList<int> first;
    QList<QList<float>> weights;
};

Taps tapsFor(const QList<double> &edges, int enlargement, int enlargedLength)
{
    const int n = int(edges.size()) - 1;
    const int deviceLength = qRound(edges.last());
    // Picture position of device position t (the inverse of the edges).
    auto source = [&](double t) {
        int k = int(std::upper_bound(edges.cbegin(), edges.cend(), t) - edges.cbegin()) - 1;
        k = qBound(0, k, n - 1);
        return k + (t - edges[k]) / (edges[k + 1] - edges[k]);
    };
    Taps taps;
    taps.first.reserve(deviceLength);
    taps.weights.reserve(deviceLength);
    for (int x = 0; x < deviceLength; ++x) {
        const double u0 = qBound(0.0, source(x) * enlargement, double(enlargedLength));
        const double u1 = qBound(0.0, source(x + 1) * enlargement, double(enlargedLength));
        const int first = qMin(int(std::floor(u0)), enlargedLength - 1);
        const int last = qMax(first, int(std::ceil(u1)) - 1);
        QList<float> w;
        double total = 0;
        for (int j = first; j <= last; ++j) {
            const double overlap = qMin(double(j + 1), u1) - qMax(double(j), u0);
            w.append(float(qMax(0.0, overlap)));
            total += qMax(0.0, overlap);
        }
        if (total <= 0) {
            w = {1.0f};
            total = 1;
        }
        for (float &v : w)
            v = float(v / total);
        taps.first.append(first);
        taps.weights.append(w);
    }
    return taps;
}

} // namespace

PixelArtScaler::AxisHints PixelArtScaler::AxisHints::united(const AxisHints &other) const
{
    Q_ASSERT(other.length() == length());
    AxisHints u = *this;
    for (qsizetype i = 0; i < snap.size(); ++i)
        u.snap[i] = snap[i] || other.snap[i];
    for (qsizetype i = 0; i < line.size(); ++i)
        u.line[i] = line[i] || other.line[i];
    return u;
}

namespace {
QList<QRgb> pixelsOf(const QImage &piece)
{
    const QImage argb = piece.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QList<QRgb> pixels(qsizetype(argb.width()) * argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        std::copy(line, line + argb.width(), pixels.begin() + qsizetype(y) * argb.width());
    }
    return pixels;
}
} // namespace

PixelArtScaler::AxisHints PixelArtScaler::rowHints(const QImage &piece)
{
    const QList<QRgb> pixels = pixelsOf(piece);
    const int w = piece.width();
    return hintsAlong(piece.height(), w,
                      [&pixels, w](int i, int j) { return pixels[qsizetype(i) * w + j]; });
}

PixelArtScaler::AxisHints PixelArtScaler::columnHints(const QImage &piece)
{
    const QList<QRgb> pixels = pixelsOf(piece);
    const int w = piece.width();
    return hintsAlong(w, piece.height(),
                      [&pixels, w](int i, int j) { return pixels[qsizetype(j) * w + i]; });
}

int PixelArtScaler::lineWidth(qreal ratio)
{
    // Half a pixel rounds down: a frame line at 1.5 is one device pixel
    // like the window manager's, not two.
    return qMax(1, qCeil(ratio - 0.5));
}

QList<double> PixelArtScaler::deviceEdges(const AxisHints &hints, int deviceLength, qreal ratio)
{
    const int n = hints.length();
    QList<double> edges(n + 1, -1.0);
    if (n == 0)
        return {0.0};
    edges[0] = 0;
    edges[n] = deviceLength;
    const double scale = double(deviceLength) / n;
    if (scale >= 1.0) {
        const qreal nominal = ratio > 0 ? ratio : scale;
        const int width = lineWidth(nominal);
        // Just above a whole scale (1.1, or 1.04 for a 100 dpi screen) an
        // average over each device pixel would blur every pixel of the
        // picture for the sake of one doubled pixel in ten or more: there
        // every pixel keeps whole device pixels, and the few doubled ones
        // fall towards the middle. Just below a whole scale likewise.
        const qreal fraction = nominal - std::floor(nominal);
        const bool everyPixel = fraction <= 0.1 || fraction >= 0.9;
        // From one end towards the middle; `j` counts picture pixels from
        // that end, so both ends are placed by the same rule and a mirrored
        // piece gets mirrored edges.
        auto placeFrom = [&](bool trailing) {
            int last = 0;
            int lastDevice = 0;
            for (int j = 1; 2 * j < n; ++j) {
                const int k = trailing ? n - j : j;
                if (!hints.snap[k] && !everyPixel)
                    continue;
                const int between = trailing ? k : k - 1; // the pixel on the end's side
                const int beyond = trailing ? k - 1 : k;  // the pixel on the middle's side
                int device = qRound(j * scale);
                if (j - last == 1 && hints.line[between]) {
                    device = lastDevice + width;
                } else if (hints.line[beyond]) {
                    // A line keeps its centre where the scale puts it, so
                    // that a line rounded thinner or thicker does not move
                    // what lies beyond it.
                    device = qRound((j + 0.5) * scale - width / 2.0);
                }
                device = qMax(device, lastDevice + (j - last));
                edges[k] = trailing ? deviceLength - device : device;
                last = j;
                lastDevice = device;
            }
        };
        placeFrom(false);
        placeFrom(true);
        // The middle boundary of an even piece lies on the grid only when
        // the device length is even too.
        if (n % 2 == 0 && (hints.snap[n / 2] || everyPixel) && deviceLength % 2 == 0)
            edges[n / 2] = deviceLength / 2;
    }
    // Where the two ends crowd each other, the later edge gives way.
    double previous = 0;
    for (int k = 1; k < n; ++k) {
        if (edges[k] < 0)
            continue;
        if (edges[k] <= previous || edges[k] >= deviceLength)
            edges[k] = -1;
        else
            previous = edges[k];
    }
    // The rest evenly between the placed ones.
    int a = 0;
    for (int b = 1; b <= n; ++b) {
        if (edges[b] < 0)
            continue;
        for (int k = a + 1; k < b; ++k)
            edges[k] = edges[a] + (edges[b] - edges[a]) * (k - a) / (b - a);
        a = b;
    }
    return edges;
}

QImage PixelArtScaler::edgeDirected2x(const QImage &image, qreal strength)
{
    const int amount = qBound(0, qRound(strength * 256), 256);
    Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    QImage out(w * 2, h * 2, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return out;
    // The pixels and their weighted luma and chroma, once each; positions
    // past the edge repeat the edge.
    QList<QRgb> pixels(qsizetype(w) * h);
    QList<Yuv> yuv(pixels.size());
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            pixels[qsizetype(y) * w + x] = line[x];
            yuv[qsizetype(y) * w + x] = toYuv(line[x]);
        }
    }
    constexpr int Reach = 2;
    QList<int> columns(w + 2 * Reach), rows(h + 2 * Reach);
    for (int x = -Reach; x < w + Reach; ++x)
        columns[x + Reach] = qBound(0, x, w - 1);
    for (int y = -Reach; y < h + Reach; ++y)
        rows[y + Reach] = qBound(0, y, h - 1) * w;
    const QRgb *const px = pixels.constData();
    const Yuv *const lumaChroma = yuv.constData();
    const int *const column = columns.constData() + Reach;
    const int *const row = rows.constData() + Reach;
    for (int y = 0; y < h; ++y) {
        QRgb *outLines[2] = {reinterpret_cast<QRgb *>(out.scanLine(2 * y)),
                             reinterpret_cast<QRgb *>(out.scanLine(2 * y + 1))};
        for (int x = 0; x < w; ++x) {
            // Each quarter of pixel E, towards its corner neighbour I, with
            // the neighbourhood mirrored so that I is down and right:
            //        A  B  C
            //        D  E  F  F4
            //        G  H  I  I4
            //           H5 I5
            for (int sy : {-1, 1}) {
                for (int sx : {-1, 1}) {
                    auto at = [&](int dx, int dy) {
                        return row[y + sy * dy] + column[x + sx * dx];
                    };
                    const int e = at(0, 0), f = at(1, 0), hh = at(0, 1), i = at(1, 1);
                    auto d = [lumaChroma](int a, int b) {
                        return distance(lumaChroma[a], lumaChroma[b]);
                    };
                    const float toF = d(e, f), toH = d(e, hh);
                    QRgb result = px[e];
                    if (toF >= AlikeDistance && toH >= AlikeDistance) {
                        // Differences along the F-H diagonal against those
                        // across it: an edge runs along F-H when the first
                        // are smaller, and E's corner lies beyond it.
                        const float along = d(e, at(1, -1)) + d(e, at(-1, 1)) + d(i, at(2, 0)) +
                                            d(i, at(0, 2)) + 4.0f * d(hh, f);
                        const float across = d(hh, at(-1, 0)) + d(hh, at(1, 2)) + d(f, at(2, 1)) +
                                             d(f, at(0, -1)) + 4.0f * d(e, i);
                        if (along < across) {
                            const QRgb side = toF < toH   ? px[f]
                                              : toH < toF ? px[hh]
                                                          : average(px[f], px[hh]);
                            result = towards(px[e], side, amount);
                        }
                    }
                    outLines[sy > 0][2 * x + (sx > 0)] = result;
                }
            }
        }
    }
    return out;
}

QImage PixelArtScaler::scale(const QImage &piece, const QSize &deviceSize, const AxisHints &columns,
                             const AxisHints &rows, qreal ratio)
{
    Q_ASSERT(piece.format() == QImage::Format_ARGB32_Premultiplied);
    Q_ASSERT(columns.length() == piece.width() && rows.length() == piece.height());
    if (piece.isNull() || deviceSize.isEmpty())
        return QImage();
    if (piece.size() == deviceSize)
        return piece;
    // A piece of a hostile picture can be thousands of pixels wide; past a
    // budget it is only area-averaged, never enlarged.
    constexpr qint64 EnlargedPixelBudget = qint64(1) << 22;
    const bool enlarge =
        (deviceSize.width() > piece.width() || deviceSize.height() > piece.height()) &&
        qint64(piece.width()) * piece.height() * Enlargement * Enlargement <= EnlargedPixelBudget;
    const int factor = enlarge ? Enlargement : 1;
    // Part way only: the picture is anti-aliased already, and a full
    // quarter swells a thin diagonal stroke where two cross (the close
    // glyph's centre turns into a blot). The stairs it smooths grow with the
    // scale, the swelling shows most at small scales: a quarter of the way
    // up to 1.5, half of it from 2.
    const qreal scale = ratio > 0 ? ratio
                                  : qMax(qreal(deviceSize.width()) / piece.width(),
                                         qreal(deviceSize.height()) / piece.height());
    const qreal strength = qBound(0.25, (scale - 1.0) / 2.0, 0.5);
    QImage source = piece;
    for (int f = 1; f < factor; f *= 2)
        source = edgeDirected2x(source, strength);

    const Taps across =
        tapsFor(deviceEdges(columns, deviceSize.width(), ratio), factor, source.width());
    const Taps down =
        tapsFor(deviceEdges(rows, deviceSize.height(), ratio), factor, source.height());

    // Columns first, into premultiplied floats, then rows.
    const int dw = deviceSize.width(), dh = deviceSize.height(), sh = source.height();
    QList<float> narrow(qsizetype(dw) * sh * 4, 0.0f);
    for (int y = 0; y < sh; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        float *out = narrow.data() + qsizetype(y) * dw * 4;
        for (int x = 0; x < dw; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            const QList<float> &w = across.weights[x];
            const QRgb *from = line + across.first[x];
            for (qsizetype t = 0; t < w.size(); ++t) {
                r += w[t] * float(qRed(from[t]));
                g += w[t] * float(qGreen(from[t]));
                b += w[t] * float(qBlue(from[t]));
                a += w[t] * float(qAlpha(from[t]));
            }
            out[4 * x] = r;
            out[4 * x + 1] = g;
            out[4 * x + 2] = b;
            out[4 * x + 3] = a;
        }
    }
    QImage result(deviceSize, QImage::Format_ARGB32_Premultiplied);
    auto channel = [](float v) { return qBound(0, int(v + 0.5f), 255); };
    for (int y = 0; y < dh; ++y) {
        QRgb *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        const QList<float> &w = down.weights[y];
        for (int x = 0; x < dw; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (qsizetype t = 0; t < w.size(); ++t) {
                const float *in = narrow.constData() + (qsizetype(down.first[y] + t) * dw + x) * 4;
                r += w[t] * in[0];
                g += w[t] * in[1];
                b += w[t] * in[2];
                a += w[t] * in[3];
            }
            const int alpha = channel(a);
            out[x] = qRgba(qMin(channel(r), alpha), qMin(channel(g), alpha),
                           qMin(channel(b), alpha), alpha);
        }
    }
    return result;
}

} // namespace tavrelctl
