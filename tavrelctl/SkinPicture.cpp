#include "SkinPicture.h"

#include "SkinRegistry.h"
#include "SkinScheme.h"

#include <PictureStream.h>

namespace tavrelctl {

using tavrel::host::Status;

SkinPicture::SkinPicture(const QImage &image, const SkinLayout &layout)
    : m_image(image), m_layout(layout)
{
}

Status SkinPicture::fromStored(const QByteArray &stored,
                               std::shared_ptr<const SkinPicture> *picture)
{
    Q_ASSERT(picture);
    // The application hands every window the same picture, which thus
    // stays decoded while the registry keeps it.
    SkinRegistry &registry = SkinRegistry::instance();
    if (std::shared_ptr<const SkinPicture> shared = registry.picture(stored)) {
        *picture = std::move(shared);
        return Status::ok();
    }
    QByteArray file;
    Status status = tavrel::host::PictureStream::decodeStored(stored, &file);
    if (!status)
        return status;
    QImage image;
    status = tavrel::host::PictureStream::decodeBitmap(file, &image);
    if (!status)
        return status;
    std::shared_ptr<const SkinPicture> decoded;
    status = fromImage(image, &decoded);
    if (!status)
        return status;
    registry.keepPicture(stored, decoded);
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
