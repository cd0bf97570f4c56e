#pragma once

#include "PixelCanvas.h"

#include <QByteArray>
#include <QList>

// Writes palette-indexed canvases in the icon file format: a directory and,
// per image, an information header, the palette, the colour rows bottom-up
// and the 1-bit transparency mask. Also writes the same images the way a
// Windows resource script links them in: one raw image per id plus a group
// directory that refers to the images by id.
namespace IconWriter {

enum class EntryStyle {
    // Planes and bit count left 0 in the file's directory entries.
    Unspecified,
    // Planes 1 and the image's bit count in the directory entries.
    Explicit,
};

QByteArray imageData(const PixelCanvas &canvas);
QByteArray iconFile(const QList<PixelCanvas> &images, EntryStyle style);
QByteArray groupDirectory(const QList<PixelCanvas> &images, const QList<quint16> &ids);

} // namespace IconWriter
