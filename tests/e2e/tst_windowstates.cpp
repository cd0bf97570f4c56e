// Caption buttons, the window menu and the window states of the real
// program under real window managers, judged by what a user sees: pixels of
// screenshots, windows the X server maps and their geometry.
#include "SkinnedReference.h"
#include "XSession.h"

#include <TestSupport.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <map>
#include <memory>

using e2e::SkinnedReference;
using e2e::XWindow;
using forms::FormKind;

namespace {

const QString MainTitle = QStringLiteral("Tavrel Sample");
const QString CleanTitle = QStringLiteral("Tavrel Control");
// CleanFrm is put clear of the main window, which opens centred.
const QPoint CleanPlace(900, 700);
constexpr int Timeout = 8000;

// Pixels of `area` in which two pictures differ by more than `tolerance` in
// some channel, as a share of the area.
double changedShare(const QImage &a, const QImage &b, const QRect &area, int tolerance = 24)
{
    int changed = 0, total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!a.rect().contains(x, y) || !b.rect().contains(x, y))
                continue;
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            ++total;
            changed += qAbs(qRed(p) - qRed(q)) > tolerance ||
                               qAbs(qGreen(p) - qGreen(q)) > tolerance ||
                               qAbs(qBlue(p) - qBlue(q)) > tolerance
                           ? 1
                           : 0;
        }
    }
    return total ? double(changed) / total : 0.0;
}

struct Mean
{
    double red = 0, green = 0, blue = 0, grey = 0; // grey: share of pixels with no hue
};

Mean meanOf(const QImage &image, const QRect &area)
{
    Mean m;
    int n = 0, grey = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!image.rect().contains(x, y))
                continue;
            const QRgb p = image.pixel(x, y);
            m.red += qRed(p);
            m.green += qGreen(p);
            m.blue += qBlue(p);
            const int hi = qMax(qRed(p), qMax(qGreen(p), qBlue(p)));
            const int lo = qMin(qRed(p), qMin(qGreen(p), qBlue(p)));
            grey += hi - lo <= 16 ? 1 : 0;
            ++n;
        }
    }
    if (n) {
        m.red /= n;
        m.green /= n;
        m.blue /= n;
        m.grey = double(grey) / n;
    }
    return m;
}

int colourDistance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

} // namespace

class tst_WindowStates : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void buttonLooksFollowThePointer_data() { windowManagers(); }
    void buttonLooksFollowThePointer();
    void windowMenu_data() { windowManagers(); }
    void windowMenu();
    void maximisedCloseAtTheCorner_data() { windowManagers(); }
    void maximisedCloseAtTheCorner();
    void minimumSizeKeepsTheCaption_data() { windowManagers(); }
    void minimumSizeKeepsTheCaption();
    void showRestoresAMinimisedWindow_data() { windowManagers(); }
    void showRestoresAMinimisedWindow();
    void schemeReachesEveryWindow_data() { windowManagers(); }
    void schemeReachesEveryWindow();

private:
    static void windowManagers();
    // The session of the current row's window manager, started on first use.
    e2e::XSession *session();
    bool startApplication();
    XWindow waitForWindow(const QString &title);
    bool waitGone(const QString &title);
    bool waitForActive(XWindow window);
    XWindow openClean(XWindow main);
    // xdotool with the session's display; false (and the reason kept) on
    // failure.
    bool xdo(const QStringList &args);
    bool pointerTo(const QPoint &p);
    bool button(bool down);
    QList<XWindow> applicationWindows();
    QImage settledShot(const QRect &area);
    void keepPicture(const QImage &shot, const QRect &area, const QString &name);
    QString applicationOutput();

    std::map<QString, std::unique_ptr<e2e::XSession>> m_sessions;
    e2e::XSession *m_x = nullptr;
    std::array<SkinnedReference, 3> m_refs;
    std::unique_ptr<QProcess> m_app;
    QByteArray m_appOutput;
    QString m_error;
    QByteArray m_lastXdoOut;
};

