// The real executable with the real component in a real X server, driven
// with real input through the window manager: what a user sees and does.
#include "SkinnedReference.h"
#include "SwaySession.h"
#include "XSession.h"

#include <FailureReporter.h>
#include <TestSupport.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>

using e2e::SkinnedReference;
using e2e::XWindow;
using forms::FormKind;

namespace {

const QString MainTitle = QStringLiteral("Tavrel Sample");
const QString CtrlColorTitle = QStringLiteral("Tavrel Control - Control Color Demo");
const QString CleanTitle = QStringLiteral("Tavrel Control");

// Where the secondary windows are put so that none covers another: the
// windows all open centred on the 1280 x 1024 screen.
const QPoint CtrlColorPlace(20, 20);
const QPoint CleanPlace(900, 700);

constexpr int WindowTimeout = 10000;

#ifdef TAVREL_SANITIZED
// The program's windows together are checked in the normal build only, to
// keep the sanitizer build's run short.
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
constexpr int InputTimeout = 5000;

constexpr QRgb PureGreen = 0xff00ff00;
constexpr QRgb PureRed = 0xffff0000;

// A patch of the screen recognised by its dark pixels: taken once where a
// control shows, then looked for again after every change. Text on a light
// ground keeps its shape whatever the colours around it.
class ScreenMark
{
public:
    // False when the area holds too few dark pixels to be recognised.
    bool take(const QImage &shot, const QRect &area)
    {
        m_size = area.size();
        m_dark.clear();
        m_light.clear();
        for (int y = 0; y < area.height(); ++y) {
            for (int x = 0; x < area.width(); ++x) {
                const QPoint at = area.topLeft() + QPoint(x, y);
                if (!shot.rect().contains(at))
                    return false;
                (isDark(shot.pixel(at)) ? m_dark : m_light).append(QPoint(x, y));
            }
        }
        return m_dark.size() >= 20 && m_light.size() >= m_dark.size();
    }

    // Takes the patch at `area` once a later picture shows the same there
    // (the window has drawn and stays), asking both again at each try.
    bool takeSteady(const std::function<QImage()> &shot, const std::function<QRect()> &area,
                    int timeoutMs)
    {
        return QTest::qWaitFor(
            [&] {
                const QRect at = area();
                if (!take(shot(), at))
                    return false;
                QTest::qWait(200);
                return find(shot(), at.topLeft(), 0).has_value();
            },
            timeoutMs);
    }

    // The top-left of the place within `radius` of `near` where the patch
    // shows (nearest first), or nothing.
    std::optional<QPoint> find(const QImage &shot, const QPoint &near, int radius) const
    {
        QList<QPoint> offsets;
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx)
                offsets.append(QPoint(dx, dy));
        }
        std::stable_sort(offsets.begin(), offsets.end(), [](const QPoint &a, const QPoint &b) {
            return a.manhattanLength() < b.manhattanLength();
        });
        const qsizetype allowed = (m_dark.size() + m_light.size()) / 200;
        for (const QPoint &offset : std::as_const(offsets)) {
            const QPoint at = near + offset;
            if (!shot.rect().contains(QRect(at, m_size)))
                continue;
            qsizetype wrong = 0;
            for (const QPoint &p : m_dark) {
                if (!isDark(shot.pixel(at + p)) && ++wrong > allowed)
                    break;
            }
            for (qsizetype i = 0; wrong <= allowed && i < m_light.size(); ++i) {
                if (isDark(shot.pixel(at + m_light[i])))
                    ++wrong;
            }
            if (wrong <= allowed)
                return at;
        }
        return std::nullopt;
    }

private:
    static bool isDark(QRgb c) { return qGray(c) < 110; }

    QSize m_size;
    QList<QPoint> m_dark, m_light;
};

// Pixels of `area` that differ between two pictures by more than a
// screenshot's noise.
int changedPixels(const QImage &a, const QImage &b, const QRect &area)
{
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!a.rect().contains(x, y) || !b.rect().contains(x, y))
                continue;
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > 24 || qAbs(qGreen(p) - qGreen(q)) > 24 ||
                qAbs(qBlue(p) - qBlue(q)) > 24)
                ++changed;
        }
    }
    return changed;
}

// The second table of the frame scenario: the program's three windows
// together under each window manager.
const char *const WindowsTableHead =
    "windows: | window manager | client area through switches | new window on top and active | "
    "minimise one | focus after close | hover after drag | double-click | full screen | "
    "taskbar entries, transients |";

struct WindowCells
{
    // Filled once the four switches and the fast ones kept it.
    QString clientArea;
    QString onTop = QStringLiteral("-"), minimiseOne = QStringLiteral("-");
    QString focusAfterClose = QStringLiteral("-"), hoverAfterDrag = QStringLiteral("-");
    QString doubleClick = QStringLiteral("-"), fullScreen = QStringLiteral("-");
    QString kinds = QStringLiteral("-");
    // What went wrong, for the row's failure once every cell is measured.
    QStringList failures;

    // `cell` (one of these or another of the row's) says what went wrong.
    void fail(QString &cell, const QString &what)
    {
        cell = what;
        failures << what;
    }
    // Close's hover look, in pixels changed, on a fresh window and after a
    // caption drag: at least `least` fresh, and half of that after.
    void hover(int fresh, int afterDrag, int least)
    {
        hoverAfterDrag = QStringLiteral("fresh %1 px, after drag %2 px").arg(fresh).arg(afterDrag);
        if (fresh < least || afterDrag < fresh / 2)
            fail(hoverAfterDrag, hoverAfterDrag);
    }
    // Where the focus went once a window was closed: to the main window or
    // the menu demo (`handed`, `toMain`), or nowhere.
    void focusHanded(bool closed, bool handed, bool toMain)
    {
        if (handed)
            focusAfterClose = toMain ? QStringLiteral("main") : QStringLiteral("CleanFrm");
        else
            fail(focusAfterClose, closed ? QStringLiteral("none") : QStringLiteral("not closed"));
    }
};

// The least share of the client's ground in the bands along the screen's
// edges where a skin's caption and borders would show: 1 for a client alone
// on a full screen (the probe's list box lies 20 px inside its client area).
double plainEdgeShare(const QImage &full, int scale)
{
    const QRect screen = full.rect();
    // The ground inside the client area, far from every control.
    const QRgb ground = full.pixel(screen.center());
    const int band = 6 * scale, top = 20 * scale;
    const QRect bands[] = {QRect(0, 0, screen.width(), top), QRect(0, 0, band, screen.height()),
                           QRect(screen.width() - band, 0, band, screen.height()),
                           QRect(0, screen.height() - band, screen.width(), band)};
    double share = 1;
    for (const QRect &r : bands)
        share = qMin(share, testing::shareOf(full, r, ground, 0));
    return share;
}

QString describe(const QPoint &p)
{
    return QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class tst_EndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void mainWindowIsSkinned();
    void showButtonsOpenOneWindowEach();
    void focusChangeColoursTextAndList();
    void captionDragMovesWindow_data();
    void captionDragMovesWindow();
    void lastWindowClosedEndsProcess_data();
    void lastWindowClosedEndsProcess();
    void missingComponentIsReportedInAMessageBox();
    void frameUnderWindowManagers_data();
    void frameUnderWindowManagers();
    void accessibleTreeDrivesTheWindows();

private:
    const SkinnedReference &reference(FormKind kind) const { return m_refs.at(int(kind)); }
    bool startApplication(const QString &program, int scale = 1,
                          const QProcessEnvironment &extra = {});
    // A session bus with the accessibility bus on it, for the application
    // and for the tool that walks its tree; the address, or empty.
    QString startAccessibilityBus();
    // The program's windows as an assistive tool sees them (tests/e2e/
    // a11ytree.py), and an action done on a node named `node` in the window
    // titled `window`.
    QJsonArray accessibleTree();
    bool accessibleAction(const QString &window, const QString &node, const QString &action);
    // Waits until exactly one window with this title is shown; 0 if not.
    XWindow waitForWindow(const QString &title);
    bool waitForActive(XWindow window);
    bool waitForPosition(XWindow window, const QPoint &topLeft);
    bool waitForExit(int timeoutMs);
    // Opens a secondary window from the main window with real input and
    // puts it where it covers no other window.
    XWindow openCtrlColorFrm(XWindow main);
    XWindow openCleanFrm(XWindow main);
    QPoint onScreen(XWindow window, const QRect &rectInWindow);
    // The program's windows together (stacking, activation, minimise, focus
    // after close, hover after a drag, full screen), each measured into its
    // cell whatever the others gave.
    void checkWindowsTogether(XWindow main, WindowCells &cells);
    // The same scenario under sway, driven through tools/wlinput.
    void frameUnderSway(int scale);
    QString applicationOutput();

    e2e::XSession &x() { return m_rowSession ? *m_rowSession : m_x; }

    e2e::XSession m_x;
    // A session of the test row's own, with another window manager.
    std::unique_ptr<e2e::XSession> m_rowSession;
    std::unique_ptr<e2e::SwaySession> m_sway;
    std::array<SkinnedReference, 3> m_refs;
    std::unique_ptr<QProcess> m_app;
    QByteArray m_appErr;
    std::unique_ptr<QProcess> m_sessionBus, m_accessibilityBus;
    QString m_busAddress;
    QString m_toolError;
};

void tst_EndToEnd::initTestCase()
{
    const QStringList missing = e2e::XSession::missingTools();
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("not installed: %1 (scripts/setup.sh installs them)")
                            .arg(missing.join(QStringLiteral(", ")))));
    QVERIFY2(QFile::exists(testing::applicationPath()), qPrintable(testing::applicationPath()));

    testing::applyApplicationDefaults();
    for (FormKind kind : {FormKind::Main, FormKind::CtrlColor, FormKind::Clean}) {
        QString error;
        m_refs.at(int(kind)) = SkinnedReference::build(kind, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    QVERIFY2(m_x.start(), qPrintable(m_x.lastError()));
    qInfo("X server %s with openbox", qPrintable(m_x.display()));
}

void tst_EndToEnd::cleanupTestCase()
{
    m_x.stop();
}

void tst_EndToEnd::init()
{
    m_app.reset();
    m_appErr.clear();
}

void tst_EndToEnd::cleanup()
{
    if (QTest::currentTestFailed()) {
        if (m_app)
            qInfo("application output:\n%s", qPrintable(applicationOutput()));
        // The screen as the failure left it.
        const QImage shot = m_sway ? m_sway->screenshot() : x().screenshot();
        QString name = QStringLiteral("%1-%2.png")
                           .arg(QLatin1String(QTest::currentTestFunction()),
                                QLatin1String(QTest::currentDataTag()));
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]+")), QStringLiteral("_"));
        QDir().mkpath(QStringLiteral("e2e-artifacts"));
        const QString path = QDir(QStringLiteral("e2e-artifacts")).absoluteFilePath(name);
        if (!shot.isNull() && shot.save(path))
            qInfo("screen saved to %s", qPrintable(path));
    }
    if (m_app && m_app->state() != QProcess::NotRunning) {
        m_app->kill();
        m_app->waitForFinished(5000);
    }
    m_app.reset();
    // The accessibility bus goes when the session bus it serves goes.
    for (QProcess *bus : {m_accessibilityBus.get(), m_sessionBus.get()}) {
        if (bus && bus->state() != QProcess::NotRunning) {
            bus->terminate();
            if (!bus->waitForFinished(3000)) {
                bus->kill();
                bus->waitForFinished(3000);
            }
        }
    }
    m_accessibilityBus.reset();
    m_sessionBus.reset();
    m_busAddress.clear();
    m_rowSession.reset();
    m_sway.reset();
}

bool tst_EndToEnd::startApplication(const QString &program, int scale,
                                    const QProcessEnvironment &extra)
{
    m_app = std::make_unique<QProcess>();
    x().prepare(m_app.get());
    QProcessEnvironment env = m_app->processEnvironment();
    if (scale != 1)
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    for (const QString &name : extra.keys())
        env.insert(name, extra.value(name));
    m_app->setProcessEnvironment(env);
    m_app->start(program, {});
    return m_app->waitForStarted(5000);
}

