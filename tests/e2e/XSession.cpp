#include "XSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>

#include <xcb/xcb.h>

#include <sys/prctl.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <optional>

namespace e2e {

namespace {
const QStringList &tools()
{
    static const QStringList names{QStringLiteral("Xvfb"), QStringLiteral("xdotool"),
                                   QStringLiteral("xprop"), QStringLiteral("xwininfo"),
                                   QStringLiteral("import")};
    return names;
}

// How each window manager is started: xfwm4 wants a session bus of its own.
struct WindowManagerCommand
{
    QString program;
    QStringList arguments;
    QStringList needs;
};

std::optional<WindowManagerCommand> windowManagerCommand(const QString &name)
{
    if (name == QLatin1String("openbox"))
        return WindowManagerCommand{name, {QStringLiteral("--sm-disable")}, {name}};
    if (name == QLatin1String("xfwm4")) {
        return WindowManagerCommand{QStringLiteral("dbus-run-session"),
                                    {QStringLiteral("--"), name, QStringLiteral("--compositor=off"),
                                     QStringLiteral("--sm-client-disable")},
                                    {QStringLiteral("dbus-run-session"), name}};
    }
    if (name == QLatin1String("icewm"))
        return WindowManagerCommand{name, {}, {name}};
    // The desktops' window managers want a session bus of their own, too.
    if (name == QLatin1String("mutter")) {
        return WindowManagerCommand{
            QStringLiteral("dbus-run-session"),
            {QStringLiteral("--"), name, QStringLiteral("--x11"), QStringLiteral("--replace")},
            {QStringLiteral("dbus-run-session"), name}};
    }
    if (name == QLatin1String("kwin_x11") || name == QLatin1String("metacity")) {
        return WindowManagerCommand{QStringLiteral("dbus-run-session"),
                                    {QStringLiteral("--"), name, QStringLiteral("--replace")},
                                    {QStringLiteral("dbus-run-session"), name}};
    }
    if (name == QLatin1String("fluxbox"))
        return WindowManagerCommand{name, {}, {name}};
    return std::nullopt;
}

// The server, the window manager and the application go when the test
// process goes, even when it crashes or CTest kills it on a timeout.
void dieWithParent(QProcess *process)
{
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

void endProcess(QProcess *process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}
// The processes started by `pid`, and theirs, from /proc.
QList<pid_t> descendants(qint64 pid)
{
    QList<pid_t> found;
    QList<qint64> next{pid};
    while (!next.isEmpty()) {
        const qint64 parent = next.takeFirst();
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(parent));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(tasks.filePath(task + QStringLiteral("/children")));
            if (!children.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray &id : children.readAll().split(' ')) {
                bool ok = false;
                const qint64 child = id.trimmed().toLongLong(&ok);
                if (ok && child > 0) {
                    found << pid_t(child);
                    next << child;
                }
            }
        }
    }
    return found;
}

// A window manager started through dbus-run-session outlives the wrapper
// when the wrapper is ended: it then lost its X server as ours went, and
// kwin_x11 took that for a crash and was started again by KCrash
// ("kwin_x11 --crashes 1", its parent gone). That one connected to the next
// row's server, which gets the same display number, and fought that row's
// window manager: metacity after kwin_x11 left the main window without a
// title bar. The wrapper's own processes are ended first, while the
// server is still there.
void endWindowManager(QProcess *process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    const QList<pid_t> started = descendants(process->processId());
    for (pid_t pid : started)
        ::kill(pid, SIGTERM);
    // Gone, or a zombie its parent has not reaped yet.
    const auto running = [](pid_t pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype name = line.lastIndexOf(')');
        return name >= 0 && line.mid(name + 2, 1) != "Z";
    };
    const QDeadlineTimer deadline(3000);
    while (std::any_of(started.cbegin(), started.cend(), running) && !deadline.hasExpired())
        QThread::msleep(50);
    for (pid_t pid : started) {
        if (running(pid))
            ::kill(pid, SIGKILL);
    }
    endProcess(process);
}
} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    stop();
}

