#include "SkinCaption.h"

#include "SkinCaptionButton.h"
#include "SkinFrame.h"
#include "SkinPainter.h"
#include "SkinRegistry.h"
#include "SkinTheme.h"
#include "SkinWindowMenu.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyle>
#include <QtMath>

namespace tavrelctl {

namespace {
// The caption as an assistive tool sees it: a title bar whose name is the
// window's title, holding the caption buttons the window offers. A button
// the window does not offer is not there to be found or pressed.
class CaptionAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit CaptionAccessible(SkinCaption *caption)
        : QAccessibleWidget(caption, QAccessible::TitleBar)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The title as read-only text without a cursor or a selection.
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return caption()->title().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(caption()->title().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return caption()->title();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(offered().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<SkinCaptionButton *> buttons = offered();
        if (index < 0 || index >= buttons.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(buttons.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        const QList<SkinCaptionButton *> buttons = offered();
        for (int i = 0; i < buttons.size(); ++i) {
            if (buttons.at(i) == child->object())
                return i;
        }
        return -1;
    }

private:
    SkinCaption *caption() const { return static_cast<SkinCaption *>(widget()); }
    QList<SkinCaptionButton *> offered() const { return caption()->offeredButtons(); }
};

QAccessibleInterface *captionAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(SkinCaption::staticMetaObject.className()))
        return new CaptionAccessible(static_cast<SkinCaption *>(object));
    return nullptr;
}
} // namespace

SkinCaption::SkinCaption(SkinFrame *frame, QWidget *window)
    : QWidget(window), m_frame(frame), m_menu(new SkinWindowMenu(frame, this))
{
    SkinRegistry::instance().installAccessibleFactory(captionAccessible);
    setObjectName(QStringLiteral("tavrelskin_caption"));
    setAccessibleDescription(QStringLiteral("Title bar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    for (int role = 0; role < SkinCaptionButton::RoleCount; ++role) {
        auto *button = new SkinCaptionButton(SkinCaptionButton::Role(role), frame, this);
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { perform(m_frame->window(), button->kind().request); });
        m_buttons.append(button);
    }
    // Active while the caption shows: with the skin off the native frame's
    // own window menu takes Alt+Space.
    auto *menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    menuKey->setContext(Qt::WindowShortcut);
    connect(menuKey, &QShortcut::activated, this, &SkinCaption::openWindowMenu);
}

QRect SkinCaption::mirrored(const QRect &r) const
{
    if (layoutDirection() != Qt::RightToLeft)
        return r;
    return QRect(width() - r.x() - r.width(), r.y(), r.width(), r.height());
}

QList<SkinCaptionButton *> SkinCaption::offeredButtons() const
{
    QList<SkinCaptionButton *> offered;
    for (SkinCaptionButton *button : m_buttons) {
        if (m_frame->showsButton(button->kind()))
            offered.append(button);
    }
    return offered;
}

void SkinCaption::updateButtons()
{
    const SkinLayout &layout = m_frame->theme().layout();
    const QSize glyph = layout.glyphSize();
    const int gap = layout.marker(SkinLayout::ButtonGap);
    int right = width() - layout.marker(SkinLayout::ButtonMargin);
    const int top = layout.marker(SkinLayout::ButtonTop);
    bool outermost = true;
    for (SkinCaptionButton *button : std::as_const(m_buttons)) {
        const bool shown = m_frame->showsButton(button->kind());
        button->setVisible(shown);
        // Nothing presses a button the window does not offer, an assistive
        // tool's Press included. A fixed-size window cannot maximise; its
        // button, if the flags ask for one, is shown disabled as a native
        // frame does.
        button->setEnabled(shown && (!button->kind().needsSizable || m_frame->isSizable()));
        if (!shown)
            continue;
        placeButton(button, QRect(QPoint(right - glyph.width(), top), glyph), outermost);
        outermost = false;
        right -= glyph.width() + gap;
        button->updateRole();
    }
    update();
}

void SkinCaption::placeButton(SkinCaptionButton *button, const QRect &glyph, bool outermost)
{
    // A maximised window's caption lies at the screen's top edge and its
    // last button at the screen's corner: their hit areas reach the edge
    // and the corner, so that a flick of the pointer to the top-right pixel
    // lands on Close. The glyphs stay where they are.
    QRect hit = glyph;
    if (m_frame->window()->isMaximized()) {
        hit.setTop(0);
        if (outermost)
            hit.setRight(width() - 1);
    }
    const QRect placed = mirrored(hit);
    button->setGeometry(placed);
    button->setGlyphRect(mirrored(glyph).translated(-placed.topLeft()));
}

bool SkinCaption::hasIcon() const
{
    const QWidget *window = m_frame->window();
    return window->testAttribute(Qt::WA_SetWindowIcon) && !window->windowIcon().isNull();
}

QRect SkinCaption::iconRect() const
{
    if (!hasIcon())
        return QRect();
    const SkinLayout &layout = m_frame->theme().layout();
    const int boxTop = layout.marker(SkinLayout::TextTop);
    const int boxHeight = layout.glyphSize().height();
    const int y = boxTop + (boxHeight - IconSize) / 2;
    return mirrored(QRect(layout.marker(SkinLayout::TextLeft), qMax(0, y), IconSize, IconSize));
}

QString SkinCaption::title() const
{
    const QWidget *window = m_frame->window();
    QString text = window->windowTitle();
    text.replace(QLatin1String("[*]"),
                 window->isWindowModified() ? QStringLiteral("*") : QString());
    return text;
}

QRect SkinCaption::titleRect() const
{
    const SkinLayout &layout = m_frame->theme().layout();
    int left = layout.marker(SkinLayout::TextLeft);
    if (hasIcon())
        left += IconSize + layout.marker(SkinLayout::IconGap);
    int right = width() - layout.marker(SkinLayout::ButtonMargin);
    for (const SkinCaptionButton *button : m_buttons) {
        if (!button->isHidden())
            right = qMin(right, mirrored(button->geometry()).left() -
                                    layout.marker(SkinLayout::ButtonGap));
    }
    if (layout.marker(SkinLayout::TextAlign) != 0) {
        // Centred in the bar, but never under the buttons.
        const int half = qMin(width() / 2 - left, right - width() / 2);
        left = width() / 2 - qMax(0, half);
        right = width() / 2 + qMax(0, half);
    }
    const QRect r(left, layout.marker(SkinLayout::TextTop), qMax(0, right - left),
                  layout.glyphSize().height());
    return mirrored(r);
}

Qt::Alignment SkinCaption::titleAlignment() const
{
    // Resolved to a side here: the strip's columns are found with font
    // metrics, which know no layout direction and would put a leading title
    // at the left of a right-to-left caption.
    if (m_frame->theme().layout().marker(SkinLayout::TextAlign) != 0)
        return Qt::AlignVCenter | Qt::AlignHCenter;
    return Qt::AlignVCenter | QStyle::visualAlignment(layoutDirection(), Qt::AlignLeading);
}

void SkinCaption::paintBar(SkinPainter &painter) const
{
    const SkinTheme &theme = m_frame->theme();
    const SkinLayout::Look look = m_frame->look();
    const QRect all = painter.deviceRect();
    const int height = m_frame->captionHeight();
    const QRect leftSource = theme.captionSource(look, SkinLayout::LeftEnd, height);
    const QRect middleSource = theme.captionSource(look, SkinLayout::Middle, height);
    const QRect rightSource = theme.captionSource(look, SkinLayout::RightEnd, height);

    const int endWidth = painter.device(leftSource.width());
    const int leftWidth = qMin(endWidth, all.width() / 2);
    const int rightWidth = qMin(endWidth, all.width() - leftWidth);
    const QRect middle(leftWidth, 0, all.width() - leftWidth - rightWidth, all.height());
    if (theme.layout().marker(SkinLayout::MiddleFill) == 0)
        painter.drawTiled(theme, middleSource, middle,
                          QSize(painter.device(middleSource.width()), all.height()));
    else
        painter.drawStretched(theme, middleSource, middle);
    // The ends are cut short only on a bar narrower than both together.
    const bool clipped = leftWidth < endWidth || rightWidth < endWidth;
    QPainter *p = painter.painter();
    if (clipped) {
        p->save();
        p->setClipRect(QRect(0, 0, leftWidth, all.height()));
    }
    painter.drawPiece(theme, leftSource, QRect(0, 0, endWidth, all.height()));
    if (clipped)
        p->setClipRect(QRect(all.width() - rightWidth, 0, rightWidth, all.height()));
    painter.drawPiece(theme, rightSource, QRect(all.width() - endWidth, 0, endWidth, all.height()));
    if (clipped)
        p->restore();
}

void SkinCaption::paintTitle(SkinPainter &painter, const QRect &icon, const QRect &text,
                             const QString &elided, const QFont &font) const
{
    const SkinTheme &theme = m_frame->theme();
    QPainter *p = painter.painter();
    painter.beginLogical();
    if (!icon.isEmpty())
        m_frame->window()->windowIcon().paint(p, icon);
    if (text.width() > 0) {
        p->setFont(font);
        const Qt::Alignment align = titleAlignment();
        const SkinTheme::CaptionText look =
            theme.captionText(m_frame->look(), m_frame->captionHeight());
        if (look.halo.isValid()) {
            // The halo: the title in the halo colour a device pixel off in
            // every direction, so that each glyph edge meets it.
            const qreal step = 1.0 / painter.ratio();
            p->setPen(look.halo);
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (dx != 0 || dy != 0)
                        p->drawText(QRectF(text).translated(dx * step, dy * step), int(align),
                                    elided);
                }
            }
        } else {
            // A soft shadow in the window text colour under a title that
            // reads without a halo.
            QColor shadow = theme.swatch(SkinLayout::WindowTextSwatch);
            shadow.setAlpha(120);
            p->setPen(shadow);
            p->drawText(text.translated(1, 1), int(align), elided);
        }
        p->setPen(look.ink);
        p->drawText(text, int(align), elided);
    }
    painter.endLogical();
}

