#pragma once

#include "SkinLayout.h"

#include <QAbstractButton>

namespace tavrelctl {

class SkinFrame;
class SkinPainter;

// One caption button (close, maximise/restore, minimise) drawn from the glyph
// grid (SkinLayout says which row serves which state): normal, hot while the
// pointer is over it, pressed while it is held with the pointer over it, and
// the grey row when disabled; while its window is inactive and the pointer
// is elsewhere, the normal glyph in grey. Acts on release inside, like any push button, and never takes
// the keyboard focus. Its hit area may be larger than the glyph (a maximised
// window's buttons reach the screen's edge).
class SkinCaptionButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum Role { Close, Maximize, Minimize };

    SkinCaptionButton(Role role, const SkinFrame *frame, QWidget *parent);

    Role role() const { return m_role; }
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
