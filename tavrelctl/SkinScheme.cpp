#include "SkinScheme.h"

#include <QColor>

namespace tavrelctl {

QString SkinScheme::name(int id)
{
    switch (id) {
    case LightBlue:
        return QStringLiteral("Light Blue");
    case DarkBlue:
        return QStringLiteral("Dark Blue");
    case Green:
        return QStringLiteral("Green");
    }
    return QString();
}

QRgb SkinScheme::remap(QRgb rgb, int id)
{
    if (id == LightBlue)
        return rgb;
    const QColor in = QColor::fromRgba(rgb);
    float h = 0, s = 0, v = 0, a = 0;
    in.getHsvF(&h, &s, &v, &a);
    const float hue = h * 360.0f; // -360 for achromatic colours
    // Blues carry the skin's accent; the reds of the close button and the
    // transparency key stay as they are in every scheme.
    const bool accent = s >= 0.12f && hue >= 180.0f && hue <= 285.0f;
    // Near-white glyph strokes and black stay neutral so glyphs keep contrast.
    const bool neutral = s < 0.12f && v > 0.12f && v < 0.985f;

    QColor out = in;
    if (id == DarkBlue) {
        if (accent)
            out = QColor::fromHsvF(h, qMin(1.0f, s * 1.45f + 0.08f), v * 0.58f, a);
        else if (neutral)
            out = QColor::fromHsvF(215.0f / 360.0f, 0.10f, qMin(1.0f, v * 0.94f), a);
    } else if (id == Green) {
        if (accent) {
            const float shifted = hue - 95.0f;
            out = QColor::fromHsvF(shifted / 360.0f, qMin(1.0f, s * 1.15f), v * 0.86f, a);
        } else if (neutral) {
            out = QColor::fromHsvF(95.0f / 360.0f, 0.09f, v, a);
        }
    }
    return out.rgba();
}

QList<QRgb> SkinScheme::remapTable(const QList<QRgb> &table, int id)
{
    QList<QRgb> out;
    out.reserve(table.size());
    for (QRgb rgb : table)
        out.append(remap(rgb, id));
    return out;
}

} // namespace tavrelctl
