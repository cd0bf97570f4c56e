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

    // The contrast a reader needs between text and what lies behind it.
    static constexpr qreal MinimumTextContrast = 4.5;
    // The ratio of the lighter colour's luminance to the darker one's (1 to
    // 21), as reading-contrast guidelines measure it.
    static qreal contrastRatio(const QColor &a, const QColor &b);
    // How a caption of `captionHeight` pixels writes its title: in the
    // scheme's caption text colour, with a halo around the glyphs (valid
    // only where needed) wherever that colour stands out less than
    // MinimumTextContrast from part of the band behind the text.
    struct CaptionText
    {
        QColor ink;
        QColor halo;
    };
    CaptionText captionText(SkinLayout::Look look, int captionHeight) const;

    // The caption band rows a caption of `height` pixels draws from.
    QRect captionSource(SkinLayout::Look look, SkinLayout::BandPart part, int height) const;

    // `source` (a rectangle of the picture) scaled to exactly `deviceSize`
    // device pixels for device pixel ratio `ratio` (which sets how wide a
    // one-pixel line gets; 0: from the sizes) by PixelArtScaler: straight
    // lines on whole device pixels, round shapes smooth. Built once per
    // size and ratio and shared by every window, so a new device pixel
    // ratio builds only its own pieces.
    QPixmap devicePiece(const QRect &source, const QSize &deviceSize, qreal ratio = 0) const;

    // devicePiece() in greys of the same luminance.
    QPixmap greyPiece(const QRect &source, const QSize &deviceSize, qreal ratio = 0) const;

    // How many themes this process has built (each costs one palette pass
    // and one conversion of the picture), as SkinRegistry counts them.
    static int buildCount();
    // How many scaled pieces this process has built.
    static int pieceBuildCount();

private:
    // Rows of the picture whose horizontal edges `source` must share with
    // the pieces drawn beside it (the three cells of a caption band, the
    // tiles of a frame look), so that their rows meet at the same device
    // rows.
    QList<QRect> rowNeighbours(const QRect &source) const;

    const int m_scheme;
    const SkinLayout m_layout;
    // TAVREL_SKIN_SCALER=nearest: repeat whole pixels instead (for
    // comparison pictures).
    const bool m_nearest;
    QImage m_image;
    // Keyed by source rectangle, and device size with the ratio in 1/1024.
    mutable QHash<std::pair<quint64, quint64>, QPixmap> m_pieces;
    mutable std::optional<QPalette> m_palette;
    mutable QHash<int, CaptionText> m_captionText;
    mutable QHash<qint64, QPixmap> m_greyPieces;
};

} // namespace tavrelctl
