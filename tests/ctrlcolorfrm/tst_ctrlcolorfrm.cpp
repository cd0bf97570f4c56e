// The control colour demo window, opened from the main window: its stored
// layout, its three handlers and its lifetime, with the recording stand-in
// component.
#include <Controls.h>
#include <FailureReporter.h>
#include <Form.h>
#include <RecordingComponent.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

using forms::Form;
using forms::FormKind;
using testing::RecordedCall;
using testing::RecordingComponent;

static const QString Demo = QStringLiteral("CtrlColorFrm");
static const QString Main = QStringLiteral("MainFrm");
static constexpr qint32 Green = 65280;
static constexpr qint32 Red = 255;

static const QString Label1Text = QStringLiteral("Most controls will automatically change color to "
                                                 "corrospond to the color settings of the Skin.");
static const QString Label2Text = QStringLiteral(
    "In the event that a controls color do not automatically change, the Skin Control has a "
    "'Focus Change' event that fires when the Form Looses and Gains Focus");
static const QString Label4Text = QStringLiteral(
    "NOTE: All Controls on the form are automatically repositioned to allow for the Skin Borders");

// Logs the controls whose palette changes, in order.
class PaletteChangeLog : public QObject
{
public:
    void watch(QWidget *w) { w->installEventFilter(this); }
    QStringList names;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange)
            names << watched->objectName();
        return false;
    }
};

class tst_CtrlColorFrm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testing::applyApplicationDefaults(); }
    void init();
    void cleanup();

    void windowSettings();
    void placedOnTheScreenCentre();
    void controlLayout_data();
    void controlLayout();
    void wrappedLabelsFitTheirBox_data();
    void wrappedLabelsFitTheirBox();
    void noTwoControlsOverlap();
    void lineIsTheVerticalDivider();
    void tabOrder();
    void openingState();
    void skinBoxRemovesAndApplies();
    void anyNonZeroValueApplies_data();
    void anyNonZeroValueApplies();
    void focusChangeColoursBothBoxes_data();
    void focusChangeColoursBothBoxes();
    void focusChangeFollowsEachEvent();
    void skinBoxLeavesBoxColours();
    void schemeInMainWindowReachesOnlyItsComponent();
    void skinBoxHereCallsOnlyThisComponent();
    void showPressedTwiceLeavesOneWindow();
    void reopenedWindowStartsAfresh();
    void focusChangeWhileUnloadingIsDropped();
    void failingSkinCallIsReported();

private:
    Form &main() { return m_registry->form(FormKind::Main); }
    Form &demo() { return m_registry->form(FormKind::CtrlColor); }
    template <typename T> T *ctl(const char *name)
    {
        return demo().control<T>(QString::fromLatin1(name));
    }
    void pressShowControlForm();
    void clickCheck2();

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_CtrlColorFrm::init()
{
    RecordingComponent::install();
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
    main().show();
    QVERIFY(QTest::qWaitForWindowExposed(main().window()));
    pressShowControlForm();
    QVERIFY(demo().isLoaded());
    QVERIFY(QTest::qWaitForWindowExposed(demo().window()));
}

void tst_CtrlColorFrm::cleanup()
{
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
    RecordingComponent::uninstall();
}