void tst_WindowStates::windowManagers()
{
    QTest::addColumn<QString>("wm");
    for (const char *wm : {"openbox", "xfwm4"})
        QTest::newRow(wm) << QString::fromLatin1(wm);
}

void tst_WindowStates::initTestCase()
{
    for (const char *wm : {"openbox", "xfwm4"}) {
        const QStringList missing = e2e::XSession::missingTools(QString::fromLatin1(wm));
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("not installed: %1 (scripts/setup.sh installs them)")
                                .arg(missing.join(QStringLiteral(", ")))));
    }
    QVERIFY2(QFile::exists(testing::applicationPath()), qPrintable(testing::applicationPath()));
    testing::applyApplicationDefaults();
    for (FormKind kind : {FormKind::Main, FormKind::CtrlColor, FormKind::Clean}) {
        QString error;
        m_refs.at(int(kind)) = SkinnedReference::build(kind, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
}

void tst_WindowStates::cleanupTestCase()
{
    m_sessions.clear();
}

void tst_WindowStates::cleanup()
{
    if (QTest::currentTestFailed() && m_x) {
        qInfo("application output:\n%s", qPrintable(applicationOutput()));
        QString name = QStringLiteral("windowstates-%1-%2.png")
                           .arg(QLatin1String(QTest::currentTestFunction()),
                                QLatin1String(QTest::currentDataTag()));
        QDir().mkpath(QStringLiteral("e2e-artifacts"));
        const QString path = QDir(QStringLiteral("e2e-artifacts")).absoluteFilePath(name);
        if (m_x->screenshot().save(path))
            qInfo("screen saved to %s", qPrintable(path));
    }
    if (m_app && m_app->state() != QProcess::NotRunning) {
        m_app->kill();
        m_app->waitForFinished(5000);
    }
    m_app.reset();
    m_appOutput.clear();
    m_x = nullptr;
}

e2e::XSession *tst_WindowStates::session()
{
    const QString wm = QString::fromLatin1(QTest::currentDataTag());
    auto &slot = m_sessions[wm];
    if (!slot) {
        slot = std::make_unique<e2e::XSession>();
        if (!slot->start(wm)) {
            m_error = slot->lastError();
            slot.reset();
            return nullptr;
        }
        qInfo("X server %s with %s", qPrintable(slot->display()), qPrintable(wm));
    }
    return slot.get();
}

bool tst_WindowStates::startApplication()
{
    m_x = session();
    if (!m_x)
        return false;
    // Nothing of the last test's pointer position or press carries over.
    xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    pointerTo(QPoint(2, 2));
    m_app = std::make_unique<QProcess>();
    m_x->prepare(m_app.get());
    m_app->setProcessChannelMode(QProcess::MergedChannels);
    m_app->start(testing::applicationPath(), {});
    return m_app->waitForStarted(5000);
}

QString tst_WindowStates::applicationOutput()
{
    if (m_app)
        m_appOutput += m_app->readAll();
    return QString::fromLocal8Bit(m_appOutput);
}

bool tst_WindowStates::xdo(const QStringList &args)
{
    QProcess p;
    p.setProcessEnvironment(m_x->environment());
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(10000) || p.exitCode() != 0) {
        m_error =
            QStringLiteral("xdotool %1: %2")
                .arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAllStandardError()));
        p.kill();
        return false;
    }
    m_lastXdoOut = p.readAllStandardOutput();
    return true;
}

bool tst_WindowStates::pointerTo(const QPoint &p)
{
    // The pause lets the application see the pointer arrive.
    return xdo({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
                QStringLiteral("sleep"), QStringLiteral("0.15")});
}

bool tst_WindowStates::button(bool down)
{
    return xdo({down ? QStringLiteral("mousedown") : QStringLiteral("mouseup"), QStringLiteral("1"),
                QStringLiteral("sleep"), QStringLiteral("0.15")});
}