QStringList XSession::windowManagers()
{
    return {QStringLiteral("openbox"), QStringLiteral("xfwm4"),  QStringLiteral("icewm"),
            QStringLiteral("fluxbox"), QStringLiteral("mutter"), QStringLiteral("kwin_x11"),
            QStringLiteral("metacity")};
}

QStringList XSession::missingTools(const QString &windowManager)
{
    QStringList needed = tools();
    if (const auto command = windowManagerCommand(windowManager))
        needed += command->needs;
    else
        needed += windowManager;
    QStringList missing;
    for (const QString &tool : std::as_const(needed)) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    }
    return missing;
}

bool XSession::start(const QString &windowManager)
{
    const auto command = windowManagerCommand(windowManager);
    if (!command) {
        m_lastError = QStringLiteral("unknown window manager: %1").arg(windowManager);
        return false;
    }
    m_windowManagerName = windowManager;
    if (!m_home.isValid()) {
        m_lastError =
            QStringLiteral("cannot create a temporary home: %1").arg(m_home.errorString());
        return false;
    }
    QDir(m_home.path()).mkpath(QStringLiteral("runtime"));
    if (windowManager == QLatin1String("fluxbox")) {
        // No wallpaper: setting one needs a picture viewer, and its failure
        // opens a message box over the windows under test.
        QDir(m_home.path()).mkpath(QStringLiteral(".fluxbox"));
        QFile overlay(m_home.filePath(QStringLiteral(".fluxbox/overlay")));
        if (!overlay.open(QIODevice::WriteOnly) || overlay.write("background: none\n") < 0) {
            m_lastError = QStringLiteral("cannot write %1").arg(overlay.fileName());
            return false;
        }
    }
    QFile::setPermissions(m_home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // -displayfd lets the server take the first free display number and
    // write it to our standard output, so parallel runs never collide.
    m_server = std::make_unique<QProcess>();
    dieWithParent(m_server.get());
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    m_server->setStandardErrorFile(m_home.filePath(QStringLiteral("xvfb.log")));
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-br"),
                     QStringLiteral("-noreset")});
    if (!m_server->waitForStarted(5000)) {
        m_lastError = QStringLiteral("Xvfb does not start: %1").arg(m_server->errorString());
        return false;
    }
    QByteArray number;
    const QDeadlineTimer deadline(10000);
    while (!number.contains('\n') && !deadline.hasExpired()) {
        if (m_server->state() == QProcess::NotRunning)
            break;
        m_server->waitForReadyRead(100);
        number += m_server->readAllStandardOutput();
    }
    bool isNumber = false;
    number.trimmed().toInt(&isNumber);
    if (!isNumber) {
        QFile log(m_home.filePath(QStringLiteral("xvfb.log")));
        log.open(QIODevice::ReadOnly);
        m_lastError = QStringLiteral("Xvfb gave no display number within 10 s: %1")
                          .arg(QString::fromLocal8Bit(log.readAll()));
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    m_windowManager = std::make_unique<QProcess>();
    dieWithParent(m_windowManager.get());
    m_windowManager->setProcessEnvironment(environment());
    m_windowManager->setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager->setStandardOutputFile(m_home.filePath(QStringLiteral("wm.log")));
    m_windowManager->start(command->program, command->arguments);
    if (!m_windowManager->waitForStarted(5000)) {
        m_lastError = QStringLiteral("%1 does not start: %2")
                          .arg(windowManager, m_windowManager->errorString());
        return false;
    }
    return waitForWindowManager(10000);
}