void tst_CtrlColorFrm::pressShowControlForm()
{
    QTest::mouseClick(main().control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
}

void tst_CtrlColorFrm::clickCheck2()
{
    auto *box = ctl<QCheckBox>("Check2");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void tst_CtrlColorFrm::windowSettings()
{
    QWidget *w = demo().window();
    QCOMPARE(w->objectName(), Demo);
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel Control - Control Color Demo"));
    const Qt::WindowFlags f = w->windowFlags();
    QVERIFY(f & Qt::WindowCloseButtonHint);
    QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
    // An ordinary top-level window, not a dialog (a dialog without an owner
    // is a transient of the whole program under X11), kept out of the
    // taskbar by its stored setting.
    QCOMPARE(w->windowType(), Qt::Window);
    QCOMPARE(w->property("showInTaskbar"), QVariant(false));
    QCOMPARE(w->size(), QSize(495, 225));
    QCOMPARE(w->minimumSize(), QSize(495, 225));
    QCOMPARE(w->maximumSize(), QSize(495, 225));
    QCOMPARE(w->parentWidget(), nullptr);
    QVERIFY(w->windowIcon().isNull() ||
            w->windowIcon().cacheKey() == QApplication::windowIcon().cacheKey());
}

void tst_CtrlColorFrm::placedOnTheScreenCentre()
{
    QWidget *w = demo().window();
    const QRect area = w->screen()->availableGeometry();
    const QPoint offset = w->frameGeometry().center() - area.center();
    // Placed before the window system adds its frame: a frame's width off
    // at most.
    const QMargins frame(w->geometry().left() - w->frameGeometry().left(),
                         w->geometry().top() - w->frameGeometry().top(), 0, 0);
    QVERIFY2(qAbs(offset.x()) <= qMax(frame.left(), 1) && qAbs(offset.y()) <= qMax(frame.top(), 1),
             qPrintable(QStringLiteral("off centre by %1,%2").arg(offset.x()).arg(offset.y())));
}

void tst_CtrlColorFrm::controlLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<int>("alignment"); // labels only; 0 elsewhere
    QTest::addColumn<bool>("wordWrap");

    const int centred = Qt::AlignHCenter | Qt::AlignTop;
    const int left = Qt::AlignLeft | Qt::AlignTop;
    QTest::newRow("Frame1") << "Frame1"
                            << "QGroupBox" << Demo << "Frame1" << QRect(180, 45, 91, 46) << 0
                            << false;
    QTest::newRow("Picture1") << "Picture1"
                              << "QFrame" << Demo << "" << QRect(180, 100, 91, 56) << 0 << false;
    QTest::newRow("Check1") << "Check1"
                            << "QCheckBox" << Demo << "Check1" << QRect(185, 170, 71, 13) << 0
                            << false;
    QTest::newRow("Option1") << "Option1"
                             << "QRadioButton" << Demo << "Option1" << QRect(185, 195, 66, 13) << 0
                             << false;
    QTest::newRow("Label1") << "Label1"
                            << "QLabel" << Demo << Label1Text << QRect(20, 65, 126, 61) << centred
                            << true;
    QTest::newRow("Label2") << "Label2"
                            << "QLabel" << Demo << Label2Text << QRect(15, 135, 141, 86) << centred
                            << true;
    QTest::newRow("Label3") << "Label3"
                            << "QLabel" << Demo << "Manually Changed using Focus Change Event"
                            << QRect(310, 45, 146, 31) << centred << true;
    QTest::newRow("Text1") << "Text1"
                           << "QLineEdit" << Demo << "Text1" << QRect(310, 90, 161, 19) << 0
                           << false;
    QTest::newRow("List1") << "List1"
                           << "QListWidget" << Demo << "" << QRect(310, 120, 61, 82) << 0 << false;
    QTest::newRow("Check2") << "Check2"
                            << "QCheckBox" << Demo << "Skin Enabled" << QRect(40, 40, 111, 13) << 0
                            << false;
    QTest::newRow("Label4") << "Label4"
                            << "QLabel" << Demo << Label4Text << QRect(380, 125, 101, 66) << left
                            << true;
    QTest::newRow("Picture2") << "Picture2"
                              << "QFrame" << Demo << "" << QRect(0, 0, 495, 26) << 0 << false;
    // Sizes itself to its text: the height is the one-line height.
    QTest::newRow("Label5") << "Label5"
                            << "QLabel"
                            << "Picture2"
                            << "It Works with Aligned Controls" << QRect(165, 5, 141, 13)
                            << int(Qt::AlignLeft | Qt::AlignVCenter) << false;
}

void tst_CtrlColorFrm::controlLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, pixels);
    QFETCH(int, alignment);
    QFETCH(bool, wordWrap);

    QWidget *c = demo().control<QWidget>(name);
    QCOMPARE(QString::fromLatin1(c->metaObject()->className()), kind);
    QCOMPARE(c->parentWidget()->objectName(), parent);
    QCOMPARE(c->pos(), pixels.topLeft());
    QVERIFY(c->isVisibleTo(demo().window()));
    if (c->property("autoSize").toBool()) {
        QCOMPARE(c->size(), c->sizeHint());
        QVERIFY(qAbs(c->height() - pixels.height()) <= 3);
    } else {
        QCOMPARE(c->size(), pixels.size());
    }
    if (auto *b = qobject_cast<QAbstractButton *>(c))
        QCOMPARE(b->text(), text);
    if (auto *g = qobject_cast<QGroupBox *>(c))
        QCOMPARE(g->title(), text);
    if (auto *e = qobject_cast<QLineEdit *>(c))
        QCOMPARE(e->text(), text);
    if (auto *l = qobject_cast<QLabel *>(c)) {
        QCOMPARE(l->text(), text);
        QCOMPARE(int(l->alignment()), alignment);
        QCOMPARE(l->wordWrap(), wordWrap);
        // Labels show the window through them.
        QVERIFY(!l->autoFillBackground());
        QCOMPARE(l->focusPolicy(), Qt::NoFocus);
    }
    if (auto *f = qobject_cast<QFrame *>(c); f && kind == QLatin1String("QFrame")) {
        // Picture boxes: the standard sunken border, dialog background.
        QCOMPARE(f->frameShape(), QFrame::WinPanel);
        QCOMPARE(f->frameShadow(), QFrame::Sunken);
        QVERIFY(f->frameWidth() > 0);
        QCOMPARE(f->backgroundRole(), QPalette::Window);
    }
}

