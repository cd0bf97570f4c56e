#include "SkinFrame.h"

#include "FrameRequests.h"
#include "SkinBorder.h"
#include "SkinCaption.h"
#include "SkinCaptionButton.h"
#include "SkinPicture.h"
#include "SkinRegistry.h"
#include "SkinScheme.h"
#include "SkinTheme.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <iterator>

namespace tavrelctl {

namespace {
constexpr QPalette::ColorGroup PaletteGroups[] = {QPalette::Active, QPalette::Inactive,
                                                  QPalette::Disabled};
} // namespace

SkinFrame::SkinFrame(QWidget *window, std::shared_ptr<const SkinPicture> picture)
    : QObject(nullptr), m_window(window), m_picture(std::move(picture)), m_placement(window)
{
    Q_ASSERT(m_window && m_picture);
    setObjectName(QStringLiteral("tavrelskin_frame"));
    SkinRegistry::addFrame(this);
    m_active = m_window->isActiveWindow();
    m_window->installEventFilter(this);
}

SkinFrame::~SkinFrame()
{
    // The window may be in its destructor here (the component dies with its
    // window), so only what this object owns is undone.
    SkinRegistry::removeFrame(this);
    m_window->removeEventFilter(this);
    deleteHelpers();
}

bool SkinFrame::isSkinWidget(const QObject *object)
{
    return object && object->objectName().startsWith(QLatin1String("tavrelskin_"));
}

const SkinTheme &SkinFrame::theme() const
{
    return m_picture->theme(scheme());
}

QMargins SkinFrame::resizeBand() const
{
    const SkinLayout &layout = m_picture->layout();
    return QMargins(layout.borderLeft(), qMax(2, layout.borderBottom() / 2), layout.borderRight(),
                    layout.borderBottom());
}

bool SkinFrame::showsButton(const CaptionButtonKind &kind) const
{
    if (kind.hint == Qt::Widget)
        return true;
    const Qt::WindowFlags decorations = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowMinimizeButtonHint |
                                        Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                                        Qt::CustomizeWindowHint | Qt::WindowContextHelpButtonHint;
    if (m_nativeFlags & decorations)
        return m_nativeFlags.testFlag(kind.hint);
    // No hint at all: the window system's default decorations for the type.
    return (m_nativeFlags & Qt::WindowType_Mask) == Qt::Window;
}

QSize SkinFrame::skinMinimumSize() const
{
    const SkinLayout &skin = m_picture->layout();
    const int ends = 2 * skin.captionCell(true, SkinLayout::Active, SkinLayout::LeftEnd).width();
    const int buttons = int(std::count_if(std::begin(CaptionButtons), std::end(CaptionButtons),
                                          [this](const auto &kind) { return showsButton(kind); }));
    int row = skin.marker(SkinLayout::TextLeft) + skin.marker(SkinLayout::ButtonMargin) +
              buttons * (skin.glyphSize().width() + skin.marker(SkinLayout::ButtonGap));
    if (m_window->testAttribute(Qt::WA_SetWindowIcon) && !m_window->windowIcon().isNull())
        row += SkinCaption::IconSize + skin.marker(SkinLayout::IconGap);
    QFont font = m_window->font();
    font.setBold(true);
    // Three characters and the ellipsis of an elided title.
    row += QFontMetrics(font).horizontalAdvance(QStringLiteral("MMM\u2026"));
    return QSize(qMax(ends, row), m_frame.top() + m_frame.bottom());
}

SkinCaption *SkinFrame::caption() const
{
    return m_caption;
}

QList<SkinCaptionButton *> SkinFrame::buttons() const
{
    return m_caption ? m_caption->buttons() : QList<SkinCaptionButton *>();
}

void SkinFrame::computeMetrics()
{
    m_nativeFlags = m_window->windowFlags();
    QLayout *layout = m_window->layout();
    const bool layoutFixed = layout && layout->sizeConstraint() == QLayout::SetFixedSize;
    m_sizable = !layoutFixed && m_window->minimumSize() != m_window->maximumSize() &&
                !m_nativeFlags.testFlag(Qt::MSWindowsFixedSizeDialogHint);
    const SkinLayout &skin = m_picture->layout();
    m_captionHeight = skin.captionHeight(
        skin.marker(m_sizable ? SkinLayout::SizableCaption : SkinLayout::FixedCaption));
    const int inset = skin.marker(SkinLayout::ClientInset);
    m_frame = QMargins(skin.borderLeft() + inset, m_captionHeight + inset,
                       skin.borderRight() + inset, skin.borderBottom() + inset);
}

void SkinFrame::apply()
{
    if (m_applied) {
        // A second ApplySkin only refreshes: nothing moves again.
        if (m_aside && m_window->isVisible())
            stepIn();
        placeHelpers();
        return;
    }
    computeMetrics();
    m_savedFocus = m_window->focusWidget();
    const WindowPlacement::Switch kept = m_placement.beginSwitch();
    // A full-screen window shows its client alone: the skin takes the flags
    // and sizes on but stays aside until the window leaves full screen.
    m_fullScreen = m_window->isFullScreen();

    if (!m_fullScreen)
        collectChildren();
    setFrameless(true);
    m_placement.skinOn(kept, m_frame, m_sizable ? skinMinimumSize() : QSize(0, 0));
    if (m_fullScreen)
        m_savedContentsMargins = m_window->contentsMargins();
    else
        frameIn();
    m_applied = true;
    createHelpers();
    applyPalette();
    m_active = m_window->isActiveWindow();
    placeHelpers();
    if (m_savedFocus && m_window->focusWidget() != m_savedFocus)
        m_savedFocus->setFocus(Qt::OtherFocusReason);
}

void SkinFrame::remove()
{
    if (!m_applied)
        return;
    m_savedFocus = m_window->focusWidget();
    const WindowPlacement::Switch kept = m_placement.beginSwitch();
    m_applied = false;
    const bool wasAside = m_aside;
    const bool frameWasIn = !m_aside && !m_fullScreen;
    m_aside = false;
    m_fullScreen = false;
    if (frameWasIn)
        frameOut();
    // The frame parts go with the skin (the next apply() makes new ones in
    // createHelpers()): hidden ones would still be offered to assistive
    // tools, and their buttons pressed. Nothing of theirs calls this.
    // Stepping aside and full screen only hide them: the skin is still on.
    deleteHelpers();
    restorePalette();
    setFrameless(false);
    // Stepped aside, the window is its client area alone already.
    if (!wasAside)
        m_placement.skinOff(kept);
    if (m_savedFocus && m_window->focusWidget() != m_savedFocus)
        m_savedFocus->setFocus(Qt::OtherFocusReason);
}

void SkinFrame::frameIn()
{
    m_savedContentsMargins = m_window->contentsMargins();
    m_window->setContentsMargins(m_savedContentsMargins + m_frame);
    moveChildrenIn();
}

void SkinFrame::frameOut()
{
    hideHelpers();
    moveChildrenOut();
    m_window->setContentsMargins(m_savedContentsMargins);
}

void SkinFrame::stepAside()
{
    // QWidget::saveGeometry() keeps the window's geometry, which while
    // skinned is the client area and the skin's frame around it: a program
    // that saves it as it closes and restores it in its next run would
    // grow by the frame on every run. While the window closes, and while
    // it is hidden, it is its client area alone, still frameless, so that
    // it saves what it would save without the skin. A full-screen window
    // is its client area alone already.
    if (!m_applied || m_aside || m_fullScreen)
        return;
    m_aside = true;
    const WindowPlacement::Switch kept = m_placement.beginStepAside();
    frameOut();
    // The layout's limits and fixed size without the skin's margins now,
    // not on the next turn of the event loop, after the program has saved.
    if (QLayout *layout = m_window->layout())
        layout->activate();
    m_placement.stepAside(kept);
}

void SkinFrame::stepIn()
{
    if (!m_aside)
        return;
    m_aside = false;
    if (m_window->isFullScreen()) {
        // Shown again straight into full screen: the client stays alone.
        m_fullScreen = true;
        return;
    }
    collectChildren();
    m_placement.stepIn(m_frame, m_sizable ? skinMinimumSize() : QSize(0, 0));
    frameIn();
    placeHelpers();
}

void SkinFrame::followFullScreen()
{
    if (!m_applied || m_aside || m_fullScreen == m_window->isFullScreen())
        return;
    m_savedFocus = m_window->focusWidget();
    if (!m_fullScreen) {
        // Into full screen: the client alone, edge to edge. The window is
        // frameless already, so the window system restores its skinned
        // geometry afterwards and the client area comes back unmoved.
        m_fullScreen = true;
        frameOut();
    } else {
        m_fullScreen = false;
        collectChildren();
        frameIn();
        placeHelpers();
    }
    if (m_savedFocus && m_window->focusWidget() != m_savedFocus)
        m_savedFocus->setFocus(Qt::OtherFocusReason);
}

bool SkinFrame::followFlagChange()
{
    // setWindowFlags() on a skinned window hides it and gives it the
    // program's flags, without the frameless hint, and the program shows it
    // again: the window system would frame it around the skin's caption.
    // The program's flags are the window's own from now on; the frameless
    // hint is the skin's while it is on. Called as the window is shown,
    // before its native window is mapped, so no frame is ever drawn.
    const Qt::WindowFlags flags = m_window->windowFlags();
    if (!m_applied || flags == (m_nativeFlags | Qt::FramelessWindowHint))
        return false;
    m_nativeFlags = (flags & ~Qt::FramelessWindowHint) | (m_nativeFlags & Qt::FramelessWindowHint);
    setFrameless(true);
    if (m_caption)
        m_caption->updateButtons();
    return true;
}

int SkinFrame::scheme() const
{
    return SkinRegistry::instance().scheme();
}

void SkinFrame::setScheme(int scheme)
{
    SkinRegistry::instance().setScheme(scheme);
}

void SkinFrame::onSchemeChanged()
{
    if (!m_applied)
        return;
    applyPalette();
    updateLook();
}

void SkinFrame::setFrameless(bool frameless)
{
    // overrideWindowFlags() keeps the native window: setWindowFlags() would
    // hide and recreate it, and the window would flash through an unstyled
    // frame on every apply and remove.
    const Qt::WindowFlags flags =
        frameless ? (m_nativeFlags | Qt::FramelessWindowHint) : m_nativeFlags;
    m_window->overrideWindowFlags(flags);
    if (QWindow *handle = m_window->windowHandle())
        handle->setFlags(flags);
    if (m_window->testAttribute(Qt::WA_Mapped))
        FrameRequests::frameChanged();
}

void SkinFrame::collectChildren()
{
    // Taken before the contents margins change: a window that keeps a
    // control aligned to its contents rectangle moves it on that change.
    m_children.clear();
    const QLayout *layout = m_window->layout();
    const QRect whole = m_window->rect();
    for (QObject *object : m_window->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow() || isSkinWidget(child))
            continue;
        // Laid-out children (a main window's menu bar and central widget
        // among them) move with the window's contents margins.
        if (layout && (layout->indexOf(child) >= 0 || layout->menuBar() == child))
            continue;
        m_children.append({child, child->geometry(), QRect(), child->geometry() == whole});
    }
}