bool XSession::waitForWindowManager(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const Result r = run(QStringLiteral("xprop"),
                             {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        if (r.ok && r.out.contains("window id"))
            return true;
        if (m_windowManager->state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    QFile log(m_home.filePath(QStringLiteral("wm.log")));
    log.open(QIODevice::ReadOnly);
    m_lastError = QStringLiteral("%1 did not take over %2 within %3 ms: %4")
                      .arg(m_windowManagerName, m_display)
                      .arg(timeoutMs)
                      .arg(QString::fromLocal8Bit(log.readAll()));
    return false;
}

void XSession::stop()
{
    endWindowManager(m_windowManager.get());
    endProcess(m_server.get());
    m_windowManager.reset();
    m_server.reset();
}

void XSession::prepare(QProcess *process) const
{
    process->setProcessEnvironment(environment());
    dieWithParent(process);
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    env.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    env.remove(QStringLiteral("QT_STYLE_OVERRIDE"));
    // A home of our own keeps the developer's window manager and Qt settings out.
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
    return env;
}

XSession::Result XSession::run(const QString &program, const QStringList &args, int timeoutMs) const
{
    Result result;
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs)) {
        m_lastError = QStringLiteral("%1 does not start: %2").arg(program, p.errorString());
        return result;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        m_lastError = QStringLiteral("%1 %2 did not finish within %3 ms")
                          .arg(program, args.join(QLatin1Char(' ')))
                          .arg(timeoutMs);
        return result;
    }
    result.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    result.out = p.readAllStandardOutput();
    result.ok = true;
    if (result.exitCode != 0) {
        m_lastError = QStringLiteral("%1 %2 exited with %3: %4")
                          .arg(program, args.join(QLatin1Char(' ')))
                          .arg(result.exitCode)
                          .arg(QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
    }
    return result;
}

bool XSession::runChecked(const QString &program, const QStringList &args) const
{
    const Result r = run(program, args);
    return r.ok && r.exitCode == 0;
}

QList<XWindow> XSession::visibleWindows(const QString &title) const
{
    const QString pattern = QRegularExpression::escape(title);
    const Result r = run(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--name"), QLatin1Char('^') + pattern + QLatin1Char('$')});
    QList<XWindow> windows;
    if (!r.ok)
        return windows;
    // xdotool search also matches case-insensitively; keep exact titles only.
    for (const QByteArray &line : r.out.split('\n')) {
        bool isNumber = false;
        const XWindow id = line.trimmed().toULongLong(&isNumber);
        if (!isNumber)
            continue;
        const Result name =
            run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(id)});
        if (name.ok && QString::fromUtf8(name.out).trimmed() == title)
            windows << id;
    }
    return windows;
}

QRect XSession::geometry(XWindow window) const
{
    // xwininfo's absolute position is the window's own on the root window;
    // xdotool's adds the offset inside a window manager's frame once more.
    const Result r =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    if (!r.ok || r.exitCode != 0)
        return {};
    int x = 0, y = 0, w = 0, h = 0, found = 0;
    for (const QByteArray &raw : r.out.split('\n')) {
        const QByteArray line = raw.trimmed();
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon);
        const int value = line.mid(colon + 1).trimmed().toInt();
        int *field = name == "Absolute upper-left X"   ? &x
                     : name == "Absolute upper-left Y" ? &y
                     : name == "Width"                 ? &w
                     : name == "Height"                ? &h
                                                       : nullptr;
        if (field) {
            *field = value;
            ++found;
        }
    }
    if (found != 4) {
        m_lastError = QStringLiteral("unreadable geometry of window %1: %2")
                          .arg(window)
                          .arg(QString::fromLatin1(r.out));
        return {};
    }
    return QRect(x, y, w, h);
}

bool XSession::frameExtents(XWindow window, QMargins *extents) const
{
    const Result r = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                   QStringLiteral("_NET_FRAME_EXTENTS")});
    // _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    const int eq = r.out.indexOf('=');
    if (!r.ok || r.exitCode != 0 || eq < 0)
        return false;
    const QList<QByteArray> parts = r.out.mid(eq + 1).split(',');
    if (parts.size() != 4)
        return false;
    *extents = QMargins(parts[0].trimmed().toInt(), parts[2].trimmed().toInt(),
                        parts[1].trimmed().toInt(), parts[3].trimmed().toInt());
    return true;
}

