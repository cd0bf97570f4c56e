// The menu demo window under the real skin component: the menu bar below the
// skinned caption, reachable by mouse and access keys, and a frame that
// minimises, maximises, restores and resizes around it.
#include <CleanFrm.h>
#include <ComponentHost.h>
#include <FailureReporter.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QAbstractButton>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using forms::CleanFrm;
using forms::Form;
using forms::FormKind;

class tst_CleanFrmSkinned : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menuBarLiesBelowTheCaption();
    void mouseOpensEachMenu_data();
    void mouseOpensEachMenu();
    void accessKeysOpenTheirMenus_data();
    void accessKeysOpenTheirMenus();
    void maximiseAndRestoreKeepTheMenuBarBelowTheCaption_data();
    void maximiseAndRestoreKeepTheMenuBarBelowTheCaption();
    void captionButtonsMinimiseMaximiseRestore();
    void resizingKeepsTheSkinAroundTheClientArea();
    void draggingTheBorderResizes();
    void removeAndApplyKeepTheClientSize();
    void removedSkinLeavesNothingOverTheMenuBar();
    void reopenedWindowIsSkinnedAgain();

private:
    Form &clean() { return m_registry->form(FormKind::Clean); }
    QMainWindow *window() { return qobject_cast<QMainWindow *>(clean().window()); }
    QWidget *skinPart(const char *name);
    QMenu *menu(const char *name) { return clean().control<QMenu>(QString::fromLatin1(name)); }
    void showClean();
    // The skinned layout, whatever the window's size: caption across the top,
    // borders at the edges, menu bar and client area inside them.
    void verifySkinnedLayout();

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_CleanFrmSkinned::initTestCase()
{
    testing::applyApplicationDefaults();
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
}

void tst_CleanFrmSkinned::init()
{
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
}

void tst_CleanFrmSkinned::cleanup()
{
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
}

QWidget *tst_CleanFrmSkinned::skinPart(const char *name)
{
    return window() ? window()->findChild<QWidget *>(QString::fromLatin1(name)) : nullptr;
}

void tst_CleanFrmSkinned::showClean()
{
    const bool ran = tavrel::host::ErrorBoundary::run([this] { clean().show(); });
    QVERIFY2(ran, qPrintable(m_reports.join(QLatin1Char('\n'))));
    QVERIFY(QTest::qWaitForWindowActive(window()));
}

void tst_CleanFrmSkinned::verifySkinnedLayout()
{
    QMainWindow *w = window();
    QMenuBar *bar = w->menuBar();
    QWidget *caption = skinPart("tavrelskin_caption");
    QWidget *left = skinPart("tavrelskin_left");
    QWidget *right = skinPart("tavrelskin_right");
    QWidget *bottom = skinPart("tavrelskin_bottom");
    QVERIFY(caption && left && right && bottom);
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(caption->isVisible() && bar->isVisible());
    QCOMPARE(caption->geometry(), QRect(0, 0, w->width(), caption->height()));
    QCOMPARE(right->geometry().right(), w->width() - 1);
    QCOMPARE(bottom->geometry().bottom(), w->height() - 1);

    // The menu bar fills the top of the area inside the skin, the client
    // area the rest of it.
    const QRect inside = w->contentsRect();
    QVERIFY2(inside.top() > caption->geometry().bottom(),
             qPrintable(QString::number(inside.top())));
    QCOMPARE(bar->geometry(), QRect(inside.topLeft(), QSize(inside.width(), bar->height())));
    QCOMPARE(w->centralWidget()->geometry(),
             QRect(inside.left(), bar->geometry().bottom() + 1, inside.width(),
                   inside.bottom() - bar->geometry().bottom()));
    for (QWidget *part : {caption, left, right, bottom})
        QVERIFY2(!part->geometry().intersects(bar->geometry()), qPrintable(part->objectName()));

    // Nothing of the skin covers a menu title: a click there reaches the bar.
    for (QAction *title : bar->actions()) {
        const QRect r = bar->actionGeometry(title);
        QVERIFY2(bar->rect().contains(r), qPrintable(title->text()));
        QCOMPARE(w->childAt(bar->mapTo(w, r.center())), bar);
    }
}

void tst_CleanFrmSkinned::menuBarLiesBelowTheCaption()
{
    showClean();
    verifySkinnedLayout();
    QMainWindow *w = window();
    // The client area kept its stored size; the window grew around it.
    QCOMPARE(w->centralWidget()->size(), CleanFrm::clientSize());
    QVERIFY(w->width() > CleanFrm::clientSize().width());
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel Control"));
    // All five titles on one line.
    QMenuBar *bar = w->menuBar();
    const QList<QAction *> titles = bar->actions();
    QCOMPARE(titles.size(), 5);
    QCOMPARE(bar->actionGeometry(titles.last()).top(), bar->actionGeometry(titles.first()).top());
}