QString tst_EndToEnd::startAccessibilityBus()
{
    m_sessionBus = std::make_unique<QProcess>();
    x().prepare(m_sessionBus.get());
    m_sessionBus->start(QStringLiteral("dbus-daemon"),
                        {QStringLiteral("--session"), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address=1")});
    if (!m_sessionBus->waitForStarted(5000))
        return QString();
    if (!QTest::qWaitFor([&] { return m_sessionBus->canReadLine(); }, 5000))
        return QString();
    m_busAddress = QString::fromLocal8Bit(m_sessionBus->readLine()).trimmed();
    if (m_busAddress.isEmpty())
        return QString();
    m_accessibilityBus = std::make_unique<QProcess>();
    x().prepare(m_accessibilityBus.get());
    QProcessEnvironment env = m_accessibilityBus->processEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    m_accessibilityBus->setProcessEnvironment(env);
    m_accessibilityBus->start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                              {QStringLiteral("--launch-immediately")});
    return m_accessibilityBus->waitForStarted(5000) ? m_busAddress : QString();
}

namespace {
// Runs the tree tool (the system Python, which has pyatspi) on the bus.
QByteArray runTreeTool(const e2e::XSession &x, const QString &bus, const QStringList &args,
                       QString *error)
{
    error->clear();
    QProcess tool;
    x.prepare(&tool);
    QProcessEnvironment env = tool.processEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(TAVREL_A11YTREE)} + args);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        *error = QStringLiteral("a11ytree.py %1: %2")
                     .arg(args.join(QLatin1Char(' ')),
                          QString::fromLocal8Bit(tool.readAllStandardError()).trimmed());
        tool.kill();
        tool.waitForFinished(3000);
        return QByteArray();
    }
    return tool.readAllStandardOutput();
}
} // namespace

QJsonArray tst_EndToEnd::accessibleTree()
{
    const QByteArray out =
        runTreeTool(x(), m_busAddress, {QStringLiteral("tree"), MainTitle}, &m_toolError);
    return QJsonDocument::fromJson(out).array();
}

bool tst_EndToEnd::accessibleAction(const QString &window, const QString &node,
                                    const QString &action)
{
    return runTreeTool(x(), m_busAddress, {QStringLiteral("do"), MainTitle, window, node, action},
                       &m_toolError)
                   .isEmpty() &&
           m_toolError.isEmpty();
}

QString tst_EndToEnd::applicationOutput()
{
    if (m_app) {
        m_appErr += m_app->readAllStandardError();
        m_appErr += m_app->readAllStandardOutput();
    }
    return QString::fromLocal8Bit(m_appErr);
}

XWindow tst_EndToEnd::waitForWindow(const QString &title)
{
    QList<XWindow> found;
    const bool one = QTest::qWaitFor(
        [&] { return (found = x().visibleWindows(title)).size() == 1; }, WindowTimeout);
    if (!one)
        qWarning("%lld windows titled '%s'", qint64(found.size()), qPrintable(title));
    return one ? found.first() : 0;
}

bool tst_EndToEnd::waitForActive(XWindow window)
{
    return QTest::qWaitFor([&] { return x().activeWindow() == window; }, InputTimeout);
}

bool tst_EndToEnd::waitForPosition(XWindow window, const QPoint &topLeft)
{
    return QTest::qWaitFor([&] { return x().geometry(window).topLeft() == topLeft; }, InputTimeout);
}

bool tst_EndToEnd::waitForExit(int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_app->state() == QProcess::NotRunning; }, timeoutMs);
}

QPoint tst_EndToEnd::onScreen(XWindow window, const QRect &rectInWindow)
{
    return x().geometry(window).topLeft() + rectInWindow.center();
}

XWindow tst_EndToEnd::openCtrlColorFrm(XWindow main)
{
    // Enter presses the focused "Show Control Form", the first control in
    // the main window's tab order.
    if (!x().activate(main) || !waitForActive(main) || !x().key(QStringLiteral("Return")))
        return 0;
    const XWindow window = waitForWindow(CtrlColorTitle);
    if (!window || !x().moveWindow(window, CtrlColorPlace) ||
        !waitForPosition(window, CtrlColorPlace))
        return 0;
    return window;
}

XWindow tst_EndToEnd::openCleanFrm(XWindow main)
{
    const QRect button = reference(FormKind::Main).rect(QStringLiteral("Command1"));
    if (!x().click(onScreen(main, button)))
        return 0;
    const XWindow window = waitForWindow(CleanTitle);
    if (!window || !x().moveWindow(window, CleanPlace) || !waitForPosition(window, CleanPlace))
        return 0;
    return window;
}

void tst_EndToEnd::mainWindowIsSkinned()
{
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    QVERIFY(waitForActive(main));

    // No decoration from the window manager: the skin is the whole frame.
    QMargins extents(-1, -1, -1, -1);
    QVERIFY2(x().frameExtents(main, &extents), qPrintable(x().lastError()));
    QCOMPARE(extents, QMargins());
    const SkinnedReference &ref = reference(FormKind::Main);
    const QRect geometry = x().geometry(main);
    QCOMPARE(geometry.size(), ref.size());
    QVERIFY2(ref.size().width() > 371 && ref.size().height() > 201,
             "the skinned window is larger than its client area");

    // The skin's caption at the top, drawn as the component draws it.
    QImage shot;
    const QRect caption = ref.rect(QStringLiteral("tavrelskin_caption"));
    QVERIFY2(!caption.isEmpty(), "the skin has a caption bar");
    QCOMPARE(caption.top(), 0);
    double captionMatch = 0.0;
    // The first frames may still be on their way to the server.
    const bool drawn = QTest::qWaitFor(
        [&] {
            shot = x().screenshot();
            captionMatch = testing::shareLike(shot, geometry.topLeft(), ref.image(), caption);
            return captionMatch >= 0.9;
        },
        InputTimeout);
    QVERIFY2(drawn,
             qPrintable(QStringLiteral("caption %1 matches the component's drawing in %2% of "
                                       "its pixels")
                            .arg(describe(caption))
                            .arg(captionMatch * 100, 0, 'f', 1)));
    const double windowMatch =
        testing::shareLike(shot, geometry.topLeft(), ref.image(), QRect(QPoint(0, 0), ref.size()));
    qInfo("caption like the reference in %.1f%% of its pixels, the whole window in %.1f%%",
          captionMatch * 100, windowMatch * 100);
    QVERIFY2(windowMatch >= 0.9, qPrintable(QStringLiteral("window matches in %1% of its pixels")
                                                .arg(windowMatch * 100, 0, 'f', 1)));
    // Nothing of a title bar above it: the server's black background.
    if (geometry.top() > 0) {
        const QRect above(geometry.left(), geometry.top() - 1, geometry.width(), 1);
        QCOMPARE(testing::shareOf(shot, above, qRgb(0, 0, 0), 0), 1.0);
    }
}

void tst_EndToEnd::showButtonsOpenOneWindowEach()
{
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));

    const XWindow ctrlColor = openCtrlColorFrm(main);
    QVERIFY2(ctrlColor, qPrintable(x().lastError()));
    // A second press shows the same window again: it comes to the front and
    // takes the focus, and no second one appears.
    QVERIFY(x().activate(main));
    QVERIFY(waitForActive(main));
    QVERIFY(x().key(QStringLiteral("Return")));
    QVERIFY2(waitForActive(ctrlColor), "the second press brings CtrlColorFrm to the front");
    QCOMPARE(x().visibleWindows(CtrlColorTitle), QList<XWindow>{ctrlColor});

    const XWindow clean = openCleanFrm(main);
    QVERIFY2(clean, qPrintable(x().lastError()));
    QVERIFY(x().activate(main));
    QVERIFY(waitForActive(main));
    const QRect button = reference(FormKind::Main).rect(QStringLiteral("Command1"));
    QVERIFY(x().click(onScreen(main, button)));
    QVERIFY2(waitForActive(clean), "the second click brings CleanFrm to the front");
    QCOMPARE(x().visibleWindows(CleanTitle), QList<XWindow>{clean});
    QCOMPARE(x().visibleWindows(CtrlColorTitle), QList<XWindow>{ctrlColor});
    QCOMPARE(x().visibleWindows(MainTitle), QList<XWindow>{main});
    QCOMPARE(m_app->state(), QProcess::Running);
}

void tst_EndToEnd::focusChangeColoursTextAndList()
{
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow ctrlColor = openCtrlColorFrm(main);
    QVERIFY2(ctrlColor, qPrintable(x().lastError()));

    const SkinnedReference &ref = reference(FormKind::CtrlColor);
    // Where the boxes are is taken from the reference: it must be the same window.
    QCOMPARE(x().geometry(ctrlColor).size(), ref.size());
    const QRect text = ref.rect(QStringLiteral("Text1"));
    const QRect list = ref.rect(QStringLiteral("List1"));
    QVERIFY(!text.isEmpty() && !list.isEmpty());
    const auto boxesAre = [&](QRgb color) {
        return QTest::qWaitFor(
            [&] {
                const QImage shot = x().screenshot();
                const QPoint at = x().geometry(ctrlColor).topLeft();
                return testing::shareOf(shot, text.translated(at), color) > 0.6 &&
                       testing::shareOf(shot, list.translated(at), color) > 0.6;
            },
            InputTimeout);
    };

    QVERIFY(waitForActive(ctrlColor));
    QVERIFY2(boxesAre(PureGreen), "Text1 and List1 turn green when CtrlColorFrm opens");

    // Labels take no focus: a click on one only activates its window.
    QVERIFY(x().click(onScreen(main, reference(FormKind::Main).rect(QStringLiteral("Label1")))));
    QVERIFY(waitForActive(main));
    QVERIFY2(boxesAre(PureRed), "Text1 and List1 turn red when CtrlColorFrm loses the focus");

    QVERIFY(x().click(onScreen(ctrlColor, ref.rect(QStringLiteral("Label1")))));
    QVERIFY(waitForActive(ctrlColor));
    QVERIFY2(boxesAre(PureGreen), "Text1 and List1 turn green again when it gets it back");
}

void tst_EndToEnd::captionDragMovesWindow_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QPoint>("delta");
    QTest::newRow("MainFrm") << int(FormKind::Main) << QPoint(-120, -90);
    QTest::newRow("CtrlColorFrm") << int(FormKind::CtrlColor) << QPoint(150, 80);
    QTest::newRow("CleanFrm") << int(FormKind::Clean) << QPoint(-200, 60);
}

void tst_EndToEnd::captionDragMovesWindow()
{
    QFETCH(int, kind);
    QFETCH(QPoint, delta);
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    XWindow window = main;
    if (FormKind(kind) == FormKind::CtrlColor)
        window = openCtrlColorFrm(main);
    else if (FormKind(kind) == FormKind::Clean)
        window = openCleanFrm(main);
    QVERIFY2(window, qPrintable(x().lastError()));

    const QRect before = x().geometry(window);
    const QRect caption = reference(FormKind(kind)).rect(QStringLiteral("tavrelskin_caption"));
    QVERIFY(!caption.isEmpty());
    // A third of the way along the bar: clear of the icon and the buttons.
    const QPoint grip =
        before.topLeft() + QPoint(caption.left() + caption.width() / 3, caption.center().y());
    QVERIFY2(x().drag(grip, grip + delta), qPrintable(x().lastError()));
    const bool moved = waitForPosition(window, before.topLeft() + delta);
    const QRect after = x().geometry(window);
    QVERIFY2(moved, qPrintable(QStringLiteral("dragging the caption from %1 by %2,%3 left the "
                                              "window at %4")
                                   .arg(describe(before))
                                   .arg(delta.x())
                                   .arg(delta.y())
                                   .arg(describe(after))));
    QCOMPARE(after.size(), before.size());
}

void tst_EndToEnd::lastWindowClosedEndsProcess_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::addColumn<int>("other");
    constexpr int none = -1;
    QTest::newRow("Alt+X alone") << false << none;
    QTest::newRow("close box alone") << true << none;
    QTest::newRow("Alt+X, CtrlColorFrm open") << false << int(FormKind::CtrlColor);
    QTest::newRow("Alt+X, CleanFrm open") << false << int(FormKind::Clean);
    QTest::newRow("close box, CleanFrm open") << true << int(FormKind::Clean);
}

void tst_EndToEnd::lastWindowClosedEndsProcess()
{
    QFETCH(bool, byCloseBox);
    QFETCH(int, other);
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    XWindow otherWindow = 0;
    if (other == int(FormKind::CtrlColor))
        otherWindow = openCtrlColorFrm(main);
    else if (other == int(FormKind::Clean))
        otherWindow = openCleanFrm(main);
    QVERIFY2(other < 0 || otherWindow, qPrintable(x().lastError()));

    QVERIFY(x().activate(main));
    QVERIFY(waitForActive(main));
    const QRect close = reference(FormKind::Main).rect(QStringLiteral("tavrelskin_close"));
    QVERIFY(!close.isEmpty());
    if (byCloseBox)
        QVERIFY(x().click(onScreen(main, close)));
    else
        QVERIFY(x().key(QStringLiteral("alt+x")));
    QVERIFY2(
        QTest::qWaitFor([&] { return x().visibleWindows(MainTitle).isEmpty(); }, WindowTimeout),
        "the main window closes");

    if (otherWindow) {
        // The end of the process would follow the main window's at once.
        QTest::qWait(500);
        QCOMPARE(m_app->state(), QProcess::Running);
        QCOMPARE(x().visibleWindows(other == int(FormKind::Clean) ? CleanTitle : CtrlColorTitle),
                 QList<XWindow>{otherWindow});
        const QRect otherClose =
            reference(FormKind(other)).rect(QStringLiteral("tavrelskin_close"));
        QVERIFY(!otherClose.isEmpty());
        QVERIFY(x().click(onScreen(otherWindow, otherClose)));
    }
    QVERIFY2(waitForExit(WindowTimeout), "the process ends with its last window");
    QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app->exitCode(), 0);
}