XWindow XSession::topLevel(XWindow window) const
{
    const auto parentOf = [&](XWindow child, XWindow *root) -> XWindow {
        const Result r =
            run(QStringLiteral("xwininfo"),
                {QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(child)});
        XWindow parent = 0;
        for (const QByteArray &raw : r.out.split('\n')) {
            const QByteArray line = raw.trimmed();
            const auto value = [&](const char *key) {
                return line.mid(int(std::strlen(key)))
                    .trimmed()
                    .split(' ')
                    .value(0)
                    .toULongLong(nullptr, 16);
            };
            if (line.startsWith("Root window id:"))
                *root = value("Root window id:");
            else if (line.startsWith("Parent window id:"))
                parent = value("Parent window id:");
        }
        return r.ok && r.exitCode == 0 ? parent : 0;
    };
    XWindow root = 0;
    XWindow top = window;
    for (int depth = 0; depth < 8; ++depth) {
        const XWindow parent = parentOf(top, &root);
        if (!parent)
            return 0;
        if (parent == root)
            return top;
        top = parent;
    }
    return 0;
}

int XSession::frameTop(XWindow window) const
{
    const XWindow top = topLevel(window);
    const QRect client = geometry(window);
    const QRect frame = top ? geometry(top) : QRect();
    if (client.isNull() || frame.isNull())
        return -1;
    return client.top() - frame.top();
}

QList<XWindow> XSession::stackedOnScreen(const QList<XWindow> &windows) const
{
    // xwininfo lists the root's children as the server stacks them, top
    // first: "     0x400006 \"Tavrel Sample\": (...)".
    const Result r =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    QList<XWindow> children;
    for (const QByteArray &raw : r.out.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith("0x"))
            continue;
        bool isNumber = false;
        const XWindow id = line.split(' ').value(0).toULongLong(&isNumber, 16);
        if (isNumber)
            children.prepend(id);
    }
    QList<std::pair<qsizetype, XWindow>> placed;
    for (XWindow window : windows)
        placed.append({children.indexOf(topLevel(window)), window});
    std::sort(placed.begin(), placed.end());
    QList<XWindow> stacked;
    for (const auto &[index, window] : placed)
        stacked << window;
    return stacked;
}

QStringList XSession::windowStates(XWindow window) const
{
    const Result r = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                   QStringLiteral("_NET_WM_STATE")});
    // _NET_WM_STATE(ATOM) = _NET_WM_STATE_MAXIMIZED_VERT, _NET_WM_STATE_MAXIMIZED_HORZ
    QStringList states;
    const int eq = r.out.indexOf('=');
    if (!r.ok || r.exitCode != 0 || eq < 0)
        return states;
    for (const QByteArray &part : r.out.mid(eq + 1).split(','))
        states << QString::fromLatin1(part.trimmed());
    return states;
}

XWindow XSession::activeWindow() const
{
    const Result r = run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
    return r.ok && r.exitCode == 0 ? r.out.trimmed().toULongLong() : 0;
}

QList<XWindow> XSession::stacking() const
{
    const Result r = run(QStringLiteral("xprop"),
                         {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    // _NET_CLIENT_LIST_STACKING(WINDOW): window id # 0x600006, 0x600011
    QList<XWindow> windows;
    const int hash = r.out.indexOf('#');
    if (!r.ok || r.exitCode != 0 || hash < 0)
        return windows;
    for (const QByteArray &part : r.out.mid(hash + 1).split(',')) {
        bool isNumber = false;
        const XWindow id = part.trimmed().toULongLong(&isNumber, 16);
        if (isNumber)
            windows << id;
    }
    return windows;
}

bool XSession::isViewable(XWindow window) const
{
    const Result r =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    return r.ok && r.exitCode == 0 && r.out.contains("Map State: IsViewable");
}

XWindow XSession::transientFor(XWindow window) const
{
    const Result r = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                   QStringLiteral("WM_TRANSIENT_FOR")});
    // WM_TRANSIENT_FOR(WINDOW): window id # 0x600004
    const int hash = r.out.indexOf('#');
    if (!r.ok || r.exitCode != 0 || hash < 0)
        return 0;
    return r.out.mid(hash + 1).trimmed().toULongLong(nullptr, 16);
}

