// The application and its windows as clients of a weston of their own
// (under_weston runs this test, so the test itself is a Wayland client of
// it): what the compositor shows, taken from its own screen. That weston has
// no seat, so no window is ever active unless the test says so, and it puts
// every window where it likes: the tests find a window on the screen as
// what is not the background.
#include "WaylandSession.h"

#include <ComponentHost.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QProcess>
#include <QTest>

#include <memory>

using e2e::WaylandSession;
using forms::FormKind;

Q_DECLARE_METATYPE(forms::FormKind)

namespace {

constexpr int ShowTimeout = 10000;
constexpr QRgb PureGreen = 0xff00ff00;
constexpr QRgb PureRed = 0xffff0000;

struct Screen
{
    QImage image;
    QRect drawn; // all that is not the background
};

Screen takeScreen(QString *error)
{
    Screen s;
    s.image = WaylandSession::screenshot(QProcessEnvironment::systemEnvironment(), error);
    s.drawn = WaylandSession::drawnArea(s.image);
    return s;
}

// The screen once what is drawn on it has `size` (frames may still be on
// their way to the compositor); the last one taken if that never happens.
Screen waitForDrawn(const QSize &size, QString *error)
{
    Screen s;
    (void)QTest::qWaitFor(
        [&] {
            s = takeScreen(error);
            return s.drawn.size() == size;
        },
        ShowTimeout);
    return s;
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1x%2 at %3,%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

QRect rectIn(const QWidget *window, const QString &name)
{
    const auto *child = window->findChild<QWidget *>(name);
    return child ? QRect(child->mapTo(window, QPoint(0, 0)), child->size()) : QRect();
}

} // namespace

class tst_Wayland : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void applicationShowsSkinnedMainWindow();
    void windowsCarryOnlyTheSkin_data();
    void windowsCarryOnlyTheSkin();
    void skinOffGivesDecorationsBack();
    void focusChangeAndLooks();
    void captionButtonsMaximiseRestoreMinimise();

private:
    // Shows the window and waits until the compositor shows it at its size.
    QWidget *show(FormKind kind, Screen *screen);
    // Writes the screen around `area` to the folder TAVREL_WAYLAND_SHOTS
    // names, when it names one (scripts/screenshots-wayland.sh).
    void save(const Screen &screen, const QRect &area, const QString &name);

    std::unique_ptr<app::WindowRegistry> m_registry;
    std::unique_ptr<QProcess> m_app;
    QStringList m_reports;
    QString m_error;
};

void tst_Wayland::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName().startsWith(QLatin1String("wayland")),
             "runs as a Wayland client: under_weston tst_wayland (as CTest runs it)");
    testing::applyApplicationDefaults();
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    QVERIFY2(QFile::exists(testing::applicationPath()), qPrintable(testing::applicationPath()));
}

void tst_Wayland::init()
{
    m_error.clear();
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
}

void tst_Wayland::cleanup()
{
    if (m_app && m_app->state() != QProcess::NotRunning) {
        m_app->kill();
        m_app->waitForFinished(5000);
    }
    m_app.reset();
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    // The next case starts from an empty screen.
    QVERIFY2(QTest::qWaitFor([this] { return takeScreen(&m_error).drawn.isNull(); }, ShowTimeout),
             qPrintable(QStringLiteral("windows left on the screen %1").arg(m_error)));
}

QWidget *tst_Wayland::show(FormKind kind, Screen *screen)
{
    forms::Form &form = m_registry->form(kind);
    form.show();
    QWidget *window = form.window();
    if (!window || !QTest::qWaitForWindowExposed(window))
        return nullptr;
    *screen = waitForDrawn(window->size(), &m_error);
    return window;
}