void tst_EndToEnd::missingComponentIsReportedInAMessageBox()
{
    // The executable alone, without the components folder beside it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString exe = dir.filePath(QStringLiteral("tavrelsample"));
    QVERIFY(QFile::copy(testing::applicationPath(), exe));
    QVERIFY(startApplication(exe));

    // The box bears the application's name; the main window never shows.
    const XWindow box = waitForWindow(MainTitle);
    QVERIFY2(box, qPrintable(applicationOutput()));
    QMargins extents;
    QVERIFY2(x().frameExtents(box, &extents), qPrintable(x().lastError()));
    QVERIFY2(extents.top() > 0, "an unskinned box with the window manager's title bar");
    QCOMPARE(m_app->state(), QProcess::Running);
    QVERIFY(waitForActive(box));
    QVERIFY(x().key(QStringLiteral("Return")));
    QVERIFY2(waitForExit(WindowTimeout), "the process ends when the box is closed");
    QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app->exitCode(), app::FailureReporter::ExitCode);
    const QString err = applicationOutput();
    QVERIFY2(err.contains(QLatin1String("TavrelCtl.TavrelSkin")) &&
                 err.contains(QLatin1String("not registered")),
             qPrintable(err));
}

void tst_EndToEnd::frameUnderWindowManagers_data()
{
    QTest::addColumn<QString>("windowManager");
    QTest::addColumn<int>("scale");
    // The head of the table the rows print: the list box's place at the
    // start and after each switch, then the other checks.
    qInfo("| window manager | scale | start | off | on | off | on | 4 fast switches | top edge | "
          "instant click | fast double-click | caption drag | corner drag | "
          "maximised switch, restore | full screen, back | flags set after show |");
    // And the head of the second table, of the rows at scale 1: the
    // program's windows together.
    qInfo("%s", WindowsTableHead);
    QStringList windowManagers = e2e::XSession::windowManagers();
#ifdef TAVREL_SANITIZED
    // The sanitizer build keeps to the first four window managers: the
    // desktops' three take three minutes more in the normal build already,
    // and run no code of ours that the four do not.
    windowManagers = windowManagers.mid(0, 4);
#endif
    for (const QString &name : std::as_const(windowManagers)) {
        for (int scale : {1, 2})
            QTest::newRow(qPrintable(QStringLiteral("%1 x%2").arg(name).arg(scale)))
                << name << scale;
    }
#ifndef TAVREL_SANITIZED
    // A Wayland compositor with real input: its rows measure what they can
    // and say what the compositor does instead where it differs.
    QTest::newRow("sway x1") << QStringLiteral("sway") << 1;
    QTest::newRow("sway x2") << QStringLiteral("sway") << 2;
#endif
}

