// The control colour demo window under the real skin component: every
// control clear of the caption and borders, the top bar across the inside of
// the skin, the layout kept over many removals and re-applications, and the
// window's own box colours left alone by the component.
#include <ComponentHost.h>
#include <Controls.h>
#include <FailureReporter.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using forms::Form;
using forms::FormKind;

static constexpr qint32 Green = 65280;
static constexpr qint32 Red = 255;

// The stored layout, without skin.
static const QList<QPair<QString, QRect>> &storedLayout()
{
    static const QList<QPair<QString, QRect>> layout{
        {"Frame1", {180, 45, 91, 46}},   {"Picture1", {180, 100, 91, 56}},
        {"Check1", {185, 170, 71, 13}},  {"Option1", {185, 195, 66, 13}},
        {"Label1", {20, 65, 126, 61}},   {"Label2", {15, 135, 141, 86}},
        {"Label3", {310, 45, 146, 31}},  {"Text1", {310, 90, 161, 19}},
        {"List1", {310, 120, 61, 82}},   {"Check2", {40, 40, 111, 13}},
        {"Label4", {380, 125, 101, 66}}, {"Picture2", {0, 0, 495, 26}},
        {"Line1", {290, 40, 1, 161}},
    };
    return layout;
}

class tst_CtrlColorFrmSkinned : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsLieClearOfTheSkin();
    void removedSkinRestoresTheStoredLayout();
    void noDriftOverManyRemovalsAndApplications();
    void boxColoursFollowActivation();
    void skinBoxLeavesTheBoxColours_data();
    void skinBoxLeavesTheBoxColours();
    void schemeInMainWindowLeavesThisWindowAlone();
    void reopenedWindowIsSkinnedAgain();

private:
    Form &main() { return m_registry->form(FormKind::Main); }
    Form &demo() { return m_registry->form(FormKind::CtrlColor); }
    QWidget *ctl(const QString &name) { return demo().control<QWidget>(name); }
    QList<QWidget *> skinParts();
    void openDemo();
    void clickCheck2();
    void activate(Form &form);
    // Every control inside the skin, in its stored place relative to the
    // area inside it, the top bar across that area.
    void verifySkinnedLayout();
    void verifyStoredLayout();

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_CtrlColorFrmSkinned::initTestCase()
{
    testing::applyApplicationDefaults();
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
}

void tst_CtrlColorFrmSkinned::init()
{
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
    const bool ran = tavrel::host::ErrorBoundary::run([this] { main().show(); });
    QVERIFY2(ran, qPrintable(m_reports.join(QLatin1Char('\n'))));
    QVERIFY(QTest::qWaitForWindowActive(main().window()));
    openDemo();
}

void tst_CtrlColorFrmSkinned::cleanup()
{
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
}

