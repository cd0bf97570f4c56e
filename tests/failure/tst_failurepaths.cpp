// Failing component calls as the application meets them: a component that
// fails ApplySkin while a secondary window loads, and the real component
// asked for a member id it does not have or given a wrong variant type.
// Each one reaches the reporter with a message naming the member and the
// fault, and ends the running event loop with the failure exit code.
#include <ComponentHost.h>
#include <ComponentSite.h>
#include <ErrorBoundary.h>
#include <FailureReporter.h>
#include <Form.h>
#include <RecordingComponent.h>
#include <SkinContract.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using forms::Form;
using forms::FormKind;
using tavrel::host::Status;
using tavrel::host::StatusCode;
using tavrel::host::Variant;
using testing::RecordingComponent;

Q_DECLARE_METATYPE(tavrel::host::Variant)

class tst_FailurePaths : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testing::applyApplicationDefaults(); }
    void init();
    void cleanup();

    void applySkinFailsWhileSecondaryWindowLoads_data();
    void applySkinFailsWhileSecondaryWindowLoads();
    void realComponentRefusalsAreReported_data();
    void realComponentRefusalsAreReported();
    void closingWithASchemeChosenRunsNoHandler_data();
    void closingWithASchemeChosenRunsNoHandler();

private:
    // Runs `step` from inside the event loop, as a handler runs, and returns
    // the loop's exit code (99 if nothing ended it).
    int runInEventLoop(const std::function<void()> &step);

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_FailurePaths::init()
{
    app::FailureReporter::install();
    app::FailureReporter::clear();
    m_reports.clear();
    app::FailureReporter::setPresenter([this](const QString &, const QString &text) { m_reports << text; });
}

void tst_FailurePaths::cleanup()
{
    m_registry.reset();
    testing::processDeferredDeletes();
    app::FailureReporter::resetPresenter();
    app::FailureReporter::clear();
    RecordingComponent::uninstall();
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

int tst_FailurePaths::runInEventLoop(const std::function<void()> &step)
{
    // The application's own loop, as main() runs it: the reporter ends it
    // and its exit code is the process's.
    QObject context;
    QTimer::singleShot(0, &context, step);
    QTimer::singleShot(10000, &context, [] { QCoreApplication::exit(99); });
    return QCoreApplication::exec();
}

void tst_FailurePaths::applySkinFailsWhileSecondaryWindowLoads_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("windowName");
    QTest::newRow("CtrlColorFrm") << "Command3" << int(FormKind::CtrlColor) << "CtrlColorFrm";
    QTest::newRow("CleanFrm") << "Command1" << int(FormKind::Clean) << "CleanFrm";
}

void tst_FailurePaths::applySkinFailsWhileSecondaryWindowLoads()
{
    QFETCH(QString, button);
    QFETCH(int, kind);
    QFETCH(QString, windowName);
    RecordingComponent::install();
    m_registry = std::make_unique<app::WindowRegistry>();
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    QVERIFY(m_reports.isEmpty());
    RecordingComponent::failNext(RecordingComponent::ApplySkin,
                                 Status::failure(StatusCode::Fail, QStringLiteral("the skin will not go on")));
    auto *command = main.control<QPushButton>(button);
    const int code = runInEventLoop([&] { QTest::mouseClick(command, Qt::LeftButton); });

    QCOMPARE(code, app::FailureReporter::ExitCode);
    QVERIFY(app::FailureReporter::hasFailed());
    QCOMPARE(m_reports.size(), 1);
    const QString report = m_reports.first();
    QVERIFY2(report.startsWith(QLatin1String("Run-time error 0x80004005")), qPrintable(report));
    QVERIFY2(report.contains(QLatin1String("0x6003000C")), qPrintable(report));
    QVERIFY2(report.contains(QLatin1String("TavrelSkin1")), qPrintable(report));
    QVERIFY2(report.contains(QLatin1String("the skin will not go on")), qPrintable(report));
    // It failed inside the secondary window's load: that window never showed.
    QVERIFY(m_registry->hasInstance(FormKind(kind)));
    QWidget *secondary = m_registry->form(FormKind(kind)).window();
    QVERIFY(!secondary || !secondary->isVisible());
    QCOMPARE(RecordingComponent::callsOn(windowName).size(), 0);
}

