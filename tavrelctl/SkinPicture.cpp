#include "SkinPicture.h"

#include "SkinScheme.h"

#include <PictureStream.h>

#include <QHash>

namespace tavrelctl {

using host::Status;

SkinPicture::SkinPicture(const QImage &image, const SkinLayout &layout)
    : m_image(image), m_layout(layout)
{
}

// The application hands every window the same picture, which thus stays
// decoded for the life of the process. A process that loads many pictures (a
// skin editor, the fuzzer) would keep each one for ever: once a few are
// cached, those no instance uses any more are dropped.
static void dropUnused(QHash<QByteArray, std::shared_ptr<const SkinPicture>> *cache)
{
    constexpr qsizetype KeptPictures = 4;
    if (cache->size() < KeptPictures)
        return;
    for (auto it = cache->begin(); it != cache->end();) {
        if (it.value().use_count() == 1)
            it = cache->erase(it);
        else
            ++it;
    }
}

Status SkinPicture::fromStored(const QByteArray &stored,
                               std::shared_ptr<const SkinPicture> *picture)
{
    Q_ASSERT(picture);
    // Single GUI thread: the cache needs no lock.
    static QHash<QByteArray, std::shared_ptr<const SkinPicture>> cache;
    if (auto it = cache.constFind(stored); it != cache.constEnd()) {
        *picture = *it;
        return Status::ok();
    }
    QByteArray file;
    Status status = host::PictureStream::decodeStored(stored, &file);
    if (!status)
        return status;
    QImage image;
    status = host::PictureStream::decodeBitmap(file, &image);
    if (!status)
        return status;
    std::shared_ptr<const SkinPicture> decoded;
    status = fromImage(image, &decoded);
    if (!status)
        return status;
    dropUnused(&cache);
    cache.insert(stored, decoded);
    *picture = decoded;
    return Status::ok();
}

Status SkinPicture::fromImage(const QImage &image, std::shared_ptr<const SkinPicture> *picture)
{
    Q_ASSERT(picture);
    SkinLayout layout;
    const Status status = SkinLayout::read(image, &layout);
    if (!status)
        return status;
    picture->reset(new SkinPicture(image, layout));
    return Status::ok();
}

const SkinTheme &SkinPicture::theme(int scheme) const
{
    Q_ASSERT(SkinScheme::isValid(scheme));
    std::unique_ptr<SkinTheme> &slot = m_themes[scheme - SkinScheme::First];
    if (!slot)
        slot = std::make_unique<SkinTheme>(m_image, m_layout, scheme);
    return *slot;
}

} // namespace tavrelctl
