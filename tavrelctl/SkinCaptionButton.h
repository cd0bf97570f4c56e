#pragma once

#include "SkinLayout.h"

#include <QAbstractButton>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tavrelctl {

class SkinFrame;
class SkinPainter;

// What a caption button, the window menu item beside it, or a double-click
// asks of the window.
enum class WindowRequest { Close, ToggleMaximize, Minimize };
// Does it; the window may refuse a close in its close event.
void perform(QWidget *window, WindowRequest request);

// One kind of caption button.
struct CaptionButtonKind
{
    const char *objectName;
    SkinLayout::Glyph glyph;          // its column in the glyph grid
    SkinLayout::Glyph maximizedGlyph; // the column while the window is maximised
    const char *name;                 // accessible name and tool tip
    const char *maximizedName;
    // Shown when the window's flags ask for it (a window without any
    // decoration hint gets the defaults of its type); none: always.
    Qt::WindowType hint;
    bool needsSizable; // shown disabled on a fixed-size window
    WindowRequest request;
    const char *menuText; // its item in the window menu
};

// The caption's buttons from its trailing end (close outermost), the order
// in which the caption lays them out; the window menu lists them the other
// way round, after Restore, Move and Size. SkinCaptionButton::Role indexes
// it. A new button is a row here and its column in the glyph grid.
inline constexpr CaptionButtonKind CaptionButtons[] = {
    {"tavrelskin_close", SkinLayout::CloseGlyph, SkinLayout::CloseGlyph, "Close", "Close",
     Qt::Widget, false, WindowRequest::Close, "&Close"},
    {"tavrelskin_maximize", SkinLayout::MaximizeGlyph, SkinLayout::RestoreGlyph, "Maximize",
     "Restore", Qt::WindowMaximizeButtonHint, true, WindowRequest::ToggleMaximize, "Ma&ximize"},
    {"tavrelskin_minimize", SkinLayout::MinimizeGlyph, SkinLayout::MinimizeGlyph, "Minimize",
     "Minimize", Qt::WindowMinimizeButtonHint, false, WindowRequest::Minimize, "Mi&nimize"},
};

// One caption button (close, maximise/restore, minimise) drawn from the glyph
// grid (SkinLayout says which row serves which state): normal, hot while the
// pointer is over it, pressed while it is held with the pointer over it, and
// the grey row when disabled; while its window is inactive and the pointer
// is elsewhere, the normal glyph in grey. Acts on release inside, like any
// push button, and never takes the keyboard focus. Its hit area may be
// larger than the glyph (a maximised window's buttons reach the screen's
// edge).
class SkinCaptionButton : public QAbstractButton
{
    Q_OBJECT
public:
    // Index into CaptionButtons below.
    enum Role { Close, Maximize, Minimize, RoleCount };

    SkinCaptionButton(Role role, const SkinFrame *frame, QWidget *parent);

    Role role() const { return m_role; }
    const CaptionButtonKind &kind() const { return CaptionButtons[m_role]; }
    // The glyph it shows now (a maximise button of a maximised window
    // shows the restore glyph) and the glyph row.
    SkinLayout::Glyph glyph() const;
    SkinLayout::GlyphState glyphState() const;
    bool isPointerOver() const { return m_pointerOver; }
    // Follows the window's state: the accessible name and the glyph.
    void updateRole();
    // Where the glyph is drawn inside the button (logical); the rest of the
    // button only widens its hit area.
    QRect glyphRect() const { return m_glyphRect.isNull() ? rect() : m_glyphRect; }
    void setGlyphRect(const QRect &rect);
    // Draws the glyph of the button's state over `target` (device pixels of
    // the painter's widget).
    void paintGlyph(SkinPainter &painter, const QRect &target) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setPointerOver(bool over);

    const Role m_role;
    const SkinFrame *const m_frame;
    QRect m_glyphRect;
    bool m_pointerOver = false;
};

} // namespace tavrelctl
