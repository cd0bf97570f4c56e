#pragma once

#include "HostExport.h"
#include "Status.h"

#include <QByteArray>
#include <QImage>

namespace tavrel::host {

// The stored form of a standard picture object: the picture class id (16
// bytes, in stored byte order) followed by the picture stream, which is the
// signature "lt\0\0", a 32-bit little-endian byte count and the image file.
// Every function here treats its input as untrusted.
namespace PictureStream {

// {0BE35204-8F91-11CE-9DE3-00AA004BB851} as it is stored.
TAVREL_HOST_EXPORT QByteArray standardPictureClassId();

// "lt\0\0" + count + file
TAVREL_HOST_EXPORT QByteArray encodeStream(const QByteArray &file);
// class id + stream
TAVREL_HOST_EXPORT QByteArray encodeStored(const QByteArray &file);

// Checks the framing and hands back the image file it carries. The byte
// count must agree with the bytes that follow it exactly.
TAVREL_HOST_EXPORT Status decodeStream(const QByteArray &stream, QByteArray *file);
TAVREL_HOST_EXPORT Status decodeStored(const QByteArray &stored, QByteArray *file);

// Validates an uncompressed 8-bit bitmap file (file and information header,
// palette, row sizes) before decoding it; the image keeps its palette
// (QImage::Format_Indexed8).
TAVREL_HOST_EXPORT Status decodeBitmap(const QByteArray &file, QImage *image);

// decodeStored followed by decodeBitmap: the stored property as an image.
TAVREL_HOST_EXPORT Status decodeStoredBitmap(const QByteArray &stored, QImage *image);

// Sizes the framing uses.
constexpr int kClassIdSize = 16;
constexpr int kStreamHeaderSize = 8; // "lt\0\0" + byte count
// Largest width or height decodeBitmap accepts.
constexpr qint32 kMaxBitmapSide = 4096;

} // namespace PictureStream
} // namespace tavrel::host