void tst_FailurePaths::realComponentRefusalsAreReported_data()
{
    QTest::addColumn<quint32>("member");
    QTest::addColumn<int>("kind");
    QTest::addColumn<Variant>("argument");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("named");

    const auto method = int(tavrel::host::InvokeKind::Method);
    const auto put = int(tavrel::host::InvokeKind::PropertyPut);
    QTest::newRow("unknown member id")
        << quint32(0x60030099) << method << Variant() << QStringLiteral("0x80020003")
        << QStringList{QStringLiteral("no member with id 0x60030099")};
    QTest::newRow("ColorScheme put as a string")
        << quint32(skin::Member::ColorScheme) << put << Variant::fromString(QStringLiteral("2"))
        << QStringLiteral("0x80020005")
        << QStringList{QStringLiteral("0x68030004"), QStringLiteral("got VT_BSTR, expected VT_I4")};
    QTest::newRow("ColorScheme put as a 16-bit integer")
        << quint32(skin::Member::ColorScheme) << put << Variant::fromI2(2) << QStringLiteral("0x80020005")
        << QStringList{QStringLiteral("0x68030004"), QStringLiteral("got VT_I2")};
    QTest::newRow("ColorScheme out of range")
        << quint32(skin::Member::ColorScheme) << put << Variant::fromI4(4) << QStringLiteral("0x800A017C")
        << QStringList{QStringLiteral("ColorScheme 4 is out of range")};
    QTest::newRow("ApplySkin put as a property")
        << quint32(skin::Member::ApplySkin) << put << Variant::fromI4(1) << QStringLiteral("0x80020003")
        << QStringList{QStringLiteral("ApplySkin (0x6003000C) is a method")};
}

void tst_FailurePaths::realComponentRefusalsAreReported()
{
    QFETCH(quint32, member);
    QFETCH(int, kind);
    QFETCH(Variant, argument);
    QFETCH(QString, code);
    QFETCH(QStringList, named);
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    m_registry = std::make_unique<app::WindowRegistry>();
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    tavrel::host::ComponentSite *site = main.skin().site();
    QVERIFY(site);
    QCOMPARE(site->className(), skin::className());

    const int exitCode = runInEventLoop([&] {
        tavrel::host::ErrorBoundary::run([&] {
            if (kind == int(tavrel::host::InvokeKind::Method))
                site->callMethod(member);
            else
                site->putProperty(member, argument);
        });
    });
    QCOMPARE(exitCode, app::FailureReporter::ExitCode);
    QCOMPARE(m_reports.size(), 1);
    const QString report = m_reports.first();
    QVERIFY2(report.startsWith(QStringLiteral("Run-time error ") + code), qPrintable(report));
    QVERIFY2(report.contains(QLatin1String("of TavrelSkin1 (TavrelCtl.TavrelSkin)")), qPrintable(report));
    for (const QString &part : named)
        QVERIFY2(report.contains(part), qPrintable(report));
    // The refused call changed nothing: the skin is still on and works.
    QVERIFY(main.window()->windowFlags() & Qt::FramelessWindowHint);
    main.skin().setColorScheme(skin::DarkBlue);
    main.unload();
}

void tst_FailurePaths::closingWithASchemeChosenRunsNoHandler_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::newRow("Exit") << true;
    QTest::newRow("application ends with the window open") << false;
}

// A list box being destroyed with an entry selected still signals its
// selection change; no window handler may take it for a click then.
void tst_FailurePaths::closingWithASchemeChosenRunsNoHandler()
{
    QFETCH(bool, byExit);
    RecordingComponent::install();
    m_registry = std::make_unique<app::WindowRegistry>();
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    auto *list = main.control<QListWidget>(QStringLiteral("List1"));
    list->setCurrentRow(1);
    QCOMPARE(RecordingComponent::count(QStringLiteral("MainFrm"), RecordingComponent::ColorScheme), 1);
    if (byExit)
        QTest::mouseClick(main.control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
    else
        m_registry.reset();
    testing::processDeferredDeletes();
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    QVERIFY(!app::FailureReporter::hasFailed());
    QCOMPARE(RecordingComponent::count(QStringLiteral("MainFrm"), RecordingComponent::ColorScheme), 1);
}

QTEST_MAIN(tst_FailurePaths)
#include "tst_failurepaths.moc"
