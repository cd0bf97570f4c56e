#include "SampleWindows.h"
#include "SkinTestData.h"
#include "WaylandSession.h"

#include <FrameDrag.h>
#include <FrameRequests.h>
#include <KeyboardMoveSize.h>
#include <SkinBorder.h>
#include <SkinCaption.h>
#include <SkinCaptionButton.h>
#include <SkinFrame.h>
#include <SkinTheme.h>
#include <SkinWindowMenu.h>
#include <TavrelSkin.h>
#include <TavrelSkinIds.h>
#include <TestSupport.h>

#include <ComponentHost.h>
#include <ComponentSite.h>

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QWindow>

#include <tuple>

using namespace skintest;
using tavrelctl::SkinCaptionButton;
using tavrelctl::SkinFrame;

Q_DECLARE_METATYPE(skintest::WindowKind)
Q_DECLARE_METATYPE(tavrelctl::SkinLayout::GlyphState)

namespace {
// What a program does to a shown skinned window besides the skin's switch.
enum class WindowChange {
    FullScreenAndBack,
    SwitchedInFullScreen,
    SkinnedInFullScreen,
    FlagsSetAfterShow,
    FlagsAddedAfterShow,
};
} // namespace
Q_DECLARE_METATYPE(WindowChange)

namespace {

// Everything about a window that applying and removing the skin may touch.
// The position is the client rectangle's: the frame margins a window system
// reports for a frameless window lag behind.
struct WindowState
{
    QPoint pos;
    QSize size;
    QSize minimum, maximum;
    QMargins contents;
    Qt::WindowFlags flags;
    QMap<QString, QRect> children;
    QMap<QString, bool> visible;

    static WindowState of(QWidget *w)
    {
        WindowState s{w->geometry().topLeft(),
                      w->size(),
                      w->minimumSize(),
                      w->maximumSize(),
                      w->contentsMargins(),
                      w->windowFlags(),
                      {},
                      {}};
        for (QWidget *child : w->findChildren<QWidget *>()) {
            if (child->isWindow() || SkinFrame::isSkinWidget(child) ||
                child->objectName().isEmpty())
                continue;
            s.children.insert(child->objectName(), child->geometry());
            s.visible.insert(child->objectName(), child->isVisibleTo(w));
        }
        return s;
    }
};

bool sameState(const WindowState &a, const WindowState &b, QString *why)
{
    auto differ = [why](const QString &what, const auto &x, const auto &y) {
        QString sx, sy;
        QDebug(&sx) << x;
        QDebug(&sy) << y;
        *why = QStringLiteral("%1: %2 vs %3").arg(what, sx, sy);
        return false;
    };
    if (a.pos != b.pos)
        return differ(QStringLiteral("position"), a.pos, b.pos);
    if (a.size != b.size)
        return differ(QStringLiteral("size"), a.size, b.size);
    if (a.minimum != b.minimum)
        return differ(QStringLiteral("minimum size"), a.minimum, b.minimum);
    if (a.maximum != b.maximum)
        return differ(QStringLiteral("maximum size"), a.maximum, b.maximum);
    if (a.contents != b.contents)
        return differ(QStringLiteral("contents margins"), a.contents, b.contents);
    if (a.flags != b.flags)
        return differ(QStringLiteral("flags"), a.flags, b.flags);
    for (auto it = a.children.cbegin(); it != a.children.cend(); ++it) {
        if (b.children.value(it.key()) != it.value())
            return differ(it.key(), it.value(), b.children.value(it.key()));
    }
    if (a.visible != b.visible)
        return differ(QStringLiteral("visibility"), a.visible, b.visible);
    return true;
}

// Lets a real window manager finish framing or unframing the window (it
// answers asynchronously); nothing to wait for on the offscreen platform.
void settle()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QTest::qWait(250);
    QCoreApplication::processEvents();
}

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Activates `window` as the platform does. Wayland leaves activation to the
// compositor, and the headless one the tests run under has no seat, so it
// activates nothing: there the window gets the activation Qt would take
// from the compositor's word.
bool activate(QWidget *window)
{
    if (!onWayland()) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
    QApplication::setActiveWindow(window);
    return window->isActiveWindow();
}