void SkinCaption::paintEvent(QPaintEvent *)
{
    SkinPainter painter(this);
    paintBar(painter);
    paintIconAndTitle(painter);
    // The buttons' glyphs, here rather than in each button's own paint
    // event: a painter per widget costs more than the blit it is begun for.
    // A button is not opaque: updating it repaints the caption under it.
    // At a fractional ratio a button's edges fall between device pixels,
    // where only the button's own painter places the glyph as it always
    // has; there the buttons paint themselves.
    m_paintsGlyphs = painter.ratio() == qFloor(painter.ratio());
    if (!m_paintsGlyphs)
        return;
    for (const SkinCaptionButton *button : std::as_const(m_buttons)) {
        if (!button->isHidden())
            button->paintGlyph(painter,
                               painter.deviceRect(button->glyphRect().translated(button->pos())));
    }
}

void SkinCaption::paintIconAndTitle(SkinPainter &painter)
{
    // The icon and the title come from a strip painted once per look: text
    // layout and glyph drawing cost several times the bar's blits.
    const QRect icon = iconRect();
    const QRect text = titleRect();
    if (icon.isEmpty() && text.width() <= 0)
        return;
    // The title is drawn clipped to its text box: its line, with the halo
    // or shadow a pixel beyond it, must fit inside.
    const int fit = qMax(1, text.height() - 2);
    const QFont &font = m_titleCache.boldFont(m_frame->window()->font(), fit);
    const QString fullTitle = title();
    const QString elided =
        text.width() > 0 ? m_titleCache.elided(fullTitle, font, text.width()) : QString();

    const SkinTheme &theme = m_frame->theme();
    const SkinLayout &layout = theme.layout();
    const QRect all = painter.deviceRect();
    const qreal ratio = painter.ratio();
    const bool leading = layout.marker(SkinLayout::TextAlign) == 0;
    const int endWidth = painter.device(
        theme.captionSource(m_frame->look(), SkinLayout::LeftEnd, m_frame->captionHeight())
            .width());
    SkinTitleCache::Key key;
    key.theme = &theme;
    key.look = m_frame->look();
    key.ratio = ratio;
    key.captionHeight = m_frame->captionHeight();
    key.deviceWidth = all.width();
    key.deviceHeight = all.height();
    key.icon = icon;
    key.iconKey = icon.isEmpty() ? 0 : m_frame->window()->windowIcon().cacheKey();
    key.text = text;
    key.align = layout.marker(SkinLayout::TextAlign);
    key.direction = layoutDirection();
    key.title = elided;
    key.font = font;
    // With the whole title at the leading edge on the tiled middle, a strip
    // clear of the bar's right end is the same at every width: it is kept
    // under a key without the width.
    SkinTitleCache::Key anyWidth = key;
    anyWidth.deviceWidth = -1;
    anyWidth.text.setWidth(-1);
    const bool mayIgnoreWidth = layoutDirection() == Qt::LeftToRight && leading &&
                                layout.marker(SkinLayout::MiddleFill) == 0 &&
                                endWidth <= all.width() / 2 && elided == fullTitle;
    const SkinTitleCache::Strip *strip = nullptr;
    if (mayIgnoreWidth) {
        strip = m_titleCache.strip(anyWidth);
        if (strip && strip->right() > all.width() - endWidth)
            strip = nullptr;
    }
    if (!strip)
        strip = m_titleCache.strip(key);
    if (!strip) {
        // The columns the icon and the text can touch: the text's layout
        // box widened by a line height for overhanging glyphs and the shadow.
        QRect logical = icon;
        if (text.width() > 0) {
            const QFontMetrics metrics(font);
            const QRect box = metrics.boundingRect(text, int(titleAlignment()), elided);
            logical |= box.adjusted(-metrics.height(), 0, metrics.height() + 1, 0);
        }
        const int left = qMax(0, qFloor(logical.left() * ratio));
        const int right = qMin(all.width(), qCeil((logical.right() + 1) * ratio));
        SkinTitleCache::Strip built;
        built.left = left;
        if (right > left) {
            QImage image(right - left, all.height(), QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            {
                SkinPainter stripPainter(&image, all.size(), left);
                paintBar(stripPainter);
            }
            bool opaque = true;
            for (int y = 0; y < image.height() && opaque; ++y) {
                const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    if (qAlpha(line[x]) != 255) {
                        opaque = false;
                        break;
                    }
                }
            }
            if (opaque) {
                {
                    SkinPainter stripPainter(&image, all.size(), left);
                    stripPainter.painter()->setLayoutDirection(layoutDirection());
                    paintTitle(stripPainter, icon, text, elided, font);
                }
                image.setDevicePixelRatio(1.0);
                built.pixmap = QPixmap::fromImage(image);
            }
        }
        const bool widthFree = mayIgnoreWidth && right <= all.width() - endWidth;
        m_titleCache.setStrip(widthFree ? anyWidth : key, built);
        strip = m_titleCache.strip(widthFree ? anyWidth : key);
    }
    if (strip->pixmap.isNull())
        paintTitle(painter, icon, text, elided, font);
    else
        painter.painter()->drawPixmap(strip->left, 0, strip->pixmap);
}

