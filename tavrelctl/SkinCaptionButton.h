#pragma once

#include "SkinLayout.h"

#include <QAbstractButton>

namespace tavrelctl {

class SkinFrame;

// One caption button (close, maximise/restore, minimise) drawn from the glyph
// grid: normal, hover, pressed and disabled rows; the disabled row also
// stands for every button of an inactive window. Acts on release inside,
// like any push button, and never takes the keyboard focus.
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
    // Follows the window's state: the accessible name and the glyph.
    void updateRole();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Role m_role;
    const SkinFrame *const m_frame;
};

} // namespace tavrelctl