void tst_EndToEnd::frameUnderWindowManagers()
{
    // The skinned frame under each common window manager, measured on the
    // screen: the main window's client area (found by its list box's pixels)
    // stays put through every switch of "Skin Enabled", and the menu demo's
    // caption answers clicks, double-clicks and drags as a native one does.
    QFETCH(QString, windowManager);
    QFETCH(int, scale);
    if (windowManager == QLatin1String("sway")) {
        frameUnderSway(scale);
        return;
    }
    const QStringList missing = e2e::XSession::missingTools(windowManager);
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("not installed: %1 (scripts/setup.sh installs them)")
                            .arg(missing.join(QStringLiteral(", ")))));
    m_rowSession = std::make_unique<e2e::XSession>();
    QVERIFY2(x().start(windowManager), qPrintable(x().lastError()));
    // kwin_x11 without its decoration plugin (Debian's kwin-x11 alone)
    // draws no frame of its own: a native window has no title bar there.
    const bool nativeFrames = windowManager != QLatin1String("kwin_x11");

    // One line of the table, whatever happens.
    QStringList places;
    QString fastToggles = QStringLiteral("-"), topEdge = QStringLiteral("-");
    QString instantClick = QStringLiteral("-"), doubleClick = QStringLiteral("-");
    QString captionDrag = QStringLiteral("-"), edgeDrag = QStringLiteral("-");
    QString maximizedSwitch = QStringLiteral("-");
    QString fullScreen = QStringLiteral("-"), flagsAfterShow = QStringLiteral("-");
    WindowCells cells;
    const auto windowsLine = qScopeGuard([&] {
        if (scale != 1 || Sanitized)
            return;
        // The start and each switch that kept the place.
        if (cells.clientArea.isEmpty())
            cells.clientArea = QStringLiteral("lost at switch %1")
                                   .arg(places.count() - places.count(QStringLiteral("-")));
        qInfo("windows: | %s | %s | %s | %s | %s | %s | %s | %s | %s |", qPrintable(windowManager),
              qPrintable(cells.clientArea), qPrintable(cells.onTop), qPrintable(cells.minimiseOne),
              qPrintable(cells.focusAfterClose), qPrintable(cells.hoverAfterDrag),
              qPrintable(cells.doubleClick), qPrintable(cells.fullScreen), qPrintable(cells.kinds));
    });
    const auto line = qScopeGuard([&] {
        while (places.size() < 5)
            places << QStringLiteral("-");
        qInfo("| %s | x%d | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |",
              qPrintable(windowManager), scale, qPrintable(places.join(QStringLiteral(" | "))),
              qPrintable(fastToggles), qPrintable(topEdge), qPrintable(instantClick),
              qPrintable(doubleClick), qPrintable(captionDrag), qPrintable(edgeDrag),
              qPrintable(maximizedSwitch), qPrintable(fullScreen), qPrintable(flagsAfterShow));
    });

    // Once per window manager, on a program of their own: the program's
    // windows together. Their cells are measured whatever the frame gives
    // below, and the row fails at its end if one of them failed.
    if (scale == 1 && !Sanitized) {
        QVERIFY(startApplication(testing::applicationPath()));
        const XWindow first = waitForWindow(MainTitle);
        QVERIFY2(first, qPrintable(applicationOutput()));
        checkWindowsTogether(first, cells);
        m_app->kill();
        m_app->waitForFinished(5000);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return x().visibleWindows(MainTitle).isEmpty() &&
                       x().visibleWindows(CleanTitle).isEmpty();
            },
            WindowTimeout));
    }

    QVERIFY(startApplication(testing::applicationPath(), scale));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));

    // Window coordinates from the reference, in device pixels.
    const SkinnedReference &ref = reference(FormKind::Main);
    const auto scaled = [scale](const QRect &r) {
        return QRect(r.topLeft() * scale, r.size() * scale);
    };
    const QRect list = scaled(ref.rect(QStringLiteral("List1")));
    const QRect listInside = list.adjusted(3 * scale, 3 * scale, -3 * scale, -3 * scale);
    const QPoint checkFromList =
        scaled(ref.rect(QStringLiteral("Check2"))).center() - listInside.topLeft();
    const QPoint showCleanFromList =
        scaled(ref.rect(QStringLiteral("Command1"))).center() - listInside.topLeft();
    QVERIFY(!list.isEmpty());

    ScreenMark mark;
    const auto xShot = [&] { return x().screenshot(); };
    const bool drawn = mark.takeSteady(
        xShot,
        [&] {
            return QRect(x().geometry(main).topLeft() + listInside.topLeft(), listInside.size());
        },
        WindowTimeout);
    QVERIFY2(drawn, "the list box shows its items");
    const QPoint start = x().geometry(main).topLeft() + listInside.topLeft();
    places << describe(start);

    // The window system's frame: none while skinned, a title bar without.
    const auto frameTopOf = [&](XWindow window) { return qMax(0, x().frameTop(window)); };
    const auto frameTop = [&] { return frameTopOf(main); };
    // Where the list box shows once it stays in one place and the frame is
    // the one expected; nothing if that does not happen.
    QString lastSeen;
    const auto settledMark = [&](const ScreenMark &seen, XWindow window, const QPoint &near,
                                 bool skinned) -> std::optional<QPoint> {
        std::optional<QPoint> last;
        std::optional<QPoint> found;
        const bool stays = QTest::qWaitFor(
            [&] {
                const std::optional<QPoint> now = seen.find(x().screenshot(), near, 64 * scale);
                const int top = frameTopOf(window);
                const bool frameRight = skinned || !nativeFrames ? top == 0 : top > 0;
                lastSeen = QStringLiteral("list box %1, window %2, frame top %3")
                               .arg(now ? describe(*now) : QStringLiteral("not found"),
                                    describe(x().geometry(window)))
                               .arg(top);
                if (now && now == last && frameRight)
                    found = now;
                last = now;
                if (!found)
                    QTest::qWait(150);
                return found.has_value();
            },
            WindowTimeout);
        return stays ? found : std::nullopt;
    };
    const auto settled = [&](const QPoint &near, bool skinned) {
        return settledMark(mark, main, near, skinned);
    };

    bool skinned = true;
    QPoint here = start;
    const auto toggle = [&](int clicks) -> bool {
        if (!x().clicks(here + checkFromList, clicks, 80))
            return false;
        if (clicks % 2)
            skinned = !skinned;
        const std::optional<QPoint> at = settled(here, skinned);
        if (!at)
            return false;
        here = *at;
        return true;
    };
    for (int i = 1; i <= 4; ++i) {
        QVERIFY2(toggle(1), qPrintable(QStringLiteral("switch %1: the list box settles on the "
                                                      "screen with the frame expected (%2)")
                                           .arg(i)
                                           .arg(lastSeen)));
        places << describe(here);
        QCOMPARE(here, start);
    }

    // Four switches faster than the window manager answers them.
    QVERIFY2(toggle(4), qPrintable(QStringLiteral("four fast switches settle (%1)").arg(lastSeen)));
    QTest::qWait(500);
    QCOMPARE(mark.find(x().screenshot(), here, 0), std::optional<QPoint>(here));
    fastToggles = describe(here);
    QCOMPARE(here, start);
    cells.clientArea = QStringLiteral("kept");

    // A window whose title bar lies at the top of the screen: the skin's
    // higher caption is pushed down onto the screen, and the window comes
    // back to its own place when the skin goes. Only where the window
    // manager draws a title bar.
    if (!nativeFrames)
        topEdge = QStringLiteral("no native frame");
    else {
        QVERIFY2(toggle(1), qPrintable(lastSeen));
        const QRect away = x().geometry(main);
        const int nativeTop = frameTop();
        QVERIFY(nativeTop > 0);
        // Qt places windows in its own coordinates: a place it can hold at this
        // scale, with the title bar at the top or a pixel below.
        const int clientTop = (nativeTop + scale - 1) / scale * scale;
        QVERIFY(x().moveWindow(main, QPoint(away.left(), clientTop)));
        QVERIFY(
            QTest::qWaitFor([&] { return x().geometry(main).top() == clientTop; }, InputTimeout));
        const std::optional<QPoint> atTop =
            settled(here + x().geometry(main).topLeft() - away.topLeft(), false);
        QVERIFY2(atTop, qPrintable(lastSeen));
        here = *atTop;
        const QPoint topPlace = here;
        QVERIFY2(toggle(1), qPrintable(lastSeen));
        const int captionTop = x().geometry(main).top();
        QVERIFY2(captionTop >= 0, qPrintable(QStringLiteral("skin caption at %1").arg(captionTop)));
        // The skinned client area stays where the native one was, unless
        // the skin's caption would then reach above the screen.
        const int skinTop = (here.y() - captionTop) - (topPlace.y() - clientTop);
        const int skinnedClientTop = captionTop + skinTop;
        QVERIFY2(toggle(1), qPrintable(lastSeen));
        const int titleTop = x().geometry(main).top() - frameTop();
        topEdge = QStringLiteral("title bar %1, caption %2, client %3, title %4, back %5")
                      .arg(nativeTop)
                      .arg(captionTop)
                      .arg(skinnedClientTop)
                      .arg(titleTop)
                      .arg(describe(here - topPlace));
        QCOMPARE(captionTop, qMax(0, clientTop - skinTop));
        QCOMPARE(here, topPlace);
        QCOMPARE(titleTop, clientTop - nativeTop);
        QVERIFY2(toggle(1), qPrintable(lastSeen));
    }

    // The menu demo, a sizable window, for the pointer on its caption.
    QVERIFY(x().click(here + showCleanFromList));
    const XWindow clean = waitForWindow(CleanTitle);
    QVERIFY(clean);
    const QPoint cleanPlace(640, 480);
    QVERIFY(x().moveWindow(clean, cleanPlace));
    QVERIFY(waitForPosition(clean, cleanPlace));
    const QRect caption =
        scaled(reference(FormKind::Clean).rect(QStringLiteral("tavrelskin_caption")));
    const auto grip = [&] {
        return x().geometry(clean).topLeft() +
               QPoint(caption.left() + caption.width() / 3, caption.center().y());
    };
    const QRect before = x().geometry(clean);

    // Press and release at once, then move away: the window stays.
    QVERIFY(x().click(grip()));
    QVERIFY(x().movePointer(grip() + QPoint(-150, -120)));
    QTest::qWait(400);
    QVERIFY(x().movePointer(grip() + QPoint(-250, -60)));
    QTest::qWait(400);
    instantClick = x().geometry(clean) == before
                       ? QStringLiteral("stays")
                       : QStringLiteral("moved to %1").arg(describe(x().geometry(clean)));
    QCOMPARE(x().geometry(clean), before);

    // Two clicks 60 ms apart maximise, two more restore the same place.
    const auto maximized = [&] {
        const QStringList states = x().windowStates(clean);
        return states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")) &&
               states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ"));
    };
    QVERIFY(x().clicks(grip(), 2, 60));
    const bool didMaximize = QTest::qWaitFor(maximized, InputTimeout);
    doubleClick = didMaximize ? QStringLiteral("maximised") : QStringLiteral("not maximised");
    QVERIFY2(didMaximize, "a fast double-click on the caption maximises");
    QVERIFY(QTest::qWaitFor([&] { return x().geometry(clean).top() <= before.top() - 100; },
                            InputTimeout));
    QTest::qWait(300);
    QVERIFY(x().clicks(grip(), 2, 60));
    const bool restored = QTest::qWaitFor(
        [&] { return !maximized() && x().geometry(clean) == before; }, InputTimeout);
    doubleClick += restored ? QStringLiteral(", restored")
                            : QStringLiteral(", restored to %1").arg(describe(x().geometry(clean)));
    QVERIFY2(restored, qPrintable(doubleClick));

    // Drags by the caption and by the bottom-right corner.
    const QPoint delta(-90, -70);
    QVERIFY(x().drag(grip(), grip() + delta));
    const bool moved = waitForPosition(clean, before.topLeft() + delta);
    captionDrag = describe(x().geometry(clean).topLeft() - before.topLeft());
    QVERIFY2(moved,
             qPrintable(
                 QStringLiteral("caption drag by %1 moved %2").arg(describe(delta), captionDrag)));
    const QRect beforeResize = x().geometry(clean);
    const QPoint corner = beforeResize.bottomRight() - QPoint(3, 2) * scale;
    const QPoint growth(60, 40);
    QVERIFY(x().drag(corner, corner + growth));
    // The window manager sizes the window from the pointer in its own way:
    // fluxbox at scale 2 ends two pixels short of the pointer's way.
    const auto grewBy = [&](const QSize &growthNow) {
        return qAbs(growthNow.width() - growth.x()) <= 2 &&
               qAbs(growthNow.height() - growth.y()) <= 2;
    };
    const bool resized = QTest::qWaitFor(
        [&] { return grewBy(x().geometry(clean).size() - beforeResize.size()); }, InputTimeout);
    QTest::qWait(200);
    const QRect afterResize = x().geometry(clean);
    edgeDrag = QStringLiteral("%1x%2")
                   .arg(afterResize.width() - beforeResize.width())
                   .arg(afterResize.height() - beforeResize.height());
    QVERIFY2(
        resized && grewBy(afterResize.size() - beforeResize.size()),
        qPrintable(QStringLiteral("corner drag by %1 grew %2").arg(describe(growth), edgeDrag)));
    QCOMPARE(afterResize.topLeft(), beforeResize.topLeft());

    // A sizable window switched while maximised stays maximised, and the
    // restore puts its client area back where it was before the maximise.
    QProcess probe;
    x().prepare(&probe);
    QProcessEnvironment probeEnv = probe.processEnvironment();
    probeEnv.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    probe.setProcessEnvironment(probeEnv);
    probe.start(QStringLiteral(TAVREL_SKINPROBE), {testing::componentDir()});
    const auto endProbe = qScopeGuard([&] {
        probe.kill();
        probe.waitForFinished(3000);
    });
    QVERIFY2(probe.waitForStarted(5000), qPrintable(probe.errorString()));
    const XWindow probeWindow = waitForWindow(QStringLiteral("Tavrel Probe"));
    QVERIFY2(probeWindow, probe.readAllStandardError().constData());
    // Some window managers keep a new window below the active one.
    QVERIFY(x().activate(probeWindow));
    QVERIFY(waitForActive(probeWindow));
    // Its list box: 20,20 in the client area, 120 x 60, inside its border.
    const QRect probeList(QPoint(6 + 23, 25 + 23) * scale, QSize(114, 54) * scale);
    ScreenMark probeMark;
    QVERIFY2(probeMark.takeSteady(
                 xShot,
                 [&] {
                     return QRect(x().geometry(probeWindow).topLeft() + probeList.topLeft(),
                                  probeList.size());
                 },
                 WindowTimeout),
             "the probe's list box shows its items");
    const QPoint probeStart = x().geometry(probeWindow).topLeft() + probeList.topLeft();
    const auto probeMaximized = [&] {
        const QStringList states = x().windowStates(probeWindow);
        return states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")) &&
               states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ"));
    };
    const auto probeGrip = [&] {
        const QRect g = x().geometry(probeWindow);
        return g.topLeft() + QPoint(g.width() / 3, 12 * scale);
    };
    QStringList maximizedSteps;

    // Skinned, maximised by the caption, skin off, restored.
    const auto probeStatus = [&] {
        return QStringLiteral("probe %1 at %2: %3")
            .arg(probe.state() == QProcess::Running ? QStringLiteral("running")
                                                    : QStringLiteral("ended"),
                 describe(x().geometry(probeWindow)),
                 QString::fromLocal8Bit(probe.readAllStandardError()));
    };
    QVERIFY(x().clicks(probeGrip(), 2, 60));
    QVERIFY2(QTest::qWaitFor(probeMaximized, InputTimeout),
             qPrintable(QStringLiteral("the probe maximises (%1)").arg(probeStatus())));
    QTest::qWait(300);
    probe.write("remove\n");
    QVERIFY(QTest::qWaitFor([&] { return !nativeFrames || frameTopOf(probeWindow) > 0; },
                            InputTimeout));
    QTest::qWait(500);
    QVERIFY2(probeMaximized(), "still maximised after the skin goes");
    probe.write("restore\n");
    QVERIFY(QTest::qWaitFor([&] { return !probeMaximized(); }, InputTimeout));
    std::optional<QPoint> back = settledMark(probeMark, probeWindow, probeStart, false);
    maximizedSteps << (back ? describe(*back - probeStart) : QStringLiteral("lost"));
    maximizedSwitch = maximizedSteps.join(QStringLiteral(", "));
    QVERIFY2(back, qPrintable(lastSeen));
    QCOMPARE(*back, probeStart);

    // Native, maximised, skin on, restored by the skin's caption.
    probe.write("maximize\n");
    QVERIFY2(QTest::qWaitFor(probeMaximized, InputTimeout), "the probe maximises");
    QTest::qWait(300);
    probe.write("apply\n");
    QVERIFY(QTest::qWaitFor([&] { return frameTopOf(probeWindow) == 0; }, InputTimeout));
    QTest::qWait(500);
    QVERIFY2(probeMaximized(), "still maximised after the skin comes");
    QVERIFY(x().clicks(probeGrip(), 2, 60));
    QVERIFY(QTest::qWaitFor([&] { return !probeMaximized(); }, InputTimeout));
    back = settledMark(probeMark, probeWindow, probeStart, true);
    maximizedSteps << (back ? describe(*back - probeStart) : QStringLiteral("lost"));
    maximizedSwitch = maximizedSteps.join(QStringLiteral(", "));
    QVERIFY2(back, qPrintable(lastSeen));
    QCOMPARE(*back, probeStart);

    // Full screen: the client alone from the screen's corner, nothing of the
    // skin in the bands its caption and borders would take (the list box
    // lies 20 px inside the client area); back, the client area where it was.
    const QPoint listInClient = probeList.topLeft() - QPoint(6, 25) * scale;
    const auto probeFullScreen = [&] {
        return x().windowStates(probeWindow).contains(QLatin1String("_NET_WM_STATE_FULLSCREEN"));
    };
    probe.write("fullscreen\n");
    QVERIFY2(QTest::qWaitFor(probeFullScreen, InputTimeout), "the probe goes full screen");
    std::optional<QPoint> fullAt, lastFullAt;
    double plainEdges = 0;
    const bool filled = QTest::qWaitFor(
        [&] {
            const QImage full = x().screenshot();
            const QRect screen = full.rect();
            fullAt = probeMark.find(full, listInClient, 64 * scale);
            const bool settledNow =
                fullAt && fullAt == lastFullAt && x().geometry(probeWindow) == screen;
            lastFullAt = fullAt;
            plainEdges = plainEdgeShare(full, scale);
            if (!settledNow || plainEdges < 1)
                QTest::qWait(150);
            return settledNow && plainEdges == 1;
        },
        WindowTimeout);
    fullScreen = QStringLiteral("client %1, edges %2% ground")
                     .arg(fullAt ? describe(*fullAt - listInClient) : QStringLiteral("lost"))
                     .arg(plainEdges * 100, 0, 'f', 1);
    QVERIFY2(filled, qPrintable(fullScreen));
    QCOMPARE(*fullAt, listInClient);
    probe.write("restore\n");
    QVERIFY(QTest::qWaitFor([&] { return !probeFullScreen(); }, InputTimeout));
    back = settledMark(probeMark, probeWindow, probeStart, true);
    fullScreen += QStringLiteral(", back %1")
                      .arg(back ? describe(*back - probeStart) : QStringLiteral("lost"));
    QVERIFY2(back, qPrintable(lastSeen));
    QCOMPARE(*back, probeStart);

    // Flags the program sets on the shown window: Qt maps it again as a new
    // X window; it has no frame of the window manager's, the skin's caption
    // is drawn, and the client area stays.
    const QRect captionBand(QPoint(40, 4) * scale, QSize(200, 16) * scale);
    const auto groundShare = [&](XWindow window) {
        const QImage now = x().screenshot();
        const QRect g = x().geometry(window);
        return testing::shareOf(now, captionBand.translated(g.topLeft()),
                                now.pixel(g.topLeft() + QPoint(200, 150) * scale), 0);
    };
    const double captionBefore = groundShare(probeWindow);
    probe.write("flags\n");
    XWindow reshown = 0;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     const QList<XWindow> shown =
                         x().visibleWindows(QStringLiteral("Tavrel Probe"));
                     reshown =
                         shown.size() == 1 && shown.first() != probeWindow ? shown.first() : 0;
                     return reshown != 0;
                 },
                 WindowTimeout),
             "the probe is shown again as a new window");
    back = settledMark(probeMark, reshown, probeStart, true);
    const double captionAfter = groundShare(reshown);
    flagsAfterShow = QStringLiteral("frame top %1, caption ground %2% (was %3%), moved %4")
                         .arg(frameTopOf(reshown))
                         .arg(captionAfter * 100, 0, 'f', 0)
                         .arg(captionBefore * 100, 0, 'f', 0)
                         .arg(back ? describe(*back - probeStart) : QStringLiteral("lost"));
    QVERIFY2(back, qPrintable(lastSeen));
    QCOMPARE(*back, probeStart);
    QVERIFY2(captionAfter < 0.5, qPrintable(flagsAfterShow));
    // What the program's windows together gave, measured first.
    QVERIFY2(cells.failures.isEmpty(), qPrintable(cells.failures.join(QStringLiteral("; "))));
}