// On Wayland: the smallest rectangle of the compositor's screen holding all
// that the windows shown draw, decorations included, once it has `size`
// (a frame may still be on its way); null elsewhere or after 5 s.
QRect drawnOnScreen(const QSize &size, QString *error)
{
    QRect area;
    (void)QTest::qWaitFor(
        [&] {
            const QImage shot =
                e2e::WaylandSession::screenshot(QProcessEnvironment::systemEnvironment(), error);
            area = e2e::WaylandSession::drawnArea(shot);
            return area.size() == size;
        },
        5000);
    return area;
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons)
{
    const QPointF global = target->mapToGlobal(QPointF(pos));
    QMouseEvent event(type, QPointF(pos), global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A press at `pos`, the pointer moved by `delta` with the button held, and
// the release there.
void pressMoveRelease(QWidget *target, const QPoint &pos, const QPoint &delta)
{
    sendMouse(target, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    if (!delta.isNull())
        sendMouse(target, QEvent::MouseMove, pos + delta, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, pos + delta, Qt::NoButton);
}

QPoint pastDragDistance()
{
    return QPoint(QGuiApplication::styleHints()->startDragDistance(), 0);
}

} // namespace

// One window's skin: geometry round trips without drift, colours given back,
// activation reported once per change, caption buttons, caption and border
// presses reaching the window system, mirroring.
class TestSkinFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void applyAndRemoveRoundTrip_data();
    void applyAndRemoveRoundTrip();
    void manyCyclesDoNotDrift();
    void applyBeforeShow();
    void mainWindowMenuBarMovesBelowCaption();
    void controlMovedWhileSkinnedKeepsItsMove();
    void frameStaysAboveLaterControlsThroughResizes();
    void focusAndStateKept();

    void coloursFollowSkinAndComeBack();
    void coloursTheWindowSetsAreKept();

    void focusChangeOncePerActivation();

    void buttonsFollowWindowFlags_data();
    void buttonsFollowWindowFlags();
    void closeButtonClosesLikeTheNativeBox();
    void closeButtonRespectsRefusal();
    void buttonActsOnReleaseInsideOnly();
    void buttonStates_data();
    void buttonStates();
    void disabledMaximizeButton();
    void maximizeAndRestore();
    void windowChangesKeepOneFrame_data();
    void windowChangesKeepOneFrame();

    void captionDragRequestsSystemMove_data();
    void captionDragRequestsSystemMove();
    void topEdgeKeepsCaptionReachable();
    void resizeRequestsReachThePlatform_data();
    void resizeRequestsReachThePlatform();
    void fixedWindowDoesNotResize();
    void followsMouseWhenPlatformCannotMove();
    void rightToLeftMirrorsCaption();
    void markerRowsSetTheMetrics();
    void minimizeButton();
    void maximisedButtonsTakeTheScreenEdge();
    void minimumSizeKeepsCaptionWhole();
    void gripsValidAtEverySize_data();
    void gripsValidAtEverySize();
    void windowMenuItems_data();
    void windowMenuItems();
    void windowMenuOpens_data();
    void windowMenuOpens();
    void keyboardMoveAndSize_data();
    void keyboardMoveAndSize();
    void iconDoubleClickCloses();
    void frameIsNamedForAccessibility();
    void schemeReachesEveryInstance();
    void windowDestroyedWhileSkinned_data();
    void windowDestroyedWhileSkinned();

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<tavrelctl::TavrelSkin> m_skin;
    EventRecorder m_events;
    QList<QWindow *> m_moves;
    QList<Qt::Edges> m_resizes;
    bool m_platformAccepts = true;

    // A window of `kind` with the skin loaded, not applied, shown at 100,80.
    bool showLoaded(WindowKind kind);
    bool showSkinned(WindowKind kind);
};

void TestSkinFrame::initTestCase()
{
    testing::installStrictMessageHandler();
    testing::applyApplicationDefaults();
}

void TestSkinFrame::init()
{
    m_events = EventRecorder();
    m_moves.clear();
    m_resizes.clear();
    m_platformAccepts = true;
    tavrelctl::FrameRequests::setHooks(
        [this](QWindow *w) {
            m_moves.append(w);
            return m_platformAccepts;
        },
        [this](QWindow *, Qt::Edges edges) {
            m_resizes.append(edges);
            return m_platformAccepts;
        });
}

void TestSkinFrame::cleanup()
{
    tavrelctl::FrameRequests::resetHooks();
    m_skin.reset();
    m_window.reset();
    testing::processDeferredDeletes();
}

bool TestSkinFrame::showLoaded(WindowKind kind)
{
    m_window.reset(createWindow(kind));
    m_skin = loadSkin(m_window.get(), &m_events);
    if (!m_skin)
        return false;
    m_window->move(100, 80);
    m_window->show();
    return QTest::qWaitForWindowExposed(m_window.get());
}

bool TestSkinFrame::showSkinned(WindowKind kind)
{
    if (!showLoaded(kind))
        return false;
    // A compositor with a seat activates the window it shows.
    if (onWayland() && !activate(m_window.get()))
        return false;
    settle();
    return applySkin(m_skin.get());
}

void TestSkinFrame::applyAndRemoveRoundTrip_data()
{
    QTest::addColumn<WindowKind>("kind");
    for (auto kind : {WindowKind::FixedDialog, WindowKind::Sizable, WindowKind::MenuWindow,
                      WindowKind::TopAligned})
        QTest::newRow(qPrintable(kindName(kind))) << kind;
}

void TestSkinFrame::applyAndRemoveRoundTrip()
{
    QFETCH(WindowKind, kind);
    QVERIFY(showLoaded(kind));
    settle();
    const WindowState before = WindowState::of(m_window.get());
    const QRect clientBefore = m_window->contentsRect();

    QVERIFY(applySkin(m_skin.get()));
    settle();
    const QMargins frame = m_skin->frame()->frameMargins();
    QCOMPARE(frame, QMargins(6, 25, 6, 6));
    const WindowState skinned = WindowState::of(m_window.get());
    QVERIFY(m_window->windowFlags().testFlag(Qt::FramelessWindowHint));
    // The client area keeps its size and, where the client places its
    // window at all, its place on the screen: the frame grows around it.
    QCOMPARE(m_window->contentsRect().size(), clientBefore.size());
    QCOMPARE(m_window->size(), before.size + QSize(12, 31));
    if (tavrelctl::FrameRequests::clientPlacesWindows())
        QCOMPARE(m_window->geometry().topLeft(), before.pos - QPoint(6, 25));
    // Every control lies clear of the caption and the borders.
    for (auto it = skinned.children.cbegin(); it != skinned.children.cend(); ++it) {
        if (!m_window->findChild<QWidget *>(it.key(), Qt::FindDirectChildrenOnly))
            continue;
        const QRect was = before.children.value(it.key());
        QVERIFY2(it->top() >= frame.top() && it->left() >= frame.left(),
                 qPrintable(it.key() + QStringLiteral(" overlaps the skin")));
        if (it.key() != QLatin1String("central") && kind != WindowKind::MenuWindow)
            QCOMPARE(it->topLeft(), was.topLeft() + QPoint(6, 25));
    }
    const QPointer<QWidget> caption = m_skin->frame()->caption();
    QVERIFY(caption && caption->isVisible());
    QCOMPARE(caption->geometry(), QRect(0, 0, m_window->width(), 25));

    // Applying again changes nothing.
    QVERIFY(applySkin(m_skin.get()));
    QString why;
    QVERIFY2(sameState(skinned, WindowState::of(m_window.get()), &why), qPrintable(why));

    // On the compositor's screen: the skin is the whole frame, neither the
    // compositor nor Qt adds a decoration; without it Qt's own decoration
    // (weston leaves decorations to the client) is back around the client
    // area of the same size.
    QRect unskinnedOnScreen, skinnedOnScreen;
    if (onWayland()) {
        skinnedOnScreen = drawnOnScreen(m_window->size(), &why);
        QVERIFY2(skinnedOnScreen.size() == m_window->size(),
                 qPrintable(QStringLiteral("skinned window drawn over %1x%2, not %3x%4 %5")
                                .arg(skinnedOnScreen.width())
                                .arg(skinnedOnScreen.height())
                                .arg(m_window->width())
                                .arg(m_window->height())
                                .arg(why)));
    }

    QVERIFY(removeSkin(m_skin.get()));
    settle();
    QVERIFY2(sameState(before, WindowState::of(m_window.get()), &why), qPrintable(why));
    // The frame parts go with the skin, out of the accessible tree too.
    QVERIFY(!caption);
    QVERIFY(m_window->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^tavrelskin_")))
                .isEmpty());
    if (onWayland()) {
        const QSize decorated = m_window->frameGeometry().size();
        QVERIFY2(decorated.width() > before.size.width() &&
                     decorated.height() > before.size.height(),
                 "the unskinned window has a decoration");
        unskinnedOnScreen = drawnOnScreen(decorated, &why);
        QCOMPARE(unskinnedOnScreen.size(), decorated);
        qInfo("on screen: skinned %dx%d at %d,%d, unskinned %dx%d at %d,%d around a client "
              "area of %dx%d",
              skinnedOnScreen.width(), skinnedOnScreen.height(), skinnedOnScreen.x(),
              skinnedOnScreen.y(), unskinnedOnScreen.width(), unskinnedOnScreen.height(),
              unskinnedOnScreen.x(), unskinnedOnScreen.y(), before.size.width(),
              before.size.height());
        // And off again.
        QVERIFY(applySkin(m_skin.get()));
        QCOMPARE(drawnOnScreen(m_window->size(), &why).size(), before.size + QSize(12, 31));
        QVERIFY(removeSkin(m_skin.get()));
        QCOMPARE(drawnOnScreen(decorated, &why).size(), decorated);
        QVERIFY2(sameState(before, WindowState::of(m_window.get()), &why), qPrintable(why));
    }
    // Removing twice is harmless.
    QVERIFY(removeSkin(m_skin.get()));
    QVERIFY2(sameState(before, WindowState::of(m_window.get()), &why), qPrintable(why));
}

void TestSkinFrame::manyCyclesDoNotDrift()
{
    QVERIFY(showSkinned(WindowKind::TopAligned));
    QVERIFY(removeSkin(m_skin.get()));
    settle();
    const WindowState before = WindowState::of(m_window.get());
    QVERIFY(applySkin(m_skin.get()));
    settle();
    const WindowState skinned = WindowState::of(m_window.get());
    QString why;
    for (int i = 0; i < 10000; ++i) {
        QVERIFY(removeSkin(m_skin.get()));
        if (i % 2 == 0)
            QVERIFY(applySkin(m_skin.get()));
        QVERIFY(applySkin(m_skin.get()));
        if (i % 1000 == 0) {
            settle();
            QVERIFY2(sameState(skinned, WindowState::of(m_window.get()), &why),
                     qPrintable(QStringLiteral("cycle %1: %2").arg(i).arg(why)));
        }
    }
    QVERIFY(removeSkin(m_skin.get()));
    settle();
    QVERIFY2(sameState(before, WindowState::of(m_window.get()), &why), qPrintable(why));
}

void TestSkinFrame::applyBeforeShow()
{
    // The windows apply the skin in their load step, before they are shown.
    m_window.reset(createWindow(WindowKind::FixedDialog));
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    const WindowState before = WindowState::of(m_window.get());
    QVERIFY(applySkin(m_skin.get()));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->size(), QSize(383, 232));
    QCOMPARE(m_window->windowHandle()->flags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    QVERIFY(removeSkin(m_skin.get()));
    QCOMPARE(m_window->size(), before.size);
    QVERIFY(!(m_window->windowHandle()->flags() & Qt::FramelessWindowHint));
    QCOMPARE(m_window->findChild<QWidget *>(QStringLiteral("Command3"))->geometry(),
             QRect(15, 120, 111, 31));
}

void TestSkinFrame::mainWindowMenuBarMovesBelowCaption()
{
    QVERIFY(showSkinned(WindowKind::MenuWindow));
    auto *mainWindow = qobject_cast<QMainWindow *>(m_window.get());
    QVERIFY(mainWindow);
    QTRY_COMPARE(mainWindow->menuBar()->geometry().topLeft(), QPoint(6, 25));
    QCOMPARE(mainWindow->menuBar()->width(), m_window->width() - 12);
    QVERIFY(mainWindow->centralWidget()->geometry().top() >= 25 + mainWindow->menuBar()->height());
    QCOMPARE(mainWindow->centralWidget()->geometry().bottom(), m_window->height() - 7);
    QVERIFY(removeSkin(m_skin.get()));
    QTRY_COMPARE(mainWindow->menuBar()->geometry().topLeft(), QPoint(0, 0));
}

void TestSkinFrame::controlMovedWhileSkinnedKeepsItsMove()
{
    QVERIFY(showSkinned(WindowKind::FixedDialog));
    QWidget *button = m_window->findChild<QWidget *>(QStringLiteral("Command2"));
    button->move(button->pos() + QPoint(10, 5));
    QVERIFY(removeSkin(m_skin.get()));
    QCOMPARE(button->pos(), QPoint(270, 155));
}

void TestSkinFrame::frameStaysAboveLaterControlsThroughResizes()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    tavrelctl::SkinFrame *frame = m_skin->frame();
    QWidget *caption = frame->caption();
    QWidget *close = frame->buttons().constFirst();
    // A control the application adds over the whole window after the skin,
    // and, later, one it raises explicitly: the next resize brings the
    // frame back above both, and the buttons follow the right edge.
    auto *late = new QWidget(m_window.get());
    late->setObjectName(QStringLiteral("late"));
    late->setGeometry(m_window->rect());
    late->show();
    for (int round = 0; round < 3; ++round) {
        if (round == 2)
            late->raise();
        const QSize before = m_window->size();
        const int closeFromRight =
            m_window->width() - close->mapTo(m_window.get(), close->rect().topRight()).x();
        const QSize target = before + QSize(40 + round, 30 + round);
        m_window->resize(target);
        QTRY_COMPARE(m_window->size(), target);
        settle();
        const int w = target.width(), h = target.height();
        const struct
        {
            QPoint at;
            QWidget *expected;
        } probes[] = {
            {QPoint(w / 2, 5), caption},
            {QPoint(2, h / 2), m_window->findChild<QWidget *>(QStringLiteral("tavrelskin_left"))},
            {QPoint(w - 2, h / 2),
             m_window->findChild<QWidget *>(QStringLiteral("tavrelskin_right"))},
            {QPoint(w / 2, h - 2),
             m_window->findChild<QWidget *>(QStringLiteral("tavrelskin_bottom"))},
            {close->mapTo(m_window.get(), close->rect().center()), close},
        };
        for (const auto &probe : probes) {
            QVERIFY(probe.expected);
            QWidget *hit = m_window->childAt(probe.at);
            QVERIFY2(hit == probe.expected,
                     qPrintable(QStringLiteral("round %1 at %2,%3: %4 instead of %5")
                                    .arg(round)
                                    .arg(probe.at.x())
                                    .arg(probe.at.y())
                                    .arg(hit ? hit->objectName() : QStringLiteral("nothing"),
                                         probe.expected->objectName())));
        }
        QCOMPARE(m_window->width() - close->mapTo(m_window.get(), close->rect().topRight()).x(),
                 closeFromRight);
        QVERIFY(caption->updatesEnabled());
        QVERIFY(close->updatesEnabled());
    }
}