QRect SkinFrame::clientRect() const
{
    return m_window->rect().marginsRemoved(m_frame);
}

void SkinFrame::moveChildrenIn()
{
    const QPoint offset(m_frame.left(), m_frame.top());
    for (ChildRecord &record : m_children) {
        if (!record.widget)
            continue;
        if (record.fills) {
            // It shrinks to the client area, and is watched: a window that
            // lays out its own inner widget sizes it to its whole area again
            // whenever it is resized itself (QWizard does).
            record.widget->setGeometry(clientRect());
            record.widget->installEventFilter(this);
        } else {
            record.widget->move(record.before.topLeft() + offset);
        }
        record.after = record.widget->geometry();
    }
}

void SkinFrame::moveChildrenOut()
{
    const QPoint offset(m_frame.left(), m_frame.top());
    for (const ChildRecord &record : std::as_const(m_children)) {
        QWidget *child = record.widget;
        if (!child)
            continue;
        if (record.fills) {
            child->removeEventFilter(this);
            // The whole window again, as big as the client area is now.
            const QRect client = clientRect();
            child->setGeometry(child->geometry() == client ? QRect(QPoint(0, 0), client.size())
                                                           : child->geometry().translated(-offset));
            continue;
        }
        // A control the window moved while skinned keeps its own move.
        const QPoint now = child->pos();
        child->move(now == record.after.topLeft() ? record.before.topLeft() : now - offset);
    }
    m_children.clear();
}