void tst_Wayland::save(const Screen &screen, const QRect &area, const QString &name)
{
    const QString folder = qEnvironmentVariable("TAVREL_WAYLAND_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    QVERIFY2(screen.image.copy(area.adjusted(-12, -12, 12, 12)).save(path), qPrintable(path));
    qInfo("saved %s", qPrintable(path));
}

void tst_Wayland::applicationShowsSkinnedMainWindow()
{
    // How the component draws the main window, in this process.
    Screen screen;
    QWidget *window = show(FormKind::Main, &screen);
    QVERIFY(window);
    const QSize size = window->size();
    const QImage reference = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect caption = rectIn(window, QStringLiteral("tavrelskin_caption"));
    QCOMPARE(caption.topLeft(), QPoint(0, 0));
    m_registry->form(FormKind::Main).unload();
    QVERIFY(QTest::qWaitFor([this] { return takeScreen(&m_error).drawn.isNull(); }, ShowTimeout));

    // The real program, started as a user would in this session.
    m_app = std::make_unique<QProcess>();
    m_app->setProcessChannelMode(QProcess::ForwardedChannels);
    m_app->start(testing::applicationPath(), {});
    QVERIFY2(m_app->waitForStarted(5000), qPrintable(m_app->errorString()));
    screen = waitForDrawn(size, &m_error);
    // Neither the compositor nor Qt adds anything around the skin.
    QVERIFY2(screen.drawn.size() == size,
             qPrintable(QStringLiteral("the program's window is drawn over %1, not %2x%3 %4")
                            .arg(describe(screen.drawn))
                            .arg(size.width())
                            .arg(size.height())
                            .arg(m_error)));
    const double captionMatch =
        testing::shareLike(screen.image, screen.drawn.topLeft(), reference, caption);
    const double windowMatch =
        testing::shareLike(screen.image, screen.drawn.topLeft(), reference, reference.rect());
    qInfo("main window %s; caption like the component's drawing in %.1f%% of its pixels, the "
          "whole window in %.1f%%",
          qPrintable(describe(screen.drawn)), captionMatch * 100, windowMatch * 100);
    QVERIFY2(captionMatch >= 0.9, "the caption on the screen is the skin's");
    QVERIFY2(windowMatch >= 0.9, "the window on the screen is the skinned one");
}

void tst_Wayland::windowsCarryOnlyTheSkin_data()
{
    QTest::addColumn<FormKind>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("MainFrm") << FormKind::Main << QStringLiteral("mainfrm");
    QTest::newRow("CtrlColorFrm") << FormKind::CtrlColor << QStringLiteral("ctrlcolorfrm");
    QTest::newRow("CleanFrm") << FormKind::Clean << QStringLiteral("cleanfrm");
}

void tst_Wayland::windowsCarryOnlyTheSkin()
{
    QFETCH(FormKind, kind);
    QFETCH(QString, name);
    Screen screen;
    QWidget *window = show(kind, &screen);
    QVERIFY(window);
    QVERIFY2(screen.drawn.size() == window->size(),
             qPrintable(QStringLiteral("drawn over %1, the window is %2x%3 %4")
                            .arg(describe(screen.drawn))
                            .arg(window->width())
                            .arg(window->height())
                            .arg(m_error)));
    const QImage drawing = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const double match =
        testing::shareLike(screen.image, screen.drawn.topLeft(), drawing, drawing.rect());
    qInfo("%s drawn %s, like the window's own drawing in %.1f%% of its pixels", qPrintable(name),
          qPrintable(describe(screen.drawn)), match * 100);
    QVERIFY(match >= 0.95);
    save(screen, screen.drawn, name + QStringLiteral("-skinned"));
}

void tst_Wayland::skinOffGivesDecorationsBack()
{
    Screen screen;
    QWidget *window = show(FormKind::Main, &screen);
    QVERIFY(window);
    const QSize skinned = window->size();
    const QSize client = window->contentsRect().size();
    const QRect caption = rectIn(window, QStringLiteral("tavrelskin_caption"));
    const QImage skinDrawing = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto *check = window->findChild<QCheckBox *>(QStringLiteral("Check2"));
    QVERIFY(check && check->isChecked());

    QRect decorated;
    for (int cycle = 0; cycle < 3; ++cycle) {
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
        QVERIFY(!check->isChecked());
        // Weston leaves decorations to the client: Qt's own are back, around
        // a client area of the size it had.
        QTRY_VERIFY2(window->frameGeometry().width() > window->width() &&
                         window->frameGeometry().height() > window->height(),
                     "Qt decorates the window");
        const QSize frame = window->frameGeometry().size();
        screen = waitForDrawn(frame, &m_error);
        QVERIFY2(screen.drawn.size() == frame,
                 qPrintable(QStringLiteral("drawn over %1, not %2x%3 %4")
                                .arg(describe(screen.drawn))
                                .arg(frame.width())
                                .arg(frame.height())
                                .arg(m_error)));
        QCOMPARE(window->size(), skinned - QSize(12, 31));
        QCOMPARE(window->size(), client);
        // Its title bar is not the skin's caption.
        const double likeSkin =
            testing::shareLike(screen.image, screen.drawn.topLeft(), skinDrawing, caption, 10);
        QVERIFY2(likeSkin < 0.5, qPrintable(QString::number(likeSkin)));
        if (cycle == 0) {
            decorated = screen.drawn;
            qInfo("skin off: %s around a client area of %dx%d; the caption is the skin's in "
                  "%.1f%% of its pixels",
                  qPrintable(describe(decorated)), client.width(), client.height(), likeSkin * 100);
            save(screen, screen.drawn, QStringLiteral("mainfrm-unskinned"));
        } else {
            // The compositor keeps the decorated window where it was.
            QCOMPARE(screen.drawn, decorated);
        }

        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
        QVERIFY(check->isChecked());
        QCOMPARE(window->size(), skinned);
        screen = waitForDrawn(skinned, &m_error);
        QVERIFY2(screen.drawn.size() == skinned,
                 qPrintable(QStringLiteral("skinned again, drawn over %1 %2")
                                .arg(describe(screen.drawn), m_error)));
        // The outer top-left stays: placement is the compositor's.
        QCOMPARE(screen.drawn.topLeft(), decorated.topLeft());
        QVERIFY(testing::shareLike(screen.image, screen.drawn.topLeft(), skinDrawing, caption) >=
                0.9);
    }
}

void tst_Wayland::focusChangeAndLooks()
{
    Screen screen;
    QWidget *window = show(FormKind::CtrlColor, &screen);
    QVERIFY(window);
    const QRect caption = rectIn(window, QStringLiteral("tavrelskin_caption"));
    const QRect text = rectIn(window, QStringLiteral("Text1"));
    const QRect list = rectIn(window, QStringLiteral("List1"));
    QVERIFY(!text.isEmpty() && !list.isEmpty());
    QVERIFY(!window->isActiveWindow());
    const QImage inactive = screen.image.copy(screen.drawn);

    // What Qt does when the compositor activates the window: the component
    // raises FocusChange(True), the window colours its boxes green, the
    // caption takes the active look.
    QApplication::setActiveWindow(window);
    QVERIFY(window->isActiveWindow());
    const QPoint at = screen.drawn.topLeft();
    QVERIFY(QTest::qWaitFor(
        [&] {
            screen = takeScreen(&m_error);
            return testing::shareOf(screen.image, text.translated(at), PureGreen) > 0.5;
        },
        ShowTimeout));
    QCOMPARE(screen.drawn.topLeft(), at);
    QVERIFY(testing::shareOf(screen.image, list.translated(at), PureGreen) > 0.5);
    const double captionKept = testing::shareLike(screen.image, at, inactive, caption, 10);
    qInfo("active: the caption keeps its inactive look in %.1f%% of its pixels", captionKept * 100);
    QVERIFY2(captionKept < 0.5, "the caption changes to its active look");
    save(screen, screen.drawn, QStringLiteral("ctrlcolorfrm-active"));
    const QImage active = screen.image.copy(screen.drawn);

    QApplication::setActiveWindow(nullptr);
    QVERIFY(QTest::qWaitFor(
        [&] {
            screen = takeScreen(&m_error);
            return testing::shareOf(screen.image, text.translated(at), PureRed) > 0.5;
        },
        ShowTimeout));
    QVERIFY(testing::shareOf(screen.image, list.translated(at), PureRed) > 0.5);
    QVERIFY(testing::shareLike(screen.image, at, inactive, caption, 10) >= 0.95);
    QVERIFY(testing::shareLike(screen.image, at, active, caption, 10) < 0.5);
}

void tst_Wayland::captionButtonsMaximiseRestoreMinimise()
{
    Screen screen;
    QWidget *window = show(FormKind::Clean, &screen);
    QVERIFY(window);
    const QRect normal = screen.drawn;
    const QSize full = screen.image.size();
    auto *maximize = window->findChild<QWidget *>(QStringLiteral("tavrelskin_maximize"));
    auto *minimize = window->findChild<QWidget *>(QStringLiteral("tavrelskin_minimize"));
    auto *caption = window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption"));
    QVERIFY(maximize && minimize && caption);

    // The compositor answers the request with the whole screen (it has no
    // panel), and the skin stretches over it.
    QTest::mouseClick(maximize, Qt::LeftButton, {}, maximize->rect().center());
    screen = waitForDrawn(full, &m_error);
    QVERIFY2(
        screen.drawn == QRect(QPoint(0, 0), full),
        qPrintable(
            QStringLiteral("maximised: drawn over %1 %2").arg(describe(screen.drawn), m_error)));
    QCOMPARE(window->size(), full);
    QTRY_COMPARE(caption->width(), full.width());

    // A double-click on the caption restores the size the window had;
    // where it goes is the compositor's choice.
    QTest::mouseDClick(caption, Qt::LeftButton, {}, QPoint(caption->width() / 2, 12));
    screen = waitForDrawn(normal.size(), &m_error);
    QVERIFY2(screen.drawn.size() == normal.size(),
             qPrintable(QStringLiteral("restored: drawn over %1, was %2 %3")
                            .arg(describe(screen.drawn), describe(normal), m_error)));
    qInfo("maximised over %dx%d, restored %s (shown first %s)", full.width(), full.height(),
          qPrintable(describe(screen.drawn)), qPrintable(describe(normal)));

    // Minimised: off the screen. Only the compositor brings it back (a
    // Wayland client cannot un-minimise itself), and this one has no task
    // bar to do it.
    QTest::mouseClick(minimize, Qt::LeftButton, {}, minimize->rect().center());
    QVERIFY2(QTest::qWaitFor([this] { return takeScreen(&m_error).drawn.isNull(); }, ShowTimeout),
             "the minimised window leaves the screen");
}

QTEST_MAIN(tst_Wayland)
#include "tst_wayland.moc"
