#pragma once

#include "SkinLayout.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include <optional>

#include <utility>

namespace tavrelctl {

// The pieces of a skin picture in one colour scheme: the picture with its
// palette remapped, cut into the pieces the layout names, and each piece
// scaled once to every device-pixel size a window asks for. Built once per
// picture and scheme (SkinPicture owns them) and shared by every skinned
// window; a frame is painted by blitting these pixmaps only.
class SkinTheme
{
public:
    SkinTheme(const QImage &picture, const SkinLayout &layout, int scheme);

    int scheme() const { return m_scheme; }
    const SkinLayout &layout() const { return m_layout; }
    // The picture in this scheme's colours (32-bit, the transparency key
    // made transparent).
    const QImage &image() const { return m_image; }
    QColor swatch(SkinLayout::Swatch swatch) const;
    // The palette the skin gives a window's controls in this scheme, from
    // the swatches; built on first use.
    const QPalette &controlPalette() const;

    // The caption band rows a caption of `height` pixels draws from.
    QRect captionSource(SkinLayout::Look look, SkinLayout::BandPart part, int height) const;

    // `source` (a rectangle of the picture) scaled to exactly `deviceSize`
    // device pixels by repeating whole pixels, so that one-pixel lines stay
    // one or more whole device pixels and never blur. Cached.
    QPixmap devicePiece(const QRect &source, const QSize &deviceSize) const;

    // How many themes this process has built (each costs one palette pass
    // and one conversion of the picture).
    static int buildCount();

private:
    const int m_scheme;
    const SkinLayout m_layout;
    QImage m_image;
    mutable QHash<std::pair<quint64, quint64>, QPixmap> m_pieces;
    mutable std::optional<QPalette> m_palette;
};

} // namespace tavrelctl
