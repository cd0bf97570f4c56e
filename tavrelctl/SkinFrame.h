#pragma once

#include "SkinLayout.h"
#include "WindowPlacement.h"

#include <QMargins>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

namespace tavrelctl {

struct CaptionButtonKind;
class SkinBorder;
class SkinCaption;
class SkinCaptionButton;
class SkinPicture;
class SkinTheme;

// The skin of one window: takes the native frame off and puts it back, and
// keeps what it needs to undo exactly what it did. While applied it owns the
// caption bar (with its buttons) and the three border strips, all children of
// the window named "tavrelskin_..." that no control enumeration should move;
// it moves the window's other children clear of them and recolours the window
// through its palette (the controls inherit those colours; a colour a control
// sets itself wins). Its WindowPlacement keeps the client area's size and
// place on the screen through each switch. A full-screen window shows its
// client alone: the skin steps aside until it leaves full screen. Flags the
// program sets on the skinned window become the window's own, the frameless
// hint staying the skin's. It watches the window's activation for the whole
// time it exists, skinned or not, and reports each change once.
class SkinFrame : public QObject
{
    Q_OBJECT
public:
    SkinFrame(QWidget *window, std::shared_ptr<const SkinPicture> picture);
    ~SkinFrame() override;

    QWidget *window() const { return m_window; }
    bool isApplied() const { return m_applied; }
    // Applied, but out of the way of a full-screen window: no caption, no
    // borders, the children and contents margins at their native place.
    // Applied, but the frame out of the way: full screen, or while the
    // window closes or is hidden.
    bool isAside() const { return m_aside || m_fullScreen; }
    void apply();
    void remove();

    // The colour scheme, one for every skinned window of the process
    // (SkinRegistry): setting it here sets it for all of them. Kept while
    // the skin is off and used by the next apply().
    int scheme() const;
    void setScheme(int scheme);
    // The registry's scheme changed.
    void onSchemeChanged();

    const SkinTheme &theme() const;
    SkinLayout::Look look() const { return m_active ? SkinLayout::Active : SkinLayout::Inactive; }
    // Space the skin takes around the client area (caption on top).
    QMargins frameMargins() const { return m_frame; }
    int captionHeight() const { return m_captionHeight; }
    // Where a press resizes the window (only for a sizable window).
    QMargins resizeBand() const;
    bool isSizable() const { return m_sizable; }
    // The smallest a sizable skinned window may become: the caption's two
    // ends, its buttons and a few characters of title side by side, and the
    // caption above the bottom border.
    QSize skinMinimumSize() const;
    // Whether the caption shows a button of that kind: the window's flags
    // when the skin went on ask for it.
    bool showsButton(const CaptionButtonKind &kind) const;

    SkinCaption *caption() const;
    QList<SkinCaptionButton *> buttons() const;

    static bool isSkinWidget(const QObject *object);

Q_SIGNALS:
    void activationChanged(bool active);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct ChildRecord
    {
        QPointer<QWidget> widget;
        QRect before;
        QRect after;
        // The child covered the whole window (a window that lays out its own
        // inner widget, QWizard's among them): it covers the client area.
        bool fills = false;
    };
    // A role the skin set on the window (one the window had not set itself).
    struct PaletteRecord
    {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        QBrush mine;
    };

    void computeMetrics();
    void createHelpers();
    void placeHelpers();
    void hideHelpers();
    void deleteHelpers();
    void followFullScreen();
    bool followFlagChange();
    bool helpersOnTop(const std::array<QWidget *, 4> &helpers) const;
    void collectChildren();
    void moveChildrenIn();
    void moveChildrenOut();
    QRect clientRect() const;
    bool keepInside(QWidget *child);
    // The frame's part of apply() and remove(), and of stepping aside.
    void frameIn();
    void frameOut();
    void stepAside();
    void stepIn();
    void setFrameless(bool frameless);
    void applyPalette();
    void restorePalette();
    QPalette schemePalette() const;
    void updateLook();
    void onActivation(bool active);

    QWidget *const m_window;
    const std::shared_ptr<const SkinPicture> m_picture;
    bool m_applied = false;
    // Applied, but the client shown alone while the window is full screen.
    bool m_fullScreen = false;
    // Applied, but stepped aside while the window closes or is hidden:
    // what the program saves of its geometry is its client area's.
    bool m_aside = false;
    bool m_showing = false; // handing the window its show event
    bool m_active = false;
    std::optional<bool> m_reportedActive;

    // Settled by apply().
    Qt::WindowFlags m_nativeFlags;
    bool m_sizable = true;
    int m_captionHeight = 0;
    QMargins m_frame;
    QMargins m_savedContentsMargins;
    QList<ChildRecord> m_children;
    QList<PaletteRecord> m_palette;
    QPointer<QWidget> m_savedFocus;
    // Where the window is and what size it has through the switches.
    WindowPlacement m_placement;

    QPointer<SkinCaption> m_caption;
    QPointer<SkinBorder> m_left, m_right, m_bottom;
};

} // namespace tavrelctl
