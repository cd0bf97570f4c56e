#include "WaylandSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>

namespace e2e {

namespace {
constexpr QRgb Background = 0xff203040;

// The compositor and the application go when the test process goes, even
// when it crashes or CTest kills it on a timeout.
void dieWithParent(QProcess *process)
{
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

} // namespace

WaylandSession::WaylandSession() = default;

WaylandSession::~WaylandSession()
{
    stop();
}

QStringList WaylandSession::missingTools()
{
    QStringList missing;
    for (const char *tool : {"weston", "weston-screenshooter"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing << QLatin1String(tool);
    }
    return missing;
}

QString WaylandSession::logTail(const QString &path)
{
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(log.readAll().right(2000));
}

QRgb WaylandSession::background()
{
    return Background;
}

QRect WaylandSession::drawnArea(const QImage &shot)
{
    int left = shot.width(), top = shot.height(), right = -1, bottom = -1;
    for (int y = 0; y < shot.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if ((row[x] | 0xff000000) == Background)
                continue;
            left = qMin(left, x);
            right = qMax(right, x);
            top = qMin(top, y);
            bottom = y;
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QString WaylandSession::makeRuntime(const QTemporaryDir &home, QString *error)
{
    if (!home.isValid()) {
        *error = QStringLiteral("cannot create a temporary folder: %1").arg(home.errorString());
        return QString();
    }
    // The runtime folder holds the socket; the compositor wants it private.
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    if (!QDir().mkpath(runtime) ||
        !QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        *error = QStringLiteral("cannot create %1").arg(runtime);
        return QString();
    }
    return runtime;
}

bool WaylandSession::start(const QSize &screen)
{
    const QString runtime = makeRuntime(m_home, &m_lastError);
    if (runtime.isEmpty())
        return false;
    // A plain background and no panel, clock or screen lock: whatever is
    // not the background colour is a window.
    const QString config = m_home.filePath(QStringLiteral("weston.ini"));
    QFile ini(config);
    if (!ini.open(QIODevice::WriteOnly) ||
        ini.write(QStringLiteral("[core]\nidle-time=0\n\n[shell]\nbackground-color=0x%1\n"
                                 "panel-position=none\nlocking=false\n")
                      .arg(Background, 8, 16, QLatin1Char('0'))
                      .toLatin1()) < 0) {
        m_lastError = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    ini.close();
    m_socket = QStringLiteral("tavrel-%1").arg(QCoreApplication::applicationPid());

    m_compositor = std::make_unique<QProcess>();
    dieWithParent(m_compositor.get());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DISPLAY"));
    m_compositor->setProcessEnvironment(env);
    m_compositor->setProcessChannelMode(QProcess::MergedChannels);
    m_compositor->setStandardOutputFile(m_home.filePath(QStringLiteral("weston.log")));
    m_compositor->start(
        QStringLiteral("weston"),
        {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
         QStringLiteral("--debug"), QStringLiteral("--socket=") + m_socket,
         QStringLiteral("--width=%1").arg(screen.width()),
         QStringLiteral("--height=%1").arg(screen.height()), QStringLiteral("--config=") + config});
    if (!m_compositor->waitForStarted(5000)) {
        m_lastError = QStringLiteral("weston does not start: %1").arg(m_compositor->errorString());
        return false;
    }
    const QString socket = QDir(runtime).filePath(m_socket);
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_compositor->state() == QProcess::Running) {
        if (QFileInfo(socket).exists()) {
            // The desktop shell paints the background once its helper has
            // started: a screenshot of it is the proof that windows show.
            QString error;
            const QImage shot = screenshot(environment(), &error);
            if (!shot.isNull() && shot.pixel(0, 0) == Background)
                return true;
            m_lastError = error;
        }
        QThread::msleep(50);
    }
    m_lastError =
        QStringLiteral("weston gave no screen on %1 within 10 s (%2): %3")
            .arg(socket, m_lastError, logTail(m_home.filePath(QStringLiteral("weston.log"))));
    return false;
}

void WaylandSession::stop()
{
    if (m_compositor && m_compositor->state() != QProcess::NotRunning) {
        m_compositor->terminate();
        if (!m_compositor->waitForFinished(3000)) {
            m_compositor->kill();
            m_compositor->waitForFinished(3000);
        }
    }
    m_compositor.reset();
}

QProcessEnvironment WaylandSession::environment() const
{
    return clientEnvironment(m_socket, m_home.filePath(QStringLiteral("runtime")), m_home.path());
}

QProcessEnvironment WaylandSession::clientEnvironment(const QString &socket, const QString &runtime,
                                                      const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    env.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    env.remove(QStringLiteral("QT_STYLE_OVERRIDE"));
    env.remove(QStringLiteral("QT_WAYLAND_DECORATION"));
    env.remove(QStringLiteral("QT_WAYLAND_DISABLE_WINDOWDECORATION"));
    env.remove(QStringLiteral("QT_WAYLAND_SHELL_INTEGRATION"));
    // Qt 6.4's own Wayland text input reaches for the seat that this
    // compositor does not have as soon as a focused line edit draws its
    // cursor, and crashes; the client-side compose input keeps it out.
    env.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("compose"));
    // A home of our own keeps the developer's Qt settings out.
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral("config")));
    return env;
}

void WaylandSession::prepare(QProcess *process) const
{
    process->setProcessEnvironment(environment());
    dieWithParent(process);
}

QImage WaylandSession::screenshot() const
{
    return screenshot(environment(), &m_lastError);
}

QImage WaylandSession::screenshot(const QProcessEnvironment &environment, QString *error)
{
    // The tool writes one PNG, named after the time, into its working folder.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = QStringLiteral("cannot create a temporary folder: %1").arg(folder.errorString());
        return QImage();
    }
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.setWorkingDirectory(folder.path());
    tool.start(QStringLiteral("weston-screenshooter"), {});
    if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        if (tool.state() != QProcess::NotRunning) {
            tool.kill();
            tool.waitForFinished(1000);
        }
        *error = QStringLiteral("weston-screenshooter failed (%1): %2")
                     .arg(tool.errorString(),
                          QString::fromLocal8Bit(tool.readAllStandardError()).trimmed());
        return QImage();
    }
    const QStringList files =
        QDir(folder.path()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    QImage image;
    if (files.size() != 1 || !image.load(QDir(folder.path()).filePath(files.first()))) {
        *error = QStringLiteral("weston-screenshooter wrote %1 instead of one PNG")
                     .arg(files.join(QLatin1Char(' ')));
        return QImage();
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace e2e
