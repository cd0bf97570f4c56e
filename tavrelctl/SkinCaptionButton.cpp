#include "SkinCaptionButton.h"

#include "SkinCaption.h"
#include "SkinFrame.h"
#include "SkinPainter.h"
#include "SkinTheme.h"

namespace tavrelctl {

SkinCaptionButton::SkinCaptionButton(Role role, const SkinFrame *frame, QWidget *parent)
    : QAbstractButton(parent), m_role(role), m_frame(frame)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    static const char *const names[] = {"tavrelskin_close", "tavrelskin_maximize",
                                        "tavrelskin_minimize"};
    setObjectName(QLatin1String(names[role]));
    updateRole();
}

SkinLayout::Glyph SkinCaptionButton::glyph() const
{
    switch (m_role) {
    case Close:
        return SkinLayout::CloseGlyph;
    case Minimize:
        return SkinLayout::MinimizeGlyph;
    case Maximize:
        break;
    }
    const QWidget *window = m_frame->window();
    return window && window->isMaximized() ? SkinLayout::RestoreGlyph : SkinLayout::MaximizeGlyph;
}

SkinLayout::GlyphState SkinCaptionButton::glyphState() const
{
    if (!isEnabled() || m_frame->look() == SkinLayout::Inactive)
        return SkinLayout::Disabled;
    if (isDown())
        return SkinLayout::Pressed;
    if (underMouse())
        return SkinLayout::Hover;
    return SkinLayout::Normal;
}

void SkinCaptionButton::updateRole()
{
    QString name;
    switch (m_role) {
    case Close:
        name = QStringLiteral("Close");
        break;
    case Minimize:
        name = QStringLiteral("Minimize");
        break;
    case Maximize:
        name = glyph() == SkinLayout::RestoreGlyph ? QStringLiteral("Restore")
                                                   : QStringLiteral("Maximize");
        break;
    }
    if (accessibleName() != name) {
        setAccessibleName(name);
        setToolTip(name);
    }
    update();
}

QSize SkinCaptionButton::sizeHint() const
{
    return m_frame->theme().layout().glyphSize();
}

void SkinCaptionButton::paintEvent(QPaintEvent *)
{
    // Usually drawn by the caption under it, which is repainted with the
    // button (the button is not opaque).
    const SkinCaption *caption = m_frame->caption();
    if (caption && caption->paintsButtonGlyphs())
        return;
    SkinPainter painter(this);
    const SkinTheme &theme = m_frame->theme();
    painter.drawPiece(theme, theme.layout().glyphCell(glyph(), glyphState()), painter.deviceRect());
}

} // namespace tavrelctl
