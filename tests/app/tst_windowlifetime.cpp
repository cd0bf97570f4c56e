// One instance per window class, load and unload, the end of the process,
// and unhandled failures, with the recording stand-in component.
#include <FailureReporter.h>
#include <Form.h>
#include <RecordingComponent.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using forms::Form;
using forms::FormKind;
using testing::RecordingComponent;

static constexpr tavrel::host::DispId ApplySkin = RecordingComponent::ApplySkin;
static constexpr tavrel::host::DispId RemoveSkin = RecordingComponent::RemoveSkin;

class tst_WindowLifetime : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testing::applyApplicationDefaults(); }
    void init();
    void cleanup();

    void startupShowsTheMainWindowLoadedAndSkinned();
    void instancesAreCreatedOnFirstUse();
    void showPressedTwiceLeavesOneWindow_data();
    void showPressedTwiceLeavesOneWindow();
    void reopenedWindowStartsAfresh();
    void unloadDestroysWindowControlsAndComponent();
    void exitLeavesOtherWindowsOpen_data();
    void exitLeavesOtherWindowsOpen();
    void secondaryWindowsHaveNoOwner();
    void everyWindowGetsTheSameStoredProperties();
    void failingLoadIsReportedAndShowsNothing();
    void failingCallInHandlerIsReported();

private:
    void clickCommand(Form &form, const char *name);

    std::unique_ptr<app::WindowRegistry> m_registry;
    QList<QString> m_reports;
};

void tst_WindowLifetime::init()
{
    RecordingComponent::install();
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
}

void tst_WindowLifetime::cleanup()
{
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
    RecordingComponent::uninstall();
    QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
            std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
                         [](QWidget *w) { return w->isVisible(); }));
}

void tst_WindowLifetime::clickCommand(Form &form, const char *name)
{
    auto *button = form.control<QPushButton>(QString::fromLatin1(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

void tst_WindowLifetime::startupShowsTheMainWindowLoadedAndSkinned()
{
    Form &main = m_registry->form(FormKind::Main);
    QSignalSpy loaded(&main, &Form::loaded);
    main.show();
    QVERIFY(main.isLoaded());
    QVERIFY(main.window()->isVisible());
    QCOMPARE(loaded.count(), 1);
    // The skin went on inside the load, before the window was shown.
    QCOMPARE(RecordingComponent::count(QStringLiteral("MainFrm"), ApplySkin), 1);
    QCOMPARE(m_registry->loadedCount(), 1);
}

void tst_WindowLifetime::instancesAreCreatedOnFirstUse()
{
    m_registry->form(FormKind::Main).show();
    QVERIFY(!m_registry->hasInstance(FormKind::CtrlColor));
    QVERIFY(!m_registry->hasInstance(FormKind::Clean));
    clickCommand(m_registry->form(FormKind::Main), "Command3");
    QVERIFY(m_registry->hasInstance(FormKind::CtrlColor));
    QVERIFY(!m_registry->hasInstance(FormKind::Clean));
    Form *first = &m_registry->form(FormKind::CtrlColor);
    first->unload();
    // The instance outlives its window.
    QCOMPARE(&m_registry->form(FormKind::CtrlColor), first);
}

void tst_WindowLifetime::showPressedTwiceLeavesOneWindow_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<bool>("minimisedBetween");
    QTest::newRow("Show Control Form") << "Command3" << int(FormKind::CtrlColor) << "CtrlColorFrm" << false;
    QTest::newRow("Show VB Menus") << "Command1" << int(FormKind::Clean) << "CleanFrm" << false;
    QTest::newRow("Show VB Menus, minimised between")
        << "Command1" << int(FormKind::Clean) << "CleanFrm" << true;
}

void tst_WindowLifetime::showPressedTwiceLeavesOneWindow()
{
    QFETCH(QString, button);
    QFETCH(int, kind);
    QFETCH(QString, windowName);
    QFETCH(bool, minimisedBetween);
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    clickCommand(main, qPrintable(button));
    QWidget *window = m_registry->form(FormKind(kind)).window();
    QVERIFY(window && window->isVisible());
    if (minimisedBetween) {
        window->showMinimized();
        QTRY_VERIFY(window->isMinimized());
        main.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.window()));
    }
    clickCommand(main, qPrintable(button));
    // Shown again: restored and in front.
    QTRY_VERIFY(!window->isMinimized());
    QTRY_COMPARE(QApplication::activeWindow(), window);
    QCOMPARE(m_registry->form(FormKind(kind)).window(), window);
    int visible = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        visible += w->isVisible() && w->objectName() == windowName ? 1 : 0;
    QCOMPARE(visible, 1);
    QCOMPARE(RecordingComponent::count(windowName, ApplySkin), 1);
}

void tst_WindowLifetime::reopenedWindowStartsAfresh()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    clickCommand(main, "Command3");
    Form &demo = m_registry->form(FormKind::CtrlColor);
    QPointer<QWidget> firstWindow = demo.window();
    firstWindow->close();
    QVERIFY(!demo.isLoaded());
    testing::processDeferredDeletes();
    QVERIFY(firstWindow.isNull());
    clickCommand(main, "Command3");
    QVERIFY(demo.isLoaded());
    QVERIFY(demo.window()->isVisible());
    QCOMPARE(RecordingComponent::count(QStringLiteral("CtrlColorFrm"), ApplySkin), 2);
}