static void addMenuRows()
{
    QTest::addColumn<QString>("menuName");
    QTest::addColumn<int>("accessKey");
    QTest::newRow("File") << "mnuF" << int(Qt::Key_F);
    QTest::newRow("Edit") << "mnuE" << int(Qt::Key_E);
    QTest::newRow("View") << "mnuV" << int(Qt::Key_V);
    QTest::newRow("Tools") << "mnuT" << int(Qt::Key_T);
    QTest::newRow("Help") << "mnuH" << int(Qt::Key_H);
}

void tst_CleanFrmSkinned::mouseOpensEachMenu_data()
{
    addMenuRows();
}

void tst_CleanFrmSkinned::mouseOpensEachMenu()
{
    QFETCH(QString, menuName);
    showClean();
    QMainWindow *w = window();
    QMenuBar *bar = w->menuBar();
    QMenu *m = menu(qPrintable(menuName));
    const QRect title = bar->actionGeometry(m->menuAction());
    const QRect before = w->geometry();
    QTest::mouseClick(bar, Qt::LeftButton, {}, title.center());
    QTRY_VERIFY(m->isVisible());
    // It drops down from its title, below the bar, not over the caption.
    const QPoint titleBottomLeft = bar->mapToGlobal(title.bottomLeft());
    QCOMPARE(m->pos().y(), titleBottomLeft.y() + 1);
    QCOMPARE(m->pos().x(), titleBottomLeft.x());
    QCOMPARE(m->actions().size(), 1);
    QAction *item = m->actions().first();
    QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
    QTRY_VERIFY(!m->isVisible());
    QCOMPARE(w->geometry(), before);
    verifySkinnedLayout();
}

void tst_CleanFrmSkinned::accessKeysOpenTheirMenus_data()
{
    addMenuRows();
}

void tst_CleanFrmSkinned::accessKeysOpenTheirMenus()
{
    QFETCH(QString, menuName);
    QFETCH(int, accessKey);
    showClean();
    QMenu *m = menu(qPrintable(menuName));
    QTest::keyClick(window(), Qt::Key(accessKey), Qt::AltModifier);
    QTRY_VERIFY(m->isVisible());
    QTest::keyClick(m, Qt::Key_Escape);
    QTRY_VERIFY(!m->isVisible());
}

void tst_CleanFrmSkinned::maximiseAndRestoreKeepTheMenuBarBelowTheCaption_data()
{
    QTest::addColumn<bool>("resizeFirst");
    QTest::newRow("from the stored size") << false;
    QTest::newRow("from a resized window") << true;
}

void tst_CleanFrmSkinned::maximiseAndRestoreKeepTheMenuBarBelowTheCaption()
{
    QFETCH(bool, resizeFirst);
    showClean();
    QMainWindow *w = window();
    if (resizeFirst)
        w->resize(w->width() + 70, w->height() + 40);
    const QSize normal = w->size();
    const QSize normalClient = w->centralWidget()->size();

    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    QTRY_COMPARE(w->geometry(), w->screen()->availableGeometry());
    verifySkinnedLayout();
    QVERIFY(w->centralWidget()->width() > normalClient.width());

    QMenu *file = menu("mnuF");
    QTest::keyClick(w, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_Escape);
    QTRY_VERIFY(!file->isVisible());

    w->showNormal();
    QTRY_VERIFY(!w->isMaximized());
    QTRY_COMPARE(w->size(), normal);
    QCOMPARE(w->centralWidget()->size(), normalClient);
    verifySkinnedLayout();
}

void tst_CleanFrmSkinned::captionButtonsMinimiseMaximiseRestore()
{
    showClean();
    QMainWindow *w = window();
    auto *maximize = qobject_cast<QAbstractButton *>(skinPart("tavrelskin_maximize"));
    auto *minimize = qobject_cast<QAbstractButton *>(skinPart("tavrelskin_minimize"));
    QVERIFY(maximize && minimize);
    QVERIFY(maximize->isVisible() && maximize->isEnabled());
    QVERIFY(minimize->isVisible() && minimize->isEnabled());
    const QSize normal = w->size();

    QTest::mouseClick(maximize, Qt::LeftButton);
    QTRY_VERIFY(w->isMaximized());
    verifySkinnedLayout();
    QTest::mouseClick(maximize, Qt::LeftButton);
    QTRY_VERIFY(!w->isMaximized());
    QTRY_COMPARE(w->size(), normal);

    QTest::mouseClick(minimize, Qt::LeftButton);
    QTRY_VERIFY(w->isMinimized());
    w->showNormal();
    QTRY_VERIFY(!w->isMinimized());
    QCOMPARE(w->size(), normal);
    verifySkinnedLayout();
}

