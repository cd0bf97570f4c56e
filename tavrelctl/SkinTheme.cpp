#include "SkinTheme.h"

#include "SkinScheme.h"

namespace tavrelctl {

namespace {
int s_buildCount = 0;

quint64 packRect(const QRect &r)
{
    return (quint64(quint16(r.x())) << 48) | (quint64(quint16(r.y())) << 32) |
           (quint64(quint16(r.width())) << 16) | quint64(quint16(r.height()));
}
} // namespace

SkinTheme::SkinTheme(const QImage &picture, const SkinLayout &layout, int scheme)
    : m_scheme(scheme), m_layout(layout)
{
    ++s_buildCount;
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
    return s_buildCount;
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

QPixmap SkinTheme::devicePiece(const QRect &source, const QSize &deviceSize) const
{
    if (source.isEmpty() || deviceSize.isEmpty())
        return QPixmap();
    const std::pair<quint64, quint64> key{packRect(source), (quint64(deviceSize.width()) << 32) |
                                                                quint64(deviceSize.height())};
    auto it = m_pieces.constFind(key);
    if (it != m_pieces.constEnd())
        return *it;
    QImage piece = m_image.copy(source);
    if (piece.size() != deviceSize)
        piece = piece.scaled(deviceSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QPixmap pixmap = QPixmap::fromImage(piece);
    m_pieces.insert(key, pixmap);
    return pixmap;
}

} // namespace tavrelctl
