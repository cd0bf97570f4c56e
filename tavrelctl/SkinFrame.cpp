#include "SkinFrame.h"

#include "FramePlacement.h"
#include "FrameRequests.h"

#include "SkinBorder.h"
#include "SkinCaption.h"
#include "SkinCaptionButton.h"
#include "SkinPicture.h"
#include "SkinScheme.h"
#include "SkinTheme.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>

namespace tavrelctl {

namespace {
constexpr QPalette::ColorGroup PaletteGroups[] = {QPalette::Active, QPalette::Inactive,
                                                  QPalette::Disabled};

QSize marginsSize(const QMargins &m)
{
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}
} // namespace

SkinFrame::SkinFrame(QWidget *window, std::shared_ptr<const SkinPicture> picture)
    : QObject(nullptr), m_window(window), m_picture(std::move(picture)),
      m_scheme(SkinScheme::Initial)
{
    Q_ASSERT(m_window && m_picture);
    setObjectName(QStringLiteral("tavrelskin_frame"));
    m_active = m_window->isActiveWindow();
    m_window->installEventFilter(this);
}

SkinFrame::~SkinFrame()
{
    // The window may be in its destructor here (the component dies with its
    // window), so only what this object owns is undone.
    m_window->removeEventFilter(this);
    delete m_caption.data();
    delete m_left.data();
    delete m_right.data();
    delete m_bottom.data();
}

bool SkinFrame::isSkinWidget(const QObject *object)
{
    return object && object->objectName().startsWith(QLatin1String("tavrelskin_"));
}

const SkinTheme &SkinFrame::theme() const
{
    return m_picture->theme(m_scheme);
}

QMargins SkinFrame::resizeBand() const
{
    const SkinLayout &layout = m_picture->layout();
    return QMargins(layout.borderLeft(), qMax(2, layout.borderBottom() / 2), layout.borderRight(),
                    layout.borderBottom());
}

bool SkinFrame::hasMinimize() const
{
    const Qt::WindowFlags decorations = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowMinimizeButtonHint |
                                        Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                                        Qt::CustomizeWindowHint | Qt::WindowContextHelpButtonHint;
    if (m_nativeFlags & decorations)
        return m_nativeFlags.testFlag(Qt::WindowMinimizeButtonHint);
    // No hint at all: the window system's default decorations for the type.
    return (m_nativeFlags & Qt::WindowType_Mask) == Qt::Window;
}

bool SkinFrame::hasMaximize() const
{
    const Qt::WindowFlags decorations = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowMinimizeButtonHint |
                                        Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                                        Qt::CustomizeWindowHint | Qt::WindowContextHelpButtonHint;
    if (m_nativeFlags & decorations)
        return m_nativeFlags.testFlag(Qt::WindowMaximizeButtonHint);
    return (m_nativeFlags & Qt::WindowType_Mask) == Qt::Window;
}

QSize SkinFrame::skinMinimumSize() const
{
    const SkinLayout &skin = m_picture->layout();
    const int ends = 2 * skin.captionCell(true, SkinLayout::Active, SkinLayout::LeftEnd).width();
    int buttons = 1 + int(hasMaximize()) + int(hasMinimize());
    int row = skin.marker(SkinLayout::TextLeft) + skin.marker(SkinLayout::ButtonMargin) +
              buttons * (skin.glyphSize().width() + skin.marker(SkinLayout::ButtonGap));
    if (m_window->testAttribute(Qt::WA_SetWindowIcon) && !m_window->windowIcon().isNull())
        row += 16 + skin.marker(SkinLayout::IconGap); // the caption's icon is 16 wide
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
        placeHelpers();
        return;
    }
    computeMetrics();
    m_savedFocus = m_window->focusWidget();
    const bool placed = isPlaced();
    // Taken while the native frame is still there: a later RemoveSkin near
    // the top of the screen needs its height.
    rememberNativeFrame();
    const QRect client = placed ? clientToKeep() : QRect();
    const bool switchedInState = isInFullState();

    collectChildren();
    setFrameless(true);
    // The place is asked for after the frame changes: a window manager that
    // sees the frame go may move the window on its own first.
    growWindow(client);
    m_savedContentsMargins = m_window->contentsMargins();
    m_window->setContentsMargins(m_savedContentsMargins + m_frame);
    moveChildrenIn();
    m_applied = true;
    if (switchedInState)
        m_restorePending = true;
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
    const bool placed = isPlaced();
    const QRect client = placed ? clientToKeep() : QRect();
    const bool switchedInState = isInFullState();
    m_applied = false;
    // The frame parts go with the skin (the next apply() makes new ones):
    // hidden ones would still be offered to assistive tools, and their
    // buttons pressed. Nothing of theirs calls this.
    delete m_caption.data();
    delete m_left.data();
    delete m_right.data();
    delete m_bottom.data();
    restorePalette();
    moveChildrenOut();
    m_window->setContentsMargins(m_savedContentsMargins);
    setFrameless(false);
    shrinkWindow(client);
    if (switchedInState)
        m_restorePending = true;
    if (m_savedFocus && m_window->focusWidget() != m_savedFocus)
        m_savedFocus->setFocus(Qt::OtherFocusReason);
}

