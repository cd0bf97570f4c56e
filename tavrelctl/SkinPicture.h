#pragma once

#include "SkinLayout.h"
#include "SkinTheme.h"

#include <QByteArray>
#include <QImage>

#include <array>
#include <memory>

namespace tavrelctl {

// A decoded skin picture with its layout and, built on first use, its pieces
// in each colour scheme. Pictures are shared: every window whose stored
// picture has the same bytes gets the same object, kept by SkinRegistry
// while no more than a few distinct pictures were ever loaded, so a second
// window costs no decoding and no theme building.
class SkinPicture
{
public:
    // Decodes the stored property value (picture class id + picture stream
    // + bitmap file) and reads its layout; fails naming the fault.
    static tavrel::host::Status fromStored(const QByteArray &stored,
                                   std::shared_ptr<const SkinPicture> *picture);
    // An already decoded 8-bit picture (not shared).
    static tavrel::host::Status fromImage(const QImage &image, std::shared_ptr<const SkinPicture> *picture);

    const QImage &image() const { return m_image; }
    const SkinLayout &layout() const { return m_layout; }
    // The pieces in scheme `scheme` (1..3), built on first request.
    const SkinTheme &theme(int scheme) const;

private:
    SkinPicture(const QImage &image, const SkinLayout &layout);

    const QImage m_image;
    const SkinLayout m_layout;
    mutable std::array<std::unique_ptr<SkinTheme>, 3> m_themes;
};

} // namespace tavrelctl