void TestSkinFrame::focusAndStateKept()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    QVERIFY(activate(m_window.get()));
    auto *list = m_window->findChild<QWidget *>(QStringLiteral("List1"));
    list->setFocus();
    QVERIFY(removeSkin(m_skin.get()));
    QCOMPARE(QApplication::focusWidget(), list);
    QVERIFY(applySkin(m_skin.get()));
    QCOMPARE(QApplication::focusWidget(), list);

    // A maximised window stays maximised, with the skin on and off.
    m_window->showMaximized();
    QTRY_VERIFY(m_window->isMaximized());
    const QRect maximised = m_window->geometry();
    QVERIFY(removeSkin(m_skin.get()));
    QVERIFY(m_window->isMaximized());
    QVERIFY(applySkin(m_skin.get()));
    QVERIFY(m_window->isMaximized());
    QCOMPARE(m_window->geometry(), maximised);
    QCOMPARE(m_skin->frame()->caption()->width(), maximised.width());
    QCOMPARE(QApplication::focusWidget(), list);
}

void TestSkinFrame::coloursFollowSkinAndComeBack()
{
    m_window.reset(createWindow(WindowKind::Sizable));
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    auto *list = m_window->findChild<QListWidget *>(QStringLiteral("List1"));
    const QPalette windowBefore = m_window->palette();
    const QPalette listBefore = list->palette();

    QVERIFY(applySkin(m_skin.get()));
    const QColor face = m_skin->frame()->theme().swatch(tavrelctl::SkinLayout::WindowSwatch);
    QCOMPARE(m_window->palette().color(QPalette::Window), face);
    // Controls take the colours without being touched themselves.
    QCOMPARE(list->palette().color(QPalette::Window), face);
    QCOMPARE(list->palette().color(QPalette::Highlight),
             m_skin->frame()->theme().swatch(tavrelctl::SkinLayout::HighlightSwatch));
    QVERIFY(!list->testAttribute(Qt::WA_SetPalette));

    QVERIFY(putScheme(m_skin.get(), 3));
    const QColor green = list->palette().color(QPalette::Window);
    QVERIFY(green != face);
    QCOMPARE(green, m_skin->frame()->theme().swatch(tavrelctl::SkinLayout::WindowSwatch));

    QVERIFY(removeSkin(m_skin.get()));
    QCOMPARE(m_window->palette(), windowBefore);
    QCOMPARE(m_window->palette().resolveMask(), windowBefore.resolveMask());
    QVERIFY(!m_window->testAttribute(Qt::WA_SetPalette));
    QCOMPARE(list->palette(), listBefore);
}

void TestSkinFrame::coloursTheWindowSetsAreKept()
{
    m_window.reset(createWindow(WindowKind::Sizable));
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    auto *text = m_window->findChild<QLineEdit *>(QStringLiteral("Text1"));
    auto *list = m_window->findChild<QListWidget *>(QStringLiteral("List1"));
    // The window colours its boxes itself, as the control colour demo does
    // in its FocusChange handler: a copy of the control's palette with Base
    // changed in every group.
    auto paint = [](QWidget *w, const QColor &c) {
        QPalette p = w->palette();
        for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(g, QPalette::Base, c);
        w->setPalette(p);
    };
    const QColor defaultText = text->palette().color(QPalette::Text);
    paint(text, Qt::green);
    QPalette ownTitle = m_window->palette();
    ownTitle.setColor(QPalette::WindowText, QColor(10, 20, 30));
    m_window->setPalette(ownTitle);

    QVERIFY(applySkin(m_skin.get()));
    QCOMPARE(text->palette().color(QPalette::Base), QColor(Qt::green));
    QCOMPARE(m_window->palette().color(QPalette::WindowText), QColor(10, 20, 30));
    paint(list, Qt::red);
    paint(text, Qt::red);
    QVERIFY(putScheme(m_skin.get(), 2));
    QCOMPARE(text->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::red));
    // The window sets a role the skin had set: it is the window's from now on.
    QPalette ownFace = m_window->palette();
    ownFace.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
    m_window->setPalette(ownFace);

    QVERIFY(removeSkin(m_skin.get()));
    QCOMPARE(text->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(m_window->palette().color(QPalette::WindowText), QColor(10, 20, 30));
    QCOMPARE(m_window->palette().color(QPalette::Active, QPalette::Button), QColor(1, 2, 3));
    QCOMPARE(text->palette().color(QPalette::Text), defaultText);
    QVERIFY(applySkin(m_skin.get()));
    QCOMPARE(text->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(m_window->palette().color(QPalette::Active, QPalette::Button), QColor(1, 2, 3));
}

void TestSkinFrame::focusChangeOncePerActivation()
{
    QVERIFY(showSkinned(WindowKind::FixedDialog));
    QWidget other;
    other.setGeometry(600, 400, 50, 50);
    other.show();
    QVERIFY(activate(&other));
    // Showing the skinned window activated it, showing the other one took
    // that away: one report each.
    QCOMPARE(m_events.focusValues, (QList<qint32>{-1, 0}));
    m_events = EventRecorder();

    QVERIFY(activate(m_window.get()));
    QTRY_COMPARE(m_events.focusValues, QList<qint32>{-1});
    QCOMPARE(m_events.events, QList<tavrel::host::DispId>{tavrelctl::EventId::FocusChange});
    QCOMPARE(m_events.argumentTypes.first(), QStringLiteral("VT_I2|VT_BYREF"));
    QVERIFY(m_skin->frame()->look() == tavrelctl::SkinLayout::Active);

    // A repeated activation is not a change.
    QEvent again(QEvent::WindowActivate);
    QApplication::sendEvent(m_window.get(), &again);
    QCOMPARE(m_events.focusValues.size(), 1);

    QVERIFY(activate(&other));
    QTRY_COMPARE(m_events.focusValues, (QList<qint32>{-1, 0}));
    QVERIFY(m_skin->frame()->look() == tavrelctl::SkinLayout::Inactive);

    // Also while the skin is off.
    QVERIFY(removeSkin(m_skin.get()));
    QVERIFY(activate(m_window.get()));
    QTRY_COMPARE(m_events.focusValues, (QList<qint32>{-1, 0, -1}));
    QVERIFY(applySkin(m_skin.get()));
    QCoreApplication::processEvents();
    QCOMPARE(m_events.focusValues.size(), 3);
}

void TestSkinFrame::buttonsFollowWindowFlags_data()
{
    QTest::addColumn<WindowKind>("kind");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("fixed dialog: close only")
        << WindowKind::FixedDialog << QStringList{QStringLiteral("Close")};
    QTest::newRow("sizable: all three")
        << WindowKind::Sizable
        << QStringList{QStringLiteral("Close"), QStringLiteral("Maximize"),
                       QStringLiteral("Minimize")};
    QTest::newRow("main window: all three")
        << WindowKind::MenuWindow
        << QStringList{QStringLiteral("Close"), QStringLiteral("Maximize"),
                       QStringLiteral("Minimize")};
}

void TestSkinFrame::buttonsFollowWindowFlags()
{
    QFETCH(WindowKind, kind);
    QFETCH(QStringList, names);
    QVERIFY(showSkinned(kind));
    QStringList shown;
    int lastX = INT_MAX;
    QAccessibleInterface *caption =
        QAccessible::queryAccessibleInterface(m_skin->frame()->caption());
    QCOMPARE(caption->childCount(), names.size());
    for (SkinCaptionButton *button : m_skin->frame()->buttons()) {
        if (!button->isVisible()) {
            // Not offered: not in the tree, and an assistive tool that
            // holds on to it cannot press it.
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(button);
            QCOMPARE(caption->indexOfChild(a), -1);
            QVERIFY(!button->isEnabled());
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QTest::qWait(200); // a press animates for 100 ms before it clicks
            QCOMPARE(clicked.size(), 0);
            QVERIFY(m_window->isVisible() && !m_window->isMinimized());
            continue;
        }
        QCOMPARE(caption->child(int(shown.size()))->object(), button);
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(button);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::Button);
        shown << a->text(QAccessible::Name);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        // From the right edge leftwards, clear of the window's right border.
        QVERIFY(button->geometry().right() < lastX);
        QVERIFY(button->geometry().right() < m_window->width() - 6);
        lastX = button->geometry().left();
    }
    QCOMPARE(shown, names);
}

