// The menu demo window with the recording stand-in component: its stored
// settings, menus and icon, its load step and its lifetime.
#include <CleanFrm.h>
#include <FailureReporter.h>
#include <Form.h>
#include <FormSettings.h>
#include <IconFile.h>
#include <PictureStream.h>
#include <RecordingComponent.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

using forms::CleanFrm;
using forms::Form;
using forms::FormKind;
using testing::RecordingComponent;

static const QString Clean = QStringLiteral("CleanFrm");
static constexpr tavrel::host::DispId ApplySkin = RecordingComponent::ApplySkin;

namespace {

// Everything about the window a chosen menu item must not change.
struct WindowSnapshot
{
    QRect geometry;
    QString title;
    Qt::WindowStates state;
    bool visible;
    QList<QObject *> children;
    int callCount;

    static WindowSnapshot of(QWidget *w)
    {
        return {w->geometry(),
                w->windowTitle(),
                w->windowState(),
                w->isVisible(),
                w->findChildren<QObject *>(),
                int(RecordingComponent::calls().size())};
    }
    bool operator==(const WindowSnapshot &o) const
    {
        return geometry == o.geometry && title == o.title && state == o.state &&
               visible == o.visible && children == o.children && callCount == o.callCount;
    }
};

} // namespace

class tst_CleanFrm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testing::applyApplicationDefaults(); }
    void init();
    void cleanup();

    void windowSettings();
    void borderAllowsResizeMinimiseMaximise();
    void clientAreaLiesBelowTheMenuBar();
    void menuBarTitlesInOrder();
    void eachMenuOpensOneItem_data();
    void eachMenuOpensOneItem();
    void choosingAnItemLeavesTheWindowAsItWas_data();
    void choosingAnItemLeavesTheWindowAsItWas();
    void accessKeyOpensItsMenu_data();
    void accessKeyOpensItsMenu();
    void onlyTheSkinComponentAndMenusAreContents();
    void loadAppliesTheSkinOnce();
    void reopenFromMainWindowAppliesTheSkinAgain();
    void failingApplySkinIsReported();
    void storedIconFraming();
    void iconHoldsBothSizes();
    void brokenStoredIconIsRejected_data();
    void brokenStoredIconIsRejected();

private:
    Form &clean() { return m_registry->form(FormKind::Clean); }
    QMainWindow *window() { return qobject_cast<QMainWindow *>(clean().window()); }
    QMenu *menu(const QString &name) { return clean().control<QMenu>(name); }
    void showClean();

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_CleanFrm::init()
{
    RecordingComponent::install();
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
}

