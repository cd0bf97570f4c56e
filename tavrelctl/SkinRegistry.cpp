#include "SkinRegistry.h"

#include "KeyboardMoveSize.h"
#include "SkinFrame.h"
#include "SkinPicture.h"
#include "SkinScheme.h"

#include <QCoreApplication>

namespace tavrelctl {

SkinRegistry::SkinRegistry() : m_scheme(SkinScheme::Initial) {}

SkinRegistry::~SkinRegistry()
{
    // The factories are this library's code, and a fresh registry
    // installs them again.
    for (QAccessible::InterfaceFactory factory : std::as_const(m_accessibleFactories))
        QAccessible::removeFactory(factory);
}

SkinRegistry &SkinRegistry::create()
{
    s_instance = new SkinRegistry;
    // Without an application object (a tool decoding pictures) it lives
    // until the process ends.
    qAddPostRoutine(&SkinRegistry::destroy);
    return *s_instance;
}

void SkinRegistry::destroy()
{
    delete s_instance;
    s_instance = nullptr;
}

void SkinRegistry::setScheme(int scheme)
{
    Q_ASSERT(SkinScheme::isValid(scheme));
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    // A frame may remove its skin or close its window in what it calls: a
    // copy of the list.
    const QList<SkinFrame *> frames = m_frames;
    for (SkinFrame *frame : frames) {
        if (m_frames.contains(frame))
            frame->onSchemeChanged();
    }
}

void SkinRegistry::addFrame(SkinFrame *frame)
{
    instance().m_frames.append(frame);
}

void SkinRegistry::removeFrame(SkinFrame *frame)
{
    // The registry may be gone already (a frame outliving the application).
    if (!s_instance)
        return;
    s_instance->m_frames.removeAll(frame);
    if (s_instance->m_frames.isEmpty())
        s_instance->m_scheme = SkinScheme::Initial;
}

std::shared_ptr<const SkinPicture> SkinRegistry::picture(const QByteArray &stored) const
{
    return m_pictures.value(stored);
}

void SkinRegistry::keepPicture(const QByteArray &stored, std::shared_ptr<const SkinPicture> picture)
{
    constexpr qsizetype KeptPictures = 4;
    if (m_pictures.size() >= KeptPictures) {
        for (auto it = m_pictures.begin(); it != m_pictures.end();) {
            if (it.value().use_count() == 1)
                it = m_pictures.erase(it);
            else
                ++it;
        }
    }
    m_pictures.insert(stored, std::move(picture));
}

void SkinRegistry::installAccessibleFactory(QAccessible::InterfaceFactory factory)
{
    if (m_accessibleFactories.contains(factory))
        return;
    m_accessibleFactories.append(factory);
    QAccessible::installFactory(factory);
}

KeyboardMoveSize *SkinRegistry::keyboardMoveSize() const
{
    return m_keyboardMoveSize;
}

void SkinRegistry::setKeyboardMoveSize(KeyboardMoveSize *session)
{
    m_keyboardMoveSize = session;
}

} // namespace tavrelctl