void TestSkinFrame::closeButtonClosesLikeTheNativeBox()
{
    QVERIFY(showSkinned(WindowKind::FixedDialog));
    SkinCaptionButton *close = m_skin->frame()->buttons().at(0);
    QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
    QVERIFY(!m_window->isVisible());
}

namespace {
class RefusingWindow : public QWidget
{
public:
    int asked = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++asked;
        event->ignore();
    }
};
} // namespace

void TestSkinFrame::closeButtonRespectsRefusal()
{
    auto *window = new RefusingWindow;
    m_window.reset(window);
    window->resize(200, 100);
    m_skin = loadSkin(window, &m_events);
    QVERIFY(m_skin);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(applySkin(m_skin.get()));
    SkinCaptionButton *close = m_skin->frame()->buttons().at(0);
    QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
    QCOMPARE(window->asked, 1);
    QVERIFY(window->isVisible());
}

void TestSkinFrame::buttonActsOnReleaseInsideOnly()
{
    QVERIFY(showSkinned(WindowKind::FixedDialog));
    SkinCaptionButton *close = m_skin->frame()->buttons().at(0);
    QTest::mousePress(close, Qt::LeftButton, {}, close->rect().center());
    QVERIFY(close->isDown());
    QCOMPARE(close->glyphState(), tavrelctl::SkinLayout::Pressed);
    QTest::mouseMove(close, QPoint(-20, 5));
    QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(-20, 5));
    QVERIFY(m_window->isVisible());
}

void TestSkinFrame::buttonStates_data()
{
    // Pointer steps on the minimise button of an active sizable window.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<tavrelctl::SkinLayout::GlyphState>("state");
    QTest::addColumn<int>("clicks");
    using S = tavrelctl::SkinLayout;
    QTest::newRow("resting") << QStringList{} << S::Normal << 0;
    QTest::newRow("pointer over") << QStringList{QStringLiteral("in")} << S::Hover << 0;
    QTest::newRow("pointer over, then away")
        << QStringList{QStringLiteral("in"), QStringLiteral("away")} << S::Normal << 0;
    QTest::newRow("held") << QStringList{QStringLiteral("in"), QStringLiteral("press")}
                          << S::Pressed << 0;
    QTest::newRow("held, pointer leaves")
        << QStringList{QStringLiteral("in"), QStringLiteral("press"), QStringLiteral("away")}
        << S::Normal << 0;
    QTest::newRow("held, leaves and comes back")
        << QStringList{QStringLiteral("in"), QStringLiteral("press"), QStringLiteral("away"),
                       QStringLiteral("in")}
        << S::Pressed << 0;
    QTest::newRow("released outside")
        << QStringList{QStringLiteral("in"), QStringLiteral("press"), QStringLiteral("away"),
                       QStringLiteral("release")}
        << S::Normal << 0;
    QTest::newRow("released inside")
        << QStringList{QStringLiteral("in"), QStringLiteral("press"), QStringLiteral("release")}
        << S::Hover << 1;
    QTest::newRow("inactive window")
        << QStringList{QStringLiteral("deactivate")} << S::Disabled << 0;
    QTest::newRow("inactive window, pointer over")
        << QStringList{QStringLiteral("deactivate"), QStringLiteral("in")} << S::Hover << 0;
    // The window system took the pointer for its move or resize and kept
    // the release, as X11 window managers do.
    QTest::newRow("after a caption drag, pointer over")
        << QStringList{QStringLiteral("caption drag"), QStringLiteral("in")} << S::Hover << 0;
    QTest::newRow("after a border drag, pointer over")
        << QStringList{QStringLiteral("border drag"), QStringLiteral("in")} << S::Hover << 0;
}

void TestSkinFrame::buttonStates()
{
    QFETCH(QStringList, steps);
    QFETCH(tavrelctl::SkinLayout::GlyphState, state);
    QFETCH(int, clicks);
    QVERIFY(showSkinned(WindowKind::Sizable));
    QVERIFY(activate(m_window.get()));
    QWindow *handle = m_window->windowHandle();
    SkinCaptionButton *minimize = m_skin->frame()->buttons().at(2);
    QCOMPARE(minimize->glyph(), tavrelctl::SkinLayout::MinimizeGlyph);
    // Clicking would minimise the window; count the clicks instead.
    minimize->disconnect(m_skin->frame()->caption());
    QSignalSpy clicked(minimize, &QAbstractButton::clicked);
    const QPoint over = minimize->mapTo(m_window.get(), minimize->rect().center());
    const QPoint away(m_window->width() / 2, m_window->height() / 2);
    QTest::mouseMove(handle, away);
    // What the window shows where the button is (the caption may draw it).
    auto shown = [&] {
        QCoreApplication::processEvents();
        return m_window->grab(QRect(minimize->mapTo(m_window.get(), QPoint()), minimize->size()))
            .toImage();
    };
    const QImage resting = shown();
    QCOMPARE(minimize->glyphState(), tavrelctl::SkinLayout::Normal);

    QWidget other;
    for (const QString &step : steps) {
        if (step == QLatin1String("in")) {
            QTest::mouseMove(handle, over);
        } else if (step == QLatin1String("away")) {
            QTest::mouseMove(handle, away);
        } else if (step == QLatin1String("press")) {
            QTest::mousePress(handle, Qt::LeftButton, {}, over);
        } else if (step == QLatin1String("release")) {
            const bool inside = minimize->isPointerOver();
            QTest::mouseRelease(handle, Qt::LeftButton, {}, inside ? over : away);
        } else if (step.endsWith(QLatin1String(" drag"))) {
            // Through the window, as the platform delivers them (QTest's
            // own button memory would send the next moves as held): a press
            // and a move past the drag distance, and no release.
            const QWidget *part =
                step.startsWith(QLatin1String("caption"))
                    ? static_cast<QWidget *>(m_skin->frame()->caption())
                    : m_window->findChild<QWidget *>(QStringLiteral("tavrelskin_bottom"));
            const QPointF from = part->mapTo(m_window.get(), QPointF(part->width() / 2, 3));
            const QPointF to = from + pastDragDistance();
            const int handedOver = m_moves.size() + m_resizes.size();
            for (auto [type, at, buttons] :
                 {std::tuple{QEvent::MouseButtonPress, from, Qt::MouseButtons(Qt::LeftButton)},
                  std::tuple{QEvent::MouseMove, to, Qt::MouseButtons(Qt::LeftButton)}}) {
                QMouseEvent event(type, at, at, handle->mapToGlobal(at), Qt::LeftButton, buttons,
                                  Qt::NoModifier);
                QCoreApplication::sendEvent(handle, &event);
            }
            QCOMPARE(m_moves.size() + m_resizes.size(), handedOver + 1);
        } else if (step == QLatin1String("deactivate")) {
            other.setGeometry(700, 500, 50, 50);
            other.show();
            QVERIFY(activate(&other));
        }
    }
    QCOMPARE(minimize->glyphState(), state);
    QCOMPARE(clicked.size(), clicks);
    // What a user sees: every state but the resting one changes the button.
    const QImage now = shown();
    QCOMPARE(now == resting, state == tavrelctl::SkinLayout::Normal);
    if (qstrcmp(QTest::currentDataTag(), "held") == 0) {
        // Pressed differs from hot: release outside the button, back over
        // it (no button held) it shows the hot look.
        QTest::mouseMove(handle, away);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, away);
        QTest::mouseMove(handle, over);
        QCOMPARE(minimize->glyphState(), tavrelctl::SkinLayout::Hover);
        QVERIFY(shown() != now);
    }
}

void TestSkinFrame::disabledMaximizeButton()
{
    // A fixed-size window that asks for a maximise button gets it disabled.
    QWidget fixed(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                               Qt::WindowCloseButtonHint);
    fixed.setFixedSize(200, 100);
    auto skin = loadSkin(&fixed);
    QVERIFY(skin && applySkin(skin.get()));
    SkinCaptionButton *maximize = skin->frame()->buttons().at(1);
    QVERIFY(!maximize->isHidden());
    QVERIFY(!maximize->isEnabled());
    QCOMPARE(maximize->glyphState(), tavrelctl::SkinLayout::Disabled);
}