QList<XWindow> tst_WindowStates::applicationWindows()
{
    QList<XWindow> windows;
    if (!xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
              QString::number(m_app->processId())}))
        return windows;
    for (const QByteArray &line : m_lastXdoOut.split('\n')) {
        bool ok = false;
        const XWindow id = line.trimmed().toULongLong(&ok);
        if (ok)
            windows << id;
    }
    return windows;
}

XWindow tst_WindowStates::waitForWindow(const QString &title)
{
    QList<XWindow> found;
    (void)QTest::qWaitFor([&] { return (found = m_x->visibleWindows(title)).size() == 1; },
                          Timeout);
    return found.size() == 1 ? found.first() : 0;
}

bool tst_WindowStates::waitGone(const QString &title)
{
    return QTest::qWaitFor([&] { return m_x->visibleWindows(title).isEmpty(); }, Timeout);
}

bool tst_WindowStates::waitForActive(XWindow window)
{
    return QTest::qWaitFor([&] { return m_x->activeWindow() == window; }, Timeout);
}

XWindow tst_WindowStates::openClean(XWindow main)
{
    const QRect command = m_refs[int(FormKind::Main)].rect(QStringLiteral("Command1"));
    if (!m_x->click(m_x->geometry(main).topLeft() + command.center()))
        return 0;
    const XWindow clean = waitForWindow(CleanTitle);
    if (!clean || !m_x->moveWindow(clean, CleanPlace) ||
        !QTest::qWaitFor([&] { return m_x->geometry(clean).topLeft() == CleanPlace; }, Timeout))
        return 0;
    return waitForActive(clean) || (m_x->activate(clean) && waitForActive(clean)) ? clean : 0;
}

QImage tst_WindowStates::settledShot(const QRect &area)
{
    // Two screenshots alike in `area`: the application has drawn.
    QImage last = m_x->screenshot();
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(100);
        QImage next = m_x->screenshot();
        if (changedShare(last, next, area, 0) == 0.0)
            return next;
        last = next;
    }
    return last;
}

void tst_WindowStates::keepPicture(const QImage &shot, const QRect &area, const QString &name)
{
    // For the documentation: the caption's end as the user saw it.
    QDir().mkpath(QStringLiteral("e2e-artifacts"));
    shot.copy(area).save(
        QDir(QStringLiteral("e2e-artifacts"))
            .absoluteFilePath(QStringLiteral("windowstates-%1-%2.png")
                                  .arg(QLatin1String(QTest::currentDataTag()), name)));
}