void tst_CleanFrm::cleanup()
{
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
    RecordingComponent::uninstall();
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

void tst_CleanFrm::showClean()
{
    clean().show();
    QVERIFY(window());
    QVERIFY(QTest::qWaitForWindowActive(window()));
}

void tst_CleanFrm::windowSettings()
{
    showClean();
    QMainWindow *w = window();
    QCOMPARE(w->objectName(), Clean);
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel Control"));
    // An ordinary top-level window: it gets a taskbar entry.
    QCOMPARE(w->windowType(), Qt::Window);
    QVERIFY(forms::FormSettings::showsInTaskbar(w));
    QVERIFY(!w->parentWidget());
    QCOMPARE(w->windowModality(), Qt::NonModal);
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void tst_CleanFrm::borderAllowsResizeMinimiseMaximise()
{
    showClean();
    QMainWindow *w = window();
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    // Nothing pins the size.
    QVERIFY(w->minimumWidth() < 100 && w->minimumHeight() < 100);
    QCOMPARE(w->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(w->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);

    // And the window does not resist it: the menu bar follows the width.
    const QRect before = w->geometry();
    w->resize(before.width() + 100, before.height() + 60);
    QTRY_COMPARE(w->size(), before.size() + QSize(100, 60));
    QCOMPARE(w->menuBar()->width(), w->width());
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    w->showNormal();
    QTRY_VERIFY(!w->isMaximized());
    w->showMinimized();
    QTRY_VERIFY(w->isMinimized());
    w->showNormal();
    QTRY_VERIFY(!w->isMinimized());
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel Control"));
}

void tst_CleanFrm::clientAreaLiesBelowTheMenuBar()
{
    clean().load();
    QMainWindow *w = window();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QMenuBar *bar = w->menuBar();
    QWidget *central = w->centralWidget();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->geometry().top(), 0);
    QVERIFY(bar->height() > 0);
    QCOMPARE(central->geometry(), QRect(QPoint(0, bar->geometry().bottom() + 1), QSize(240, 147)));
    QCOMPARE(w->size(), QSize(240, 147 + bar->height()));
    // All five titles fit on one line at this width.
    const QRect helpTitle = bar->actionGeometry(menu(QStringLiteral("mnuH"))->menuAction());
    QVERIFY2(helpTitle.right() < w->width(), qPrintable(QString::number(helpTitle.right())));
    QCOMPARE(helpTitle.top(),
             bar->actionGeometry(menu(QStringLiteral("mnuF"))->menuAction()).top());
}

void tst_CleanFrm::menuBarTitlesInOrder()
{
    showClean();
    QStringList titles;
    QStringList names;
    for (QAction *action : window()->menuBar()->actions()) {
        titles << action->text();
        names << (action->menu() ? action->menu()->objectName() : QStringLiteral("<no menu>"));
    }
    QCOMPARE(titles, QStringList({"&File", "&Edit", "&View", "&Tools", "&Help"}));
    QCOMPARE(names, QStringList({"mnuF", "mnuE", "mnuV", "mnuT", "mnuH"}));
    // Every menu and item keeps its defaults.
    for (QAction *action : window()->findChildren<QAction *>()) {
        if (action->text().isEmpty())
            continue; // Qt's own helper actions
        QVERIFY2(action->isEnabled() && action->isVisible(), qPrintable(action->text()));
        QVERIFY2(!action->isCheckable() && !action->isChecked(), qPrintable(action->text()));
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
    }
}

static void addMenuRows()
{
    QTest::addColumn<QString>("menuName");
    QTest::addColumn<QString>("itemName");
    QTest::addColumn<QString>("itemCaption");
    QTest::addColumn<int>("accessKey");
    QTest::newRow("File") << "mnuF"
                          << "feg"
                          << " we" << int(Qt::Key_F);
    QTest::newRow("Edit") << "mnuE"
                          << "sgf"
                          << "wrt" << int(Qt::Key_E);
    QTest::newRow("View") << "mnuV"
                          << "sgh"
                          << "sgf" << int(Qt::Key_V);
    QTest::newRow("Tools") << "mnuT"
                           << "dsfgn"
                           << "sfng" << int(Qt::Key_T);
    QTest::newRow("Help") << "mnuH"
                          << "fdgn"
                          << "fgn" << int(Qt::Key_H);
}

void tst_CleanFrm::eachMenuOpensOneItem_data()
{
    addMenuRows();
}

void tst_CleanFrm::eachMenuOpensOneItem()
{
    QFETCH(QString, menuName);
    QFETCH(QString, itemName);
    QFETCH(QString, itemCaption);
    showClean();
    QMenu *m = menu(menuName);
    QMenuBar *bar = window()->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(m->menuAction()).center());
    QTRY_VERIFY(m->isVisible());
    QCOMPARE(m->actions().size(), 1);
    QAction *item = m->actions().first();
    QCOMPARE(item->objectName(), itemName);
    // Exactly as stored, leading space included.
    QCOMPARE(item->text(), itemCaption);
    QVERIFY(!item->isSeparator());
    QVERIFY(!item->menu());
    QVERIFY(m->actionGeometry(item).isValid());
    m->close();
    QTRY_VERIFY(!m->isVisible());
}

void tst_CleanFrm::choosingAnItemLeavesTheWindowAsItWas_data()
{
    addMenuRows();
}

void tst_CleanFrm::choosingAnItemLeavesTheWindowAsItWas()
{
    QFETCH(QString, menuName);
    showClean();
    QMainWindow *w = window();
    QMenu *m = menu(menuName);
    QAction *item = m->actions().first();
    const WindowSnapshot before = WindowSnapshot::of(w);
    QSignalSpy triggered(item, &QAction::triggered);
    QVERIFY(triggered.isValid());

    QMenuBar *bar = w->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(m->menuAction()).center());
    QTRY_VERIFY(m->isVisible());
    QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
    QCOMPARE(triggered.count(), 1);
    QTRY_VERIFY(!m->isVisible());
    QCoreApplication::processEvents();

    const WindowSnapshot after = WindowSnapshot::of(w);
    QCOMPARE(after.geometry, before.geometry);
    QCOMPARE(after.title, before.title);
    QCOMPARE(after.state, before.state);
    QCOMPARE(after.visible, before.visible);
    QCOMPARE(after.children, before.children);
    QCOMPARE(after.callCount, before.callCount);
    QVERIFY(clean().isLoaded());
}

