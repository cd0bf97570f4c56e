#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace e2e {

// A window as sway's tree shows it: its place in the layout's (logical)
// coordinates, window decorations drawn by the client included.
struct SwayWindow
{
    qint64 id = 0;
    QString title;
    QRect rect;
    bool focused = false;
    // On a workspace that is shown (not in the scratchpad, say).
    bool visible = false;
    bool fullScreen = false;
    // Floating windows of the workspace, bottom first: stacking order.
    int stackIndex = -1;
    bool floating = false;
};

// A private sway on its headless backend (pixman renderer, no Xwayland),
// with a runtime folder and socket of its own, and wlinput beside it: one
// virtual pointer and one virtual keyboard for the session's whole life,
// driven line by line, so that a focused window keeps its focus between
// steps. Windows float where sway centres them (the session's config makes
// every window floating, as a desktop's windows are). sway refuses to run as root: run by root,
// sway runs as "nobody" in a folder given to it, and the clients (the program, the driver, swaymsg,
// grim) as root, which may connect to its sockets.
class SwaySession
{
public:
    SwaySession();
    ~SwaySession();

    // What this class needs that is not there; `wlinput` is the driver's
    // path (empty when it was not built, with `wlinputMissing` saying why).
    static QStringList missingTools(const QString &wlinput, const QString &wlinputMissing);

    // Starts sway with one output of `screen` device pixels at `scale`, and
    // the input driver; returns once both answer.
    bool start(const QString &wlinput, const QSize &screen = QSize(1280, 1024), int scale = 1);
    void stop();
    QString lastError() const { return m_lastError; }
    // The layout's size in logical pixels.
    QSize layoutSize() const { return m_screen / m_scale; }
    int scale() const { return m_scale; }

    QProcessEnvironment environment() const;
    // Sets that environment on `process` and ties its life to this process.
    void prepare(QProcess *process) const;
    // The whole output in device pixels; null on failure.
    QImage screenshot() const;

    // The program's windows (those with a client behind them).
    QList<SwayWindow> windows() const;
    QList<SwayWindow> windows(const QString &title) const;
    SwayWindow window(qint64 id) const;
    // A command to sway for the window (e.g. "move position 640 480").
    bool command(qint64 id, const QString &what);

    // One line to the input driver; true once it was delivered.
    bool input(const QString &line);
    // Pointer and keys, in logical coordinates.
    bool movePointer(const QPoint &at);
    bool click(const QPoint &at, int count = 1, int gapMs = 80);
    // Press, move there in DragSteps steps, release. The first step is
    // followed by a longer pause, for the program to start a move there.
    bool drag(const QPoint &from, const QPoint &to);
    static constexpr int DragSteps = 8;
    // Where the pointer is after `step` steps along `way`, from the press.
    static QPoint dragPoint(const QPoint &way, int step) { return way * step / DragSteps; }
    bool key(const QString &name);

private:
    QByteArray ipc(const QStringList &args) const;

    std::unique_ptr<QProcess> m_compositor, m_driver;
    QTemporaryDir m_home;
    QString m_socket, m_ipcSocket;
    QSize m_screen;
    int m_scale = 1;
    mutable QString m_lastError;
};

} // namespace e2e
