#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tavrelctl {

// Keeps one window's client area where it is on the screen while its frame
// changes between the window system's and the skin's, and the window's size
// and size limits grown by the skin while it is on. It also keeps what a
// maximised window comes back to and answers the window managers that get
// that wrong. SkinFrame decides when the frame changes and tells this class
// before and after; FramePlacement does the arithmetic.
class WindowPlacement : public QObject
{
    Q_OBJECT
public:
    // What a switch keeps, taken while the old frame is still on.
    struct Switch
    {
        QRect client;             // null: the window is not placed (hidden, maximised, Wayland)
        bool inFullState = false; // maximised or full screen during the switch
        // `client` holds the place the program asked for the window's frame
        // (its top-left) and the client area's size: the skin's frame goes
        // there, as the window manager's would.
        bool framePlace = false;
        // A dialog Qt centred on its parent (or the screen) as it showed it:
        // the skinned dialog is centred there in turn.
        bool centred = false;
    };

    explicit WindowPlacement(QWidget *window);

    // Before the frame flags change.
    Switch beginSwitch();
    // After the window became frameless: the window is grown around its
    // client area by `skin` (caption on top). `skinMinimum` is the smallest
    // a skinned window may become, empty for one that keeps its size limits.
    void skinOn(const Switch &kept, const QMargins &skin, const QSize &skinMinimum);
    // After the native frame is back: the window shrinks around its client
    // area and gets its own size limits back.
    void skinOff(const Switch &kept);
    // While the window closes or is hidden: the skinned window becomes its
    // client area alone, at its place, with its own size limits, still
    // frameless; stepIn() grows it around that client area again.
    Switch beginStepAside() const;
    void stepAside(const Switch &kept);
    void stepIn(const QMargins &skin, const QSize &skinMinimum);
    // setWindowFlags() while stepped aside: QWidget::setParent() hides the
    // window, recreates it with the new flags and puts back the position it
    // had before it hid, which undoes the step aside's move.
    void keepAsidePlace();

    // Hooks for the window's events.
    void onShown();
    void onWindowStateChange(Qt::WindowStates oldState);

private:
    // Whether a switch keeps the client area's place: the window is shown
    // with its own size and place, where clients place windows.
    bool keepsClientPlace() const;
    bool isInFullState() const;
    // Neither maximised, full screen nor minimised: the window's own size
    // and place hold.
    bool hasOwnGeometry() const;
    QRect availableArea() const;
    QRect centredOnOwner(const QSize &outer) const;
    QRect clientNow() const;
    QRect clientToKeep() const;
    void placeSkinned(const QRect &client);
    void placeNative(const QRect &client);
    // Gives the window `geometry`, remembering it and the client area it
    // keeps.
    void requestGeometry(const QRect &geometry, const QRect &client);
    void rememberNativeFrame();
    void restoreNormal();
    void settlePlace();
    // Gives the native window a base size before the skin sets size limits.
    void settleBaseSize();
    void growWindow(const QRect &client, const QSize &skinMinimum);
    void shrinkWindow(const QRect &client, bool keepFrameless);
    QSize limitedToScreen(const QSize &size) const;

    QWidget *const m_window;
    bool m_skinned = false;
    QMargins m_skin;        // the skin's frame, from the last skinOn()
    QMargins m_nativeFrame; // the window system's frame, last seen
    QRect m_asked;          // the geometry the last switch asked for
    QRect m_keptClient;     // the client rectangle that switch kept
    QRect m_normalClient;   // the client rectangle to restore a maximised window to
    static constexpr int RestoreTries = 6;
    static constexpr int RestoreStepMs = 120;
    bool m_restorePending = false;
    int m_restoreTries = 0;
    int m_settleTries = 0;
    QTimer m_settleTimer; // one settle run at a time, however many switches
    // Size and limits the skin changed, to be undone only where the window
    // has not changed them since.
    bool m_resized = false;
    QSize m_sizeBefore, m_sizeAfter;
    bool m_minChanged = false, m_maxChanged = false;
    QSize m_minBefore, m_maxBefore, m_minAfter, m_maxAfter;
};

} // namespace tavrelctl
