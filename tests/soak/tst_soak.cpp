// Repetition through the real skin component: secondary windows opened and
// closed over and over through the main window's buttons, the skin switched
// off and on, the colour scheme put again and again. Afterwards every
// control stands where it stood, to the pixel, and the application holds as
// many live objects as before. (Leaks outside the object tree are the
// sanitizer build's to find.)
#include <ComponentHost.h>
#include <FailureReporter.h>
#include <SkinContract.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTest>

using forms::Form;
using forms::FormKind;

namespace {

constexpr int OpenCloseCycles = 1000;
constexpr int SkinToggles = 10000;
constexpr int SchemePuts = 10000;

void collect(QObject *object, QSet<QObject *> *seen)
{
    if (seen->contains(object))
        return;
    seen->insert(object);
    for (QObject *child : object->children())
        collect(child, seen);
}

// Every object reachable from the top-level widgets and the application,
// counted by class (and object name, where it has one).
QMap<QString, int> liveObjects()
{
    QSet<QObject *> seen;
    collect(QCoreApplication::instance(), &seen);
    for (QWidget *w : QApplication::topLevelWidgets())
        collect(w, &seen);
    QMap<QString, int> census;
    for (QObject *o : std::as_const(seen)) {
        QString key = QString::fromLatin1(o->metaObject()->className());
        if (!o->objectName().isEmpty())
            key += QLatin1Char(':') + o->objectName();
        ++census[key];
    }
    return census;
}

int total(const QMap<QString, int> &census)
{
    int n = 0;
    for (int count : census)
        n += count;
    return n;
}

// Fails naming each kind of object whose count changed.
void compareCensus(const QMap<QString, int> &before, const QMap<QString, int> &after)
{
    QStringList changed;
    QStringList keys = before.keys() + after.keys();
    keys.removeDuplicates();
    for (const QString &key : std::as_const(keys)) {
        if (before.value(key) != after.value(key))
            changed << QStringLiteral("%1 %2 -> %3").arg(key).arg(before.value(key)).arg(after.value(key));
    }
    if (!changed.isEmpty()) {
        QFAIL(qPrintable(QStringLiteral("live objects %1 -> %2: %3")
                             .arg(total(before))
                             .arg(total(after))
                             .arg(changed.join(QLatin1String(", ")))));
    }
}

// Geometry of the window and of each named control, by object name.
QHash<QString, QRect> geometries(QWidget *window)
{
    QHash<QString, QRect> out;
    out.insert(QStringLiteral("<window>"), window->geometry());
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            out.insert(w->objectName(), w->geometry());
    }
    return out;
}

void compareGeometries(const QHash<QString, QRect> &before, const QHash<QString, QRect> &after)
{
    QCOMPARE(after.keys().size(), before.keys().size());
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        QVERIFY2(after.contains(it.key()), qPrintable(it.key()));
        if (after.value(it.key()) != it.value()) {
            const QRect a = after.value(it.key());
            QFAIL(qPrintable(QStringLiteral("%1 moved from %2,%3 %4x%5 to %6,%7 %8x%9")
                                 .arg(it.key())
                                 .arg(it->x()).arg(it->y()).arg(it->width()).arg(it->height())
                                 .arg(a.x()).arg(a.y()).arg(a.width()).arg(a.height())));
        }
    }
}

} // namespace

class tst_Soak : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openAndCloseSecondaryWindows_data();
    void openAndCloseSecondaryWindows();
    void toggleTheSkin();
    void putTheScheme();

private:
    Form &showMain();
    void settle();

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_Soak::initTestCase()
{
    testing::applyApplicationDefaults();
    testing::installStrictMessageHandler();
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    app::FailureReporter::install();
}

void tst_Soak::init()
{
    app::FailureReporter::clear();
    m_reports.clear();
    app::FailureReporter::setPresenter([this](const QString &, const QString &text) { m_reports << text; });
    m_registry = std::make_unique<app::WindowRegistry>();
}

void tst_Soak::cleanup()
{
    m_registry.reset();
    testing::processDeferredDeletes();
    app::FailureReporter::resetPresenter();
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
}

void tst_Soak::settle()
{
    testing::processDeferredDeletes();
    QCoreApplication::processEvents();
}

Form &tst_Soak::showMain()
{
    Form &main = m_registry->form(FormKind::Main);
    main.show();
    return main;
}

void tst_Soak::openAndCloseSecondaryWindows_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");
    QTest::newRow("CtrlColorFrm") << "Command3" << int(FormKind::CtrlColor);
    QTest::newRow("CleanFrm") << "Command1" << int(FormKind::Clean);
}

