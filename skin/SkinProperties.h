#pragma once

#include <PropertyBag.h>

#include <QByteArray>

// The stored properties every window hands to its skin component instance:
// the two extents and the skin picture. All windows share the one picture
// resource; the bytes are read once per process.
namespace skin {

// The skin picture's image file (the bitmap), as carried in the resources.
QByteArray skinPictureFile();
// The stored form of the `skinpicture` property: picture class id + stream.
QByteArray storedSkinPicture();
// `_extentx`, `_extenty`, `skinpicture`, in that order.
tavrel::host::PropertyBag storedProperties();

} // namespace skin