void tst_CtrlColorFrm::wrappedLabelsFitTheirBox_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minLines");
    QTest::newRow("Label1") << "Label1" << 3;
    QTest::newRow("Label2") << "Label2" << 5;
    QTest::newRow("Label3") << "Label3" << 2;
    QTest::newRow("Label4") << "Label4" << 4;
}

void tst_CtrlColorFrm::wrappedLabelsFitTheirBox()
{
    QFETCH(QString, name);
    QFETCH(int, minLines);
    auto *l = demo().control<QLabel>(name);
    // Wrapped at word boundaries inside the box, every line shown.
    const QRect needed = l->fontMetrics().boundingRect(
        l->contentsRect(), int(l->alignment()) | Qt::TextWordWrap, l->text());
    QVERIFY2(
        needed.height() <= l->height(),
        qPrintable(QStringLiteral("needs %1 px, has %2").arg(needed.height()).arg(l->height())));
    QVERIFY(needed.width() <= l->width());
    QVERIFY(needed.height() >= minLines * l->fontMetrics().lineSpacing());
    for (const QString &word : l->text().split(QLatin1Char(' ')))
        QVERIFY2(l->fontMetrics().horizontalAdvance(word) <= l->width(), qPrintable(word));
}

void tst_CtrlColorFrm::noTwoControlsOverlap()
{
    const QStringList names{"Frame1", "Picture1", "Check1", "Option1", "Label1",
                            "Label2", "Label3",   "Text1",  "List1",   "Check2",
                            "Label4", "Picture2", "Line1"};
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QRect a = demo().control<QWidget>(names[i])->geometry();
        QVERIFY(demo().window()->rect().contains(a));
        for (qsizetype j = i + 1; j < names.size(); ++j) {
            const QRect b = demo().control<QWidget>(names[j])->geometry();
            QVERIFY2(!a.intersects(b),
                     qPrintable(names[i] + QLatin1String(" overlaps ") + names[j]));
        }
    }
    // Label5 lies wholly inside its picture box.
    QVERIFY(ctl<QWidget>("Picture2")->rect().contains(ctl<QWidget>("Label5")->geometry()));
}

void tst_CtrlColorFrm::lineIsTheVerticalDivider()
{
    auto *line = ctl<QFrame>("Line1");
    QCOMPARE(line->frameShape(), QFrame::VLine);
    QCOMPARE(line->geometry().left(), 290);
    QCOMPARE(line->geometry().top(), 40);
    QCOMPARE(line->geometry().bottom(), 200);
    QCOMPARE(line->width(), 1);
    // Between the middle column and the right one.
    QVERIFY(ctl<QWidget>("Frame1")->geometry().right() < 290);
    QVERIFY(ctl<QWidget>("Label3")->geometry().left() > 290);
    QCOMPARE(line->focusPolicy(), Qt::NoFocus);
}