bool SkinFrame::isInFullState() const
{
    return m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

bool SkinFrame::isPlaced() const
{
    // Where the compositor places windows (Wayland) only the size changes:
    // weston keeps the window's outer top-left, so the client area moves by
    // the difference between the two frames, and nothing a client can ask
    // there would change that.
    return m_window->isVisible() && isFree() && FrameRequests::clientPlacesWindows();
}

bool SkinFrame::isFree() const
{
    return !(m_window->windowState() &
             (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

QRect SkinFrame::availableArea() const
{
    const QScreen *screen = m_window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect SkinFrame::clientNow() const
{
    const QRect geometry = m_window->geometry();
    return m_applied ? FramePlacement::clientOf(geometry, m_frame) : geometry;
}

QRect SkinFrame::clientToKeep() const
{
    // A window not moved since the last switch goes back to where it was
    // before that switch pushed it clear of the top of the screen.
    if (!m_asked.isNull() && m_window->geometry() == m_asked)
        return m_keptClient;
    return clientNow();
}

void SkinFrame::ask(const QRect &geometry, const QRect &client)
{
    // setGeometry() places the client area itself: Qt gives the window
    // system the position with static gravity, so no frame size is guessed.
    m_window->setGeometry(geometry);
    m_asked = geometry;
    m_keptClient = client;
}

void SkinFrame::placeSkinned(const QRect &client)
{
    ask(FramePlacement::skinned(client, m_frame, availableArea()), client);
}

void SkinFrame::placeNative(const QRect &client)
{
    int nativeTop = m_nativeFrame.top();
    if (nativeTop <= 0)
        nativeTop = lastNativeFrame().top();
    // Never framed natively in this process: the skin's caption stands in
    // for the title bar the window manager will add.
    if (nativeTop <= 0)
        nativeTop = m_frame.top();
    ask(FramePlacement::native(client, nativeTop, availableArea()), client);
}

QMargins &SkinFrame::lastNativeFrame()
{
    // All top-level windows of a window manager share one frame as a rule.
    static QMargins margins;
    return margins;
}

void SkinFrame::rememberNativeFrame()
{
    const QWindow *handle = m_window->windowHandle();
    if (!handle || !m_window->isVisible() ||
        m_window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    const QMargins native = handle->frameMargins();
    if (native.top() > 0) {
        m_nativeFrame = native;
        lastNativeFrame() = native;
    }
}

void SkinFrame::onWindowStateChange(Qt::WindowStates oldState)
{
    const Qt::WindowStates full = Qt::WindowMaximized | Qt::WindowFullScreen;
    const Qt::WindowStates now = m_window->windowState();
    if (!(oldState & full) && (now & full)) {
        // The place to come back to: the window system restores the frame
        // it saw when the window was maximised, which a switch in between
        // makes wrong. Qt knows the place when it asked for the maximise
        // itself; one the window system did alone it restores alone.
        const QRect normal = m_window->normalGeometry();
        m_normalClient = !normal.isValid() ? QRect()
                         : m_applied       ? FramePlacement::clientOf(normal, m_frame)
                                           : normal;
        m_restorePending = false;
    } else if ((oldState & full) && !(now & full) && m_restorePending) {
        m_restorePending = false;
        m_restoreTries = 0;
        restoreNormal();
    }
    if (m_applied && m_caption)
        m_caption->updateButtons();
}

void SkinFrame::restoreNormal()
{
    if (!m_normalClient.isValid() || !isPlaced())
        return;
    const QRect target =
        m_applied
            ? FramePlacement::skinned(m_normalClient, m_frame, availableArea())
            : FramePlacement::native(m_normalClient, qMax(0, m_nativeFrame.top()), availableArea());
    if (m_window->geometry() != target || m_restoreTries == 0)
        ask(target, m_normalClient);
    // The window manager answers the restore with the frame it saved, some
    // time after the state changed: the place is asked for again until it
    // holds.
    if (++m_restoreTries < RestoreTries)
        QTimer::singleShot(RestoreStepMs, this, &SkinFrame::restoreNormal);
}

void SkinFrame::setScheme(int scheme)
{
    Q_ASSERT(SkinScheme::isValid(scheme));
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
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
}

void SkinFrame::settleBaseSize()
{
    // A widget that never set a base size leaves its native window without
    // one, and Qt 6.4 then hands the window manager a scaled "-1 x -1" along
    // with the size limits the skin sets; fluxbox takes that for a window of
    // 65534 pixels and will not maximise it. The native window gets the
    // widget's own base size (0 x 0 unless it set one) instead.
    QWindow *handle = m_window->windowHandle();
    if (handle && !handle->baseSize().isValid())
        handle->setBaseSize(m_window->baseSize());
}

void SkinFrame::growWindow(const QRect &client)
{
    m_resized = m_minChanged = m_maxChanged = false;
    QLayout *layout = m_window->layout();
    if (layout && layout->sizeConstraint() == QLayout::SetFixedSize) {
        // The layout sizes the window, contents margins included.
        if (client.isValid())
            placeSkinned(client);
        return;
    }
    const QSize extra = marginsSize(m_frame);
    m_sizeBefore = m_window->size();
    settleBaseSize();

    m_maxBefore = m_window->maximumSize();
    QSize max = m_maxBefore;
    if (max.width() < QWIDGETSIZE_MAX)
        max.setWidth(qMin(QWIDGETSIZE_MAX, max.width() + extra.width()));
    if (max.height() < QWIDGETSIZE_MAX)
        max.setHeight(qMin(QWIDGETSIZE_MAX, max.height() + extra.height()));
    if (max != m_maxBefore) {
        m_window->setMaximumSize(max);
        m_maxAfter = m_window->maximumSize();
        m_maxChanged = true;
    }

    // Placed between the two limits: its new size lies within both.
    if (client.isValid()) {
        placeSkinned(client);
        m_sizeAfter = m_window->size();
        m_resized = true;
    }

    // A minimum the layout keeps already grows with the contents margins.
    m_minBefore = m_window->minimumSize();
    const bool layoutMin = layout && layout->sizeConstraint() != QLayout::SetNoConstraint &&
                           m_minBefore == layout->totalMinimumSize();
    QSize min = m_minBefore;
    if (!layoutMin) {
        if (min.width() > 0)
            min.rwidth() += extra.width();
        if (min.height() > 0)
            min.rheight() += extra.height();
    }
    if (m_sizable)
        min = min.expandedTo(skinMinimumSize());
    if (min != m_minBefore) {
        m_window->setMinimumSize(min);
        m_minAfter = m_window->minimumSize();
        m_minChanged = true;
    }

    const bool free = isFree();
    // A window that was never sized takes its size from its layout when it
    // is shown, and that already counts the contents margins.
    if (!client.isValid() && free &&
        (m_window->isVisible() || m_window->testAttribute(Qt::WA_Resized))) {
        m_window->resize(m_sizeBefore + extra);
        m_sizeAfter = m_window->size();
        m_resized = true;
    }
}

void SkinFrame::shrinkWindow(const QRect &client)
{
    const QSize extra = marginsSize(m_frame);
    if (m_minChanged && m_window->minimumSize() == m_minAfter)
        m_window->setMinimumSize(m_minBefore);
    const bool free = isFree();
    if (client.isValid()) {
        placeNative(client);
    } else if (m_resized && free) {
        const QSize now = m_window->size();
        m_window->resize(now == m_sizeAfter ? m_sizeBefore : now - extra);
    }
    if (m_maxChanged && m_window->maximumSize() == m_maxAfter)
        m_window->setMaximumSize(m_maxBefore);
    m_resized = m_minChanged = m_maxChanged = false;
}

void SkinFrame::collectChildren()
{
    // Taken before the contents margins change: a window that keeps a
    // control aligned to its contents rectangle moves it on that change.
    m_children.clear();
    const QLayout *layout = m_window->layout();
    for (QObject *object : m_window->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow() || isSkinWidget(child))
            continue;
        // Laid-out children (a main window's menu bar and central widget
        // among them) move with the window's contents margins.
        if (layout && (layout->indexOf(child) >= 0 || layout->menuBar() == child))
            continue;
        m_children.append({child, child->geometry(), QRect()});
    }
}

void SkinFrame::moveChildrenIn()
{
    const QPoint offset(m_frame.left(), m_frame.top());
    for (ChildRecord &record : m_children) {
        if (!record.widget)
            continue;
        record.widget->move(record.before.topLeft() + offset);
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
        // A control the window moved while skinned keeps its own move.
        const QPoint now = child->pos();
        child->move(now == record.after.topLeft() ? record.before.topLeft() : now - offset);
    }
    m_children.clear();
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

void SkinFrame::placeHelpers()
{
    if (!m_applied || !m_caption)
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
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::WindowActivate:
        onActivation(true);
        break;
    case QEvent::WindowDeactivate:
        onActivation(false);
        break;
    case QEvent::Show:
        // The native window exists from here on; the skin may have set its
        // size limits before it did.
        if (m_applied)
            settleBaseSize();
        break;
    case QEvent::Resize:
    case QEvent::LayoutDirectionChange:
        placeHelpers();
        break;
    case QEvent::WindowStateChange:
        onWindowStateChange(static_cast<QWindowStateChangeEvent *>(event)->oldState());
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