void tst_CleanFrm::accessKeyOpensItsMenu_data()
{
    addMenuRows();
}

void tst_CleanFrm::accessKeyOpensItsMenu()
{
    QFETCH(QString, menuName);
    QFETCH(int, accessKey);
    showClean();
    QMenu *m = menu(menuName);
    QTest::keyClick(window(), Qt::Key(accessKey), Qt::AltModifier);
    QTRY_VERIFY(m->isVisible());
    // Enter chooses the highlighted one item and closes the menu.
    QSignalSpy triggered(m->actions().first(), &QAction::triggered);
    QTest::keyClick(m, Qt::Key_Down);
    QTest::keyClick(m, Qt::Key_Return);
    QTRY_VERIFY(!m->isVisible());
    QCOMPARE(triggered.count(), 1);
}

void tst_CleanFrm::onlyTheSkinComponentAndMenusAreContents()
{
    showClean();
    QMainWindow *w = window();
    // The client area holds nothing of its own.
    QVERIFY(w->centralWidget()->findChildren<QWidget *>().isEmpty());
    // Qt's own overflow menu of the bar carries no name.
    QStringList menus;
    for (QMenu *m : w->findChildren<QMenu *>()) {
        if (!m->objectName().isEmpty())
            menus << m->objectName();
    }
    menus.sort();
    QCOMPARE(menus, QStringList({"mnuE", "mnuF", "mnuH", "mnuT", "mnuV"}));
    QStringList items;
    for (QAction *a : w->findChildren<QAction *>()) {
        if (!a->objectName().isEmpty())
            items << a->objectName();
    }
    items.sort();
    QCOMPARE(items, QStringList({"dsfgn", "fdgn", "feg", "sgf", "sgh"}));
}

void tst_CleanFrm::loadAppliesTheSkinOnce()
{
    QSignalSpy loaded(&clean(), &Form::loaded);
    clean().load();
    QCOMPARE(loaded.count(), 1);
    // Before it is shown, and nothing else: no scheme, no removal.
    QVERIFY(!window()->isVisible());
    const QList<testing::RecordedCall> calls = RecordingComponent::callsOn(Clean);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().member, ApplySkin);
    QVERIFY(calls.first().args.isEmpty());
    clean().show();
    QCOMPARE(RecordingComponent::callsOn(Clean).size(), 1);
}

void tst_CleanFrm::reopenFromMainWindowAppliesTheSkinAgain()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    auto *show = main.control<QPushButton>(QStringLiteral("Command1"));
    QTest::mouseClick(show, Qt::LeftButton);
    QVERIFY(clean().isLoaded());
    QPointer<QWidget> first = clean().window();
    QVERIFY(first->isVisible());
    QVERIFY(!first->parentWidget());
    QCOMPARE(RecordingComponent::count(Clean, ApplySkin), 1);
    // A second press while open: same window, no second load.
    QTest::mouseClick(show, Qt::LeftButton);
    QCOMPARE(clean().window(), first.data());
    QCOMPARE(RecordingComponent::count(Clean, ApplySkin), 1);

    first->resize(400, 300);
    first->close();
    QVERIFY(!clean().isLoaded());
    testing::processDeferredDeletes();
    QVERIFY(first.isNull());
    QTest::mouseClick(show, Qt::LeftButton);
    QVERIFY(clean().isLoaded());
    QVERIFY(clean().window()->isVisible());
    QCOMPARE(RecordingComponent::count(Clean, ApplySkin), 2);
    // Afresh: the stored size, not the one it was closed with.
    QCOMPARE(window()->centralWidget()->size(), CleanFrm::clientSize());
    QCOMPARE(RecordingComponent::live().size(), 2); // MainFrm's and CleanFrm's
}