void tst_CtrlColorFrm::tabOrder()
{
    QWidget *w = demo().window();
    QStringList order;
    for (QWidget *next = w->nextInFocusChain(); next && next != w;
         next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            order << next->objectName();
    }
    QCOMPARE(order, (QStringList{"Picture1", "Check1", "Option1", "Text1", "List1", "Check2",
                                 "Picture2"}));
    for (const char *name : {"Frame1", "Label1", "Label2", "Label3", "Label4", "Label5", "Line1"})
        QCOMPARE(ctl<QWidget>(name)->focusPolicy(), Qt::NoFocus);
    // The window opens with the focus on the first control in that order.
    QCOMPARE(w->focusWidget(), ctl<QWidget>("Picture1"));
    QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
    QCOMPARE(w->focusWidget(), ctl<QWidget>("Check1"));
    // Every stop shows when it holds the focus, the picture boxes too.
    for (const char *name : {"Picture1", "Picture2"}) {
        QWidget *box = ctl<QWidget>(name);
        ctl<QWidget>("Text1")->setFocus(Qt::TabFocusReason);
        const QImage without = box->grab().toImage();
        box->setFocus(Qt::TabFocusReason);
        QVERIFY(box->hasFocus());
        QVERIFY2(box->grab().toImage() != without, name);
        ctl<QWidget>("Text1")->setFocus(Qt::TabFocusReason);
        QCOMPARE(box->grab().toImage(), without);
    }
}

void tst_CtrlColorFrm::openingState()
{
    const QList<RecordedCall> calls = RecordingComponent::callsOn(Demo);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().member, RecordingComponent::ApplySkin);
    QCOMPARE(ctl<QCheckBox>("Check2")->checkState(), Qt::Checked);
    QCOMPARE(ctl<QLineEdit>("Text1")->text(), QStringLiteral("Text1"));
    QCOMPARE(ctl<QListWidget>("List1")->count(), 0);
    QCOMPARE(ctl<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
    QVERIFY(!ctl<QRadioButton>("Option1")->isChecked());
    QCOMPARE(demo().window()->findChildren<QRadioButton *>().size(), 1);
    // Nothing coloured yet: both boxes in the system window colour.
    const QColor base = QApplication::palette().color(QPalette::Base);
    QCOMPARE(ctl<QWidget>("Text1")->palette().color(QPalette::Base), base);
    QCOMPARE(ctl<QWidget>("List1")->palette().color(QPalette::Base), base);
}

void tst_CtrlColorFrm::skinBoxRemovesAndApplies()
{
    clickCheck2();
    QCOMPARE(ctl<QCheckBox>("Check2")->checkState(), Qt::Unchecked);
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::RemoveSkin), 1);
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::ApplySkin), 1);
    auto *box = ctl<QCheckBox>("Check2");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(box->checkState(), Qt::Checked);
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::ApplySkin), 2);
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::RemoveSkin), 1);
    QCOMPARE(RecordingComponent::callsOn(Demo).size(), 3);
    // A change made by code, not a click, runs no handler.
    box->setChecked(false);
    QCOMPARE(RecordingComponent::callsOn(Demo).size(), 3);
    // An assistive tool's Toggle runs it once.
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box);
    QVERIFY(a && a->actionInterface());
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(box->checkState(), Qt::Checked);
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::ApplySkin), 3);
    QCOMPARE(RecordingComponent::callsOn(Demo).size(), 4);
}

void tst_CtrlColorFrm::anyNonZeroValueApplies_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<qint64>("member");
    // A three-state box cycles unchecked, greyed, checked.
    QTest::newRow("unchecked -> greyed")
        << int(Qt::Unchecked) << int(Qt::PartiallyChecked) << qint64(RecordingComponent::ApplySkin);
    QTest::newRow("greyed -> checked")
        << int(Qt::PartiallyChecked) << int(Qt::Checked) << qint64(RecordingComponent::ApplySkin);
    QTest::newRow("checked -> unchecked")
        << int(Qt::Checked) << int(Qt::Unchecked) << qint64(RecordingComponent::RemoveSkin);
}

void tst_CtrlColorFrm::anyNonZeroValueApplies()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(qint64, member);
    auto *box = ctl<QCheckBox>("Check2");
    box->setTristate(true);
    box->setCheckState(Qt::CheckState(before));
    const int callsBefore = RecordingComponent::callsOn(Demo).size();
    clickCheck2();
    QCOMPARE(int(box->checkState()), after);
    const QList<RecordedCall> calls = RecordingComponent::callsOn(Demo).mid(callsBefore);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(qint64(calls.first().member), member);
}

void tst_CtrlColorFrm::focusChangeColoursBothBoxes_data()
{
    QTest::addColumn<qint16>("hasFocus");
    QTest::addColumn<qint32>("color");
    QTest::newRow("1") << qint16(1) << Green;
    QTest::newRow("-1") << qint16(-1) << Green;
    QTest::newRow("0") << qint16(0) << Red;
    QTest::newRow("2") << qint16(2) << Green;
    QTest::newRow("-32768") << qint16(-32768) << Green;
    QTest::newRow("32767") << qint16(32767) << Green;
}