bool XSession::changeState(XWindow window, const QString &state, bool add) const
{
    // xdotool here (3.20160805) has no "windowstate": the request goes out
    // on a connection of our own.
    const QByteArray name = m_display.toLatin1();
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    const auto close = qScopeGuard([&] { xcb_disconnect(connection); });
    if (xcb_connection_has_error(connection)) {
        m_lastError = QStringLiteral("cannot connect to %1").arg(m_display);
        return false;
    }
    const auto intern = [&](const QByteArray &atomName) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, false, uint16_t(atomName.size()), atomName.constData()),
            nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return atom;
    };
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof(message));
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window);
    message.type = intern("_NET_WM_STATE");
    message.data.data32[0] = add ? 1 : 0;
    message.data.data32[1] = intern(state.toLatin1());
    message.data.data32[3] = 2; // a pager
    const xcb_void_cookie_t sent = xcb_send_event_checked(connection, false, screen->root,
                                                          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT |
                                                              XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                                          reinterpret_cast<const char *>(&message));
    // Checked before the connection closes: that waits until the server has
    // dealt with the request. Sent and closed at once, the request was now
    // and then never handed to the window manager (openbox --debug logged
    // no _NET_WM_STATE message for it), and the window was taken for one
    // that would not change its state.
    if (xcb_generic_error_t *error = xcb_request_check(connection, sent)) {
        m_lastError =
            QStringLiteral("_NET_WM_STATE request refused (error %1)").arg(error->error_code);
        free(error);
        return false;
    }
    return true;
}

QImage XSession::screenshot() const
{
    const Result r =
        run(QStringLiteral("import"),
            {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")}, 15000);
    QImage image;
    if (r.ok && r.exitCode == 0 && !image.loadFromData(r.out, "PNG"))
        m_lastError = QStringLiteral("import gave no readable PNG (%1 bytes)").arg(r.out.size());
    return image.convertToFormat(QImage::Format_RGB32);
}

bool XSession::key(const QString &keys) const
{
    return runChecked(QStringLiteral("xdotool"),
                      {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

bool XSession::click(const QPoint &pos) const
{
    // The pause lets the application see the pointer arrive before the press.
    return runChecked(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(pos.x()),
                       QString::number(pos.y()), QStringLiteral("sleep"), QStringLiteral("0.1"),
                       QStringLiteral("click"), QStringLiteral("1")});
}

bool XSession::clicks(const QPoint &pos, int count, int delayMs) const
{
    return runChecked(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(pos.x()),
                       QString::number(pos.y()), QStringLiteral("sleep"), QStringLiteral("0.1"),
                       QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
                       QStringLiteral("--delay"), QString::number(delayMs), QStringLiteral("1")});
}

bool XSession::movePointer(const QPoint &pos) const
{
    return runChecked(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(pos.x()), QString::number(pos.y())});
}

bool XSession::drag(const QPoint &from, const QPoint &to) const
{
    QStringList args{
        QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
        QStringLiteral("sleep"),     QStringLiteral("0.1"),     QStringLiteral("mousedown"),
        QStringLiteral("1"),         QStringLiteral("sleep"),   QStringLiteral("0.2")};
    constexpr int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        args << QStringLiteral("mousemove") << QString::number(p.x()) << QString::number(p.y())
             << QStringLiteral("sleep") << QStringLiteral("0.03");
    }
    args << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mouseup")
         << QStringLiteral("1");
    return runChecked(QStringLiteral("xdotool"), args);
}

bool XSession::activate(XWindow window) const
{
    return runChecked(QStringLiteral("xdotool"),
                      {QStringLiteral("windowactivate"), QString::number(window)});
}

bool XSession::moveWindow(XWindow window, const QPoint &topLeft) const
{
    return runChecked(QStringLiteral("xdotool"),
                      {QStringLiteral("windowmove"), QString::number(window),
                       QString::number(topLeft.x()), QString::number(topLeft.y())});
}

} // namespace e2e
