// The real executable with the real component in a real X server, driven
// with real input through the window manager: what a user sees and does.
#include "SkinnedReference.h"
#include "XSession.h"

#include <FailureReporter.h>
#include <TestSupport.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>

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
constexpr int InputTimeout = 5000;

constexpr QRgb PureGreen = 0xff00ff00;
constexpr QRgb PureRed = 0xffff0000;

// Share of the pixels of `area`, shrunk by `inset` (a control's border), that
// are exactly `color`.
double shareOf(const QImage &image, QRect area, QRgb color, int inset = 3)
{
    area = area.adjusted(inset, inset, -inset, -inset).intersected(image.rect());
    if (area.isEmpty())
        return 0.0;
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            hits += image.pixel(x, y) == color ? 1 : 0;
    }
    return double(hits) / (area.width() * area.height());
}

// Share of the pixels of `area` of `actual` (at `offset`) that are within
// `tolerance` per channel of `expected`.
double shareLike(const QImage &actual, const QPoint &offset, const QImage &expected,
                 const QRect &area, int tolerance = 40)
{
    int hits = 0, total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QPoint at = QPoint(x, y) + offset;
            if (!actual.rect().contains(at) || !expected.rect().contains(x, y))
                continue;
            const QRgb a = actual.pixel(at), e = expected.pixel(x, y);
            ++total;
            hits += qAbs(qRed(a) - qRed(e)) <= tolerance &&
                            qAbs(qGreen(a) - qGreen(e)) <= tolerance &&
                            qAbs(qBlue(a) - qBlue(e)) <= tolerance
                        ? 1
                        : 0;
        }
    }
    return total ? double(hits) / total : 0.0;
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

private:
    const SkinnedReference &reference(FormKind kind) const { return m_refs.at(int(kind)); }
    bool startApplication(const QString &program);
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
    QString applicationOutput();

    e2e::XSession m_x;
    std::array<SkinnedReference, 3> m_refs;
    std::unique_ptr<QProcess> m_app;
    QByteArray m_appErr;
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
        const QImage shot = m_x.screenshot();
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
}

bool tst_EndToEnd::startApplication(const QString &program)
{
    m_app = std::make_unique<QProcess>();
    m_x.prepare(m_app.get());
    m_app->start(program, {});
    return m_app->waitForStarted(5000);
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
        [&] { return (found = m_x.visibleWindows(title)).size() == 1; }, WindowTimeout);
    if (!one)
        qWarning("%lld windows titled '%s'", qint64(found.size()), qPrintable(title));
    return one ? found.first() : 0;
}

bool tst_EndToEnd::waitForActive(XWindow window)
{
    return QTest::qWaitFor([&] { return m_x.activeWindow() == window; }, InputTimeout);
}

bool tst_EndToEnd::waitForPosition(XWindow window, const QPoint &topLeft)
{
    return QTest::qWaitFor([&] { return m_x.geometry(window).topLeft() == topLeft; }, InputTimeout);
}

bool tst_EndToEnd::waitForExit(int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_app->state() == QProcess::NotRunning; }, timeoutMs);
}

QPoint tst_EndToEnd::onScreen(XWindow window, const QRect &rectInWindow)
{
    return m_x.geometry(window).topLeft() + rectInWindow.center();
}

XWindow tst_EndToEnd::openCtrlColorFrm(XWindow main)
{
    // Enter presses the focused "Show Control Form", the first control in
    // the main window's tab order.
    if (!m_x.activate(main) || !waitForActive(main) || !m_x.key(QStringLiteral("Return")))
        return 0;
    const XWindow window = waitForWindow(CtrlColorTitle);
    if (!window || !m_x.moveWindow(window, CtrlColorPlace) ||
        !waitForPosition(window, CtrlColorPlace))
        return 0;
    return window;
}