void SkinCaption::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The caption repaints whole at its new size: the buttons it moves need
    // no repaint of their own, which moving them would ask for twice each
    // (where a button was, where it goes).
    if (!updatesEnabled()) {
        updateButtons();
        return;
    }
    setUpdatesEnabled(false);
    updateButtons();
    setUpdatesEnabled(true);
}

Qt::Edges SkinCaption::resizeEdgesAt(const QPoint &pos) const
{
    if (!m_frame->isSizable() || m_frame->window()->isMaximized())
        return {};
    return FrameDrag::edgesAt(pos, m_frame->window()->size(), m_frame->resizeBand(),
                              FrameDrag::CornerGrip);
}

bool SkinCaption::iconPressed(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !iconRect().contains(event->position().toPoint()))
        return false;
    // The menu drops from the icon, over the caption's lower edge.
    const QRect icon = iconRect();
    const QPoint corner(layoutDirection() == Qt::RightToLeft ? icon.right() : icon.left(),
                        height());
    m_menu->open(mapToGlobal(corner), QRect(mapToGlobal(icon.topLeft()), icon.size()));
    event->accept();
    return true;
}

void SkinCaption::openWindowMenu()
{
    if (!isVisible())
        return;
    const QPoint corner(layoutDirection() == Qt::RightToLeft ? width() - 1 : 0, height());
    m_menu->open(mapToGlobal(corner));
}

void SkinCaption::contextMenuEvent(QContextMenuEvent *event)
{
    m_menu->open(event->globalPos());
    event->accept();
}

void SkinCaption::mousePressEvent(QMouseEvent *event)
{
    if (iconPressed(event))
        return;
    if (!m_drag.mousePress(event, m_frame->window(), resizeEdgesAt(event->position().toPoint()),
                           FrameDrag::Caption))
        QWidget::mousePressEvent(event);
}

void SkinCaption::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.mouseMove(event, this, resizeEdgesAt(event->position().toPoint()));
}

void SkinCaption::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.mouseRelease();
    QWidget::mouseReleaseEvent(event);
}

void SkinCaption::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && iconRect().contains(event->position().toPoint())) {
        m_menu->hide();
        perform(m_frame->window(), WindowRequest::Close);
        event->accept();
        return;
    }
    const CaptionButtonKind &maximize = CaptionButtons[SkinCaptionButton::Maximize];
    if (event->button() == Qt::LeftButton && m_frame->showsButton(maximize) &&
        m_frame->isSizable() && !resizeEdgesAt(event->position().toPoint())) {
        m_drag.mouseRelease();
        perform(m_frame->window(), maximize.request);
    }
    event->accept();
}

} // namespace tavrelctl
