#pragma once

#include <FormProvider.h>

#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

namespace e2e {

// How a window looks skinned, built in this process with the real skin
// component on the offscreen platform: its size, where its controls and the
// skin's own parts lie inside it, and its pixels while active. The window
// the real application shows under X must match it; the end-to-end tests use
// it to know where to click and which pixels to look at.
class SkinnedReference
{
public:
    // Loads, shows and unloads the window; on failure says why.
    static SkinnedReference build(forms::FormKind kind, QString *error);

    QSize size() const { return m_size; }
    // Rectangle of the named child (a control or a "tavrelskin_..." part) in
    // window coordinates; null when the window has no such child.
    QRect rect(const QString &name) const { return m_rects.value(name); }
    QImage image() const { return m_image; }

private:
    QSize m_size;
    QHash<QString, QRect> m_rects;
    QImage m_image;
};

} // namespace e2e