void tst_WindowLifetime::unloadDestroysWindowControlsAndComponent()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    QPointer<QWidget> window = main.window();
    QPointer<QListWidget> list = main.control<QListWidget>(QStringLiteral("List1"));
    QCOMPARE(RecordingComponent::live().size(), 1);
    main.unload();
    QVERIFY(!main.isLoaded());
    QVERIFY(!window->isVisible());
    testing::processDeferredDeletes();
    QVERIFY(window.isNull());
    QVERIFY(list.isNull());
    QCOMPARE(RecordingComponent::live().size(), 0);
}

void tst_WindowLifetime::exitLeavesOtherWindowsOpen_data()
{
    QTest::addColumn<QString>("other");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("Exit, CleanFrm open") << "Command1" << int(FormKind::Clean) << false;
    QTest::newRow("Exit, CtrlColorFrm open") << "Command3" << int(FormKind::CtrlColor) << false;
    QTest::newRow("close box, CleanFrm open") << "Command1" << int(FormKind::Clean) << true;
}

void tst_WindowLifetime::exitLeavesOtherWindowsOpen()
{
    QFETCH(QString, other);
    QFETCH(int, kind);
    QFETCH(bool, byCloseBox);
    QSignalSpy last(m_registry.get(), &app::WindowRegistry::lastWindowUnloaded);
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    clickCommand(main, qPrintable(other));
    Form &secondary = m_registry->form(FormKind(kind));
    if (byCloseBox)
        main.window()->close();
    else
        clickCommand(main, "Command2");
    testing::processDeferredDeletes();
    QVERIFY(!main.isLoaded());
    QVERIFY(secondary.isLoaded());
    QVERIFY(secondary.window()->isVisible());
    QCOMPARE(last.count(), 0);
    secondary.window()->close();
    QCOMPARE(last.count(), 1);
}

void tst_WindowLifetime::secondaryWindowsHaveNoOwner()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    clickCommand(main, "Command3");
    clickCommand(main, "Command1");
    for (FormKind kind : {FormKind::CtrlColor, FormKind::Clean}) {
        QWidget *w = m_registry->form(kind).window();
        QVERIFY(w->isWindow());
        QVERIFY(!w->parentWidget());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowModality(), Qt::NonModal);
    }
}

void tst_WindowLifetime::everyWindowGetsTheSameStoredProperties()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    clickCommand(main, "Command3");
    clickCommand(main, "Command1");
    const QStringList windows{"MainFrm", "CtrlColorFrm", "CleanFrm"};
    QList<QByteArray> pictures;
    for (const QString &name : windows) {
        RecordingComponent *c = RecordingComponent::on(name);
        QVERIFY2(c, qPrintable(name));
        QCOMPARE(c->properties().names(), (QStringList{"_extentx", "_extenty", "skinpicture"}));
        QCOMPARE(c->properties().value(QStringLiteral("_extentx")), tavrel::host::Variant::fromI4(1111));
        QCOMPARE(c->properties().value(QStringLiteral("_extenty")), tavrel::host::Variant::fromI4(953));
        pictures << c->properties().value(QStringLiteral("skinpicture")).toBlob();
    }
    QCOMPARE(pictures.at(1), pictures.at(0));
    QCOMPARE(pictures.at(2), pictures.at(0));

    // The picture class id, then the stream: "lt", two zero bytes, the byte
    // count 25054 little-endian and the bitmap file itself.
    const QByteArray stored = pictures.at(0);
    const QByteArray classId = QByteArray::fromHex("0452E30B918FCE119DE300AA004BB851");
    QCOMPARE(stored.size(), 16 + 8 + 25054);
    QCOMPARE(stored.left(16), classId);
    QCOMPARE(stored.mid(16, 4), QByteArray("lt\0\0", 4));
    QCOMPARE(stored.mid(20, 4), QByteArray::fromHex("DE610000"));
    QCOMPARE(stored.mid(24, 2), QByteArray("BM"));
}

void tst_WindowLifetime::failingLoadIsReportedAndShowsNothing()
{
    RecordingComponent::failLoads(tavrel::host::Status::failure(tavrel::host::StatusCode::InvalidPicture,
                                                        QStringLiteral("the picture is broken")));
    const bool ran = tavrel::host::ErrorBoundary::run([&] { m_registry->form(FormKind::Main).show(); });
    QVERIFY(!ran);
    QVERIFY(app::FailureReporter::hasFailed());
    QCOMPARE(m_reports.size(), 1);
    QVERIFY2(m_reports.first().contains(QLatin1String("the picture is broken")), qPrintable(m_reports.first()));
    QVERIFY2(m_reports.first().contains(QLatin1String("0x800A01E1")), qPrintable(m_reports.first()));
    QVERIFY(!m_registry->form(FormKind::Main).isLoaded());
    testing::processDeferredDeletes();
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    QCOMPARE(RecordingComponent::live().size(), 0);
}

void tst_WindowLifetime::failingCallInHandlerIsReported()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    RecordingComponent::failNext(RemoveSkin, tavrel::host::Status::failure(tavrel::host::StatusCode::Fail,
                                                                   QStringLiteral("cannot remove")));
    auto *box = main.control<QCheckBox>(QStringLiteral("Check2"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QCOMPARE(m_reports.size(), 1);
    QVERIFY(m_reports.first().contains(QLatin1String("cannot remove")));
    QVERIFY(m_reports.first().contains(QLatin1String("0x6003000E")));
    QVERIFY(app::FailureReporter::hasFailed());
}

QTEST_MAIN(tst_WindowLifetime)
#include "tst_windowlifetime.moc"
