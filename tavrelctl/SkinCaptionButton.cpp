#include "SkinCaptionButton.h"

#include "SkinCaption.h"
#include "SkinFrame.h"
#include "SkinPainter.h"
#include "SkinTheme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <iterator>

namespace tavrelctl {

static_assert(std::size(CaptionButtons) == SkinCaptionButton::RoleCount,
              "one row of CaptionButtons per role");

void perform(QWidget *window, WindowRequest request)
{
    switch (request) {
    case WindowRequest::Close:
        // The same request the native close box makes.
        window->close();
        break;
    case WindowRequest::ToggleMaximize:
        if (window->isMaximized())
            window->showNormal();
        else
            window->showMaximized();
        break;
    case WindowRequest::Minimize:
        window->showMinimized();
        break;
    }
}

SkinCaptionButton::SkinCaptionButton(Role role, const SkinFrame *frame, QWidget *parent)
    : QAbstractButton(parent), m_role(role), m_frame(frame)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setObjectName(QLatin1String(kind().objectName));
    updateRole();
}

SkinLayout::Glyph SkinCaptionButton::glyph() const
{
    const QWidget *window = m_frame->window();
    return window && window->isMaximized() ? kind().maximizedGlyph : kind().glyph;
}

SkinLayout::GlyphState SkinCaptionButton::glyphState() const
{
    if (!isEnabled())
        return SkinLayout::Disabled;
    // isDown() follows the pointer while the button is held: it is false
    // while the pointer is outside, and the button then looks normal.
    if (isDown())
        return SkinLayout::Pressed;
    if (m_pointerOver)
        return SkinLayout::Hover;
    if (m_frame->look() == SkinLayout::Inactive)
        return SkinLayout::Disabled;
    return SkinLayout::Normal;
}

void SkinCaptionButton::setPointerOver(bool over)
{
    if (m_pointerOver == over)
        return;
    m_pointerOver = over;
    update();
}

bool SkinCaptionButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        setPointerOver(true);
        break;
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::EnabledChange:
        setPointerOver(event->type() == QEvent::EnabledChange && underMouse() && isEnabled());
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void SkinCaptionButton::mouseMoveEvent(QMouseEvent *event)
{
    // While the button is held the window system sends no leave event until
    // the release: the pointer's place says whether it is still over.
    setPointerOver(rect().contains(event->position().toPoint()));
    QAbstractButton::mouseMoveEvent(event);
}

void SkinCaptionButton::updateRole()
{
    const QWidget *window = m_frame->window();
    const QLatin1String name(window && window->isMaximized() ? kind().maximizedName : kind().name);
    // Compared before it is converted: this runs on every caption resize.
    if (accessibleName() != name) {
        setAccessibleName(name);
        setToolTip(name);
    }
    update();
}

void SkinCaptionButton::setGlyphRect(const QRect &rect)
{
    if (m_glyphRect == rect)
        return;
    m_glyphRect = rect;
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
    paintGlyph(painter, painter.deviceRect(glyphRect()));
}

void SkinCaptionButton::paintGlyph(SkinPainter &painter, const QRect &target) const
{
    const SkinTheme &theme = m_frame->theme();
    const SkinLayout &layout = theme.layout();
    const SkinLayout::GlyphState state = glyphState();
    // The disc of a glyph cell; the cell's corners show the caption.
    const QRectF disc = QRectF(target).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isEnabled() && m_frame->look() == SkinLayout::Inactive) {
        // A button of an inactive window still works: its glyph in grey,
        // which keeps its symbol as distinct as it is in colour (the
        // disabled row is too faint for a button that can be pressed);
        // hot or held, its disc in colour as on an active window. Only the
        // disc is drawn: the cell's corners carry the active caption's
        // colours, which would show as a square on the inactive caption.
        QPainterPath clip;
        clip.addEllipse(disc);
        QPainter *p = painter.painter();
        p->save();
        p->setClipPath(clip);
        if (state == SkinLayout::Hover || state == SkinLayout::Pressed)
            painter.drawPiece(theme, layout.glyphCell(glyph(), state), target);
        else
            p->drawPixmap(target.topLeft(),
                          theme.greyPiece(layout.glyphCell(glyph(), SkinLayout::Normal),
                                          target.size(), painter.ratio()));
        p->restore();
    } else {
        painter.drawPiece(theme, layout.glyphCell(glyph(), state), target);
    }
    if (state == SkinLayout::Pressed && layout.pressedIsShadedHot()) {
        // The hot disc pushed in: a darker shade over the disc only, so the
        // caption colours in the cell's corners stay as they are.
        QPainter *p = painter.painter();
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(QColor(0, 0, 0, 80));
        p->drawEllipse(disc);
        p->restore();
    }
}

} // namespace tavrelctl