void tst_EndToEnd::checkWindowsTogether(XWindow main, WindowCells &cells)
{
    const SkinnedReference &mainRef = reference(FormKind::Main);
    const SkinnedReference &ctrlRef = reference(FormKind::CtrlColor);
    const SkinnedReference &cleanRef = reference(FormKind::Clean);
    // A part of the caption of a window that may have been resized: the
    // buttons keep their distance from the right edge.
    const auto fromRight = [&](XWindow window, const SkinnedReference &ref, const QString &name) {
        const QRect g = x().geometry(window);
        return ref.rect(name).translated(g.topLeft() + QPoint(g.width() - ref.size().width(), 0));
    };
    // Above the program's other windows as the screen shows them, and the
    // top of the window manager's own list where that is kept up to date.
    QList<XWindow> shown{main};
    QStringList staleLists;
    const auto onTopAndActive = [&](XWindow window) {
        const bool onTop = QTest::qWaitFor(
            [&] {
                const QList<XWindow> stack = x().stackedOnScreen(shown);
                return stack.last() == window && x().activeWindow() == window;
            },
            InputTimeout);
        const QList<XWindow> listed = x().stacking();
        if (onTop && (listed.isEmpty() || listed.last() != window))
            staleLists << QStringLiteral("_NET_CLIENT_LIST_STACKING");
        return onTop;
    };

    // Each window comes to the front and takes the focus when it is
    // opened, clicked or shown again.
    QStringList notOnTop;
    const auto expectOnTop = [&](XWindow window, const QString &what) {
        if (!onTopAndActive(window)) {
            QStringList order;
            for (XWindow w : x().stackedOnScreen(shown))
                order << QString::number(w, 16);
            notOnTop << QStringLiteral("%1 (%2 of %3, active %4)")
                            .arg(what, QString::number(window, 16), order.join(QLatin1Char(' ')),
                                 QString::number(x().activeWindow(), 16));
        }
    };
    x().click(onScreen(main, mainRef.rect(QStringLiteral("Command1"))));
    const XWindow clean = waitForWindow(CleanTitle);
    if (!clean) {
        cells.fail(cells.onTop, QStringLiteral("CleanFrm does not open"));
        return;
    }
    shown << clean;
    expectOnTop(clean, QStringLiteral("opened CleanFrm"));
    // Apart, so that none covers another.
    const QPoint mainPlace(380, 330), cleanPlace(850, 40), ctrlPlace(20, 600);
    if (!x().moveWindow(main, mainPlace) || !waitForPosition(main, mainPlace) ||
        !x().moveWindow(clean, cleanPlace) || !waitForPosition(clean, cleanPlace)) {
        cells.failures << QStringLiteral("the windows do not move apart: %1").arg(x().lastError());
        return;
    }

    x().click(onScreen(main, mainRef.rect(QStringLiteral("Label1"))));
    expectOnTop(main, QStringLiteral("clicked main"));
    x().click(onScreen(main, mainRef.rect(QStringLiteral("Command3"))));
    const XWindow ctrl = waitForWindow(CtrlColorTitle);
    if (!ctrl) {
        cells.fail(cells.onTop, QStringLiteral("CtrlColorFrm does not open"));
        return;
    }
    shown << ctrl;
    expectOnTop(ctrl, QStringLiteral("opened CtrlColorFrm"));
    if (!x().moveWindow(ctrl, ctrlPlace) || !waitForPosition(ctrl, ctrlPlace)) {
        cells.failures << QStringLiteral("CtrlColorFrm does not move: %1").arg(x().lastError());
        return;
    }
    x().click(onScreen(main, mainRef.rect(QStringLiteral("Label1"))));
    expectOnTop(main, QStringLiteral("clicked main"));
    x().click(onScreen(main, mainRef.rect(QStringLiteral("Command1"))));
    expectOnTop(clean, QStringLiteral("shown CleanFrm"));
    x().click(onScreen(ctrl, ctrlRef.rect(QStringLiteral("Label1"))));
    expectOnTop(ctrl, QStringLiteral("clicked CtrlColorFrm"));
    if (notOnTop.isEmpty())
        cells.onTop = staleLists.isEmpty()
                          ? QStringLiteral("yes")
                          : QStringLiteral("yes (%1 stale)").arg(staleLists.first());
    else
        cells.fail(cells.onTop,
             QStringLiteral("not on top and active: %1").arg(notOnTop.join(QStringLiteral(", "))));

    // No taskbar entry for the fixed windows, also once the main window's
    // skin has been off and on again (the skin switches the window's
    // flags), and no window a transient of another. The check box keeps its
    // place on the screen through the switches, as the client area does.
    const QSize skinnedSize = x().geometry(main).size();
    const QPoint checkBox = onScreen(main, mainRef.rect(QStringLiteral("Check2")));
    for (const QSize &size : {QSize(371, 201), skinnedSize}) {
        x().click(checkBox);
        if (!QTest::qWaitFor([&] { return x().geometry(main).size() == size; }, WindowTimeout))
            cells.failures << QStringLiteral("the main window's skin does not switch (%1)")
                                  .arg(describe(x().geometry(main)));
    }
    const auto skipsTaskbar = [&](XWindow window) {
        return x().windowStates(window).contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"));
    };
    const bool kindsRight = skipsTaskbar(main) && skipsTaskbar(ctrl) && !skipsTaskbar(clean) &&
                            !x().transientFor(main) && !x().transientFor(ctrl) &&
                            !x().transientFor(clean);
    const QString kinds =
        QStringLiteral("skip taskbar: main %1, CtrlColorFrm %2, CleanFrm %3; "
                       "transient: %4")
            .arg(skipsTaskbar(main) ? QLatin1String("yes") : QLatin1String("no"),
                 skipsTaskbar(ctrl) ? QLatin1String("yes") : QLatin1String("no"),
                 skipsTaskbar(clean) ? QLatin1String("yes") : QLatin1String("no"),
                 x().transientFor(main) || x().transientFor(ctrl) || x().transientFor(clean)
                     ? QLatin1String("some")
                     : QLatin1String("none"));
    if (kindsRight)
        cells.kinds = QStringLiteral("right");
    else
        cells.fail(cells.kinds, kinds);

    // A double-click on the menu demo's caption maximises it, another
    // restores it to the same place.
    const auto maximized = [&] {
        const QStringList states = x().windowStates(clean);
        return states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")) &&
               states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ"));
    };
    const QRect cleanCaption = cleanRef.rect(QStringLiteral("tavrelskin_caption"));
    const auto cleanGrip = [&] {
        return x().geometry(clean).topLeft() +
               QPoint(cleanCaption.left() + cleanCaption.width() / 3, cleanCaption.center().y());
    };
    const QRect normal = x().geometry(clean);
    x().clicks(cleanGrip(), 2, 60);
    if (!QTest::qWaitFor(maximized, InputTimeout)) {
        cells.fail(cells.doubleClick, QStringLiteral("not maximised"));
    } else {
        QTest::qWait(300);
        x().clicks(cleanGrip(), 2, 60);
        const bool restored = QTest::qWaitFor(
            [&] { return !maximized() && x().geometry(clean) == normal; }, InputTimeout);
        cells.doubleClick = QStringLiteral("maximised, restored");
        if (!restored)
            cells.fail(cells.doubleClick,
                 QStringLiteral("maximised, restored to %1").arg(describe(x().geometry(clean))));
    }

    // The menu demo's minimise button minimises it alone.
    const auto hidden = [&](XWindow window) {
        return !x().isViewable(window) ||
               x().windowStates(window).contains(QLatin1String("_NET_WM_STATE_HIDDEN"));
    };
    x().click(fromRight(clean, cleanRef, QStringLiteral("tavrelskin_minimize")).center());
    if (!QTest::qWaitFor([&] { return hidden(clean); }, InputTimeout)) {
        cells.fail(cells.minimiseOne, QStringLiteral("CleanFrm not minimised"));
    } else {
        QTest::qWait(500);
        QStringList alsoHidden;
        if (hidden(main))
            alsoHidden << QStringLiteral("main");
        if (hidden(ctrl))
            alsoHidden << QStringLiteral("CtrlColorFrm");
        if (alsoHidden.isEmpty())
            cells.minimiseOne = QStringLiteral("only it");
        else
            cells.fail(cells.minimiseOne,
                 QStringLiteral("also %1").arg(alsoHidden.join(QStringLiteral(", "))));
    }
    x().activate(clean);
    if (!QTest::qWaitFor([&] { return !hidden(clean); }, InputTimeout)) {
        cells.failures << QStringLiteral("CleanFrm does not come back from minimised");
        return;
    }
    for (XWindow window : {main, ctrl}) {
        if (hidden(window))
            x().activate(window);
    }

    // Hovering Close changes its look on a fresh window, and right after a
    // drag by the caption, without another click.
    const QRect close = ctrlRef.rect(QStringLiteral("tavrelskin_close"));
    const QRect caption = ctrlRef.rect(QStringLiteral("tavrelskin_caption"));
    const auto hoverChange = [&](int expected) {
        const QPoint at = x().geometry(ctrl).topLeft();
        x().movePointer(at + ctrlRef.rect(QStringLiteral("Label1")).center());
        QTest::qWait(400);
        const QImage rest = x().screenshot();
        x().movePointer(at + close.center());
        int changed = 0;
        // The count says what came, in time or not.
        static_cast<void>(QTest::qWaitFor(
            [&] {
                changed = changedPixels(rest, x().screenshot(), close.translated(at));
                return expected > 0 && changed >= expected;
            },
            expected > 0 ? 2000 : 600));
        return changed;
    };
    x().click(onScreen(ctrl, ctrlRef.rect(QStringLiteral("Label1"))));
    const int fresh = hoverChange(0);
    const QPoint before = x().geometry(ctrl).topLeft();
    const QPoint grip = before + QPoint(caption.left() + caption.width() / 3, caption.center().y());
    // Clear of the other windows' edges, which some window managers snap to.
    const QPoint delta(60, 40);
    x().drag(grip, grip + delta);
    if (!waitForPosition(ctrl, before + delta)) {
        cells.fail(cells.hoverAfterDrag,
             QStringLiteral("the caption drag from %1 by %2 left CtrlColorFrm at %3")
                 .arg(describe(before), describe(delta), describe(x().geometry(ctrl))));
    } else {
        cells.hover(fresh, hoverChange(qMax(1, fresh / 2)), 20);
    }

    // Closing the active window hands the focus to another of the program.
    x().click(onScreen(ctrl, ctrlRef.rect(QStringLiteral("Label1"))));
    if (!waitForActive(ctrl)) {
        cells.failures << QStringLiteral("CtrlColorFrm does not take the focus back");
    } else {
        x().click(onScreen(ctrl, close));
        const bool closed = QTest::qWaitFor(
            [&] { return x().visibleWindows(CtrlColorTitle).isEmpty(); }, WindowTimeout);
        XWindow active = 0;
        const bool handed = closed && QTest::qWaitFor(
                                          [&] {
                                              active = x().activeWindow();
                                              return active == main || active == clean;
                                          },
                                          InputTimeout);
        cells.focusHanded(closed, handed, active == main);
    }

    // Full screen: the client alone, edge to edge. The menu bar's items
    // show at the screen's corner, and nothing of the skin's caption.
    const QRect menu = cleanRef.rect(QStringLiteral("menubar"));
    const QRect items(menu.topLeft(), QSize(qMin(menu.width(), 120), menu.height()));
    const QRect captionLeft(
        cleanRef.rect(QStringLiteral("tavrelskin_caption")).topLeft(),
        QSize(120, cleanRef.rect(QStringLiteral("tavrelskin_caption")).height()));
    ScreenMark menuMark;
    x().activate(clean);
    waitForActive(clean);
    QTest::qWait(300);
    if (!menuMark.take(x().screenshot(), items.translated(x().geometry(clean).topLeft()))) {
        cells.fail(cells.fullScreen, QStringLiteral("no menu bar to be seen"));
        return;
    }
    const QRect screenRect(0, 0, 1280, 1024);
    const auto fullScreen = [&] {
        return x().windowStates(clean).contains(QLatin1String("_NET_WM_STATE_FULLSCREEN"));
    };
    if (!x().changeState(clean, QStringLiteral("_NET_WM_STATE_FULLSCREEN"), true)) {
        cells.fail(cells.fullScreen, x().lastError());
        return;
    }
    // Now and then (xfwm4, fluxbox, metacity) the first request goes
    // unanswered, the state never changing: it is asked for once more, as
    // a user would press the key again, and the cell says so.
    bool askedAgain = false;
    if (!QTest::qWaitFor(fullScreen, 2000)) {
        askedAgain = true;
        x().changeState(clean, QStringLiteral("_NET_WM_STATE_FULLSCREEN"), true);
    }
    // Whether the window manager took the request at all, even if the
    // state did not last.
    bool granted = false;
    if (!QTest::qWaitFor(
            [&] {
                const bool now = fullScreen();
                granted = granted || now;
                return now && x().geometry(clean) == screenRect;
            },
            WindowTimeout)) {
        cells.fail(cells.fullScreen,
             QStringLiteral("not full screen: %1, state %2%3")
                 .arg(describe(x().geometry(clean)),
                      fullScreen() ? QLatin1String("full screen") : QLatin1String("normal"),
                      granted && !fullScreen() ? QLatin1String(" again") : QLatin1String("")));
        return;
    }
    std::optional<QPoint> client;
    double skinShare = 1.0;
    static_cast<void>(QTest::qWaitFor(
        [&] {
            const QImage shot = x().screenshot();
            client = menuMark.find(shot, QPoint(0, 0), 64);
            skinShare = testing::shareLike(shot, QPoint(0, 0), cleanRef.image(), captionLeft);
            return client == QPoint(0, 0) && skinShare < 0.5;
        },
        InputTimeout));
    cells.fullScreen = QStringLiteral("skin caption %1%, client at %2%3")
                           .arg(skinShare * 100, 0, 'f', 0)
                           .arg(client ? describe(*client) : QStringLiteral("not found"),
                                askedAgain ? QLatin1String(" (asked twice)") : QLatin1String(""));
    if (client != QPoint(0, 0) || skinShare >= 0.5)
        cells.fail(cells.fullScreen, cells.fullScreen);
    if (!x().changeState(clean, QStringLiteral("_NET_WM_STATE_FULLSCREEN"), false))
        cells.failures << x().lastError();
    else if (!QTest::qWaitFor([&] { return !fullScreen(); }, InputTimeout))
        cells.failures << QStringLiteral("CleanFrm does not leave full screen");
}