bool SkinFrame::keepInside(QWidget *child)
{
    // A filling child set to the window's whole area again goes to the
    // client area instead; the event that told it the whole area is stale
    // by then and goes no further.
    if (child->size() != m_window->size() && child->geometry() != m_window->rect())
        return false;
    const auto record =
        std::find_if(m_children.cbegin(), m_children.cend(),
                     [child](const ChildRecord &r) { return r.fills && r.widget == child; });
    if (record == m_children.cend())
        return false;
    child->setGeometry(clientRect());
    return true;
}

void SkinFrame::createHelpers()
{
    if (!m_caption) {
        m_caption = new SkinCaption(this, m_window);
        m_left = new SkinBorder(Qt::LeftEdge, this, m_window);
        m_right = new SkinBorder(Qt::RightEdge, this, m_window);
        m_bottom = new SkinBorder(Qt::BottomEdge, this, m_window);
    }
}

void SkinFrame::hideHelpers()
{
    for (QWidget *helper :
         {static_cast<QWidget *>(m_caption.data()), static_cast<QWidget *>(m_left.data()),
          static_cast<QWidget *>(m_right.data()), static_cast<QWidget *>(m_bottom.data())}) {
        if (helper)
            helper->hide();
    }
}

void SkinFrame::deleteHelpers()
{
    delete m_caption.data();
    delete m_left.data();
    delete m_right.data();
    delete m_bottom.data();
}

