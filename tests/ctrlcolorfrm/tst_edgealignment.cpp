// Controls aligned to an edge of their window (the "align" setting of a
// window's description) stay on that edge of the window's contents
// rectangle, whatever resizes the window, changes its contents margins or
// moves the control.
#include <Form.h>
#include <RecordingComponent.h>
#include <Status.h>
#include <TestSupport.h>

#include <QFrame>
#include <QTest>

using testing::RecordingComponent;

namespace {

// A window with one aligned bar and one ordinary control.
class AlignedForm : public forms::Form
{
public:
    QString align = QStringLiteral("top");
    bool nested = false;

protected:
    QWidget *createWindow() override
    {
        auto *window = new QWidget;
        window->setObjectName(QStringLiteral("AlignedForm"));
        window->resize(300, 200);
        auto *bar = new QFrame(window);
        bar->setObjectName(QStringLiteral("Bar"));
        bar->setGeometry(0, 0, 300, 26);
        auto *other = new QFrame(window);
        other->setObjectName(QStringLiteral("Other"));
        other->setGeometry(50, 60, 40, 40);
        (nested ? new QFrame(other) : bar)->setProperty("align", align);
        return window;
    }
};

} // namespace

class tst_EdgeAlignment : public QObject
{
    Q_OBJECT
private slots:
    void init() { RecordingComponent::install(); }
    void cleanup()
    {
        m_form.reset();
        testing::processDeferredDeletes();
        RecordingComponent::uninstall();
    }

    void followsContentsMargins_data();
    void followsContentsMargins();
    void followsWindowSize();
    void movedAwayGoesBack();
    void noDriftOverManyCycles();
    void otherControlsAreLeftAlone();
    void badSettingIsRefused_data();
    void badSettingIsRefused();

private:
    AlignedForm &form(const QString &align = QStringLiteral("top"))
    {
        m_form = std::make_unique<AlignedForm>();
        m_form->align = align;
        return *m_form;
    }
    QWidget *bar() const { return m_form->control<QWidget>(QStringLiteral("Bar")); }

    std::unique_ptr<AlignedForm> m_form;
};

void tst_EdgeAlignment::followsContentsMargins_data()
{
    QTest::addColumn<QString>("align");
    QTest::addColumn<QMargins>("margins");
    QTest::addColumn<QRect>("expected");
    const QMargins skin(4, 30, 5, 6);
    // The bar's stored size is 300 x 26: aligned top or bottom it keeps its
    // height, left or right its width (300 here, wider than the window is
    // tall, so the sides show the rule as well).
    QTest::newRow("top, none") << "top" << QMargins() << QRect(0, 0, 300, 26);
    QTest::newRow("top, skin") << "top" << skin << QRect(4, 30, 291, 26);
    QTest::newRow("bottom, none") << "bottom" << QMargins() << QRect(0, 174, 300, 26);
    QTest::newRow("bottom, skin") << "bottom" << skin << QRect(4, 168, 291, 26);
    QTest::newRow("left, skin") << "left" << skin << QRect(4, 30, 300, 164);
    QTest::newRow("right, skin") << "right" << skin << QRect(-5, 30, 300, 164);
}

void tst_EdgeAlignment::followsContentsMargins()
{
    QFETCH(QString, align);
    QFETCH(QMargins, margins);
    QFETCH(QRect, expected);
    AlignedForm &f = form(align);
    f.load();
    f.window()->setContentsMargins(margins);
    QCOMPARE(bar()->geometry(), expected);
    // Shown or hidden alike.
    f.window()->setContentsMargins(QMargins());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window()));
    f.window()->setContentsMargins(margins);
    QCOMPARE(bar()->geometry(), expected);
}

void tst_EdgeAlignment::followsWindowSize()
{
    AlignedForm &f = form();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window()));
    f.window()->setContentsMargins(3, 20, 3, 3);
    f.window()->resize(420, 240);
    QTRY_COMPARE(bar()->geometry(), QRect(3, 20, 414, 26));
}

void tst_EdgeAlignment::movedAwayGoesBack()
{
    AlignedForm &f = form();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window()));
    f.window()->setContentsMargins(4, 30, 4, 4);
    // What a component shifting every child by the skin's offset does.
    bar()->move(bar()->pos() + QPoint(4, 30));
    QCOMPARE(bar()->geometry(), QRect(4, 30, 292, 26));
    bar()->setGeometry(10, 10, 100, 40);
    // The height is the bar's own; only its place and width are kept.
    QCOMPARE(bar()->geometry(), QRect(4, 30, 292, 40));
}

void tst_EdgeAlignment::noDriftOverManyCycles()
{
    AlignedForm &f = form();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window()));
    QWidget *w = f.window();
    for (int i = 0; i < 50; ++i) {
        // Apply: margins, the window grown, then every child shifted by the
        // skin's offset; removal undoes it in the same order.
        w->setContentsMargins(4, 30, 4, 4);
        w->resize(308, 234);
        bar()->move(bar()->pos() + QPoint(4, 30));
        QCOMPARE(bar()->geometry(), QRect(4, 30, 300, 26));
        w->setContentsMargins(QMargins());
        w->resize(300, 200);
        bar()->move(bar()->pos() - QPoint(4, 30));
        QCOMPARE(bar()->geometry(), QRect(0, 0, 300, 26));
    }
}

void tst_EdgeAlignment::otherControlsAreLeftAlone()
{
    AlignedForm &f = form();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window()));
    f.window()->setContentsMargins(4, 30, 4, 4);
    QCOMPARE(f.control<QWidget>(QStringLiteral("Other"))->geometry(), QRect(50, 60, 40, 40));
}

void tst_EdgeAlignment::badSettingIsRefused_data()
{
    QTest::addColumn<QString>("align");
    QTest::addColumn<bool>("nested");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown edge") << "middle" << false << "Bar: unknown alignment 'middle'";
    QTest::newRow("wrong case") << "Top" << false << "Bar: unknown alignment 'Top'";
    QTest::newRow("empty") << "" << false << "Bar: unknown alignment ''";
    QTest::newRow("inside another control")
        << "top" << true << "only a control lying directly on a window";
}

void tst_EdgeAlignment::badSettingIsRefused()
{
    QFETCH(QString, align);
    QFETCH(bool, nested);
    QFETCH(QString, message);
    AlignedForm &f = form(align);
    f.nested = nested;
    try {
        f.load();
        QFAIL("the window loaded");
    } catch (const tavrel::host::Error &error) {
        QVERIFY2(error.status().message().contains(message), qPrintable(error.status().message()));
    }
    QVERIFY(!f.isLoaded());
    // Nothing of the half-built window is left, the component included.
    testing::processDeferredDeletes();
    QVERIFY(RecordingComponent::live().isEmpty());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(w->objectName() != QLatin1String("AlignedForm"));
}

QTEST_MAIN(tst_EdgeAlignment)
#include "tst_edgealignment.moc"