void tst_WindowStates::buttonLooksFollowThePointer()
{
    QVERIFY(startApplication());
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow clean = openClean(main);
    QVERIFY2(clean, qPrintable(m_error + m_x->lastError()));
    const SkinnedReference &ref = m_refs[int(FormKind::Clean)];
    const QPoint at = m_x->geometry(clean).topLeft();
    const QRect close = ref.rect(QStringLiteral("tavrelskin_close")).translated(at);
    const QRect minimize = ref.rect(QStringLiteral("tavrelskin_minimize")).translated(at);
    QVERIFY(!close.isEmpty() && !minimize.isEmpty());
    const QRect captionEnd(minimize.left() - 8, at.y(), close.right() - minimize.left() + 29, 25);

    QVERIFY(pointerTo(at + QPoint(ref.size().width() / 2, ref.size().height() / 2)));
    const QImage normal = settledShot(captionEnd);
    keepPicture(normal, captionEnd, QStringLiteral("normal"));

    QVERIFY(pointerTo(close.center()));
    const QImage hot = settledShot(captionEnd);
    keepPicture(hot, captionEnd, QStringLiteral("hot"));
    const double hotChange = changedShare(normal, hot, close);
    const Mean normalClose = meanOf(normal, close), hotClose = meanOf(hot, close);
    qInfo("%s: hover changes %.0f%% of the close button; mean red-blue %.0f -> %.0f",
          QTest::currentDataTag(), hotChange * 100, normalClose.red - normalClose.blue,
          hotClose.red - hotClose.blue);
    QVERIFY2(hotChange > 0.3, "hovering the close button changes its look");
    QVERIFY2(hotClose.red - hotClose.blue > 30 && normalClose.red - normalClose.blue < 0,
             "the hot close button is a red disc, the resting one blue");
    // Only the button under the pointer changes.
    QVERIFY(changedShare(normal, hot, minimize) < 0.02);

    QVERIFY(button(true));
    const QImage pressed = settledShot(captionEnd);
    keepPicture(pressed, captionEnd, QStringLiteral("pressed"));
    const double pressedVsHot = changedShare(hot, pressed, close, 12);
    qInfo("%s: pressing changes %.0f%% of the hot close button", QTest::currentDataTag(),
          pressedVsHot * 100);
    QVERIFY2(pressedVsHot > 0.3, "the pressed look differs from the hot one");

    // Leaving while held: the button looks as at rest; releasing there does
    // not close the window.
    QVERIFY(pointerTo(close.center() + QPoint(0, 60)));
    const QImage left = settledShot(captionEnd);
    const double leftVsNormal = changedShare(normal, left, close);
    qInfo("%s: held and left, %.0f%% of the button differs from rest", QTest::currentDataTag(),
          leftVsNormal * 100);
    QVERIFY2(leftVsNormal < 0.05, "a held button the pointer left looks as at rest");
    QVERIFY(button(false));
    QTest::qWait(300);
    QCOMPARE(m_x->visibleWindows(CleanTitle), QList<XWindow>{clean});

    // A caption drag: the window manager moves the window holding the
    // pointer and the release never reaches the window. Over Close
    // afterwards, without another click, the button shows its hot look.
    const QPoint grip = at + QPoint(ref.size().width() / 2, 12);
    QVERIFY(m_x->drag(grip, grip + QPoint(-60, -40)));
    QPoint moved = at;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     moved = m_x->geometry(clean).topLeft();
                     return moved != at;
                 },
                 Timeout),
             "the caption drag moves the window");
    const QPoint shift = moved - at;
    QVERIFY(pointerTo(moved + QPoint(ref.size().width() / 2, ref.size().height() / 2)));
    const QImage restAfterDrag = settledShot(captionEnd.translated(shift));
    QVERIFY(pointerTo(close.center() + shift));
    const QImage hotAfterDrag = settledShot(captionEnd.translated(shift));
    keepPicture(hotAfterDrag, captionEnd.translated(shift), QStringLiteral("hot-after-drag"));
    const double hotAfterDragChange =
        changedShare(restAfterDrag, hotAfterDrag, close.translated(shift));
    qInfo("%s: after a caption drag, hover changes %.0f%% of the close button",
          QTest::currentDataTag(), hotAfterDragChange * 100);
    QVERIFY2(hotAfterDragChange > 0.3,
             "after a caption drag, hovering the close button changes its look");

    // Another window active: the grey row, hot or at rest, each in greys
    // that match the grey caption. The window is where the drag left it.
    QVERIFY(m_x->activate(main));
    QVERIFY(waitForActive(main));
    const QRect endNow = captionEnd.translated(shift), closeNow = close.translated(shift);
    const QImage inactiveHot = settledShot(endNow);
    keepPicture(inactiveHot, endNow, QStringLiteral("inactive-hot"));
    QVERIFY(pointerTo(moved + QPoint(ref.size().width() / 2, ref.size().height() / 2)));
    const QImage inactive = settledShot(endNow);
    keepPicture(inactive, endNow, QStringLiteral("inactive"));
    const Mean grey = meanOf(inactive, closeNow), greyHot = meanOf(inactiveHot, closeNow),
               blue = meanOf(normal, close);
    const double inactiveHover = changedShare(inactive, inactiveHot, closeNow);
    qInfo("%s: share of hueless pixels in the close button: active %.0f%%, inactive %.0f%%, "
          "inactive and hot %.0f%%; hover changes %.0f%% of it",
          QTest::currentDataTag(), blue.grey * 100, grey.grey * 100, greyHot.grey * 100,
          inactiveHover * 100);
    QVERIFY2(grey.grey > 0.8 && blue.grey < 0.5, "an inactive window's buttons are grey");
    QVERIFY2(inactiveHover > 0.3, "hovering a button of an inactive window changes its look");
    // Only the hot disc changes: the corners of its cell stay the grey
    // caption's, with no square of the active caption's colour.
    const QPointF centre = QRectF(closeNow).center();
    int corners = 0;
    for (int y = closeNow.top(); y <= closeNow.bottom(); ++y) {
        for (int x = closeNow.left(); x <= closeNow.right(); ++x) {
            const double dx = (x + 0.5 - centre.x()) / (closeNow.width() / 2.0 + 0.5);
            const double dy = (y + 0.5 - centre.y()) / (closeNow.height() / 2.0 + 0.5);
            if (dx * dx + dy * dy > 1.0 && changedShare(inactive, inactiveHot, QRect(x, y, 1, 1)))
                ++corners;
        }
    }
    QVERIFY2(corners == 0,
             qPrintable(QStringLiteral("%1 pixels changed outside the hot disc").arg(corners)));
}