void tst_EndToEnd::frameUnderSway(int scale)
{
    // Under sway a window cannot place itself, there is no minimise and no
    // list of windows for a taskbar: each cell says what sway did where it
    // differs from a desktop's window manager, and holds the program to what
    // a user can expect there (the client area back in place with the skin,
    // a new or clicked window in front with the focus, drags by the caption
    // and the corner, the caption buttons' hover look, the focus after a
    // close, full screen edge to edge).
    const QString wlinput = QStringLiteral(TAVREL_WLINPUT);
#ifdef TAVREL_WLINPUT_MISSING
    const QString wlinputMissing = QStringLiteral(TAVREL_WLINPUT_MISSING);
#else
    const QString wlinputMissing;
#endif
    const QStringList missing = e2e::SwaySession::missingTools(wlinput, wlinputMissing);
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("not installed: %1 (scripts/setup.sh installs them)")
                             .arg(missing.join(QStringLiteral(", ")))));
    m_sway = std::make_unique<e2e::SwaySession>();
    e2e::SwaySession &sway = *m_sway;
    QVERIFY2(sway.start(wlinput, QSize(1280, 1024) * scale, scale), qPrintable(sway.lastError()));

    QStringList places;
    QString fastToggles = QStringLiteral("-"), topEdge = QStringLiteral("-");
    QString instantClick = QStringLiteral("-"), doubleClick = QStringLiteral("-");
    QString captionDrag = QStringLiteral("-"), edgeDrag = QStringLiteral("-");
    QString maximizeButton = QStringLiteral("-");
    QString fullScreen = QStringLiteral("-"), flagsAfterShow = QStringLiteral("-");
    WindowCells cells;
    cells.kinds = QStringLiteral("no taskbar");
    const auto line = qScopeGuard([&] {
        while (places.size() < 5)
            places << QStringLiteral("-");
        qInfo("| sway | x%d | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |", scale,
              qPrintable(places.join(QStringLiteral(" | "))), qPrintable(fastToggles),
              qPrintable(topEdge), qPrintable(instantClick), qPrintable(doubleClick),
              qPrintable(captionDrag), qPrintable(edgeDrag), qPrintable(maximizeButton),
              qPrintable(fullScreen), qPrintable(flagsAfterShow));
        if (cells.clientArea.isEmpty())
            cells.clientArea = QStringLiteral("lost at switch %1")
                                   .arg(places.count() - places.count(QStringLiteral("-")));
        qInfo("windows: | %s | %s | %s | %s | %s | %s | %s | %s | %s |",
              scale == 1 ? "sway" : qPrintable(QStringLiteral("sway x%1").arg(scale)),
              qPrintable(cells.clientArea), qPrintable(cells.onTop), qPrintable(cells.minimiseOne),
              qPrintable(cells.focusAfterClose), qPrintable(cells.hoverAfterDrag),
              qPrintable(cells.doubleClick), qPrintable(cells.fullScreen), qPrintable(cells.kinds));
    });

    m_app = std::make_unique<QProcess>();
    sway.prepare(m_app.get());
    m_app->start(testing::applicationPath(), {});
    QVERIFY(m_app->waitForStarted(5000));
    const auto waitForOne = [&](const QString &title) {
        e2e::SwayWindow found;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                const QList<e2e::SwayWindow> all = sway.windows(title);
                found = all.size() == 1 ? all.first() : e2e::SwayWindow();
                return found.id != 0 && !found.rect.isEmpty();
            },
            WindowTimeout));
        return found.id;
    };
    const auto rectOf = [&](qint64 id) { return sway.window(id).rect; };
    const qint64 main = waitForOne(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));

    // Logical coordinates for the pointer, device pixels on the screenshot.
    const auto scaled = [scale](const QRect &r) {
        return QRect(r.topLeft() * scale, r.size() * scale);
    };
    const SkinnedReference &mainRef = reference(FormKind::Main);
    const SkinnedReference &ctrlRef = reference(FormKind::CtrlColor);
    const SkinnedReference &cleanRef = reference(FormKind::Clean);
    const QRect list = mainRef.rect(QStringLiteral("List1"));
    const QRect listInside = list.adjusted(3, 3, -3, -3);
    const QPoint checkFromList =
        mainRef.rect(QStringLiteral("Check2")).center() - listInside.topLeft();
    const QPoint showCleanFromList =
        mainRef.rect(QStringLiteral("Command1")).center() - listInside.topLeft();
    const QSize skinnedSize = rectOf(main).size();

    // The client area, found by the list box's pixels.
    ScreenMark mark;
    const auto swayShot = [&] { return sway.screenshot(); };
    const bool drawn = mark.takeSteady(
        swayShot,
        [&] {
            return scaled(QRect(rectOf(main).topLeft() + listInside.topLeft(), listInside.size()));
        },
        WindowTimeout);
    QVERIFY2(drawn, "the list box shows its items");
    const QPoint start = rectOf(main).topLeft() + listInside.topLeft();
    places << describe(start);
    QString lastSeen;
    // Where the list box shows once it stays put with the frame expected
    // (the skinned window's size, or another one without the skin).
    const auto settledMark =
        [&](const ScreenMark &seen, qint64 window, const QPoint &near,
            const std::function<bool(const QRect &)> &frameRight) -> std::optional<QPoint> {
        std::optional<QPoint> last, found;
        const bool stays = QTest::qWaitFor(
            [&] {
                std::optional<QPoint> now = seen.find(sway.screenshot(), near * scale, 64 * scale);
                if (now)
                    now = *now / scale;
                const QRect r = rectOf(window);
                lastSeen =
                    QStringLiteral("list box %1, window %2")
                        .arg(now ? describe(*now) : QStringLiteral("not found"), describe(r));
                if (now && now == last && frameRight(r))
                    found = now;
                last = now;
                if (!found)
                    QTest::qWait(150);
                return found.has_value();
            },
            WindowTimeout);
        return stays ? found : std::nullopt;
    };
    const auto settled = [&](const QPoint &near, bool skinned) {
        return settledMark(mark, main, near,
                           [&](const QRect &r) { return (r.size() == skinnedSize) == skinned; });
    };

    // Switches by a click on "Skin Enabled", then by Space on the check box
    // that the click gave the focus, twice each.
    bool skinned = true;
    QPoint here = start;
    QStringList moves;
    for (int i = 1; i <= 4; ++i) {
        const bool byKey = i % 2 == 0;
        QVERIFY2(byKey ? sway.key(QStringLiteral("space")) : sway.click(here + checkFromList),
                 qPrintable(sway.lastError()));
        skinned = !skinned;
        const std::optional<QPoint> at = settled(here, skinned);
        QVERIFY2(at, qPrintable(QStringLiteral("switch %1 (%2): the list box settles (%3)")
                                    .arg(i)
                                    .arg(byKey ? QLatin1String("Space") : QLatin1String("click"),
                                         lastSeen)));
        here = *at;
        places << describe(here) + (byKey ? QStringLiteral(" (Space)") : QString());
        if (skinned)
            QCOMPARE(here, start);
        else if (here != start)
            moves << describe(here - start);
    }
    // Four clicks faster than the compositor answers them.
    QVERIFY(sway.click(here + checkFromList, 4, 80));
    const std::optional<QPoint> afterFast = settled(here, true);
    QVERIFY2(afterFast, qPrintable(QStringLiteral("four fast switches settle (%1)").arg(lastSeen)));
    fastToggles = describe(*afterFast);
    QCOMPARE(*afterFast, start);
    moves.removeDuplicates();
    // A Wayland client cannot place its window; sway keeps the window's
    // corner where it was, so without the skin the client area moves by the
    // difference of the two frames.
    cells.clientArea = moves.isEmpty() ? QStringLiteral("kept")
                                       : QStringLiteral("back with the skin; without it moved "
                                                        "by %1 (sway keeps the window's corner)")
                                             .arg(moves.join(QLatin1Char('/')));

    // A window at the top of the screen, without the skin and then with
    // it: sway keeps the window's corner there, so both the title bar and
    // the skin's caption start at the top, and the client area comes back
    // to its place when the skin goes again.
    const auto settleSwitch = [&](bool byKey, bool skinnedNow) -> bool {
        if (!(byKey ? sway.key(QStringLiteral("space")) : sway.click(here + checkFromList)))
            return false;
        const std::optional<QPoint> at = settled(here, skinnedNow);
        if (at)
            here = *at;
        return at.has_value();
    };
    QVERIFY2(settleSwitch(false, false), qPrintable(lastSeen));
    const QRect away = rectOf(main);
    QVERIFY2(sway.command(main, QStringLiteral("move position %1 0").arg(away.left())),
             qPrintable(sway.lastError()));
    QVERIFY(QTest::qWaitFor([&] { return rectOf(main).top() == 0; }, InputTimeout));
    const std::optional<QPoint> atTop = settled(here - QPoint(0, away.top()), false);
    QVERIFY2(atTop, qPrintable(lastSeen));
    here = *atTop;
    const QPoint topPlace = here;
    QVERIFY2(settleSwitch(false, true), qPrintable(lastSeen));
    const int captionTop = rectOf(main).top();
    QVERIFY2(settleSwitch(true, false), qPrintable(lastSeen));
    const int titleTop = rectOf(main).top();
    topEdge = QStringLiteral("caption %1, title %2, back %3")
                  .arg(captionTop)
                  .arg(titleTop)
                  .arg(describe(here - topPlace));
    QCOMPARE(captionTop, 0);
    QCOMPARE(titleTop, 0);
    QCOMPARE(here, topPlace);
    QVERIFY2(settleSwitch(true, true), qPrintable(lastSeen));

    // The menu demo, a sizable window, opened by a click: in front, with
    // the focus.
    bool inFront = false, focused = false;
    const auto frontAndFocused = [&](qint64 id) {
        return QTest::qWaitFor(
            [&] {
                int top = -1;
                const QList<e2e::SwayWindow> all = sway.windows();
                for (const e2e::SwayWindow &w : all)
                    top = qMax(top, w.stackIndex);
                for (const e2e::SwayWindow &w : all) {
                    if (w.id == id) {
                        focused = w.focused;
                        inFront = w.stackIndex == top;
                    }
                }
                return focused && inFront;
            },
            InputTimeout);
    };
    QStringList notOnTop;
    QVERIFY(sway.click(here + showCleanFromList));
    const qint64 clean = waitForOne(CleanTitle);
    QVERIFY(clean);
    if (!frontAndFocused(clean))
        notOnTop << QStringLiteral("opened CleanFrm");
    const QPoint cleanPlace(640, 480);
    QVERIFY2(
        sway.command(clean,
                     QStringLiteral("move position %1 %2").arg(cleanPlace.x()).arg(cleanPlace.y())),
        qPrintable(sway.lastError()));
    QVERIFY(QTest::qWaitFor([&] { return rectOf(clean).topLeft() == cleanPlace; }, InputTimeout));
    const QRect caption = cleanRef.rect(QStringLiteral("tavrelskin_caption"));
    const auto grip = [&] {
        return rectOf(clean).topLeft() +
               QPoint(caption.left() + caption.width() / 3, caption.center().y());
    };
    const QRect before = rectOf(clean);

    // Press and release at once, then move away: the window stays.
    QVERIFY(sway.click(grip()));
    QVERIFY(sway.movePointer(grip() + QPoint(-150, -120)));
    QTest::qWait(400);
    QVERIFY(sway.movePointer(grip() + QPoint(-250, -60)));
    QTest::qWait(400);
    if (rectOf(clean) == before)
        instantClick = QStringLiteral("stays");
    else
        cells.fail(instantClick, QStringLiteral("moved to %1").arg(describe(rectOf(clean))));

    // A double-click on the caption asks for the maximised state; a
    // floating window under sway keeps its size.
    QVERIFY(sway.click(grip(), 2, 60));
    const bool grew =
        QTest::qWaitFor([&] { return rectOf(clean).width() > before.width() + 100; }, 2000);
    if (grew) {
        QTest::qWait(300);
        QVERIFY(sway.click(grip(), 2, 60));
        const bool restored =
            QTest::qWaitFor([&] { return rectOf(clean) == before; }, InputTimeout);
        doubleClick =
            restored ? QStringLiteral("maximised, restored")
                     : QStringLiteral("maximised, restored to %1").arg(describe(rectOf(clean)));
        if (!restored)
            cells.failures << doubleClick;
    } else {
        doubleClick = rectOf(clean) == before
                          ? QStringLiteral("stays (sway keeps a floating window's size)")
                          : QStringLiteral("not maximised, at %1").arg(describe(rectOf(clean)));
    }
    cells.doubleClick = doubleClick;
    // The maximise button asks for the same.
    const auto fromRight = [&](qint64 id, const SkinnedReference &ref, const QString &name) {
        const QRect g = rectOf(id);
        return ref.rect(name).translated(g.topLeft() + QPoint(g.width() - ref.size().width(), 0));
    };
    const QRect beforeButton = rectOf(clean);
    QVERIFY(sway.click(fromRight(clean, cleanRef, QStringLiteral("tavrelskin_maximize")).center()));
    QTest::qWait(1000);
    maximizeButton = rectOf(clean) == beforeButton
                         ? QStringLiteral("maximise button: stays")
                         : QStringLiteral("maximise button: %1").arg(describe(rectOf(clean)));
    if (rectOf(clean) != beforeButton) {
        QVERIFY(
            sway.click(fromRight(clean, cleanRef, QStringLiteral("tavrelskin_maximize")).center()));
        static_cast<void>(
            QTest::qWaitFor([&] { return rectOf(clean) == beforeButton; }, InputTimeout));
    }

    // Drags by the caption and by the bottom-right corner: the compositor
    // moves and sizes the window from the pointer. The program hands the
    // drag over once the pointer has gone the drag distance, and sway moves
    // the window from where the pointer is then, not from the press: the
    // window follows the pointer's way less that first part.
    const auto afterLead = [](const QPoint &way) {
        const int distance = QGuiApplication::styleHints()->startDragDistance();
        for (int i = 1; i <= e2e::SwaySession::DragSteps; ++i) {
            if (e2e::SwaySession::dragPoint(way, i).manhattanLength() >= distance)
                return way - e2e::SwaySession::dragPoint(way, i);
        }
        return QPoint();
    };
    const QRect beforeDrag = rectOf(clean);
    const QPoint delta(-90, -70);
    QVERIFY(sway.drag(grip(), grip() + delta));
    const bool moved = QTest::qWaitFor(
        [&] { return rectOf(clean).topLeft() == beforeDrag.topLeft() + afterLead(delta); },
        InputTimeout);
    captionDrag = describe(rectOf(clean).topLeft() - beforeDrag.topLeft()) +
                  QStringLiteral(" (pointer %1)").arg(describe(delta));
    if (!moved)
        cells.fail(captionDrag, QStringLiteral("caption drag by %1 moved %2, not %3")
                              .arg(describe(delta), captionDrag, describe(afterLead(delta))));
    const QRect beforeResize = rectOf(clean);
    const QPoint corner = beforeResize.bottomRight() - QPoint(3, 2);
    const QPoint growth(60, 40);
    QVERIFY(sway.drag(corner, corner + growth));
    const QPoint grown = afterLead(growth);
    const bool resized = QTest::qWaitFor(
        [&] {
            const QSize g = rectOf(clean).size() - beforeResize.size();
            return g == QSize(grown.x(), grown.y());
        },
        InputTimeout);
    const QRect afterResize = rectOf(clean);
    edgeDrag = QStringLiteral("%1x%2 (pointer %3)")
                   .arg(afterResize.width() - beforeResize.width())
                   .arg(afterResize.height() - beforeResize.height())
                   .arg(describe(growth));
    if (!resized || afterResize.topLeft() != beforeResize.topLeft())
        cells.fail(edgeDrag, QStringLiteral("corner drag by %1 grew %2, window at %3")
                           .arg(describe(growth), edgeDrag, describe(afterResize)));

    // The windows together: apart, each in front with the focus when it is
    // opened, clicked or shown again.
    const QPoint mainPlace(380, 330), cleanApart(850, 40), ctrlPlace(20, 600);
    QVERIFY(sway.command(
        main, QStringLiteral("move position %1 %2").arg(mainPlace.x()).arg(mainPlace.y())));
    QVERIFY(sway.command(
        clean, QStringLiteral("move position %1 %2").arg(cleanApart.x()).arg(cleanApart.y())));
    QVERIFY(QTest::qWaitFor(
        [&] {
            return rectOf(main).topLeft() == mainPlace && rectOf(clean).topLeft() == cleanApart;
        },
        InputTimeout));
    const auto onMain = [&](const QString &name) {
        return rectOf(main).topLeft() + mainRef.rect(name).center();
    };
    sway.click(onMain(QStringLiteral("Label1")));
    if (!frontAndFocused(main))
        notOnTop << QStringLiteral("clicked main");
    sway.click(onMain(QStringLiteral("Command3")));
    const qint64 ctrl = waitForOne(CtrlColorTitle);
    QVERIFY(ctrl);
    if (!frontAndFocused(ctrl))
        notOnTop << QStringLiteral("opened CtrlColorFrm");
    QVERIFY(sway.command(
        ctrl, QStringLiteral("move position %1 %2").arg(ctrlPlace.x()).arg(ctrlPlace.y())));
    QVERIFY(QTest::qWaitFor([&] { return rectOf(ctrl).topLeft() == ctrlPlace; }, InputTimeout));
    const auto onCtrl = [&](const QString &name) {
        return rectOf(ctrl).topLeft() + ctrlRef.rect(name).center();
    };
    sway.click(onMain(QStringLiteral("Label1")));
    if (!frontAndFocused(main))
        notOnTop << QStringLiteral("clicked main");
    // The program asks for the focus for a window shown again; sway gives
    // it (the session's config says so) but raises a floating window only
    // when it is clicked.
    QString shownAgain;
    sway.click(onMain(QStringLiteral("Command1")));
    if (!frontAndFocused(clean)) {
        if (focused)
            shownAgain = QStringLiteral(", shown again: focused, not raised (sway)");
        else
            notOnTop << QStringLiteral("shown CleanFrm");
    }
    sway.click(onCtrl(QStringLiteral("Label1")));
    if (!frontAndFocused(ctrl))
        notOnTop << QStringLiteral("clicked CtrlColorFrm");
    if (notOnTop.isEmpty())
        cells.onTop = QStringLiteral("yes") + shownAgain;
    else
        cells.fail(cells.onTop, QStringLiteral("not in front with the focus: %1")
                              .arg(notOnTop.join(QStringLiteral(", "))));

    // The menu demo's minimise button: sway has no minimised state.
    const QRect cleanRect = rectOf(clean);
    sway.click(fromRight(clean, cleanRef, QStringLiteral("tavrelskin_minimize")).center());
    QTest::qWait(1000);
    const e2e::SwayWindow afterMinimise = sway.window(clean);
    const bool shown = afterMinimise.visible && afterMinimise.rect == cleanRect;
    const bool othersThere = sway.window(main).visible && sway.window(ctrl).visible;
    cells.minimiseOne =
        QStringLiteral("ignored: CleanFrm %1%2, others %3")
            .arg(shown ? QLatin1String("stays shown")
                       : QStringLiteral("at %1, %2")
                             .arg(describe(afterMinimise.rect), afterMinimise.visible
                                                                    ? QLatin1String("shown")
                                                                    : QLatin1String("hidden")),
                 afterMinimise.focused ? QLatin1String(" with the focus") : QLatin1String(""),
                 othersThere ? QLatin1String("shown") : QLatin1String("hidden"));
    if (!othersThere)
        cells.failures << cells.minimiseOne;

    // Hovering Close changes its look on a fresh window, and right after a
    // drag by the caption, without another click.
    const QRect close = ctrlRef.rect(QStringLiteral("tavrelskin_close"));
    const QRect ctrlCaption = ctrlRef.rect(QStringLiteral("tavrelskin_caption"));
    const auto hoverChange = [&](int expected) {
        const QPoint at = rectOf(ctrl).topLeft();
        sway.movePointer(at + ctrlRef.rect(QStringLiteral("Label1")).center());
        QTest::qWait(400);
        const QImage rest = sway.screenshot();
        sway.movePointer(at + close.center());
        int px = 0;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                px = changedPixels(rest, sway.screenshot(), scaled(close.translated(at)));
                return expected > 0 && px >= expected;
            },
            expected > 0 ? 2000 : 600));
        return px;
    };
    sway.click(onCtrl(QStringLiteral("Label1")));
    const int fresh = hoverChange(0);
    const QPoint ctrlBefore = rectOf(ctrl).topLeft();
    const QPoint ctrlGrip =
        ctrlBefore + QPoint(ctrlCaption.left() + ctrlCaption.width() / 3, ctrlCaption.center().y());
    const QPoint step(60, 40);
    sway.drag(ctrlGrip, ctrlGrip + step);
    if (!QTest::qWaitFor([&] { return rectOf(ctrl).topLeft() == ctrlBefore + afterLead(step); },
                         InputTimeout)) {
        cells.fail(cells.hoverAfterDrag,
             QStringLiteral("the caption drag from %1 by %2 left CtrlColorFrm at %3")
                 .arg(describe(ctrlBefore), describe(step), describe(rectOf(ctrl))));
    } else {
        cells.hover(fresh, hoverChange(qMax(1, fresh / 2)), 20 * scale * scale);
    }

    // Closing the focused window hands the focus to another of the program.
    sway.click(onCtrl(QStringLiteral("Label1")));
    if (!QTest::qWaitFor([&] { return sway.window(ctrl).focused; }, InputTimeout)) {
        cells.failures << QStringLiteral("CtrlColorFrm does not take the focus back");
    } else {
        sway.click(rectOf(ctrl).topLeft() + close.center());
        const bool closed =
            QTest::qWaitFor([&] { return sway.windows(CtrlColorTitle).isEmpty(); }, WindowTimeout);
        qint64 focused = 0;
        const bool handed = closed && QTest::qWaitFor(
                                          [&] {
                                              focused = sway.window(main).focused    ? main
                                                        : sway.window(clean).focused ? clean
                                                                                     : 0;
                                              return focused != 0;
                                          },
                                          InputTimeout);
        cells.focusHanded(closed, handed, focused == main);
    }

    // Full screen by sway's own command: the client alone, edge to edge,
    // the menu bar's items at the screen's corner and nothing of the skin's
    // caption; back to its place after.
    const QRect menu = cleanRef.rect(QStringLiteral("menubar"));
    const QRect items(menu.topLeft(), QSize(qMin(menu.width(), 120), menu.height()));
    const QRect captionLeft(caption.topLeft(), QSize(120, caption.height()));
    sway.click(grip());
    QTest::qWait(300);
    ScreenMark menuMark;
    const QRect normal = rectOf(clean);
    // The skin's caption compared at the reference's size: the screen is
    // brought down to logical pixels first. The window in its place shows
    // it, as the proof that the comparison sees a caption where there is one.
    const auto captionShare = [&](const QImage &shot, const QPoint &at) {
        const QImage logical = scale == 1 ? shot
                                          : shot.scaled(sway.layoutSize(), Qt::IgnoreAspectRatio,
                                                        Qt::SmoothTransformation);
        return testing::shareLike(logical, at, cleanRef.image(), captionLeft);
    };
    const QImage placed = sway.screenshot();
    const double placedShare = captionShare(placed, normal.topLeft());
    if (!menuMark.take(placed, scaled(items.translated(normal.topLeft())))) {
        cells.fail(fullScreen, QStringLiteral("no menu bar to be seen"));
    } else if (placedShare < 0.5) {
        cells.fail(fullScreen, QStringLiteral("the skin's caption unlike the reference in its place "
                                        "(%1%)")
                             .arg(placedShare * 100, 0, 'f', 0));
    } else if (!sway.command(clean, QStringLiteral("fullscreen enable"))) {
        cells.fail(fullScreen, sway.lastError());
    } else {
        const QRect screenRect(QPoint(0, 0), sway.layoutSize());
        const bool full = QTest::qWaitFor(
            [&] {
                const e2e::SwayWindow w = sway.window(clean);
                return w.fullScreen && w.rect == screenRect;
            },
            WindowTimeout);
        std::optional<QPoint> client;
        double skinShare = 1.0;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                const QImage shot = sway.screenshot();
                client = menuMark.find(shot, QPoint(0, 0), 64 * scale);
                skinShare = captionShare(shot, QPoint(0, 0));
                return client == QPoint(0, 0) && skinShare < 0.5;
            },
            full ? InputTimeout : 100));
        fullScreen =
            QStringLiteral("%1skin caption %2% (placed %3%), client at %4")
                .arg(full ? QString()
                          : QStringLiteral("not full screen (%1), ").arg(describe(rectOf(clean))))
                .arg(skinShare * 100, 0, 'f', 0)
                .arg(placedShare * 100, 0, 'f', 0)
                .arg(client ? describe(*client) : QStringLiteral("not found"));
        if (!full || client != QPoint(0, 0) || skinShare >= 0.5)
            cells.failures << fullScreen;
        sway.command(clean, QStringLiteral("fullscreen disable"));
        if (!QTest::qWaitFor([&] { return rectOf(clean) == normal; }, InputTimeout))
            cells.fail(fullScreen,
                 fullScreen + QStringLiteral(", back at %1").arg(describe(rectOf(clean))));
        else
            fullScreen += QStringLiteral(", back");
    }
    cells.fullScreen = fullScreen;

    // A sizable skinned window driven from its standard input: full screen
    // asked for by the program, edge to edge with nothing of the skin in the
    // bands its caption and borders would take; then flags the program sets
    // on the shown window, which Qt shows again as a new window: the skin's
    // caption is drawn on it, and sway puts it where the first one was.
    fullScreen = QStringLiteral("-");
    QProcess probe;
    sway.prepare(&probe);
    probe.start(QStringLiteral(TAVREL_SKINPROBE), {testing::componentDir()});
    const auto endProbe = qScopeGuard([&] {
        probe.kill();
        probe.waitForFinished(3000);
    });
    QVERIFY2(probe.waitForStarted(5000), qPrintable(probe.errorString()));
    const QString probeTitle = QStringLiteral("Tavrel Probe");
    const qint64 probeWindow = waitForOne(probeTitle);
    QVERIFY2(probeWindow, probe.readAllStandardError().constData());
    // Its list box: 20,20 in the client area, 120 x 60, inside its border.
    const QRect probeList(QPoint(6 + 23, 25 + 23), QSize(114, 54));
    ScreenMark probeMark;
    QVERIFY2(probeMark.takeSteady(
                 swayShot,
                 [&] {
                     return scaled(QRect(rectOf(probeWindow).topLeft() + probeList.topLeft(),
                                         probeList.size()));
                 },
                 WindowTimeout),
             "the probe's list box shows its items");
    const QPoint probeStart = rectOf(probeWindow).topLeft() + probeList.topLeft();
    const auto anyFrame = [](const QRect &) { return true; };
    const QPoint listInClient = probeList.topLeft() - QPoint(6, 25);
    probe.write("fullscreen\n");
    const QRect screenRect(QPoint(0, 0), sway.layoutSize());
    QVERIFY2(
        QTest::qWaitFor(
            [&] {
                const e2e::SwayWindow w = sway.window(probeWindow);
                return w.fullScreen && w.rect == screenRect;
            },
            InputTimeout),
        qPrintable(
            QStringLiteral("the probe goes full screen (%1)").arg(describe(rectOf(probeWindow)))));
    double plainEdges = 0;
    const std::optional<QPoint> fullAt =
        settledMark(probeMark, probeWindow, listInClient, [&](const QRect &) {
            plainEdges = plainEdgeShare(sway.screenshot(), scale);
            return plainEdges == 1;
        });
    fullScreen = QStringLiteral("client %1, edges %2% ground")
                     .arg(fullAt ? describe(*fullAt - listInClient) : QStringLiteral("lost"))
                     .arg(plainEdges * 100, 0, 'f', 1);
    QVERIFY2(fullAt, qPrintable(fullScreen));
    QCOMPARE(*fullAt, listInClient);
    probe.write("restore\n");
    std::optional<QPoint> back =
        settledMark(probeMark, probeWindow, probeStart,
                    [&](const QRect &) { return !sway.window(probeWindow).fullScreen; });
    fullScreen += QStringLiteral(", back %1")
                      .arg(back ? describe(*back - probeStart) : QStringLiteral("lost"));
    QVERIFY2(back, qPrintable(lastSeen));
    QCOMPARE(*back, probeStart);

    const QRect captionBand(QPoint(40, 4), QSize(200, 16));
    const auto groundShare = [&](qint64 window) {
        const QImage now = sway.screenshot();
        const QRect g = rectOf(window);
        return testing::shareOf(now, scaled(captionBand.translated(g.topLeft())),
                                now.pixel((g.topLeft() + QPoint(200, 150)) * scale), 0);
    };
    const double captionBefore = groundShare(probeWindow);
    probe.write("flags\n");
    qint64 reshown = 0;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     const QList<e2e::SwayWindow> shown = sway.windows(probeTitle);
                     reshown = shown.size() == 1 && shown.first().id != probeWindow
                                   ? shown.first().id
                                   : 0;
                     return reshown != 0;
                 },
                 WindowTimeout),
             "the probe is shown again as a new window");
    back = settledMark(probeMark, reshown, probeStart, anyFrame);
    const double captionAfter = groundShare(reshown);
    flagsAfterShow = QStringLiteral("caption ground %1% (was %2%), moved %3")
                         .arg(captionAfter * 100, 0, 'f', 0)
                         .arg(captionBefore * 100, 0, 'f', 0)
                         .arg(back ? describe(*back - probeStart) : QStringLiteral("lost"));
    QVERIFY2(back, qPrintable(lastSeen));
    QCOMPARE(*back, probeStart);
    QVERIFY2(captionAfter < 0.5, qPrintable(flagsAfterShow));
    QVERIFY2(cells.failures.isEmpty(), qPrintable(cells.failures.join(QStringLiteral("; "))));
}