void SkinFrame::placeHelpers()
{
    if (!m_applied || m_aside || m_fullScreen || !m_caption)
        return;
    const SkinLayout &layout = m_picture->layout();
    const int w = m_window->width();
    const int h = m_window->height();
    const int top = m_captionHeight;
    const int bottom = layout.borderBottom();
    const int sideHeight = qMax(0, h - top - bottom);
    // A shown caption that changes its size lays its buttons out in its own
    // resize event; otherwise they are laid out here.
    const bool captionRelaysOut = m_caption->isVisible() && m_caption->size() != QSize(w, top);
    m_caption->setGeometry(0, 0, w, top);
    m_left->setGeometry(0, top, layout.borderLeft(), sideHeight);
    m_right->setGeometry(w - layout.borderRight(), top, layout.borderRight(), sideHeight);
    m_bottom->setGeometry(0, h - bottom, w, bottom);
    const std::array<QWidget *, 4> helpers{m_caption.data(), m_left.data(), m_right.data(),
                                           m_bottom.data()};
    for (QWidget *helper : helpers)
        helper->show();
    // Raising moves a widget to the top and repaints it even when it is
    // there already; only when something has come above the frame.
    if (!helpersOnTop(helpers)) {
        for (QWidget *helper : helpers)
            helper->raise();
    }
    if (!captionRelaysOut)
        m_caption->updateButtons();
    updateLook();
}

bool SkinFrame::helpersOnTop(const std::array<QWidget *, 4> &helpers) const
{
    // The window's last four child widgets, from the top, must be the
    // helpers in the order they were raised.
    int next = 3;
    const QObjectList &children = m_window->children();
    for (auto it = children.crbegin(); it != children.crend() && next >= 0; ++it) {
        if (!(*it)->isWidgetType() || static_cast<const QWidget *>(*it)->isWindow())
            continue;
        if (*it != helpers[next])
            return false;
        --next;
    }
    return next < 0;
}

void SkinFrame::updateLook()
{
    if (!m_applied || !m_caption)
        return;
    m_caption->update();
    for (SkinCaptionButton *button : m_caption->buttons())
        button->update();
    m_left->update();
    m_right->update();
    m_bottom->update();
}

QPalette SkinFrame::schemePalette() const
{
    return theme().controlPalette();
}