void tst_CleanFrmSkinned::resizingKeepsTheSkinAroundTheClientArea()
{
    showClean();
    QMainWindow *w = window();
    const QSize start = w->size();
    for (const QSize delta : {QSize(160, 90), QSize(-40, -20), QSize(0, 0)}) {
        w->resize(start + delta);
        QTRY_COMPARE(w->size(), start + delta);
        QCOMPARE(w->centralWidget()->size(), CleanFrm::clientSize() + delta);
        verifySkinnedLayout();
    }
}

void tst_CleanFrmSkinned::draggingTheBorderResizes()
{
    showClean();
    QMainWindow *w = window();
    QWidget *bottom = skinPart("tavrelskin_bottom");
    QVERIFY(bottom);
    const QSize start = w->size();
    // The bottom-right corner grip.
    const QPoint grip(bottom->width() - 2, bottom->height() / 2);
    QTest::mousePress(bottom, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bottom, grip + QPoint(50, 30));
    QTest::mouseRelease(bottom, Qt::LeftButton, {}, grip + QPoint(50, 30));
    QTRY_COMPARE(w->size(), start + QSize(50, 30));
    QCOMPARE(w->centralWidget()->size(), CleanFrm::clientSize() + QSize(50, 30));
    verifySkinnedLayout();
}

void tst_CleanFrmSkinned::removeAndApplyKeepTheClientSize()
{
    showClean();
    QMainWindow *w = window();
    const QSize skinned = w->size();
    const QRect skinnedBar = w->menuBar()->geometry();
    for (int round = 0; round < 3; ++round) {
        QVERIFY(tavrel::host::ErrorBoundary::run([this] { clean().skin().removeSkin(); }));
        QTRY_VERIFY(!w->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(w->contentsMargins(), QMargins());
        QCOMPARE(w->menuBar()->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(w->centralWidget()->size(), CleanFrm::clientSize());
        QCOMPARE(w->size(), QSize(240, 147 + w->menuBar()->height()));

        QVERIFY(tavrel::host::ErrorBoundary::run([this] { clean().skin().applySkin(); }));
        QCOMPARE(w->size(), skinned);
        QCOMPARE(w->menuBar()->geometry(), skinnedBar);
        QCOMPARE(w->centralWidget()->size(), CleanFrm::clientSize());
        verifySkinnedLayout();
    }
}

void tst_CleanFrmSkinned::removedSkinLeavesNothingOverTheMenuBar()
{
    showClean();
    QMainWindow *w = window();
    QVERIFY(tavrel::host::ErrorBoundary::run([this] { clean().skin().removeSkin(); }));
    QStringList shown;
    for (QWidget *part : w->findChildren<QWidget *>()) {
        if (part->objectName().startsWith(QLatin1String("tavrelskin_")) && part->isVisible())
            shown << part->objectName();
    }
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1String(", "))));
    // Every menu title takes a click again.
    for (QAction *title : w->menuBar()->actions()) {
        const QPoint centre = w->menuBar()->actionGeometry(title).center();
        QCOMPARE(w->childAt(w->menuBar()->mapTo(w, centre)), w->menuBar());
    }
}

void tst_CleanFrmSkinned::reopenedWindowIsSkinnedAgain()
{
    Form &main = m_registry->form(FormKind::Main);
    QVERIFY(tavrel::host::ErrorBoundary::run([&] { main.show(); }));
    auto *show = main.control<QPushButton>(QStringLiteral("Command1"));
    QTest::mouseClick(show, Qt::LeftButton);
    QVERIFY(clean().isLoaded());
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    const QSize first = window()->size();
    window()->showMaximized();
    QTRY_VERIFY(window()->isMaximized());
    QPointer<QWidget> closed = window();
    auto *close = qobject_cast<QAbstractButton *>(skinPart("tavrelskin_close"));
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!clean().isLoaded());
    testing::processDeferredDeletes();
    QVERIFY(closed.isNull());

    QTest::mouseClick(show, Qt::LeftButton);
    QVERIFY(clean().isLoaded());
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    QVERIFY(!window()->isMaximized());
    QCOMPARE(window()->size(), first);
    verifySkinnedLayout();
    clean().unload();
    main.unload();
}

QTEST_MAIN(tst_CleanFrmSkinned)
#include "tst_cleanfrm_skinned.moc"
