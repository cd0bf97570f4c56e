#pragma once

#include "FrameDrag.h"
#include "SkinTitleCache.h"

#include <QWidget>

namespace tavrelctl {

class SkinCaptionButton;
class SkinFrame;
class SkinPainter;
class SkinWindowMenu;

// The caption bar of a skinned window: left end, tiled or stretched middle and
// right end of the caption band, the window icon (where the window has its
// own) and the elided window title, and the caption buttons the window's
// flags ask for. Dragging it moves the window, a double-click maximises or
// restores a window that can maximise, and on a sizable window its top edge
// and ends resize. A right-click, a click on the icon and Alt+Space open the
// window menu; a double-click on the icon closes the window. Right-to-left
// windows get it mirrored.
class SkinCaption : public QWidget
{
    Q_OBJECT
public:
    // The window icon's size in the caption.
    static constexpr int IconSize = 16;

    SkinCaption(SkinFrame *frame, QWidget *window);

    QList<SkinCaptionButton *> buttons() const { return m_buttons; }
    // The buttons the window's flags ask for, in the order of buttons():
    // the only ones shown, enabled and in the accessible tree.
    QList<SkinCaptionButton *> offeredButtons() const;
    // Shows the buttons the window has now and puts them in place.
    void updateButtons();
    // Where the title is drawn (logical, this widget's coordinates), and the
    // icon's place (empty without an icon).
    QRect titleRect() const;
    QRect iconRect() const;
    QString title() const;
    Qt::Edges resizeEdgesAt(const QPoint &pos) const;
    SkinWindowMenu *windowMenu() const { return m_menu; }
    // Opens the window menu where Alt+Space opens it: under the caption's
    // leading end.
    void openWindowMenu();
    // Whether the last paint drew the buttons' glyphs (so the buttons need
    // not paint themselves).
    bool paintsButtonGlyphs() const { return m_paintsGlyphs; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool hasIcon() const;
    QRect mirrored(const QRect &r) const;
    void placeButton(SkinCaptionButton *button, const QRect &glyph, bool outermost);
    bool iconPressed(QMouseEvent *event);
    Qt::Alignment titleAlignment() const;
    void paintBar(SkinPainter &painter) const;
    void paintIconAndTitle(SkinPainter &painter);
    void paintTitle(SkinPainter &painter, const QRect &icon, const QRect &text,
                    const QString &elided, const QFont &font) const;

    SkinFrame *const m_frame;
    QList<SkinCaptionButton *> m_buttons; // one per row of CaptionButtons, in its order
    FrameDrag m_drag;
    SkinWindowMenu *const m_menu;
    SkinTitleCache m_titleCache;
    bool m_paintsGlyphs = false;
};

} // namespace tavrelctl