void tst_CtrlColorFrm::focusChangeColoursBothBoxes()
{
    QFETCH(qint16, hasFocus);
    QFETCH(qint32, color);
    auto *text = ctl<QLineEdit>("Text1");
    auto *list = ctl<QListWidget>("List1");
    PaletteChangeLog log;
    log.watch(text);
    log.watch(list);
    // At the moment Text1 changes, List1 must still have its old colour.
    qint32 listWhenTextChanged = -1;
    class Probe : public QObject
    {
    public:
        Probe(QWidget *list, qint32 *seen) : m_list(list), m_seen(seen) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::PaletteChange && *m_seen == -1)
                *m_seen = forms::Controls::backColor(m_list);
            return false;
        }
        QWidget *m_list;
        qint32 *m_seen;
    } probe(list, &listWhenTextChanged);
    text->installEventFilter(&probe);

    const int callsBefore = RecordingComponent::calls().size();
    RecordingComponent *component = RecordingComponent::on(Demo);
    QVERIFY(component);
    // HasFocus is read, never written.
    QCOMPARE(component->raiseFocusChange(hasFocus), hasFocus);

    log.names.removeDuplicates();
    QCOMPARE(log.names, (QStringList{"Text1", "List1"}));
    QVERIFY(listWhenTextChanged != color);
    QCOMPARE(forms::Controls::backColor(text), color);
    QCOMPARE(forms::Controls::backColor(list), color);
    const QColor expected = forms::Controls::colorFromValue(color);
    for (auto group : {QPalette::Active, QPalette::Inactive})
        QCOMPARE(list->palette().color(group, QPalette::Base), expected);
    QCOMPARE(text->palette().color(QPalette::Inactive, QPalette::Base), expected);
    // The handler makes no call on the component.
    QCOMPARE(RecordingComponent::calls().size(), callsBefore);
}

void tst_CtrlColorFrm::focusChangeFollowsEachEvent()
{
    RecordingComponent *component = RecordingComponent::on(Demo);
    QVERIFY(component);
    const QList<qint16> events{1, 0, 0, -1, 0, 1};
    for (qint16 hasFocus : events) {
        component->raiseFocusChange(hasFocus);
        const qint32 expected = hasFocus ? Green : Red;
        QCOMPARE(forms::Controls::backColor(ctl<QWidget>("Text1")), expected);
        QCOMPARE(forms::Controls::backColor(ctl<QWidget>("List1")), expected);
    }
}

void tst_CtrlColorFrm::skinBoxLeavesBoxColours()
{
    RecordingComponent::on(Demo)->raiseFocusChange(0);
    PaletteChangeLog log;
    log.watch(ctl<QWidget>("Text1"));
    log.watch(ctl<QWidget>("List1"));
    clickCheck2();
    clickCheck2();
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::RemoveSkin), 1);
    QCOMPARE(log.names, QStringList());
    QCOMPARE(forms::Controls::backColor(ctl<QWidget>("Text1")), Red);
    QCOMPARE(forms::Controls::backColor(ctl<QWidget>("List1")), Red);
}

