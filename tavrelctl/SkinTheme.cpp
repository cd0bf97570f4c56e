#include "SkinTheme.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

#include "PixelArtScaler.h"
#include "SkinRegistry.h"
#include "SkinScheme.h"

namespace tavrelctl {

namespace {
quint64 packRect(const QRect &r)
{
    return (quint64(quint16(r.x())) << 48) | (quint64(quint16(r.y())) << 32) |
           (quint64(quint16(r.width())) << 16) | quint64(quint16(r.height()));
}
} // namespace

SkinTheme::SkinTheme(const QImage &picture, const SkinLayout &layout, int scheme)
    : m_scheme(scheme), m_layout(layout),
      m_nearest(qEnvironmentVariable("TAVREL_SKIN_SCALER") == QLatin1String("nearest"))
{
    SkinRegistry::instance().countTheme();
    QImage recoloured = picture;
    QList<QRgb> table = SkinScheme::remapTable(picture.colorTable(), scheme);
    const QRect key = layout.swatchCell(SkinLayout::TransparentSwatch);
    const int keyIndex = picture.pixelIndex(key.topLeft());
    if (keyIndex >= 0 && keyIndex < table.size())
        table[keyIndex] = qRgba(0, 0, 0, 0);
    recoloured.setColorTable(table);
    m_image = recoloured.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int SkinTheme::buildCount()
{
    return SkinRegistry::instance().themesBuilt();
}

int SkinTheme::pieceBuildCount()
{
    return SkinRegistry::instance().piecesBuilt();
}

QColor SkinTheme::swatch(SkinLayout::Swatch swatch) const
{
    const QRect cell = m_layout.swatchCell(swatch);
    if (swatch == SkinLayout::TransparentSwatch || cell.isEmpty())
        return QColor(Qt::transparent);
    return QColor::fromRgba(m_image.pixel(cell.center()));
}

qreal SkinTheme::contrastRatio(const QColor &a, const QColor &b)
{
    // Relative luminance of sRGB colours, and the ratio of the lighter one's
    // to the darker one's, each plus the 0.05 of ambient light.
    auto luminance = [](const QColor &c) {
        auto channel = [](qreal v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const qreal la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

SkinTheme::CaptionText SkinTheme::captionText(SkinLayout::Look look, int captionHeight) const
{
    const int key = captionHeight * 2 + int(look);
    auto it = m_captionText.constFind(key);
    if (it != m_captionText.constEnd())
        return *it;
    // Every opaque pixel of the band that the text box can cover, from the
    // text's start in either end cell on.
    const int top = m_layout.marker(SkinLayout::TextTop);
    const int bottom = qMin(captionHeight, top + m_layout.glyphSize().height());
    const int inset = m_layout.marker(SkinLayout::TextLeft);
    QList<QColor> behind;
    for (SkinLayout::BandPart part :
         {SkinLayout::LeftEnd, SkinLayout::Middle, SkinLayout::RightEnd}) {
        const QRect cell = captionSource(look, part, captionHeight);
        const int left = part == SkinLayout::LeftEnd ? cell.left() + inset : cell.left();
        const int right = part == SkinLayout::RightEnd ? cell.right() - inset : cell.right();
        for (int y = cell.top() + top; y < cell.top() + bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                const QRgb c = m_image.pixel(x, y);
                if (qAlpha(c) == 255)
                    behind.append(QColor::fromRgb(c));
            }
        }
    }
    CaptionText text;
    text.ink = swatch(look == SkinLayout::Active ? SkinLayout::ActiveCaptionTextSwatch
                                                 : SkinLayout::InactiveCaptionTextSwatch);
    qreal least = 21;
    for (const QColor &c : std::as_const(behind))
        least = qMin(least, contrastRatio(text.ink, c));
    // The scheme's caption text colour stays; where some of the band behind
    // it is too close to it (a light title on the light top rows), the
    // glyphs get a halo that is not: the window text colour, or black or
    // white, whichever stands out most.
    if (least < MinimumTextContrast) {
        qreal best = 0;
        for (const QColor &candidate :
             {swatch(SkinLayout::WindowTextSwatch), QColor(Qt::black), QColor(Qt::white)}) {
            const qreal ratio = contrastRatio(text.ink, candidate);
            if (ratio > best) {
                best = ratio;
                text.halo = candidate;
            }
        }
    }
    m_captionText.insert(key, text);
    return text;
}

QRect SkinTheme::captionSource(SkinLayout::Look look, SkinLayout::BandPart part, int height) const
{
    const bool tall = height > m_layout.shortBandHeight();
    QRect cell = m_layout.captionCell(tall, look, part);
    cell.setHeight(qMin(height, cell.height()));
    return cell;
}

QPixmap SkinTheme::devicePiece(const QRect &source, const QSize &deviceSize, qreal ratio) const
{
    if (source.isEmpty() || deviceSize.isEmpty())
        return QPixmap();
    const quint64 ratioKey = ratio > 0 ? quint64(qRound(ratio * 1024)) & 0xffff : 0;
    const std::pair<quint64, quint64> key{
        packRect(source), (ratioKey << 48) | (quint64(quint16(deviceSize.width())) << 24) |
                              quint64(quint16(deviceSize.height()))};
    auto it = m_pieces.constFind(key);
    if (it != m_pieces.constEnd())
        return *it;
    SkinRegistry::instance().countPiece();
    QImage piece = m_image.copy(source);
    if (piece.size() != deviceSize && m_nearest) {
        piece = piece.scaled(deviceSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    } else if (piece.size() != deviceSize) {
        PixelArtScaler::AxisHints rows = PixelArtScaler::rowHints(piece);
        for (const QRect &neighbour : rowNeighbours(source))
            rows = rows.united(PixelArtScaler::rowHints(m_image.copy(neighbour)));
        piece = PixelArtScaler::scale(piece, deviceSize, PixelArtScaler::columnHints(piece), rows,
                                      ratio);
    }
    const QPixmap pixmap = QPixmap::fromImage(piece);
    m_pieces.insert(key, pixmap);
    return pixmap;
}

QPixmap SkinTheme::greyPiece(const QRect &source, const QSize &deviceSize, qreal ratio) const
{
    const QPixmap coloured = devicePiece(source, deviceSize, ratio);
    if (coloured.isNull())
        return coloured;
    const qint64 key = coloured.cacheKey();
    auto it = m_greyPieces.constFind(key);
    if (it != m_greyPieces.constEnd())
        return *it;
    // Each pixel keeps its luminance, so every contrast within the piece
    // stays what it was in colour.
    QImage image = coloured.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(line[x]);
            const qreal l = qMax(0.0, contrastRatio(c, Qt::black) * 0.05 - 0.05);
            const qreal v = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            const int g = qBound(0, qRound(v * 255), 255);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    const QPixmap grey = QPixmap::fromImage(image);
    m_greyPieces.insert(key, grey);
    return grey;
}

QList<QRect> SkinTheme::rowNeighbours(const QRect &source) const
{
    QList<QRect> cells;
    for (bool tall : {true, false}) {
        for (SkinLayout::Look look : {SkinLayout::Active, SkinLayout::Inactive}) {
            for (SkinLayout::BandPart part :
                 {SkinLayout::LeftEnd, SkinLayout::Middle, SkinLayout::RightEnd})
                cells.append(m_layout.captionCell(tall, look, part));
            if (std::any_of(cells.cbegin(), cells.cend(),
                            [&](const QRect &c) { return c.contains(source); }))
                break;
            cells.clear();
        }
        if (!cells.isEmpty())
            break;
    }
    if (cells.isEmpty()) {
        for (int look = 0; look < 2 && cells.isEmpty(); ++look) {
            for (int t = 0; t < SkinLayout::TilesPerLook; ++t)
                cells.append(m_layout.frameTile(look * SkinLayout::TilesPerLook + t));
            if (std::none_of(cells.cbegin(), cells.cend(),
                             [&](const QRect &c) { return c.contains(source); }))
                cells.clear();
        }
    }
    QList<QRect> rows;
    for (const QRect &cell : cells) {
        if (!cell.contains(source))
            rows.append(QRect(cell.left(), source.top(), cell.width(), source.height()));
    }
    return rows;
}

const QPalette &SkinTheme::controlPalette() const
{
    if (m_palette)
        return *m_palette;
    auto c = [this](SkinLayout::Swatch s) { return swatch(s); };
    QPalette palette;
    const QColor button = c(SkinLayout::ButtonSwatch);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        // Backgrounds in every group, so disabled controls sit on the skin's
        // face; the disabled text colours stay the platform's.
        palette.setColor(group, QPalette::Window, c(SkinLayout::WindowSwatch));
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::Base, c(SkinLayout::BaseSwatch));
        palette.setColor(group, QPalette::AlternateBase, c(SkinLayout::AlternateBaseSwatch));
        palette.setColor(group, QPalette::Light, button.lighter(150));
        palette.setColor(group, QPalette::Midlight, button.lighter(115));
        palette.setColor(group, QPalette::Mid, button.darker(150));
        palette.setColor(group, QPalette::Dark, button.darker(200));
        if (group == QPalette::Disabled)
            continue;
        palette.setColor(group, QPalette::WindowText, c(SkinLayout::WindowTextSwatch));
        palette.setColor(group, QPalette::ButtonText, c(SkinLayout::ButtonTextSwatch));
        palette.setColor(group, QPalette::Text, c(SkinLayout::TextSwatch));
        palette.setColor(group, QPalette::Highlight, c(SkinLayout::HighlightSwatch));
        palette.setColor(group, QPalette::HighlightedText, c(SkinLayout::HighlightedTextSwatch));
        palette.setColor(group, QPalette::Link, c(SkinLayout::LinkSwatch));
        palette.setColor(group, QPalette::LinkVisited, c(SkinLayout::LinkVisitedSwatch));
        palette.setColor(group, QPalette::ToolTipText, c(SkinLayout::ToolTipTextSwatch));
    }
    m_palette = palette;
    return *m_palette;
}

} // namespace tavrelctl
