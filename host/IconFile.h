#pragma once

#include "Status.h"

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QList>

namespace tavrel::host {

// Decodes an icon file (a directory of bitmap images, each with a colour part
// and a 1-bit transparency mask) such as the one a window stores as its
// picture stream. The whole structure is checked before any pixel is read:
// header, directory entries, each image's byte range, its information header
// and its sizes. Images of 1, 4, 8 and 32 bits per pixel, uncompressed.
// Every failure is StatusCode::InvalidPicture with a message naming the fault.
Status decodeIcon(const QByteArray &file, QList<QImage> *images);

// The images of an icon file as one QIcon, one pixmap per image.
Status iconFromFile(const QByteArray &file, QIcon *icon);

} // namespace tavrel::host