void tst_Soak::openAndCloseSecondaryWindows()
{
    QFETCH(QString, button);
    QFETCH(int, kind);
    Form &main = showMain();
    QVERIFY(QTest::qWaitForWindowExposed(main.window()));
    auto *command = main.control<QPushButton>(button);
    Form &secondary = m_registry->form(FormKind(kind));
    const QHash<QString, QRect> mainBefore = geometries(main.window());

    // Two cycles first: what Qt builds once per process is no leak. Qt's
    // gesture manager also keeps the pan gesture of a destroyed list box
    // until a later window's cleanup, so the count settles on the second
    // cycle (and then stays put however many follow).
    command->click();
    QVERIFY(secondary.isLoaded());
    QCoreApplication::processEvents();
    const QHash<QString, QRect> opened = geometries(secondary.window());
    secondary.window()->close();
    settle();
    command->click();
    secondary.window()->close();
    settle();
    const QMap<QString, int> objectsBefore = liveObjects();

    QElapsedTimer timer;
    timer.start();
    for (int cycle = 0; cycle < OpenCloseCycles; ++cycle) {
        command->click();
        if (!secondary.isLoaded() || !secondary.window()->isVisible())
            QFAIL(qPrintable(QStringLiteral("cycle %1: the window did not open").arg(cycle)));
        if (cycle == OpenCloseCycles - 1) {
            QCoreApplication::processEvents();
            QVERIFY(secondary.window()->windowFlags() & Qt::FramelessWindowHint);
            compareGeometries(opened, geometries(secondary.window()));
        }
        secondary.window()->close();
        if (secondary.isLoaded())
            QFAIL(qPrintable(QStringLiteral("cycle %1: the window did not unload").arg(cycle)));
        settle();
    }
    qInfo("%d open-and-close cycles in %lld ms", OpenCloseCycles, timer.elapsed());
    compareCensus(objectsBefore, liveObjects());
    compareGeometries(mainBefore, geometries(main.window()));
}

void tst_Soak::toggleTheSkin()
{
    Form &main = showMain();
    QVERIFY(QTest::qWaitForWindowExposed(main.window()));
    auto *box = main.control<QCheckBox>(QStringLiteral("Check2"));
    const QHash<QString, QRect> before = geometries(main.window());
    box->click();
    settle();
    const QSize unskinned = main.window()->size();
    QVERIFY(unskinned != before.value(QStringLiteral("<window>")).size());
    box->click();
    settle();
    QCOMPARE(box->checkState(), Qt::Checked);
    compareGeometries(before, geometries(main.window()));
    const QMap<QString, int> objectsBefore = liveObjects();

    QElapsedTimer timer;
    timer.start();
    for (int toggle = 0; toggle < SkinToggles; ++toggle) {
        box->click();
        if (toggle % 16 == 0)
            settle();
        if (toggle == SkinToggles - 2)
            QCOMPARE(main.window()->size(), unskinned);
    }
    settle();
    qInfo("%d skin toggles in %lld ms", SkinToggles, timer.elapsed());
    QCOMPARE(box->checkState(), SkinToggles % 2 == 0 ? Qt::Checked : Qt::Unchecked);
    compareCensus(objectsBefore, liveObjects());
    compareGeometries(before, geometries(main.window()));
}

void tst_Soak::putTheScheme()
{
    Form &main = showMain();
    QVERIFY(QTest::qWaitForWindowExposed(main.window()));
    auto *list = main.control<QListWidget>(QStringLiteral("List1"));
    QCOMPARE(list->count(), 3);
    const QHash<QString, QRect> before = geometries(main.window());
    for (int row = 0; row < 3; ++row)
        list->setCurrentRow(row);
    settle();
    const QMap<QString, int> objectsBefore = liveObjects();

    QElapsedTimer timer;
    timer.start();
    for (int put = 0; put < SchemePuts; ++put) {
        list->setCurrentRow(put % 3);
        // Let the window repaint now and then, in the scheme just put.
        if (put % 16 == 0)
            settle();
    }
    settle();
    qInfo("%d scheme puts in %lld ms", SchemePuts, timer.elapsed());
    QCOMPARE(list->currentRow(), (SchemePuts - 1) % 3);
    QList<tavrel::host::Variant> noArguments;
    tavrel::host::Variant scheme;
    QVERIFY(main.skin().site()->invoke(skin::Member::ColorScheme, tavrel::host::InvokeKind::PropertyGet,
                                       noArguments, &scheme));
    QCOMPARE(scheme.toI4(), (SchemePuts - 1) % 3 + 1);
    compareCensus(objectsBefore, liveObjects());
    compareGeometries(before, geometries(main.window()));
}

QTEST_MAIN(tst_Soak)
#include "tst_soak.moc"