void tst_WindowStates::windowMenu()
{
    QVERIFY(startApplication());
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow clean = openClean(main);
    QVERIFY2(clean, qPrintable(m_error + m_x->lastError()));
    const QRect before = m_x->geometry(clean);
    const QList<XWindow> windows = applicationWindows();
    QVERIFY2(!windows.isEmpty(), qPrintable(m_error));

    auto waitForMenu = [&](QRect *geometry) {
        XWindow menu = 0;
        (void)QTest::qWaitFor(
            [&] {
                for (XWindow w : applicationWindows()) {
                    if (!windows.contains(w))
                        menu = w;
                }
                return menu != 0;
            },
            Timeout);
        if (menu)
            *geometry = m_x->geometry(menu);
        return menu;
    };

    // A right-click on the caption: the menu opens at the pointer.
    const QPoint onCaption = before.topLeft() + QPoint(before.width() / 2, 12);
    QVERIFY(pointerTo(onCaption));
    QVERIFY(xdo({QStringLiteral("click"), QStringLiteral("3")}));
    QRect menu;
    QVERIFY2(waitForMenu(&menu), "a right-click on the caption opens a menu window");
    qInfo("%s: menu at %d,%d %dx%d for a right-click at %d,%d", QTest::currentDataTag(), menu.x(),
          menu.y(), menu.width(), menu.height(), onCaption.x(), onCaption.y());
    QVERIFY(qAbs(menu.left() - onCaption.x()) <= 2 && qAbs(menu.top() - onCaption.y()) <= 2);
    const QRect aroundMenu = menu.adjusted(-160, -30, 20, 20);
    keepPicture(settledShot(menu), aroundMenu, QStringLiteral("menu"));
    QVERIFY(m_x->key(QStringLiteral("Escape")));
    QVERIFY(QTest::qWaitFor([&] { return applicationWindows() == windows; }, Timeout));

    // A click on the icon: the menu drops from the caption's lower edge.
    const QPoint icon = before.topLeft() + QPoint(33, 12);
    QVERIFY(m_x->click(icon));
    QVERIFY2(waitForMenu(&menu), "a click on the caption icon opens the menu");
    QCOMPARE(menu.top(), before.top() + 25);
    // Move from the keyboard: M, three steps right, Enter.
    QVERIFY(m_x->key(QStringLiteral("m")));
    QVERIFY(QTest::qWaitFor([&] { return applicationWindows() == windows; }, Timeout));
    QVERIFY(m_x->key(QStringLiteral("Right")));
    QVERIFY(m_x->key(QStringLiteral("Right")));
    QVERIFY(m_x->key(QStringLiteral("Down")));
    QVERIFY(m_x->key(QStringLiteral("Return")));
    const QRect moved = before.translated(20, 10);
    QVERIFY2(QTest::qWaitFor([&] { return m_x->geometry(clean) == moved; }, Timeout),
             qPrintable(QStringLiteral("moved from the keyboard to %1,%2")
                            .arg(m_x->geometry(clean).x())
                            .arg(m_x->geometry(clean).y())));
    // Size from the keyboard: S, the right edge out by two steps, Enter.
    QVERIFY(pointerTo(onCaption + QPoint(20, 10)));
    QVERIFY(xdo({QStringLiteral("click"), QStringLiteral("3")}));
    QVERIFY(waitForMenu(&menu));
    QVERIFY(m_x->key(QStringLiteral("s")));
    QVERIFY(QTest::qWaitFor([&] { return applicationWindows() == windows; }, Timeout));
    QVERIFY(m_x->key(QStringLiteral("Right")));
    QVERIFY(m_x->key(QStringLiteral("Right")));
    QVERIFY(m_x->key(QStringLiteral("Return")));
    QVERIFY2(QTest::qWaitFor([&] { return m_x->geometry(clean) == moved.adjusted(0, 0, 20, 0); },
                             Timeout),
             "sized from the keyboard");

    // A double-click on the icon closes the window.
    const QPoint iconNow = m_x->geometry(clean).topLeft() + QPoint(33, 12);
    QVERIFY(pointerTo(iconNow));
    QVERIFY(xdo({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("--delay"), QStringLiteral("120"), QStringLiteral("1")}));
    QVERIFY2(waitGone(CleanTitle), "a double-click on the icon closes the window");
    QVERIFY(!applicationOutput().contains(QLatin1String("QWindow::")));
}