void tst_CtrlColorFrmSkinned::openDemo()
{
    QTest::mouseClick(main().control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    QVERIFY(demo().isLoaded());
    QVERIFY(QTest::qWaitForWindowActive(demo().window()));
}

void tst_CtrlColorFrmSkinned::clickCheck2()
{
    auto *box = demo().control<QCheckBox>(QStringLiteral("Check2"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void tst_CtrlColorFrmSkinned::activate(Form &form)
{
    form.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
}

QList<QWidget *> tst_CtrlColorFrmSkinned::skinParts()
{
    QList<QWidget *> parts;
    for (QWidget *w : demo().window()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w->objectName().startsWith(QLatin1String("tavrelskin_")) && w->isVisible())
            parts << w;
    }
    return parts;
}

void tst_CtrlColorFrmSkinned::verifySkinnedLayout()
{
    QWidget *w = demo().window();
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    // The skin switches the frame, never the kind of window.
    QCOMPARE(w->windowType(), Qt::Window);
    QVERIFY(w->windowHandle() && w->windowHandle()->type() == Qt::Window);
    const QRect inside = w->contentsRect();
    const QMargins skin = w->contentsMargins();
    // The caption is on top, taller than the side borders.
    QVERIFY(skin.top() > skin.left() && skin.left() > 0 && skin.right() > 0 && skin.bottom() > 0);
    // The client area keeps its size; the window grew around it.
    QCOMPARE(inside.size(), QSize(495, 225));
    QCOMPARE(w->size(), QSize(495 + skin.left() + skin.right(), 225 + skin.top() + skin.bottom()));
    const QList<QWidget *> parts = skinParts();
    QVERIFY(parts.size() >= 4);

    for (const auto &[name, stored] : storedLayout()) {
        const QRect r = ctl(name)->geometry();
        QVERIFY2(inside.contains(r), qPrintable(name));
        for (QWidget *part : parts)
            QVERIFY2(!part->geometry().intersects(r),
                     qPrintable(name + QLatin1String(" under ") + part->objectName()));
        if (name == QLatin1String("Picture2"))
            QCOMPARE(r, QRect(inside.topLeft(), QSize(inside.width(), 26)));
        else
            QCOMPARE(r, stored.translated(inside.topLeft()));
    }
    // No two controls overlap.
    for (qsizetype i = 0; i < storedLayout().size(); ++i) {
        for (qsizetype j = i + 1; j < storedLayout().size(); ++j) {
            const QString &a = storedLayout()[i].first;
            const QString &b = storedLayout()[j].first;
            QVERIFY2(!ctl(a)->geometry().intersects(ctl(b)->geometry()),
                     qPrintable(a + QLatin1String(" overlaps ") + b));
        }
    }
    QCOMPARE(ctl(QStringLiteral("Label5"))->pos(), QPoint(165, 5));
}

void tst_CtrlColorFrmSkinned::verifyStoredLayout()
{
    QWidget *w = demo().window();
    QVERIFY(!w->windowFlags().testFlag(Qt::FramelessWindowHint));
    // The skin switches the frame, never the kind of window.
    QCOMPARE(w->windowType(), Qt::Window);
    QVERIFY(w->windowHandle() && w->windowHandle()->type() == Qt::Window);
    QCOMPARE(w->contentsMargins(), QMargins());
    QCOMPARE(w->size(), QSize(495, 225));
    QVERIFY(skinParts().isEmpty());
    for (const auto &[name, stored] : storedLayout())
        QCOMPARE(ctl(name)->geometry(), stored);
}

void tst_CtrlColorFrmSkinned::controlsLieClearOfTheSkin()
{
    verifySkinnedLayout();
}

void tst_CtrlColorFrmSkinned::removedSkinRestoresTheStoredLayout()
{
    clickCheck2();
    verifyStoredLayout();
    clickCheck2();
    verifySkinnedLayout();
}

void tst_CtrlColorFrmSkinned::noDriftOverManyRemovalsAndApplications()
{
    for (int i = 0; i < 25; ++i) {
        clickCheck2();
        QCOMPARE(demo().window()->contentsMargins(), QMargins());
        QCOMPARE(ctl(QStringLiteral("Picture2"))->geometry(), QRect(0, 0, 495, 26));
        clickCheck2();
        QCOMPARE(ctl(QStringLiteral("Picture2"))->geometry(),
                 QRect(demo().window()->contentsRect().topLeft(), QSize(495, 26)));
    }
    verifySkinnedLayout();
    clickCheck2();
    verifyStoredLayout();
}

void tst_CtrlColorFrmSkinned::boxColoursFollowActivation()
{
    QWidget *text = ctl(QStringLiteral("Text1"));
    QWidget *list = ctl(QStringLiteral("List1"));
    QTRY_COMPARE(forms::Controls::backColor(text), Green);
    QCOMPARE(forms::Controls::backColor(list), Green);
    activate(main());
    QTRY_COMPARE(forms::Controls::backColor(text), Red);
    QCOMPARE(forms::Controls::backColor(list), Red);
    activate(demo());
    QTRY_COMPARE(forms::Controls::backColor(list), Green);
    QCOMPARE(forms::Controls::backColor(text), Green);
}

void tst_CtrlColorFrmSkinned::skinBoxLeavesTheBoxColours_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<qint32>("color");
    QTest::newRow("focused") << true << Green;
    QTest::newRow("unfocused") << false << Red;
}

void tst_CtrlColorFrmSkinned::skinBoxLeavesTheBoxColours()
{
    QFETCH(bool, active);
    QFETCH(qint32, color);
    if (!active)
        activate(main());
    QWidget *text = ctl(QStringLiteral("Text1"));
    QWidget *list = ctl(QStringLiteral("List1"));
    QTRY_COMPARE(forms::Controls::backColor(list), color);
    const qint64 skinnedPalette = demo().window()->palette().cacheKey();
    auto *box = demo().control<QCheckBox>(QStringLiteral("Check2"));
    // A click that does not move the activation: the component recolours
    // the window, not the boxes.
    box->click();
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QVERIFY(demo().window()->palette().cacheKey() != skinnedPalette);
    QCOMPARE(forms::Controls::backColor(text), color);
    QCOMPARE(forms::Controls::backColor(list), color);
    box->click();
    QCOMPARE(box->checkState(), Qt::Checked);
    QCOMPARE(forms::Controls::backColor(text), color);
    QCOMPARE(forms::Controls::backColor(list), color);
    QCOMPARE(text->palette().color(QPalette::Active, QPalette::Base),
             forms::Controls::colorFromValue(color));
    QCOMPARE(list->palette().color(QPalette::Inactive, QPalette::Base),
             forms::Controls::colorFromValue(color));
}

void tst_CtrlColorFrmSkinned::schemeInMainWindowLeavesThisWindowAlone()
{
    activate(main());
    QTRY_COMPARE(forms::Controls::backColor(ctl(QStringLiteral("List1"))), Red);
    auto *list = main().control<QListWidget>(QStringLiteral("List1"));
    for (int row : {2, 1, 0}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
        QCOMPARE(forms::Controls::backColor(ctl(QStringLiteral("Text1"))), Red);
        QCOMPARE(forms::Controls::backColor(ctl(QStringLiteral("List1"))), Red);
        QCOMPARE(demo().control<QCheckBox>(QStringLiteral("Check2"))->checkState(), Qt::Checked);
    }
    verifySkinnedLayout();
}

void tst_CtrlColorFrmSkinned::reopenedWindowIsSkinnedAgain()
{
    clickCheck2();
    verifyStoredLayout();
    QPointer<QWidget> closed = demo().window();
    QVERIFY(closed->close());
    testing::processDeferredDeletes();
    QVERIFY(closed.isNull());
    openDemo();
    QCOMPARE(demo().control<QCheckBox>(QStringLiteral("Check2"))->checkState(), Qt::Checked);
    verifySkinnedLayout();
}

QTEST_MAIN(tst_CtrlColorFrmSkinned)
#include "tst_ctrlcolorfrm_skinned.moc"