void TestSkinFrame::maximizeAndRestore()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    SkinCaptionButton *maximize = m_skin->frame()->buttons().at(1);
    QCOMPARE(maximize->accessibleName(), QStringLiteral("Maximize"));
    QTest::mouseClick(maximize, Qt::LeftButton, {}, maximize->rect().center());
    QTRY_VERIFY(m_window->isMaximized());
    QTRY_COMPARE(maximize->accessibleName(), QStringLiteral("Restore"));
    QCOMPARE(maximize->glyph(), tavrelctl::SkinLayout::RestoreGlyph);
    // Double-click on the caption restores.
    QWidget *caption = m_skin->frame()->caption();
    QTest::mouseDClick(caption, Qt::LeftButton, {}, QPoint(caption->width() / 2, 12));
    QTRY_VERIFY(!m_window->isMaximized());
    QTRY_COMPARE(maximize->accessibleName(), QStringLiteral("Maximize"));
}

void TestSkinFrame::windowChangesKeepOneFrame_data()
{
    QTest::addColumn<WindowChange>("change");
    QTest::newRow("full screen and back") << WindowChange::FullScreenAndBack;
    QTest::newRow("skin off and on in full screen") << WindowChange::SwitchedInFullScreen;
    QTest::newRow("skinned in full screen") << WindowChange::SkinnedInFullScreen;
    QTest::newRow("program's own flags after show") << WindowChange::FlagsSetAfterShow;
    QTest::newRow("a flag added after show") << WindowChange::FlagsAddedAfterShow;
}

void TestSkinFrame::windowChangesKeepOneFrame()
{
    // Whatever the program does to its window, exactly one frame is on it
    // (none in full screen), and the client area comes back to its place.
    QFETCH(WindowChange, change);
    const bool placed = tavrelctl::FrameRequests::clientPlacesWindows();
    QVERIFY(showLoaded(WindowKind::Sizable));
    settle();
    const QRect client = m_window->geometry();
    const QPoint editNative = m_window->findChild<QWidget *>(QStringLiteral("Text1"))->pos();
    const QMargins frame(6, 25, 6, 6);
    SkinFrame *skin = m_skin->frame();
    const auto handleFrameless = [&] {
        return m_window->windowHandle()->flags().testFlag(Qt::FramelessWindowHint);
    };
    const auto helpersShown = [&](bool shown) -> QString {
        for (const char *part :
             {"tavrelskin_caption", "tavrelskin_left", "tavrelskin_right", "tavrelskin_bottom"}) {
            auto *helper = m_window->findChild<QWidget *>(QLatin1String(part));
            // Hidden or not made yet (the skin makes them anew each time it
            // goes on) are both not shown.
            if (!helper && shown)
                return QStringLiteral("%1 missing").arg(QLatin1String(part));
            if (helper && helper->isVisible() != shown)
                return QStringLiteral("%1 %2").arg(QLatin1String(part),
                                                   shown ? QStringLiteral("hidden")
                                                         : QStringLiteral("shown"));
        }
        return QString();
    };
    // Skinned around the client area the window had at first.
    const auto checkSkinned = [&](const char *when) {
        const QString where = QLatin1String(when);
        QVERIFY2(m_window->windowFlags().testFlag(Qt::FramelessWindowHint), qPrintable(where));
        QVERIFY2(handleFrameless(), qPrintable(where));
        const QString helpers = helpersShown(true);
        QVERIFY2(helpers.isEmpty(), qPrintable(where + QStringLiteral(": ") + helpers));
        QVERIFY2(skin->isApplied() && !skin->isAside(), qPrintable(where));
        QTRY_COMPARE(m_window->contentsRect().size(), client.size());
        QCOMPARE(m_window->contentsMargins(), frame);
        QCOMPARE(m_window->findChild<QWidget *>(QStringLiteral("Text1"))->pos(),
                 editNative + QPoint(6, 25));
        if (placed)
            QTRY_COMPARE(m_window->geometry(), client.marginsAdded(frame));
    };
    // Full screen: the client alone fills the screen.
    const auto checkAside = [&](const char *when) {
        const QString where = QLatin1String(when);
        const QString helpers = helpersShown(false);
        QVERIFY2(helpers.isEmpty(), qPrintable(where + QStringLiteral(": ") + helpers));
        QCOMPARE(m_window->contentsMargins(), QMargins());
        QCOMPARE(m_window->findChild<QWidget *>(QStringLiteral("Text1"))->pos(), editNative);
        QVERIFY2(skin->isApplied() && skin->isAside(), qPrintable(where));
        if (placed)
            QTRY_COMPARE(m_window->geometry(), m_window->screen()->geometry());
    };

    switch (change) {
    case WindowChange::FullScreenAndBack:
    case WindowChange::SwitchedInFullScreen:
        QVERIFY(applySkin(m_skin.get()));
        settle();
        checkSkinned("skinned");
        m_window->showFullScreen();
        QTRY_VERIFY(m_window->isFullScreen());
        settle();
        checkAside("in full screen");
        if (change == WindowChange::SwitchedInFullScreen) {
            QVERIFY(removeSkin(m_skin.get()));
            settle();
            QVERIFY(!skin->isApplied() && !skin->isAside());
            QVERIFY(!handleFrameless());
            // Off in full screen, the hidden parts go as well.
            QVERIFY(
                m_window
                    ->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^tavrelskin_")))
                    .isEmpty());
            QCOMPARE(m_window->findChild<QWidget *>(QStringLiteral("Text1"))->pos(), editNative);
            QVERIFY(applySkin(m_skin.get()));
            settle();
            checkAside("skin off and on in full screen");
        }
        break;
    case WindowChange::SkinnedInFullScreen:
        m_window->showFullScreen();
        QTRY_VERIFY(m_window->isFullScreen());
        settle();
        QVERIFY(applySkin(m_skin.get()));
        settle();
        checkAside("skinned in full screen");
        break;
    case WindowChange::FlagsSetAfterShow:
    case WindowChange::FlagsAddedAfterShow: {
        QVERIFY(applySkin(m_skin.get()));
        settle();
        // As a program does it: the flags hide the window, show() maps it
        // again.
        const Qt::WindowFlags flags = change == WindowChange::FlagsSetAfterShow
                                          ? Qt::Window | Qt::WindowStaysOnTopHint
                                          : m_window->windowFlags() | Qt::WindowStaysOnTopHint;
        m_window->setWindowFlags(flags);
        QVERIFY(!m_window->isVisible());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        settle();
        checkSkinned("flags changed after show");
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Off, the window has the program's flags and no longer the skin's.
        QVERIFY(removeSkin(m_skin.get()));
        settle();
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!m_window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(!handleFrameless());
        if (placed)
            QTRY_COMPARE(m_window->geometry(), client);
        return;
    }
    }
    m_window->showNormal();
    QTRY_VERIFY(!m_window->isFullScreen());
    settle();
    checkSkinned("back from full screen");
}

void TestSkinFrame::captionDragRequestsSystemMove_data()
{
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<int>("moves");
    const int distance = QGuiApplication::styleHints()->startDragDistance();
    // A click alone must not leave the window following the pointer.
    QTest::newRow("click") << QPoint() << 0;
    QTest::newRow("short of the drag distance") << QPoint(distance - 1, 0) << 0;
    QTest::newRow("past the drag distance") << QPoint(0, distance) << 1;
    QTest::newRow("past it diagonally") << QPoint(-distance, distance) << 1;
}

void TestSkinFrame::captionDragRequestsSystemMove()
{
    QFETCH(QPoint, delta);
    QFETCH(int, moves);
    QVERIFY(showSkinned(WindowKind::FixedDialog));
    QWidget *caption = m_skin->frame()->caption();
    pressMoveRelease(caption, QPoint(100, 12), delta);
    QCOMPARE(m_moves.size(), moves);
    if (moves)
        QCOMPARE(m_moves.first(), m_window->windowHandle());
    QVERIFY(m_resizes.isEmpty());
    // Moving on after the release starts nothing either.
    sendMouse(caption, QEvent::MouseMove, QPoint(160, 14), Qt::NoButton);
    QCOMPARE(m_moves.size(), moves);
    // A fixed window does not maximise on a double-click.
    QTest::mouseDClick(caption, Qt::LeftButton, {}, QPoint(100, 12));
    QVERIFY(!m_window->isMaximized());
    QCOMPARE(m_moves.size(), moves);
}

void TestSkinFrame::topEdgeKeepsCaptionReachable()
{
    if (!tavrelctl::FrameRequests::clientPlacesWindows())
        QSKIP("the compositor places windows here: a client has no screen position to keep");
    // A window whose client area lies closer to the top of the screen than
    // the caption is high is pushed down just enough, and goes back to its
    // own place when the skin comes off.
    m_window.reset(createWindow(WindowKind::Sizable));
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    const QRect available = m_window->screen()->availableGeometry();
    m_window->setGeometry(QRect(available.topLeft() + QPoint(100, 10), QSize(300, 200)));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    settle();
    const QRect client = m_window->geometry();
    QVERIFY(applySkin(m_skin.get()));
    settle();
    QCOMPARE(m_window->geometry(),
             QRect(client.left() - 6, available.top(), client.width() + 12, client.height() + 31));
    QVERIFY(removeSkin(m_skin.get()));
    settle();
    QCOMPARE(m_window->geometry(), client);
}

