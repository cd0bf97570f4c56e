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

// A private Wayland compositor (weston on its headless backend with the
// pixman renderer) with a runtime folder and socket of its own, so that
// parallel runs never meet. It shows windows where it likes on a plain
// background without a panel, and gives its screen to weston-screenshooter
// (it runs with --debug for that). There is no seat: no pointer, no keyboard,
// so no window ever gets the keyboard focus. Every tool run is bounded by a
// timeout; the last failure is kept in lastError() for the test's message.
class WaylandSession
{
public:
    WaylandSession();
    ~WaylandSession();

    // The programs this class runs that are not on PATH.
    static QStringList missingTools();
    // The colour of the screen where no window is.
    static QRgb background();
    // The smallest rectangle holding every pixel of `shot` that is not the
    // background: the windows on the screen, decorations included.
    static QRect drawnArea(const QImage &shot);
    // The whole screen of the compositor that `environment` names
    // (WAYLAND_DISPLAY, XDG_RUNTIME_DIR); null on failure, with the reason
    // in `error`.
    static QImage screenshot(const QProcessEnvironment &environment, QString *error);
    // The environment for a Qt program shown through `socket` in `runtime`,
    // with a home of its own at `home`; shared with the sway session.
    static QProcessEnvironment clientEnvironment(const QString &socket, const QString &runtime,
                                                 const QString &home);
    // A private runtime folder in `home`; empty on failure, with the reason
    // in `error`.
    static QString makeRuntime(const QTemporaryDir &home, QString *error);
    // The end of a compositor's log, for a failure's message.
    static QString logTail(const QString &path);

    // Starts the compositor and returns once its socket exists.
    bool start(const QSize &screen = QSize(1024, 768));
    void stop();
    QString socketName() const { return m_socket; }
    QString lastError() const { return m_lastError; }

    // The environment for a Qt program shown on this compositor.
    QProcessEnvironment environment() const;
    // Sets that environment on `process` and ties its life to this process.
    void prepare(QProcess *process) const;
    QImage screenshot() const;

private:
    std::unique_ptr<QProcess> m_compositor;
    QTemporaryDir m_home;
    QString m_socket;
    mutable QString m_lastError;
};

} // namespace e2e