void SkinFrame::applyPalette()
{
    const QPalette mine = schemePalette();
    QPalette palette = m_window->palette();
    if (m_palette.isEmpty()) {
        // First time on: take every role the window has not set itself.
        for (QPalette::ColorGroup group : PaletteGroups) {
            for (int r = 0; r < QPalette::NColorRoles; ++r) {
                const auto role = QPalette::ColorRole(r);
                if (!mine.isBrushSet(group, role) || palette.isBrushSet(group, role))
                    continue;
                m_palette.append({group, role, mine.brush(group, role)});
                palette.setBrush(group, role, mine.brush(group, role));
            }
        }
    } else {
        // Scheme switch: only roles that still hold the skin's colour.
        for (PaletteRecord &record : m_palette) {
            if (palette.brush(record.group, record.role) != record.mine)
                continue;
            record.mine = mine.brush(record.group, record.role);
            palette.setBrush(record.group, record.role, record.mine);
        }
    }
    m_window->setPalette(palette);
}

void SkinFrame::restorePalette()
{
    const QPalette current = m_window->palette();
    QPalette rebuilt; // no role set: everything not set below is inherited again
    for (QPalette::ColorGroup group : PaletteGroups) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto role = QPalette::ColorRole(r);
            if (!current.isBrushSet(group, role))
                continue;
            const auto record = std::find_if(m_palette.cbegin(), m_palette.cend(),
                                             [group, role](const PaletteRecord &p) {
                                                 return p.group == group && p.role == role;
                                             });
            // A role that still holds the skin's colour goes back to unset;
            // one the window has set since stays as the window set it.
            const bool stillMine =
                record != m_palette.cend() && current.brush(group, role) == record->mine;
            if (!stillMine)
                rebuilt.setBrush(group, role, current.brush(group, role));
        }
    }
    m_palette.clear();
    m_window->setPalette(rebuilt);
}

bool SkinFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window) {
        // One of the window's children that fill it (moveChildrenIn()).
        const bool moved = event->type() == QEvent::Resize || event->type() == QEvent::Move;
        return moved && m_applied && !m_aside && !m_fullScreen && watched->isWidgetType() &&
               keepInside(static_cast<QWidget *>(watched));
    }
    switch (event->type()) {
    case QEvent::WindowActivate:
        onActivation(true);
        break;
    case QEvent::WindowDeactivate:
        onActivation(false);
        break;
    case QEvent::Show:
        if (followFlagChange() && m_aside)
            m_placement.keepAsidePlace();
        if (m_aside && !m_showing) {
            // Handed to the window first, as when the skin first went on: a
            // dialog centres itself on its parent as it is shown, and the
            // frame goes around it after that.
            m_showing = true;
            QCoreApplication::sendEvent(m_window, event);
            m_showing = false;
            if (m_window->isVisible())
                stepIn();
            m_placement.onShown();
            return true;
        }
        m_placement.onShown();
        break;
    case QEvent::Close:
        // Before the window's own close handler, which may save its
        // geometry. A window that refuses to close gets its frame back once
        // the close has been dealt with.
        if (m_applied && !m_aside && !m_fullScreen) {
            stepAside();
            QTimer::singleShot(0, this, [this] {
                if (m_aside && m_window->isVisible())
                    stepIn();
            });
        }
        break;
    case QEvent::Hide:
        // Hidden by the program (not minimised by the window system): it
        // may save its geometry now or at any time until it is shown again.
        if (!event->spontaneous())
            stepAside();
        break;
    case QEvent::Resize:
    case QEvent::LayoutDirectionChange:
        placeHelpers();
        break;
    case QEvent::WindowStateChange:
        m_placement.onWindowStateChange(static_cast<QWindowStateChangeEvent *>(event)->oldState());
        followFullScreen();
        if (m_applied && m_caption)
            m_caption->updateButtons();
        break;
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
    case QEvent::ModifiedChange:
    case QEvent::FontChange:
        if (m_applied && m_caption)
            m_caption->update();
        break;
    default:
        break;
    }
    return false;
}

void SkinFrame::onActivation(bool active)
{
    m_active = active;
    updateLook();
    if (m_reportedActive == active)
        return;
    m_reportedActive = active;
    // Last: the handler behind the signal may remove the skin or close the
    // window.
    Q_EMIT activationChanged(active);
}

} // namespace tavrelctl