void TestSkinFrame::resizeRequestsReachThePlatform_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QPoint>("pos"); // negative: from the right or bottom
    QTest::addColumn<Qt::Edges>("edges");
    QTest::addColumn<Qt::CursorShape>("cursor");
    QTest::newRow("left border") << QStringLiteral("tavrelskin_left") << QPoint(2, 50)
                                 << Qt::Edges(Qt::LeftEdge) << Qt::SizeHorCursor;
    QTest::newRow("right border") << QStringLiteral("tavrelskin_right") << QPoint(3, 40)
                                  << Qt::Edges(Qt::RightEdge) << Qt::SizeHorCursor;
    QTest::newRow("bottom border") << QStringLiteral("tavrelskin_bottom") << QPoint(150, 3)
                                   << Qt::Edges(Qt::BottomEdge) << Qt::SizeVerCursor;
    QTest::newRow("bottom-left corner") << QStringLiteral("tavrelskin_bottom") << QPoint(4, 3)
                                        << (Qt::BottomEdge | Qt::LeftEdge) << Qt::SizeBDiagCursor;
    QTest::newRow("bottom-right corner") << QStringLiteral("tavrelskin_bottom") << QPoint(-3, 3)
                                         << (Qt::BottomEdge | Qt::RightEdge) << Qt::SizeFDiagCursor;
    QTest::newRow("top edge") << QStringLiteral("tavrelskin_caption") << QPoint(150, 1)
                              << Qt::Edges(Qt::TopEdge) << Qt::SizeVerCursor;
    QTest::newRow("top-left corner") << QStringLiteral("tavrelskin_caption") << QPoint(1, 1)
                                     << (Qt::TopEdge | Qt::LeftEdge) << Qt::SizeFDiagCursor;
}

void TestSkinFrame::resizeRequestsReachThePlatform()
{
    QFETCH(QString, where);
    QFETCH(QPoint, pos);
    QFETCH(Qt::Edges, edges);
    QFETCH(Qt::CursorShape, cursor);
    QVERIFY(showSkinned(WindowKind::Sizable));
    auto *target = m_window->findChild<QWidget *>(where);
    QVERIFY(target);
    if (pos.x() < 0)
        pos.setX(target->width() + pos.x());
    sendMouse(target, QEvent::MouseMove, pos, Qt::NoButton);
    QCOMPARE(target->cursor().shape(), cursor);
    // A press alone resizes nothing; the drag does.
    pressMoveRelease(target, pos, QPoint());
    QVERIFY(m_resizes.isEmpty());
    pressMoveRelease(target, pos, pastDragDistance());
    QCOMPARE(m_resizes, QList<Qt::Edges>{edges});
    QVERIFY(m_moves.isEmpty());
}

void TestSkinFrame::fixedWindowDoesNotResize()
{
    QVERIFY(showSkinned(WindowKind::FixedDialog));
    for (const char *name : {"tavrelskin_left", "tavrelskin_right", "tavrelskin_bottom"}) {
        auto *border = m_window->findChild<QWidget *>(QLatin1String(name));
        sendMouse(border, QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
        QCOMPARE(border->cursor().shape(), Qt::ArrowCursor);
        pressMoveRelease(border, QPoint(2, 2), pastDragDistance());
    }
    QWidget *caption = m_skin->frame()->caption();
    pressMoveRelease(caption, QPoint(1, 1), pastDragDistance());
    QVERIFY(m_resizes.isEmpty());
    QCOMPARE(m_moves.size(), 1); // the caption's corner only moves a fixed window
}

void TestSkinFrame::followsMouseWhenPlatformCannotMove()
{
    m_platformAccepts = false;
    QVERIFY(showSkinned(WindowKind::Sizable));
    const QPoint start = m_window->pos();
    QWidget *caption = m_skin->frame()->caption();
    sendMouse(caption, QEvent::MouseButtonPress, QPoint(100, 12), Qt::LeftButton);
    sendMouse(caption, QEvent::MouseMove, QPoint(130, 22), Qt::LeftButton);
    sendMouse(caption, QEvent::MouseButtonRelease, QPoint(130, 22), Qt::NoButton);
    QCOMPARE(m_moves.size(), 1);
    // A window with no place of its own (Wayland) does not follow: moving
    // it would only shift the positions of the next mouse events.
    const bool follows = tavrelctl::FrameRequests::clientPlacesWindows();
    const QPoint moved = follows ? QPoint(30, 10) : QPoint();
    QCOMPARE(m_window->pos(), start + moved);
    // A move after the release no longer drags.
    sendMouse(caption, QEvent::MouseMove, QPoint(60, 12), Qt::NoButton);
    QCOMPARE(m_window->pos(), start + moved);

    const QSize size = m_window->size();
    auto *bottom = m_window->findChild<QWidget *>(QStringLiteral("tavrelskin_bottom"));
    const QPoint corner(bottom->width() - 2, 3);
    sendMouse(bottom, QEvent::MouseButtonPress, corner, Qt::LeftButton);
    sendMouse(bottom, QEvent::MouseMove, corner + QPoint(15, 25), Qt::LeftButton);
    sendMouse(bottom, QEvent::MouseButtonRelease, corner + QPoint(15, 25), Qt::NoButton);
    QCOMPARE(m_window->size(), size + (follows ? QSize(15, 25) : QSize(0, 0)));
    QCOMPARE(m_resizes.size(), 1);
}

void TestSkinFrame::rightToLeftMirrorsCaption()
{
    m_window.reset(createWindow(WindowKind::Sizable));
    m_window->setLayoutDirection(Qt::RightToLeft);
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(applySkin(m_skin.get()));
    const int w = m_window->width();
    const QList<SkinCaptionButton *> buttons = m_skin->frame()->buttons();
    // Close at the leading (left) end, 20 pixels in, the others after it.
    QCOMPARE(buttons[0]->geometry().left(), 20);
    QVERIFY(buttons[1]->geometry().left() > buttons[0]->geometry().right());
    QVERIFY(buttons[2]->geometry().left() > buttons[1]->geometry().right());
    const QRect title = m_skin->frame()->caption()->titleRect();
    QCOMPARE(title.right(), w - 25 - 1);
    QVERIFY(title.left() > buttons[2]->geometry().right());

    // The mirrored buttons are where clicks land.
    QTest::mouseClick(m_skin->frame()->caption()->childAt(buttons[1]->geometry().center()),
                      Qt::LeftButton);
    QTRY_VERIFY(m_window->isMaximized());
}

void TestSkinFrame::markerRowsSetTheMetrics()
{
    // Middle stretched, text top 2, text left 8, buttons at 4 with gaps of 6
    // and 10 from the edge, fixed caption 20, icon gap 4, centred text,
    // client inset 2, sizable caption 30.
    const QList<int> markers{1, 2, 8, 4, 6, 10, 20, 4, 1, 2, 30};
    const tavrel::host::PropertyBag properties = storedProperties(
        bitmapFile(syntheticPicture(qRgb(0, 90, 0), qRgb(230, 230, 230), markers)));
    m_window.reset(createWindow(WindowKind::Sizable));
    m_skin = loadSkin(m_window.get(), &m_events, properties);
    QVERIFY(m_skin);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(applySkin(m_skin.get()));
    const SkinFrame *frame = m_skin->frame();
    QCOMPARE(frame->frameMargins(), QMargins(8, 32, 8, 8));
    QCOMPARE(frame->caption()->height(), 30);
    const int w = m_window->width();
    const QList<SkinCaptionButton *> buttons = frame->buttons();
    QCOMPARE(buttons[0]->geometry(), QRect(w - 10 - 14, 4, 14, 15));
    QCOMPARE(buttons[1]->geometry().right(), buttons[0]->geometry().left() - 6 - 1);
    const QRect title = frame->caption()->titleRect();
    QVERIFY2(qAbs(title.center().x() - w / 2) <= 1,
             qPrintable(QString::number(title.center().x())));
    QCOMPARE(title.top(), 2);
    QCOMPARE(m_window->findChild<QWidget *>(QStringLiteral("Text1"))->pos(), QPoint(18, 42));
    // A caption taller than the short band takes the tall band's top rows.
    QCOMPARE(frame->theme().captionSource(tavrelctl::SkinLayout::Active,
                                          tavrelctl::SkinLayout::LeftEnd, 30),
             QRect(1, 1, 28, 30));

    // The fixed dialog's 20-row caption comes from the short band.
    std::unique_ptr<QWidget> fixed(createWindow(WindowKind::FixedDialog));
    auto skin = loadSkin(fixed.get(), nullptr, properties);
    QVERIFY(skin && applySkin(skin.get()));
    QCOMPARE(skin->frame()->captionHeight(), 20);
    QCOMPARE(skin->frame()->theme().captionSource(tavrelctl::SkinLayout::Inactive,
                                                  tavrelctl::SkinLayout::RightEnd, 20),
             QRect(116, 44, 28, 20));
    QCOMPARE(fixed->size(), QSize(371 + 16, 201 + 22 + 8));
}

void TestSkinFrame::minimizeButton()
{
    QVERIFY(showSkinned(WindowKind::MenuWindow));
    SkinCaptionButton *minimize = m_skin->frame()->buttons().at(2);
    QCOMPARE(minimize->accessibleName(), QStringLiteral("Minimize"));
    QTest::mouseClick(minimize, Qt::LeftButton, {}, minimize->rect().center());
    QTRY_VERIFY(m_window->isMinimized());
}

void TestSkinFrame::maximisedButtonsTakeTheScreenEdge()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    const QList<SkinCaptionButton *> buttons = m_skin->frame()->buttons();
    const QRect glyphBefore(buttons[0]->mapTo(m_window.get(), buttons[0]->glyphRect().topLeft()),
                            buttons[0]->glyphRect().size());
    const int marginBefore = m_window->width() - 1 - glyphBefore.right();
    QCOMPARE(m_window->childAt(m_window->width() - 1, 0), m_skin->frame()->caption());
    m_window->showMaximized();
    QTRY_VERIFY(m_window->isMaximized());
    settle();
    const int right = m_window->width() - 1;
    // The window's top-right pixel (the screen's) and the top row above
    // each button press that button.
    QCOMPARE(m_window->childAt(right, 0), buttons[0]);
    for (SkinCaptionButton *button : buttons) {
        const QPoint top(button->mapTo(m_window.get(), button->glyphRect().center()).x(), 0);
        QCOMPARE(m_window->childAt(top), button);
    }
    // The glyph stays where it was drawn, at the same distance from the edge.
    const QRect glyphNow(buttons[0]->mapTo(m_window.get(), buttons[0]->glyphRect().topLeft()),
                         buttons[0]->glyphRect().size());
    QCOMPARE(glyphNow.size(), glyphBefore.size());
    QCOMPARE(right - glyphNow.right(), marginBefore);
    QCOMPARE(glyphNow.top(), glyphBefore.top());
    QTest::mouseMove(m_window->windowHandle(), QPoint(right, 0));
    QCOMPARE(buttons[0]->glyphState(), tavrelctl::SkinLayout::Hover);
    // No edge resizes a maximised window.
    for (const char *name :
         {"tavrelskin_left", "tavrelskin_right", "tavrelskin_bottom", "tavrelskin_caption"}) {
        auto *part = m_window->findChild<QWidget *>(QLatin1String(name));
        for (const QPoint &pos : {QPoint(1, 1), QPoint(part->width() - 2, part->height() - 2)}) {
            sendMouse(part, QEvent::MouseMove, pos, Qt::NoButton);
            QCOMPARE(part->cursor().shape(), Qt::ArrowCursor);
            sendMouse(part, QEvent::MouseButtonPress, pos, Qt::LeftButton);
            sendMouse(part, QEvent::MouseButtonRelease, pos, Qt::NoButton);
        }
    }
    QVERIFY(m_resizes.isEmpty());
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(right, 0));
    QTRY_VERIFY(!m_window->isVisible());
}

