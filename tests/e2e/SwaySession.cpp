#include "SwaySession.h"

#include "WaylandSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

namespace e2e {

namespace {
constexpr int ToolTimeout = 10000;

// Who runs the session: the test's own user, or "nobody" under root.
struct User
{
    bool drop = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

User sessionUser()
{
    User user;
    if (::geteuid() != 0)
        return user;
    if (const passwd *pw = ::getpwnam("nobody")) {
        user.drop = true;
        user.uid = pw->pw_uid;
        user.gid = pw->pw_gid;
    }
    return user;
}

// Everything the session runs goes when the test process goes, even when it
// crashes or CTest kills it on a timeout. The death signal is set after the
// change of user, which would clear it.
void runAs(QProcess *process, const User &user)
{
    process->setChildProcessModifier([user] {
        if (user.drop &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0))
            ::_exit(126);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
}

bool giveTo(const QString &path, const User &user)
{
    if (!user.drop)
        return true;
    bool ok = ::chown(QFile::encodeName(path).constData(), user.uid, user.gid) == 0;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = ::chown(QFile::encodeName(it.next()).constData(), user.uid, user.gid) == 0 && ok;
    return ok;
}

void collect(const QJsonObject &node, bool floating, int stackIndex, QList<SwayWindow> *out)
{
    if (node.contains(QLatin1String("pid"))) {
        SwayWindow w;
        w.id = node.value(QLatin1String("id")).toInteger();
        w.title = node.value(QLatin1String("name")).toString();
        const QJsonObject r = node.value(QLatin1String("rect")).toObject();
        w.rect = QRect(r.value(QLatin1String("x")).toInt(), r.value(QLatin1String("y")).toInt(),
                       r.value(QLatin1String("width")).toInt(),
                       r.value(QLatin1String("height")).toInt());
        w.focused = node.value(QLatin1String("focused")).toBool();
        w.visible = node.value(QLatin1String("visible")).toBool();
        w.fullScreen = node.value(QLatin1String("fullscreen_mode")).toInt() != 0;
        w.floating = floating;
        w.stackIndex = stackIndex;
        out->append(w);
    }
    for (const QJsonValue &child : node.value(QLatin1String("nodes")).toArray())
        collect(child.toObject(), floating, stackIndex, out);
    const QJsonArray floats = node.value(QLatin1String("floating_nodes")).toArray();
    for (int i = 0; i < floats.size(); ++i)
        collect(floats.at(i).toObject(), true, i, out);
}
} // namespace

SwaySession::SwaySession() = default;

SwaySession::~SwaySession()
{
    stop();
}

QStringList SwaySession::missingTools(const QString &wlinput, const QString &wlinputMissing)
{
    QStringList missing;
    for (const char *tool : {"sway", "swaymsg", "grim"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing << QLatin1String(tool);
    }
    if (wlinput.isEmpty())
        missing << QStringLiteral("the input driver tools/wlinput (not built for want of %1)")
                       .arg(wlinputMissing);
    if (::geteuid() == 0 && !sessionUser().drop)
        missing << QStringLiteral("a user \"nobody\" to run sway, which refuses root");
    return missing;
}

bool SwaySession::start(const QString &wlinput, const QSize &screen, int scale)
{
    m_screen = screen;
    m_scale = qMax(1, scale);
    const QString runtime = WaylandSession::makeRuntime(m_home, &m_lastError);
    if (runtime.isEmpty())
        return false;
    QDir().mkpath(m_home.filePath(QStringLiteral("config")));
    // Every window floats, as on a desktop, instead of filling the screen
    // in tiles; the pointer gives no focus by passing, and a program's
    // request for the focus (xdg activation) is granted.
    const QString config = m_home.filePath(QStringLiteral("sway.config"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QStringLiteral("output HEADLESS-1 resolution %1x%2 scale %3\n"
                                  "xwayland disable\n"
                                  "focus_follows_mouse no\n"
                                  "focus_on_window_activation focus\n"
                                  "for_window [app_id=\".*\"] floating enable\n")
                       .arg(screen.width())
                       .arg(screen.height())
                       .arg(m_scale)
                       .toLatin1()) < 0) {
        m_lastError = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.close();
    const QString log = m_home.filePath(QStringLiteral("sway.log"));
    QFile(log).open(QIODevice::WriteOnly);
    if (!giveTo(m_home.path(), sessionUser())) {
        m_lastError = QStringLiteral("cannot give %1 to the user \"nobody\"").arg(m_home.path());
        return false;
    }

    m_compositor = std::make_unique<QProcess>();
    runAs(m_compositor.get(), sessionUser());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK", "I3SOCK"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    m_compositor->setProcessEnvironment(env);
    m_compositor->setProcessChannelMode(QProcess::MergedChannels);
    m_compositor->setStandardOutputFile(log, QIODevice::Append);
    m_compositor->start(QStringLiteral("sway"), {QStringLiteral("-c"), config});
    if (!m_compositor->waitForStarted(5000)) {
        m_lastError = QStringLiteral("sway does not start: %1").arg(m_compositor->errorString());
        return false;
    }
    // sway picks its socket's name itself.
    const QDeadlineTimer deadline(ToolTimeout);
    bool answers = false;
    while (!deadline.hasExpired() && m_compositor->state() == QProcess::Running && !answers) {
        const QDir dir(runtime);
        const QStringList sockets =
            dir.entryList({QStringLiteral("wayland-*")}, QDir::System | QDir::Files);
        const QStringList ipcs = dir.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
        for (const QString &s : sockets) {
            if (!s.endsWith(QLatin1String(".lock")))
                m_socket = s;
        }
        if (!m_socket.isEmpty() && !ipcs.isEmpty()) {
            m_ipcSocket = dir.filePath(ipcs.first());
            answers = !ipc({QStringLiteral("-t"), QStringLiteral("get_outputs")}).isEmpty();
        }
        if (!answers)
            QThread::msleep(50);
    }
    if (!answers) {
        m_lastError = QStringLiteral("sway gave no socket and IPC in %1 within 10 s (%2): %3")
                          .arg(runtime, m_lastError, WaylandSession::logTail(log));
        return false;
    }

    m_driver = std::make_unique<QProcess>();
    prepare(m_driver.get());
    m_driver->start(
        wlinput, {QString::number(layoutSize().width()), QString::number(layoutSize().height())});
    if (!m_driver->waitForStarted(5000)) {
        m_lastError = QStringLiteral("%1 does not start: %2").arg(wlinput, m_driver->errorString());
        return false;
    }
    QByteArray first;
    const QDeadlineTimer ready(ToolTimeout);
    while (!ready.hasExpired() && m_driver->state() == QProcess::Running &&
           !m_driver->canReadLine())
        m_driver->waitForReadyRead(100);
    first = m_driver->readLine().trimmed();
    if (first != "ready") {
        m_lastError = QStringLiteral("%1 is not ready (%2, exit code %3): '%4' %5")
                          .arg(wlinput, m_driver->errorString())
                          .arg(m_driver->exitCode())
                          .arg(QString::fromLocal8Bit(first),
                               QString::fromLocal8Bit(m_driver->readAllStandardError()));
        return false;
    }
    return true;
}

void SwaySession::stop()
{
    for (std::unique_ptr<QProcess> *p : {&m_driver, &m_compositor}) {
        QProcess *process = p->get();
        if (process && process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
        p->reset();
    }
}

QProcessEnvironment SwaySession::environment() const
{
    QProcessEnvironment env = WaylandSession::clientEnvironment(
        m_socket, m_home.filePath(QStringLiteral("runtime")), m_home.path());
    env.insert(QStringLiteral("SWAYSOCK"), m_ipcSocket);
    return env;
}

void SwaySession::prepare(QProcess *process) const
{
    process->setProcessEnvironment(environment());
    // Clients run as the test's own user: root reaches the sockets of the
    // compositor's user, while that user may not reach a checkout that
    // only root can read (/root in a CI machine, say).
    runAs(process, User());
}

QByteArray SwaySession::ipc(const QStringList &args) const
{
    QProcess tool;
    prepare(&tool);
    tool.start(QStringLiteral("swaymsg"), QStringList{QStringLiteral("-s"), m_ipcSocket} + args);
    if (!tool.waitForFinished(ToolTimeout) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        m_lastError = QStringLiteral("swaymsg %1: %2 %3")
                          .arg(args.join(QLatin1Char(' ')), tool.errorString(),
                               QString::fromLocal8Bit(tool.readAllStandardError()).trimmed() +
                                   QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed());
        tool.kill();
        tool.waitForFinished(1000);
        return QByteArray();
    }
    return tool.readAllStandardOutput();
}

QImage SwaySession::screenshot() const
{
    QProcess tool;
    prepare(&tool);
    tool.start(QStringLiteral("grim"),
               {QStringLiteral("-t"), QStringLiteral("png"), QStringLiteral("-l"),
                QStringLiteral("0"), QStringLiteral("-")});
    QImage image;
    if (!tool.waitForFinished(ToolTimeout) || tool.exitCode() != 0 ||
        !image.loadFromData(tool.readAllStandardOutput(), "PNG")) {
        m_lastError = QStringLiteral("grim gave no picture: %1")
                          .arg(QString::fromLocal8Bit(tool.readAllStandardError()).trimmed());
        tool.kill();
        tool.waitForFinished(1000);
        return QImage();
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QList<SwayWindow> SwaySession::windows() const
{
    const QJsonObject tree =
        QJsonDocument::fromJson(ipc({QStringLiteral("-t"), QStringLiteral("get_tree")})).object();
    QList<SwayWindow> found;
    collect(tree, false, -1, &found);
    return found;
}

QList<SwayWindow> SwaySession::windows(const QString &title) const
{
    QList<SwayWindow> found = windows();
    found.removeIf([&](const SwayWindow &w) { return w.title != title; });
    return found;
}

SwayWindow SwaySession::window(qint64 id) const
{
    for (const SwayWindow &w : windows()) {
        if (w.id == id)
            return w;
    }
    return SwayWindow();
}

bool SwaySession::command(qint64 id, const QString &what)
{
    const QByteArray reply = ipc({QStringLiteral("[con_id=%1] %2").arg(id).arg(what)});
    const QJsonArray results = QJsonDocument::fromJson(reply).array();
    if (!results.isEmpty() && results.first().toObject().value(QLatin1String("success")).toBool())
        return true;
    if (!reply.isEmpty())
        m_lastError =
            QStringLiteral("sway refused '%1': %2").arg(what, QString::fromUtf8(reply).trimmed());
    return false;
}

bool SwaySession::input(const QString &line)
{
    if (!m_driver || m_driver->state() != QProcess::Running) {
        m_lastError = QStringLiteral("the input driver is not running");
        return false;
    }
    m_driver->write(line.toUtf8() + '\n');
    const QDeadlineTimer deadline(ToolTimeout);
    while (!deadline.hasExpired() && m_driver->state() == QProcess::Running &&
           !m_driver->canReadLine())
        m_driver->waitForReadyRead(100);
    const QByteArray answer = m_driver->readLine().trimmed();
    if (answer == "ok")
        return true;
    m_lastError = QStringLiteral("input '%1': %2")
                      .arg(line, answer.isEmpty() ? QStringLiteral("no answer")
                                                  : QString::fromLocal8Bit(answer));
    return false;
}

bool SwaySession::movePointer(const QPoint &at)
{
    return input(QStringLiteral("move %1 %2").arg(at.x()).arg(at.y()));
}

bool SwaySession::click(const QPoint &at, int count, int gapMs)
{
    return movePointer(at) && input(QStringLiteral("sleep 30")) &&
           input(QStringLiteral("click %1 %2").arg(count).arg(gapMs));
}

bool SwaySession::drag(const QPoint &from, const QPoint &to)
{
    if (!movePointer(from) || !input(QStringLiteral("sleep 100")) ||
        !input(QStringLiteral("down")) || !input(QStringLiteral("sleep 150")))
        return false;
    for (int i = 1; i <= DragSteps; ++i) {
        if (!movePointer(from + dragPoint(to - from, i)) ||
            !input(i == 1 ? QStringLiteral("sleep 400") : QStringLiteral("sleep 40")))
            return false;
    }
    return input(QStringLiteral("sleep 200")) && input(QStringLiteral("up"));
}

bool SwaySession::key(const QString &name)
{
    return input(QStringLiteral("key ") + name);
}

} // namespace e2e