void tst_CtrlColorFrm::schemeInMainWindowReachesOnlyItsComponent()
{
    RecordingComponent::on(Demo)->raiseFocusChange(1);
    const QList<RecordedCall> demoBefore = RecordingComponent::callsOn(Demo);
    const qint64 textPalette = ctl<QWidget>("Text1")->palette().cacheKey();
    auto *list = main().control<QListWidget>(QStringLiteral("List1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    int puts = 0;
    for (const RecordedCall &c : RecordingComponent::calls()) {
        if (c.member == RecordingComponent::ColorScheme) {
            QCOMPARE(c.window, Main);
            QCOMPARE(c.args.first().toI4(), 2);
            ++puts;
        }
    }
    QCOMPARE(puts, 1);
    QCOMPARE(RecordingComponent::callsOn(Demo).size(), demoBefore.size());
    QCOMPARE(ctl<QWidget>("Text1")->palette().cacheKey(), textPalette);
    QCOMPARE(ctl<QCheckBox>("Check2")->checkState(), Qt::Checked);
}

void tst_CtrlColorFrm::skinBoxHereCallsOnlyThisComponent()
{
    const int mainBefore = RecordingComponent::callsOn(Main).size();
    clickCheck2();
    clickCheck2();
    QCOMPARE(RecordingComponent::callsOn(Main).size(), mainBefore);
    QCOMPARE(RecordingComponent::callsOn(Demo).size(), 3);
    QCOMPARE(main().control<QCheckBox>(QStringLiteral("Check2"))->checkState(), Qt::Checked);
}

void tst_CtrlColorFrm::showPressedTwiceLeavesOneWindow()
{
    QWidget *first = demo().window();
    pressShowControlForm();
    QCOMPARE(demo().window(), first);
    int open = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        open += w->isVisible() && w->objectName() == Demo ? 1 : 0;
    QCOMPARE(open, 1);
    QCOMPARE(RecordingComponent::count(Demo, RecordingComponent::ApplySkin), 1);
}

void tst_CtrlColorFrm::reopenedWindowStartsAfresh()
{
    // Change everything a user can change, then close by the close box.
    clickCheck2();
    RecordingComponent::on(Demo)->raiseFocusChange(0);
    ctl<QLineEdit>("Text1")->setText(QStringLiteral("typed"));
    ctl<QListWidget>("List1")->addItem(QStringLiteral("entry"));
    ctl<QCheckBox>("Check1")->click();
    ctl<QRadioButton>("Option1")->click();
    QPointer<QWidget> closed = demo().window();
    QVERIFY(closed->close());
    QVERIFY(!demo().isLoaded());
    testing::processDeferredDeletes();
    QVERIFY(closed.isNull());

    const int callsBefore = RecordingComponent::callsOn(Demo).size();
    pressShowControlForm();
    QVERIFY(demo().isLoaded());
    QVERIFY(QTest::qWaitForWindowExposed(demo().window()));
    const QList<RecordedCall> calls = RecordingComponent::callsOn(Demo).mid(callsBefore);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().member, RecordingComponent::ApplySkin);
    QCOMPARE(ctl<QCheckBox>("Check2")->checkState(), Qt::Checked);
    QCOMPARE(ctl<QLineEdit>("Text1")->text(), QStringLiteral("Text1"));
    QCOMPARE(ctl<QListWidget>("List1")->count(), 0);
    QCOMPARE(ctl<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
    QVERIFY(!ctl<QRadioButton>("Option1")->isChecked());
    const QColor base = QApplication::palette().color(QPalette::Base);
    QCOMPARE(ctl<QWidget>("Text1")->palette().color(QPalette::Base), base);
    QCOMPARE(ctl<QWidget>("List1")->palette().color(QPalette::Base), base);
    QCOMPARE(ctl<QWidget>("Picture2")->geometry(), QRect(0, 0, 495, 26));
    // The new window's handlers work: its box talks to its new component.
    clickCheck2();
    QCOMPARE(RecordingComponent::callsOn(Demo).mid(callsBefore).size(), 2);
    QCOMPARE(RecordingComponent::callsOn(Demo).last().member, RecordingComponent::RemoveSkin);
}

void tst_CtrlColorFrm::focusChangeWhileUnloadingIsDropped()
{
    // The component lives until the window is deleted and may still report
    // the deactivation of the window going away.
    RecordingComponent *component = RecordingComponent::on(Demo);
    QVERIFY(component);
    QVERIFY(demo().window()->close());
    QVERIFY(RecordingComponent::live().contains(component));
    QCOMPARE(component->raiseFocusChange(0), qint16(0));
    QVERIFY(!demo().isLoaded());
    QVERIFY(m_reports.isEmpty());
}

void tst_CtrlColorFrm::failingSkinCallIsReported()
{
    RecordingComponent::failNext(
        RecordingComponent::RemoveSkin,
        tavrel::host::Status::failure(tavrel::host::StatusCode::MemberNotFound, QStringLiteral("rejected")));
    clickCheck2();
    QCOMPARE(m_reports.size(), 1);
    QVERIFY2(m_reports.first().contains(QLatin1String("TavrelSkin1")),
             qPrintable(m_reports.first()));
    QVERIFY2(m_reports.first().contains(QLatin1String("rejected")), qPrintable(m_reports.first()));
    m_reports.clear();
}

QTEST_MAIN(tst_CtrlColorFrm)
#include "tst_ctrlcolorfrm.moc"