void tst_WindowStates::maximisedCloseAtTheCorner()
{
    QVERIFY(startApplication());
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow clean = openClean(main);
    QVERIFY2(clean, qPrintable(m_error + m_x->lastError()));
    const SkinnedReference &ref = m_refs[int(FormKind::Clean)];
    const QPoint at = m_x->geometry(clean).topLeft();
    QVERIFY(m_x->click(ref.rect(QStringLiteral("tavrelskin_maximize")).translated(at).center()));
    const QSize screen = m_x->screenshot().size();
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     const QRect g = m_x->geometry(clean);
                     return g.topLeft() == QPoint(0, 0) && g.right() == screen.width() - 1;
                 },
                 Timeout),
             "the maximised window fills the screen's width from its top-left corner");
    const QRect maximised = m_x->geometry(clean);
    qInfo("%s: maximised to %d,%d %dx%d on a %dx%d screen", QTest::currentDataTag(), maximised.x(),
          maximised.y(), maximised.width(), maximised.height(), screen.width(), screen.height());

    // No resizing from the edges while maximised.
    const QPoint leftEdge(1, maximised.height() / 2);
    QVERIFY(m_x->drag(leftEdge, leftEdge + QPoint(80, 0)));
    const QPoint bottomRight(maximised.right() - 1, maximised.bottom() - 1);
    QVERIFY(m_x->drag(bottomRight, bottomRight - QPoint(80, 60)));
    QTest::qWait(300);
    QCOMPARE(m_x->geometry(clean), maximised);

    // The screen's top-right pixel is the close button: hot under the
    // pointer, and a click there closes the window.
    // The glyph keeps its distance from the window's right edge.
    const QRect closeInRef = ref.rect(QStringLiteral("tavrelskin_close"));
    const QRect closeGlyph(
        QPoint(screen.width() - (ref.size().width() - closeInRef.left()), closeInRef.top()),
        closeInRef.size());
    const QImage resting = settledShot(closeGlyph);
    QVERIFY(pointerTo(QPoint(screen.width() - 1, 0)));
    const QImage hot = settledShot(closeGlyph);
    const Mean m = meanOf(hot, closeGlyph);
    qInfo("%s: pointer at the top-right pixel, close button changed %.0f%%, red-blue %.0f",
          QTest::currentDataTag(), changedShare(resting, hot, closeGlyph) * 100, m.red - m.blue);
    QVERIFY2(m.red - m.blue > 30, "the pointer at the screen's corner lights the close button");
    QVERIFY(xdo({QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY2(waitGone(CleanTitle), "a click on the screen's top-right pixel closes the window");
}

void tst_WindowStates::minimumSizeKeepsTheCaption()
{
    QVERIFY(startApplication());
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow clean = openClean(main);
    QVERIFY2(clean, qPrintable(m_error + m_x->lastError()));
    const SkinnedReference &ref = m_refs[int(FormKind::Clean)];
    const QRect before = m_x->geometry(clean);
    // The bottom-right corner dragged onto the top-left one.
    const QPoint corner = before.bottomRight() - QPoint(1, 1);
    QVERIFY(m_x->drag(corner, before.topLeft() + QPoint(4, 4)));
    QVERIFY(
        QTest::qWaitFor([&] { return m_x->geometry(clean).width() < before.width(); }, Timeout));
    QTest::qWait(300);
    const QRect least = m_x->geometry(clean);
    qInfo("%s: dragged to the top-left corner, the window keeps %dx%d (was %dx%d)",
          QTest::currentDataTag(), least.width(), least.height(), before.width(), before.height());
    // The three buttons are whole, where they are on the full-size window
    // counted from the right edge, and clear of the caption's left end and
    // the icon.
    const QImage shot = settledShot(least);
    keepPicture(shot, least, QStringLiteral("least"));
    for (const char *name : {"tavrelskin_close", "tavrelskin_maximize", "tavrelskin_minimize"}) {
        const QRect inRef = ref.rect(QLatin1String(name));
        const QPoint fromRight(ref.size().width() - inRef.left(), inRef.top());
        const QRect onScreen(QPoint(least.right() + 1 - fromRight.x(), least.top() + fromRight.y()),
                             inRef.size());
        QVERIFY2(onScreen.left() - least.left() >= 28 + 16,
                 qPrintable(QStringLiteral("%1 starts %2 px into the window")
                                .arg(QLatin1String(name))
                                .arg(onScreen.left() - least.left())));
        int same = 0;
        for (int y = 0; y < inRef.height(); ++y) {
            for (int x = 0; x < inRef.width(); ++x) {
                const QRgb a = shot.pixel(onScreen.left() + x, onScreen.top() + y);
                const QRgb b = ref.image().pixel(inRef.left() + x, inRef.top() + y);
                same += colourDistance(a, b) <= 60 ? 1 : 0;
            }
        }
        const double share = double(same) / (inRef.width() * inRef.height());
        QVERIFY2(share > 0.85, qPrintable(QStringLiteral("%1 drawn whole: %2% like the reference")
                                              .arg(QLatin1String(name))
                                              .arg(share * 100, 0, 'f', 0)));
    }
    // The grips still work at this size.
    const QPoint small = least.bottomRight() - QPoint(1, 1);
    QVERIFY(m_x->drag(small, small + QPoint(60, 40)));
    QVERIFY2(QTest::qWaitFor([&] { return m_x->geometry(clean).width() > least.width(); }, Timeout),
             "the corner grip of the smallest window resizes it");
    QVERIFY2(!applicationOutput().contains(QLatin1String("Invalid edges")),
             qPrintable(applicationOutput()));
}

void tst_WindowStates::showRestoresAMinimisedWindow()
{
    QVERIFY(startApplication());
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow clean = openClean(main);
    QVERIFY2(clean, qPrintable(m_error + m_x->lastError()));
    const SkinnedReference &ref = m_refs[int(FormKind::Clean)];
    const QRect before = m_x->geometry(clean);
    QVERIFY(m_x->click(
        ref.rect(QStringLiteral("tavrelskin_minimize")).translated(before.topLeft()).center()));
    QVERIFY2(waitGone(CleanTitle), "the minimise button hides the window");
    // xfwm4 minimises the main window with it (Qt marks a dialog without an
    // owner as transient for the application's group): the user brings it
    // back first, which leaves CleanFrm minimised.
    QTest::qWait(300);
    if (m_x->visibleWindows(MainTitle).isEmpty()) {
        qInfo("%s: the main window went with it; activated again", QTest::currentDataTag());
        QVERIFY(m_x->activate(main));
        QVERIFY(waitForActive(main));
        QTest::qWait(300);
        QVERIFY2(m_x->visibleWindows(CleanTitle).isEmpty(), "CleanFrm is still minimised");
    }
    const QRect command = m_refs[int(FormKind::Main)].rect(QStringLiteral("Command1"));
    QVERIFY(m_x->click(m_x->geometry(main).topLeft() + command.center()));
    QCOMPARE(waitForWindow(CleanTitle), clean);
    QVERIFY2(waitForActive(clean), "the restored window comes to the front");
    QCOMPARE(m_x->geometry(clean), before);
}

void tst_WindowStates::schemeReachesEveryWindow()
{
    QVERIFY(startApplication());
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    XWindow clean = openClean(main);
    QVERIFY2(clean, qPrintable(m_error + m_x->lastError()));
    // A caption colour in the tab's gradient, mid-way along the caption.
    auto captionColour = [&](XWindow window) {
        const QRect g = m_x->geometry(window);
        const QRect sample(g.left() + g.width() / 2 - 2, g.top() + 8, 4, 3);
        const Mean m = meanOf(settledShot(sample), sample);
        return qRgb(qRound(m.red), qRound(m.green), qRound(m.blue));
    };
    const QRgb lightBlue = captionColour(clean);

    // Green in the main window's list: a click on its first entry, two down.
    QVERIFY(m_x->activate(main));
    QVERIFY(waitForActive(main));
    const QRect list = m_refs[int(FormKind::Main)].rect(QStringLiteral("List1"));
    QVERIFY(m_x->click(m_x->geometry(main).topLeft() + list.topLeft() + QPoint(10, 6)));
    QVERIFY(m_x->key(QStringLiteral("Down")));
    QVERIFY(m_x->key(QStringLiteral("Down")));
    QTest::qWait(300);
    const QRgb mainGreen = captionColour(main);

    // The open window follows.
    QVERIFY(m_x->activate(clean));
    QVERIFY(waitForActive(clean));
    const QRgb openGreen = captionColour(clean);
    // And one opened later starts in it.
    const QRect cleanClose = m_refs[int(FormKind::Clean)].rect(QStringLiteral("tavrelskin_close"));
    QVERIFY(m_x->click(m_x->geometry(clean).topLeft() + cleanClose.center()));
    QVERIFY(waitGone(CleanTitle));
    clean = openClean(main);
    QVERIFY(clean);
    const QRgb laterGreen = captionColour(clean);
    qInfo("%s: caption colour of CleanFrm: light blue %s, after Green %s, reopened %s; main %s",
          QTest::currentDataTag(), qPrintable(QColor(lightBlue).name()),
          qPrintable(QColor(openGreen).name()), qPrintable(QColor(laterGreen).name()),
          qPrintable(QColor(mainGreen).name()));
    QVERIFY2(colourDistance(lightBlue, openGreen) > 60, "the open window changed its colours");
    QVERIFY2(qGreen(openGreen) > qBlue(openGreen), "and is green now");
    QVERIFY2(colourDistance(openGreen, laterGreen) <= 12, "a window opened later is green too");
    QVERIFY2(colourDistance(openGreen, mainGreen) <= 12, "the same green as the main window");
}

QTEST_MAIN(tst_WindowStates)
#include "tst_windowstates.moc"
