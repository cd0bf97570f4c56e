#pragma once

#include "SkinCaptionButton.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>

namespace tavrelctl {

class SkinFrame;

// The window menu of a skinned window, the one its native frame would have
// offered: Restore, Move, Size, Minimize, Maximize and Close, each enabled as
// the window allows at the moment it opens (a fixed dialog: Move and Close).
// The caption opens it on a right-click, a click on its icon and Alt+Space.
// Move and Size run from the keyboard (KeyboardMoveSize). A second click on
// the icon that opened it, within the double-click time, closes the window,
// as a double-click on the icon of such a menu does.
class SkinWindowMenu : public QMenu
{
    Q_OBJECT
public:
    // Restore, Move and Size, then one item per caption button, in the
    // order the buttons have on the screen (CaptionButtons the other way
    // round); the last few named for callers.
    enum Item {
        Restore,
        Move,
        Size,
        FirstButtonItem,
        ItemCount = FirstButtonItem + SkinCaptionButton::RoleCount,
        Minimize = ItemCount - 1 - SkinCaptionButton::Minimize,
        Maximize = ItemCount - 1 - SkinCaptionButton::Maximize,
        Close = ItemCount - 1 - SkinCaptionButton::Close,
    };

    SkinWindowMenu(SkinFrame *frame, QWidget *parent);

    QAction *action(Item item) const { return m_actions[item]; }
    // Opens the menu with its top-left at `globalPos`. `iconRect` (global)
    // is the icon the click landed on, or empty when not opened from it.
    void open(const QPoint &globalPos, const QRect &iconRect = QRect());
    // Sets each item's enabled state from the window's state and flags.
    void updateItems();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The caption button an item stands for; none for Restore, Move, Size.
    static const CaptionButtonKind *buttonOf(Item item);
    void onTriggered(Item item);

    SkinFrame *const m_frame;
    QAction *m_actions[ItemCount] = {};
    QRect m_iconRect;
    QElapsedTimer m_opened;
};

} // namespace tavrelctl