void TestSkinFrame::minimumSizeKeepsCaptionWhole()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    m_window->resize(12, 49);
    settle();
    const QSize least = m_skin->frame()->skinMinimumSize();
    QCOMPARE(m_window->size(), least.expandedTo(QSize(12, 49)));
    QVERIFY(m_window->width() >= 2 * 28);
    tavrelctl::SkinCaption *caption = m_skin->frame()->caption();
    // Every button lies inside the caption, right of the title, and the
    // title keeps room for a few characters.
    const QRect title = caption->titleRect();
    QVERIFY2(title.width() >= QFontMetrics(caption->font()).averageCharWidth() * 3,
             qPrintable(QString::number(title.width())));
    for (SkinCaptionButton *button : m_skin->frame()->buttons()) {
        QVERIFY(caption->rect().contains(button->geometry()));
        QVERIFY(button->geometry().left() > title.right());
    }
    // The window's own minimum comes back with the native frame.
    const QSize own = m_window->minimumSize();
    QVERIFY(removeSkin(m_skin.get()));
    QVERIFY(m_window->minimumSize() != own);
    QVERIFY(m_window->minimumSize().width() < least.width());
}

void TestSkinFrame::gripsValidAtEverySize_data()
{
    QTest::addColumn<QSize>("size");
    for (const QSize &size :
         {QSize(1, 1), QSize(12, 49), QSize(20, 20), QSize(31, 31), QSize(40, 33), QSize(200, 150)})
        QTest::newRow(qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())))
            << size;
}

void TestSkinFrame::gripsValidAtEverySize()
{
    // Never a left and a right edge, nor a top and a bottom one, together:
    // the platform refuses such a resize.
    QFETCH(QSize, size);
    const QMargins band(6, 3, 6, 6);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const Qt::Edges edges = tavrelctl::FrameDrag::edgesAt(QPoint(x, y), size, band, 16);
            QVERIFY2(!(edges.testFlag(Qt::LeftEdge) && edges.testFlag(Qt::RightEdge)) &&
                         !(edges.testFlag(Qt::TopEdge) && edges.testFlag(Qt::BottomEdge)),
                     qPrintable(QStringLiteral("at %1,%2: %3").arg(x).arg(y).arg(int(edges))));
        }
    }
}

void TestSkinFrame::windowMenuItems_data()
{
    QTest::addColumn<WindowKind>("kind");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("fixed dialog") << WindowKind::FixedDialog << false
                                  << QStringList{QStringLiteral("Move"), QStringLiteral("Close")};
    QTest::newRow("sizable") << WindowKind::Sizable << false
                             << QStringList{QStringLiteral("Move"), QStringLiteral("Size"),
                                            QStringLiteral("Minimize"), QStringLiteral("Maximize"),
                                            QStringLiteral("Close")};
    QTest::newRow("sizable, maximised")
        << WindowKind::Sizable << true
        << QStringList{QStringLiteral("Restore"), QStringLiteral("Minimize"),
                       QStringLiteral("Close")};
}

void TestSkinFrame::windowMenuItems()
{
    QFETCH(WindowKind, kind);
    QFETCH(bool, maximised);
    QFETCH(QStringList, enabled);
    QVERIFY(showSkinned(kind));
    if (maximised) {
        m_window->showMaximized();
        QTRY_VERIFY(m_window->isMaximized());
    }
    tavrelctl::SkinWindowMenu *menu = m_skin->frame()->caption()->windowMenu();
    menu->updateItems();
    QStringList all, on;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        QString text = action->text().remove(QLatin1Char('&'));
        all << text;
        if (action->isEnabled())
            on << text;
    }
    QCOMPARE(all, (QStringList{QStringLiteral("Restore"), QStringLiteral("Move"),
                               QStringLiteral("Size"), QStringLiteral("Minimize"),
                               QStringLiteral("Maximize"), QStringLiteral("Close")}));
    QCOMPARE(on, enabled);
    QCOMPARE(menu->action(tavrelctl::SkinWindowMenu::Close)->shortcut(),
             QKeySequence(Qt::ALT | Qt::Key_F4));
    // Each enabled item does what it says.
    auto trigger = [menu](tavrelctl::SkinWindowMenu::Item item) {
        menu->action(item)->trigger();
        QCoreApplication::processEvents();
    };
    if (maximised) {
        trigger(tavrelctl::SkinWindowMenu::Restore);
        QTRY_VERIFY(!m_window->isMaximized());
    } else if (enabled.contains(QStringLiteral("Maximize"))) {
        trigger(tavrelctl::SkinWindowMenu::Maximize);
        QTRY_VERIFY(m_window->isMaximized());
        m_window->showNormal();
        QTRY_VERIFY(!m_window->isMaximized());
    }
    if (enabled.contains(QStringLiteral("Minimize"))) {
        QSignalSpy states(m_window->windowHandle(), &QWindow::windowStateChanged);
        trigger(tavrelctl::SkinWindowMenu::Minimize);
        if (onWayland()) {
            // The compositor's answer to the restore above may still be on
            // its way and puts the window back to normal: there the request
            // to minimise is what can be seen.
            QVERIFY(std::any_of(states.cbegin(), states.cend(), [](const QList<QVariant> &args) {
                return args.at(0).value<Qt::WindowState>() == Qt::WindowMinimized;
            }));
        } else {
            QTRY_VERIFY(m_window->isMinimized());
        }
        m_window->showNormal();
    }
    trigger(tavrelctl::SkinWindowMenu::Close);
    QTRY_VERIFY(!m_window->isVisible());
}

void TestSkinFrame::windowMenuOpens_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QPoint>("where"); // in the window; (-1, -1): at the pointer
    QTest::newRow("right-click on the caption") << QStringLiteral("right-click") << QPoint(-1, -1);
    QTest::newRow("click on the icon") << QStringLiteral("icon") << QPoint(25, 25);
    QTest::newRow("Alt+Space") << QStringLiteral("alt+space") << QPoint(0, 25);
}