XWindow tst_EndToEnd::openCleanFrm(XWindow main)
{
    const QRect button = reference(FormKind::Main).rect(QStringLiteral("Command1"));
    if (!m_x.click(onScreen(main, button)))
        return 0;
    const XWindow window = waitForWindow(CleanTitle);
    if (!window || !m_x.moveWindow(window, CleanPlace) || !waitForPosition(window, CleanPlace))
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
    QVERIFY2(m_x.frameExtents(main, &extents), qPrintable(m_x.lastError()));
    QCOMPARE(extents, QMargins());
    const SkinnedReference &ref = reference(FormKind::Main);
    const QRect geometry = m_x.geometry(main);
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
            shot = m_x.screenshot();
            captionMatch = shareLike(shot, geometry.topLeft(), ref.image(), caption);
            return captionMatch >= 0.9;
        },
        InputTimeout);
    QVERIFY2(drawn,
             qPrintable(QStringLiteral("caption %1 matches the component's drawing in %2% of "
                                       "its pixels")
                            .arg(describe(caption))
                            .arg(captionMatch * 100, 0, 'f', 1)));
    const double windowMatch =
        shareLike(shot, geometry.topLeft(), ref.image(), QRect(QPoint(0, 0), ref.size()));
    qInfo("caption like the reference in %.1f%% of its pixels, the whole window in %.1f%%",
          captionMatch * 100, windowMatch * 100);
    QVERIFY2(windowMatch >= 0.9, qPrintable(QStringLiteral("window matches in %1% of its pixels")
                                                .arg(windowMatch * 100, 0, 'f', 1)));
    // Nothing of a title bar above it: the server's black background.
    if (geometry.top() > 0) {
        const QRect above(geometry.left(), geometry.top() - 1, geometry.width(), 1);
        QCOMPARE(shareOf(shot, above, qRgb(0, 0, 0), 0), 1.0);
    }
}

void tst_EndToEnd::showButtonsOpenOneWindowEach()
{
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));

    const XWindow ctrlColor = openCtrlColorFrm(main);
    QVERIFY2(ctrlColor, qPrintable(m_x.lastError()));
    // A second press shows the same window again: it comes to the front and
    // takes the focus, and no second one appears.
    QVERIFY(m_x.activate(main));
    QVERIFY(waitForActive(main));
    QVERIFY(m_x.key(QStringLiteral("Return")));
    QVERIFY2(waitForActive(ctrlColor), "the second press brings CtrlColorFrm to the front");
    QCOMPARE(m_x.visibleWindows(CtrlColorTitle), QList<XWindow>{ctrlColor});

    const XWindow clean = openCleanFrm(main);
    QVERIFY2(clean, qPrintable(m_x.lastError()));
    QVERIFY(m_x.activate(main));
    QVERIFY(waitForActive(main));
    const QRect button = reference(FormKind::Main).rect(QStringLiteral("Command1"));
    QVERIFY(m_x.click(onScreen(main, button)));
    QVERIFY2(waitForActive(clean), "the second click brings CleanFrm to the front");
    QCOMPARE(m_x.visibleWindows(CleanTitle), QList<XWindow>{clean});
    QCOMPARE(m_x.visibleWindows(CtrlColorTitle), QList<XWindow>{ctrlColor});
    QCOMPARE(m_x.visibleWindows(MainTitle), QList<XWindow>{main});
    QCOMPARE(m_app->state(), QProcess::Running);
}

