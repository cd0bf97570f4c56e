#pragma once

#include <QImage>
#include <QList>
#include <QMargins>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace e2e {

using XWindow = quint64;

// A private X server (Xvfb on a display number it picks itself) with a window
// manager (openbox unless told otherwise) managing its windows, and the X command-line tools that
// look at it and drive it with real input. Every tool run is bounded by a timeout, so a stuck
// server or tool fails a test instead of hanging it; the last failure is kept in lastError() for
// the test's message.
class XSession
{
public:
    XSession();
    ~XSession();

    // The window managers a session can run: openbox, xfwm4, icewm, fluxbox,
    // mutter, kwin_x11, metacity.
    static QStringList windowManagers();
    // The programs this class runs with `windowManager` that are not on PATH.
    static QStringList missingTools(const QString &windowManager = QStringLiteral("openbox"));

    // Starts the server and `windowManager`, and returns once the window
    // manager has taken over the screen (_NET_SUPPORTING_WM_CHECK).
    bool start(const QString &windowManager = QStringLiteral("openbox"));
    void stop();
    QString display() const { return m_display; }
    QString windowManager() const { return m_windowManagerName; }
    QString lastError() const { return m_lastError; }

    // The environment for a Qt program shown on this server.
    QProcessEnvironment environment() const;
    // Sets that environment on `process` and ties its life to this process.
    void prepare(QProcess *process) const;

    // Mapped top-level windows whose title is exactly `title`.
    QList<XWindow> visibleWindows(const QString &title) const;
    // Position on the root window and size; null on failure.
    QRect geometry(XWindow window) const;
    // Space the window manager's decoration takes around the window; false
    // when the window manager has not said.
    bool frameExtents(XWindow window, QMargins *extents) const;
    // How far the window manager's frame reaches above the window, read
    // from the window tree (the top-level ancestor's top): mutter 43 leaves
    // _NET_FRAME_EXTENTS as it was when it takes its frame away. -1 on
    // failure.
    int frameTop(XWindow window) const;
    // The window's _NET_WM_STATE atoms (_NET_WM_STATE_MAXIMIZED_VERT, ...).
    QStringList windowStates(XWindow window) const;
    XWindow activeWindow() const;
    // _NET_CLIENT_LIST_STACKING: the managed windows, bottom first.
    QList<XWindow> stacking() const;
    // `windows` in the order the server stacks their top-level frames,
    // bottom first: what the screen shows. icewm 3.3 raises a clicked
    // window without updating _NET_CLIENT_LIST_STACKING.
    QList<XWindow> stackedOnScreen(const QList<XWindow> &windows) const;
    // Mapped and not hidden by an unmapped ancestor (a window manager's
    // frame of a minimised window).
    bool isViewable(XWindow window) const;
    // WM_TRANSIENT_FOR, or 0.
    XWindow transientFor(XWindow window) const;
    // Asks the window manager to add or remove a _NET_WM_STATE atom, as a
    // pager or a key binding does.
    bool changeState(XWindow window, const QString &state, bool add) const;
    QImage screenshot() const;

    bool key(const QString &keys) const;
    bool click(const QPoint &pos) const;
    // `count` clicks `delayMs` apart, each press released at once.
    bool clicks(const QPoint &pos, int count, int delayMs) const;
    bool movePointer(const QPoint &pos) const;
    // Presses at `from`, moves to `to` in small steps and releases.
    bool drag(const QPoint &from, const QPoint &to) const;
    // Asks the window manager; the test waits for the effect itself.
    bool activate(XWindow window) const;
    bool moveWindow(XWindow window, const QPoint &topLeft) const;

private:
    struct Result
    {
        bool ok = false;
        int exitCode = -1;
        QByteArray out;
    };
    Result run(const QString &program, const QStringList &args, int timeoutMs = 5000) const;
    bool runChecked(const QString &program, const QStringList &args) const;
    bool waitForWindowManager(int timeoutMs);
    // The child of the root window that holds `window` (its window
    // manager's frame, or itself); 0 on failure.
    XWindow topLevel(XWindow window) const;

    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    QTemporaryDir m_home;
    QString m_display;
    QString m_windowManagerName;
    mutable QString m_lastError;
};

} // namespace e2e