void tst_CleanFrm::failingApplySkinIsReported()
{
    RecordingComponent::failNext(
        ApplySkin, tavrel::host::Status::failure(tavrel::host::StatusCode::Fail, QStringLiteral("skin refused")));
    const bool ran = tavrel::host::ErrorBoundary::run([&] { clean().show(); });
    QVERIFY(!ran);
    QCOMPARE(m_reports.size(), 1);
    QVERIFY2(m_reports.first().contains(QLatin1String("skin refused")),
             qPrintable(m_reports.first()));
    QVERIFY2(m_reports.first().contains(QLatin1String("0x6003000C")),
             qPrintable(m_reports.first()));
    m_reports.clear();
}

void tst_CleanFrm::storedIconFraming()
{
    QFile file(QFINDTESTDATA("../../forms/CleanFrm/resources/cleanfrm.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ico = file.readAll();
    QCOMPARE(ico.size(), 1078);

    const QByteArray stored = CleanFrm::storedIcon();
    const int classId = tavrel::host::PictureStream::kClassIdSize;
    QCOMPARE(stored.size(), classId + 8 + 1078);
    QCOMPARE(stored.left(classId), tavrel::host::PictureStream::standardPictureClassId());
    QCOMPARE(stored.mid(classId, 4), QByteArray("lt\0\0", 4));
    QCOMPARE(qFromLittleEndian<quint32>(stored.constData() + classId + 4), 1078u);
    QCOMPARE(stored.mid(classId + 8), ico);
}

void tst_CleanFrm::iconHoldsBothSizes()
{
    showClean();
    const QIcon icon = window()->windowIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY2(sizes.contains(QSize(32, 32)), qPrintable(QString::number(sizes.size())));
    QVERIFY(sizes.contains(QSize(16, 16)));
    QCOMPARE(sizes.size(), 2);
    // The bolt's colours, and a transparent background, in both sizes.
    for (int side : {32, 16}) {
        const QImage image =
            icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(side, side));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        int yellow = 0;
        int olive = 0;
        int black = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QRgb p = image.pixel(x, y);
                if (qAlpha(p) != 255)
                    continue;
                const QRgb c = p & 0xFFFFFF;
                yellow += c == 0xFFFF00;
                olive += c == 0x808000;
                black += c == 0x000000;
            }
        }
        QVERIFY2(yellow > 0 && olive > 0 && black > 0, qPrintable(QString::number(side)));
    }
    // The window's icon, not the application's.
    QVERIFY(icon.cacheKey() != QApplication::windowIcon().cacheKey());
}

void tst_CleanFrm::brokenStoredIconIsRejected_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("fault");
    const QByteArray good = CleanFrm::storedIcon();
    const int classId = tavrel::host::PictureStream::kClassIdSize;
    QByteArray wrongCount = good;
    wrongCount[classId + 4] = char(0x37); // 1079
    QByteArray badSignature = good;
    badSignature[classId] = 'x';
    QByteArray badIconType = good;
    badIconType[classId + 8 + 2] = 2; // a cursor file
    QTest::newRow("empty") << QByteArray() << "class id";
    QTest::newRow("no file") << tavrel::host::PictureStream::encodeStored(QByteArray()) << "icon";
    QTest::newRow("signature") << badSignature << "signature";
    QTest::newRow("count") << wrongCount << "byte count";
    QTest::newRow("truncated") << good.left(good.size() - 10) << "byte count";
    QTest::newRow("not an icon") << badIconType << "icon";
}

void tst_CleanFrm::brokenStoredIconIsRejected()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, fault);
    try {
        CleanFrm::iconFromStored(stored);
        QFAIL("no error raised");
    } catch (const tavrel::host::Error &error) {
        QCOMPARE(error.status().code(), tavrel::host::StatusCode::InvalidPicture);
        const QString message = error.status().message();
        QVERIFY2(message.startsWith(QLatin1String("CleanFrm icon: ")), qPrintable(message));
        QVERIFY2(message.contains(fault), qPrintable(message));
    }
}

QTEST_MAIN(tst_CleanFrm)
#include "tst_cleanfrm.moc"
