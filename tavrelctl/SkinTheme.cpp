#include "SkinTheme.h"

#include <QPalette>

#include <algorithm>

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