void tst_EndToEnd::accessibleTreeDrivesTheWindows()
{
    // The program as an assistive tool meets it on the accessibility bus:
    // every window's frame parts are in the tree while its skin is on and
    // gone while it is off, nothing hidden offers an action, and the
    // windows open, lose and regain their skin, maximise, restore and close
    // through the tree's actions, with the effect on the screen.
    const QString bus = startAccessibilityBus();
    QVERIFY2(!bus.isEmpty(), "no session bus with an accessibility bus");
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    extra.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    QVERIFY(startApplication(testing::applicationPath(), 1, extra));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));

    const QStringList borders{QStringLiteral("Left border"), QStringLiteral("Right border"),
                              QStringLiteral("Bottom border")};
    const QStringList buttonNames{QStringLiteral("Close"), QStringLiteral("Maximize"),
                                  QStringLiteral("Restore"), QStringLiteral("Minimize")};
    // What is wrong with a window's tree, or empty; `summary` gets its counts.
    const auto treeProblem = [&](const QString &title, bool skinned, int buttons,
                                 QString *summary) -> QString {
        const QJsonArray windows = accessibleTree();
        for (const QJsonValue &value : windows) {
            const QJsonObject window = value.toObject();
            if (window.value(QLatin1String("title")).toString() != title)
                continue;
            int captions = 0, frameParts = 0, captionButtons = 0;
            for (const QJsonValue &n : window.value(QLatin1String("nodes")).toArray()) {
                const QJsonObject node = n.toObject();
                const QString name = node.value(QLatin1String("name")).toString();
                // The title bar, which reads the title as its text too.
                if (node.value(QLatin1String("depth")).toInt() > 0 && name == title &&
                    node.value(QLatin1String("text")).toString() == title)
                    ++captions;
                frameParts += borders.contains(name);
                captionButtons += buttonNames.contains(name);
            }
            const int count = window.value(QLatin1String("count")).toInt();
            const int hidden = window.value(QLatin1String("pressableHidden")).toInt();
            *summary = QStringLiteral("%1 nodes, %2 pressable hidden, title bar %3, %4 caption "
                                      "buttons, %5 borders")
                           .arg(count)
                           .arg(hidden)
                           .arg(captions)
                           .arg(captionButtons)
                           .arg(frameParts);
            if (hidden != 0 || captions != (skinned ? 1 : 0) ||
                captionButtons != (skinned ? buttons : 0) || frameParts != (skinned ? 3 : 0))
                return *summary;
            return QString();
        }
        return QStringLiteral("no window '%1' in the tree %2").arg(title, m_toolError);
    };
    const auto expectTree = [&](const QString &title, bool skinned, int buttons) {
        QString problem, summary;
        const bool right = QTest::qWaitFor(
            [&] { return (problem = treeProblem(title, skinned, buttons, &summary)).isEmpty(); },
            WindowTimeout);
        if (right)
            qInfo("%s, %s: %s", qPrintable(title), skinned ? "skinned" : "unskinned",
                  qPrintable(summary));
        return problem;
    };
    const auto frameTop = [&](XWindow window) {
        QMargins extents;
        return x().frameExtents(window, &extents) ? extents.top() : -1;
    };

    // The other two windows open through the tree.
    QVERIFY2(accessibleAction(MainTitle, QStringLiteral("Show Control Form"),
                              QStringLiteral("Press")),
             qPrintable(m_toolError));
    const XWindow ctrl = waitForWindow(CtrlColorTitle);
    QVERIFY(ctrl && x().moveWindow(ctrl, CtrlColorPlace) && waitForPosition(ctrl, CtrlColorPlace));
    QVERIFY2(accessibleAction(MainTitle, QStringLiteral("Show VB Menus"), QStringLiteral("Press")),
             qPrintable(m_toolError));
    const XWindow clean = waitForWindow(CleanTitle);
    QVERIFY(clean && x().moveWindow(clean, CleanPlace) && waitForPosition(clean, CleanPlace));

    // The fixed dialogs offer Close alone, the menu demo all three.
    for (const auto &[title, buttons] :
         {std::pair{MainTitle, 1}, std::pair{CtrlColorTitle, 1}, std::pair{CleanTitle, 3}}) {
        const QString problem = expectTree(title, true, buttons);
        QVERIFY2(problem.isEmpty(), qPrintable(title + QLatin1String(": ") + problem));
    }

    // "Skin Enabled" off and on again through the tree: the window
    // manager's frame comes and goes, and the skin's parts with it.
    for (const auto &[title, window] : {std::pair{MainTitle, main}, std::pair{CtrlColorTitle, ctrl}}) {
        QVERIFY2(accessibleAction(title, QStringLiteral("Skin Enabled"), QStringLiteral("Toggle")),
                 qPrintable(m_toolError));
        QVERIFY2(QTest::qWaitFor([&, window = window] { return frameTop(window) > 0; },
                                 WindowTimeout),
                 qPrintable(title + QLatin1String(": no window manager's frame")));
        QString problem = expectTree(title, false, 1);
        QVERIFY2(problem.isEmpty(), qPrintable(title + QLatin1String(": ") + problem));
        QVERIFY2(accessibleAction(title, QStringLiteral("Skin Enabled"), QStringLiteral("Toggle")),
                 qPrintable(m_toolError));
        QVERIFY2(QTest::qWaitFor([&, window = window] { return frameTop(window) == 0; },
                                 WindowTimeout),
                 qPrintable(title + QLatin1String(": the window manager's frame stays")));
        problem = expectTree(title, true, 1);
        QVERIFY2(problem.isEmpty(), qPrintable(title + QLatin1String(": ") + problem));
    }
    // The main window's caption is drawn again as the component draws it.
    const SkinnedReference &ref = reference(FormKind::Main);
    const QRect caption = ref.rect(QStringLiteral("tavrelskin_caption"));
    double match = 0;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     match = testing::shareLike(x().screenshot(), x().geometry(main).topLeft(),
                                                ref.image(), caption);
                     return match >= 0.9;
                 },
                 InputTimeout),
             qPrintable(QStringLiteral("caption like the reference in %1% of its pixels")
                            .arg(match * 100, 0, 'f', 1)));

    // Maximize and Restore through the tree.
    const auto maximized = [&] {
        const QStringList states = x().windowStates(clean);
        return states.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")) &&
               states.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ"));
    };
    QVERIFY2(accessibleAction(CleanTitle, QStringLiteral("Maximize"), QStringLiteral("Press")),
             qPrintable(m_toolError));
    QVERIFY2(QTest::qWaitFor(maximized, WindowTimeout), "the menu demo is not maximised");
    QTRY_COMPARE_WITH_TIMEOUT(x().geometry(clean).width(), 1280, WindowTimeout);
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return accessibleAction(CleanTitle, QStringLiteral("Restore"),
                                             QStringLiteral("Press"));
                 },
                 WindowTimeout),
             qPrintable(m_toolError));
    QVERIFY2(QTest::qWaitFor([&] { return !maximized(); }, WindowTimeout),
             "the menu demo stays maximised");

    // Close through the tree: each window goes; the last one ends the process.
    for (const auto &title : {CleanTitle, MainTitle, CtrlColorTitle}) {
        QVERIFY2(accessibleAction(title, QStringLiteral("Close"), QStringLiteral("Press")),
                 qPrintable(m_toolError));
        QVERIFY2(QTest::qWaitFor([&, title = title] { return x().visibleWindows(title).isEmpty(); },
                                 WindowTimeout),
                 qPrintable(title + QLatin1String(" stays open")));
    }
    QVERIFY(waitForExit(WindowTimeout));
    QCOMPARE(m_app->exitCode(), 0);
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
