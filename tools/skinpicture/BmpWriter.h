#pragma once

#include "Quantizer.h"

#include <QByteArray>
#include <QImage>

namespace skinpicture {

// The exact bitmap file of the skin picture: file header, 40-byte information header,
// 256-entry palette, bottom-up rows of 148 bytes (145 indices, 3 zero bytes).
QByteArray writeBmp(const IndexedPicture &picture);

// The picture as an indexed QImage, enlarged `scale` times (nearest pixel).
QImage enlarged(const IndexedPicture &picture, int scale);

} // namespace skinpicture