void tst_EndToEnd::focusChangeColoursTextAndList()
{
    QVERIFY(startApplication(testing::applicationPath()));
    const XWindow main = waitForWindow(MainTitle);
    QVERIFY2(main, qPrintable(applicationOutput()));
    const XWindow ctrlColor = openCtrlColorFrm(main);
    QVERIFY2(ctrlColor, qPrintable(m_x.lastError()));

    const SkinnedReference &ref = reference(FormKind::CtrlColor);
    // Where the boxes are is taken from the reference: it must be the same window.
    QCOMPARE(m_x.geometry(ctrlColor).size(), ref.size());
    const QRect text = ref.rect(QStringLiteral("Text1"));
    const QRect list = ref.rect(QStringLiteral("List1"));
    QVERIFY(!text.isEmpty() && !list.isEmpty());
    const auto boxesAre = [&](QRgb color) {
        return QTest::qWaitFor(
            [&] {
                const QImage shot = m_x.screenshot();
                const QPoint at = m_x.geometry(ctrlColor).topLeft();
                return shareOf(shot, text.translated(at), color) > 0.6 &&
                       shareOf(shot, list.translated(at), color) > 0.6;
            },
            InputTimeout);
    };

    QVERIFY(waitForActive(ctrlColor));
    QVERIFY2(boxesAre(PureGreen), "Text1 and List1 turn green when CtrlColorFrm opens");

    // Labels take no focus: a click on one only activates its window.
    QVERIFY(m_x.click(onScreen(main, reference(FormKind::Main).rect(QStringLiteral("Label1")))));
    QVERIFY(waitForActive(main));
    QVERIFY2(boxesAre(PureRed), "Text1 and List1 turn red when CtrlColorFrm loses the focus");

    QVERIFY(m_x.click(onScreen(ctrlColor, ref.rect(QStringLiteral("Label1")))));
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
    QVERIFY2(window, qPrintable(m_x.lastError()));

    const QRect before = m_x.geometry(window);
    const QRect caption = reference(FormKind(kind)).rect(QStringLiteral("tavrelskin_caption"));
    QVERIFY(!caption.isEmpty());
    // A third of the way along the bar: clear of the icon and the buttons.
    const QPoint grip =
        before.topLeft() + QPoint(caption.left() + caption.width() / 3, caption.center().y());
    QVERIFY2(m_x.drag(grip, grip + delta), qPrintable(m_x.lastError()));
    const bool moved = waitForPosition(window, before.topLeft() + delta);
    const QRect after = m_x.geometry(window);
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
    QVERIFY2(other < 0 || otherWindow, qPrintable(m_x.lastError()));

    QVERIFY(m_x.activate(main));
    QVERIFY(waitForActive(main));
    const QRect close = reference(FormKind::Main).rect(QStringLiteral("tavrelskin_close"));
    QVERIFY(!close.isEmpty());
    if (byCloseBox)
        QVERIFY(m_x.click(onScreen(main, close)));
    else
        QVERIFY(m_x.key(QStringLiteral("alt+x")));
    QVERIFY2(
        QTest::qWaitFor([&] { return m_x.visibleWindows(MainTitle).isEmpty(); }, WindowTimeout),
        "the main window closes");

    if (otherWindow) {
        // The end of the process would follow the main window's at once.
        QTest::qWait(500);
        QCOMPARE(m_app->state(), QProcess::Running);
        QCOMPARE(m_x.visibleWindows(other == int(FormKind::Clean) ? CleanTitle : CtrlColorTitle),
                 QList<XWindow>{otherWindow});
        const QRect otherClose =
            reference(FormKind(other)).rect(QStringLiteral("tavrelskin_close"));
        QVERIFY(!otherClose.isEmpty());
        QVERIFY(m_x.click(onScreen(otherWindow, otherClose)));
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
    QVERIFY2(m_x.frameExtents(box, &extents), qPrintable(m_x.lastError()));
    QVERIFY2(extents.top() > 0, "an unskinned box with the window manager's title bar");
    QCOMPARE(m_app->state(), QProcess::Running);
    QVERIFY(waitForActive(box));
    QVERIFY(m_x.key(QStringLiteral("Return")));
    QVERIFY2(waitForExit(WindowTimeout), "the process ends when the box is closed");
    QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app->exitCode(), app::FailureReporter::ExitCode);
    const QString err = applicationOutput();
    QVERIFY2(err.contains(QLatin1String("TavrelCtl.TavrelSkin")) &&
                 err.contains(QLatin1String("not registered")),
             qPrintable(err));
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
