#include "SkinProperties.h"

#include "SkinContract.h"

#include <PictureStream.h>

#include <QFile>

namespace skin {

QByteArray skinPictureFile()
{
    static const QByteArray file = [] {
        QFile f(QStringLiteral(":/skin/tavrelskin.bmp"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    return file;
}

QByteArray storedSkinPicture()
{
    static const QByteArray stored = tavrel::host::PictureStream::encodeStored(skinPictureFile());
    return stored;
}

tavrel::host::PropertyBag storedProperties()
{
    tavrel::host::PropertyBag bag;
    bag.write(Property::extentX(), tavrel::host::Variant::fromI4(StoredExtentX));
    bag.write(Property::extentY(), tavrel::host::Variant::fromI4(StoredExtentY));
    bag.write(Property::skinPicture(), tavrel::host::Variant::fromBlob(storedSkinPicture()));
    return bag;
}

} // namespace skin