void TestSkinFrame::windowMenuOpens()
{
    QFETCH(QString, how);
    QFETCH(QPoint, where);
    m_window.reset(createWindow(WindowKind::Sizable));
    QPixmap icon(16, 16);
    icon.fill(Qt::darkRed);
    m_window->setWindowIcon(QIcon(icon));
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    m_window->move(100, 80);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(applySkin(m_skin.get()));
    QVERIFY(activate(m_window.get()));
    tavrelctl::SkinCaption *caption = m_skin->frame()->caption();
    QPointer<tavrelctl::SkinWindowMenu> menu = caption->windowMenu();
    QVERIFY(!menu->isVisible());
    const QPoint pointer(150, 12);
    if (how == QLatin1String("right-click")) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pointer, caption->mapToGlobal(pointer));
        QApplication::sendEvent(caption, &event);
        where = pointer;
    } else if (how == QLatin1String("icon")) {
        QCOMPARE(caption->iconRect().topLeft(), QPoint(25, 4));
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {},
                          caption->iconRect().center());
        QVERIFY(m_moves.isEmpty()); // a click on the icon does not drag
    } else {
        QTest::keyClick(m_window.get(), Qt::Key_Space, Qt::AltModifier);
    }
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->geometry().topLeft(), m_window->mapToGlobal(where));
    menu->hide();
    // With the skin off the caption, its menu and its menu key are gone.
    QVERIFY(removeSkin(m_skin.get()));
    QVERIFY(!menu);
    QTest::keyClick(m_window.get(), Qt::Key_Space, Qt::AltModifier);
    QVERIFY(!QApplication::activePopupWidget());
}

void TestSkinFrame::keyboardMoveAndSize_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QRect>("change"); // added to x, y, width, height
    using K = tavrelctl::KeyboardMoveSize;
    QTest::newRow("move right twice, Enter")
        << int(K::Move) << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}
        << QRect(20, 0, 0, 0);
    QTest::newRow("move up and left, Enter")
        << int(K::Move) << QList<int>{Qt::Key_Up, Qt::Key_Left, Qt::Key_Enter}
        << QRect(-10, -10, 0, 0);
    QTest::newRow("move, Esc puts it back")
        << int(K::Move) << QList<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_Escape}
        << QRect(0, 0, 0, 0);
    QTest::newRow("size right edge out")
        << int(K::Size) << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}
        << QRect(0, 0, 20, 0);
    QTest::newRow("size left edge out")
        << int(K::Size) << QList<int>{Qt::Key_Left, Qt::Key_Return} << QRect(-10, 0, 10, 0);
    QTest::newRow("size right edge in")
        << int(K::Size) << QList<int>{Qt::Key_Right, Qt::Key_Left, Qt::Key_Return}
        << QRect(0, 0, 0, 0);
    QTest::newRow("size bottom-right corner")
        << int(K::Size) << QList<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return}
        << QRect(0, 0, 10, 20);
    QTest::newRow("size top edge, Esc puts it back")
        << int(K::Size) << QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_Escape} << QRect(0, 0, 0, 0);
}

void TestSkinFrame::keyboardMoveAndSize()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, keys);
    QFETCH(QRect, change);
    QVERIFY(showSkinned(WindowKind::Sizable));
    QVERIFY(activate(m_window.get()));
    const QRect before = m_window->geometry();
    // Through the menu, as a user gets there.
    tavrelctl::SkinWindowMenu *menu = m_skin->frame()->caption()->windowMenu();
    menu->updateItems();
    menu->action(mode == tavrelctl::KeyboardMoveSize::Move ? tavrelctl::SkinWindowMenu::Move
                                                           : tavrelctl::SkinWindowMenu::Size)
        ->trigger();
    QTRY_VERIFY(tavrelctl::KeyboardMoveSize::running());
    QCOMPARE(QGuiApplication::overrideCursor() != nullptr, true);
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get();
    for (int key : keys)
        QTest::keyClick(focus, Qt::Key(key));
    QTRY_VERIFY(!tavrelctl::KeyboardMoveSize::running());
    QVERIFY(!QGuiApplication::overrideCursor());
    const QRect expected(before.x() + change.x(), before.y() + change.y(),
                         before.width() + change.width(), before.height() + change.height());
    QTRY_COMPARE(m_window->geometry(), expected);
}

void TestSkinFrame::iconDoubleClickCloses()
{
    m_window.reset(createWindow(WindowKind::Sizable));
    QPixmap icon(16, 16);
    icon.fill(Qt::darkRed);
    m_window->setWindowIcon(QIcon(icon));
    m_skin = loadSkin(m_window.get(), &m_events);
    QVERIFY(m_skin);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(applySkin(m_skin.get()));
    const QPoint icon_ = m_skin->frame()->caption()->iconRect().center();
    // The first click opens the menu, the second lands on the icon under it.
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, icon_);
    QTRY_VERIFY(m_skin->frame()->caption()->windowMenu()->isVisible());
    QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {}, icon_);
    QTRY_VERIFY(!m_window->isVisible());
}

void TestSkinFrame::frameIsNamedForAccessibility()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    QStringList names;
    for (const char *part :
         {"tavrelskin_caption", "tavrelskin_left", "tavrelskin_right", "tavrelskin_bottom"}) {
        auto *widget = m_window->findChild<QWidget *>(QLatin1String(part));
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(a);
        names << a->text(QAccessible::Name);
    }
    // The caption is the window's title bar and reads its title.
    QCOMPARE(names, (QStringList{m_window->windowTitle(), QStringLiteral("Left border"),
                                 QStringLiteral("Right border"), QStringLiteral("Bottom border")}));
    QAccessibleInterface *caption =
        QAccessible::queryAccessibleInterface(m_skin->frame()->caption());
    QCOMPARE(caption->role(), QAccessible::TitleBar);
    QCOMPARE(caption->text(QAccessible::Description), QStringLiteral("Title bar"));
    m_window->setWindowTitle(QStringLiteral("Renamed"));
    QCOMPARE(caption->text(QAccessible::Name), QStringLiteral("Renamed"));
    QVERIFY(caption->textInterface());
    QCOMPARE(caption->textInterface()->text(0, caption->textInterface()->characterCount()),
             QStringLiteral("Renamed"));
    QCOMPARE(caption->childCount(), 3);
    // No visible object of the skin without a name.
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window.get());
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface *child = window->child(i);
        if (!SkinFrame::isSkinWidget(child->object()))
            continue;
        QVERIFY2(!child->text(QAccessible::Name).isEmpty(),
                 qPrintable(child->object()->objectName()));
    }
}

void TestSkinFrame::schemeReachesEveryInstance()
{
    QVERIFY(showSkinned(WindowKind::Sizable));
    std::unique_ptr<QWidget> second(createWindow(WindowKind::FixedDialog));
    auto secondSkin = loadSkin(second.get());
    QVERIFY(secondSkin && applySkin(secondSkin.get()));
    QCOMPARE(secondSkin->frame()->scheme(), 1);
    QVERIFY(putScheme(m_skin.get(), 3));
    QCOMPARE(secondSkin->frame()->scheme(), 3);
    // One opened later starts in it, skinned or not yet.
    std::unique_ptr<QWidget> third(createWindow(WindowKind::TopAligned));
    auto thirdSkin = loadSkin(third.get());
    QVERIFY(thirdSkin);
    QCOMPARE(thirdSkin->frame()->scheme(), 3);
    // A put on any of them reaches the others, the first among them.
    QVERIFY(putScheme(thirdSkin.get(), 2));
    QCOMPARE(m_skin->frame()->scheme(), 2);
    QCOMPARE(secondSkin->frame()->scheme(), 2);
    QCOMPARE(m_window->palette().color(QPalette::Window),
             m_skin->frame()->theme().swatch(tavrelctl::SkinLayout::WindowSwatch));
    // The scheme outlives a window that goes.
    secondSkin.reset();
    second.reset();
    std::unique_ptr<QWidget> fourth(createWindow(WindowKind::FixedDialog));
    auto fourthSkin = loadSkin(fourth.get());
    QCOMPARE(fourthSkin->frame()->scheme(), 2);
}

void TestSkinFrame::windowDestroyedWhileSkinned_data()
{
    QTest::addColumn<bool>("byCloseButton");
    QTest::newRow("deleted") << false;
    QTest::newRow("closed by the close button, deleted on close") << true;
}

void TestSkinFrame::windowDestroyedWhileSkinned()
{
    // The component dies with its window, as the host's site owns it.
    QFETCH(bool, byCloseButton);
    const QString className = tavrelctl::skinClassName();
    tavrel::host::ComponentHost::instance().registerClass(
        className, [] { return std::make_unique<tavrelctl::TavrelSkin>(); });
    QPointer<QWidget> window = createWindow(WindowKind::Sizable);
    tavrel::host::ComponentSite *site = nullptr;
    const tavrel::host::Status created = tavrel::host::ComponentSite::create(
        className, QStringLiteral("TavrelSkin1"), window, storedProperties(), &site);
    tavrel::host::ComponentHost::instance().unregisterClass(className);
    QVERIFY2(created, qPrintable(created.toString()));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    site->callMethod(tavrelctl::MemberId::ApplySkin);
    QVERIFY(window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption")));
    if (byCloseButton) {
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto *close = window->findChild<QWidget *>(QStringLiteral("tavrelskin_close"));
        QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
        testing::processDeferredDeletes();
        QVERIFY(!window);
    } else {
        delete window.data();
    }
    QCoreApplication::processEvents();
}

QTEST_MAIN(TestSkinFrame)
#include "tst_skinframe.moc"
