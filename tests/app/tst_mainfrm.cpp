// The main window: its stored layout and its seven handlers, with the
// recording stand-in component.
#include <FailureReporter.h>
#include <Form.h>
#include <RecordingComponent.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using forms::Form;
using forms::FormKind;
using testing::RecordedCall;
using testing::RecordingComponent;

static const QString Main = QStringLiteral("MainFrm");

class tst_MainFrm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testing::applyApplicationDefaults(); }
    void init();
    void cleanup();

    void windowSettings();
    void controlLayout_data();
    void controlLayout();
    void labelFonts_data();
    void labelFonts();
    void tabOrderAndInitialFocus();
    void componentGetsStoredProperties();
    void openingState();
    void selectingSendsItemData_data();
    void selectingSendsItemData();
    void arrowKeysSendEachSchemePassed();
    void itemDataNotPositionIsSent();
    void clickLeavingNothingSelectedSendsNothing();
    void skinBoxRemovesAndApplies();
    void schemeIsSentWhileSkinIsOff();
    void altXPressesExit();
    void enterPressesOnlyTheFocusedButton();
    void focusChangeLeavesControlsUnchanged_data();
    void focusChangeLeavesControlsUnchanged();
    void accessibleTreeIsNamed();

private:
    Form &main() { return m_registry->form(FormKind::Main); }
    template <typename T> T *ctl(const char *name) { return main().control<T>(QString::fromLatin1(name)); }
    QList<RecordedCall> schemePuts() const;

    std::unique_ptr<app::WindowRegistry> m_registry;
    QStringList m_reports;
};

void tst_MainFrm::init()
{
    RecordingComponent::install();
    testing::captureReports(&m_reports);
    m_registry = std::make_unique<app::WindowRegistry>();
    main().show();
    QVERIFY(QTest::qWaitForWindowExposed(main().window()));
}

void tst_MainFrm::cleanup()
{
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
    m_registry.reset();
    testing::processDeferredDeletes();
    testing::stopCapturingReports();
    RecordingComponent::uninstall();
}

QList<RecordedCall> tst_MainFrm::schemePuts() const
{
    QList<RecordedCall> out;
    for (const RecordedCall &c : RecordingComponent::callsOn(Main)) {
        if (c.member == RecordingComponent::ColorScheme)
            out << c;
    }
    return out;
}

void tst_MainFrm::windowSettings()
{
    QWidget *w = main().window();
    QCOMPARE(w->objectName(), Main);
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel Sample"));
    // Fixed dialog frame: close box, no minimise or maximise, not sizable.
    const Qt::WindowFlags f = w->windowFlags();
    QVERIFY(f & Qt::WindowCloseButtonHint);
    QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    // An ordinary top-level window without an owner, kept out of the taskbar
    // by its stored setting.
    QCOMPARE(w->windowType(), Qt::Window);
    QCOMPARE(w->parentWidget(), nullptr);
    QCOMPARE(w->property("showInTaskbar"), QVariant(false));
    QVERIFY(w->windowIcon().isNull() || w->windowIcon().cacheKey() == QApplication::windowIcon().cacheKey());
}

void tst_MainFrm::controlLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("File1") << "File1" << "forms::FileListBox" << "" << QRect(375, 195, 36, 32);
    QTest::newRow("Command3") << "Command3" << "QPushButton" << "Show Control Form" << QRect(15, 120, 111, 31);
    QTest::newRow("Check2") << "Check2" << "QCheckBox" << "Skin Enabled" << QRect(25, 30, 96, 13);
    QTest::newRow("Command1") << "Command1" << "QPushButton" << "Show VB Menus" << QRect(15, 155, 111, 31);
    QTest::newRow("Label1") << "Label1" << "QLabel" << "Check out the Full Version" << QRect(175, 25, 167, 16);
    QTest::newRow("Label2") << "Label2" << "QLabel" << "www.tavrel.example" << QRect(190, 55, 140, 16);
    QTest::newRow("Command2") << "Command2" << "QPushButton" << "E&xit" << QRect(260, 150, 91, 31);
    QTest::newRow("List1") << "List1" << "QListWidget" << "" << QRect(155, 135, 66, 41);
    QTest::newRow("Label3") << "Label3" << "QLabel" << "Internal Skins:" << QRect(155, 120, 67, 13);
}

void tst_MainFrm::controlLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, pixels);
    // The stored layout is the window without skin.
    main().skin().removeSkin();
    QWidget *c = main().control<QWidget>(name);
    QCOMPARE(QString::fromLatin1(c->metaObject()->className()), kind);
    QCOMPARE(c->pos(), pixels.topLeft());
    if (!c->property("autoSize").toBool())
        QCOMPARE(c->size(), pixels.size());
    if (auto *b = qobject_cast<QAbstractButton *>(c))
        QCOMPARE(b->text(), text);
    if (auto *l = qobject_cast<QLabel *>(c)) {
        QCOMPARE(l->text(), text);
        // Sized to its text: nothing is cut off.
        QVERIFY(l->property("autoSize").toBool());
        QVERIFY(qAbs(l->height() - pixels.height()) <= 3);
        QVERIFY2(l->fontMetrics().horizontalAdvance(text) <= l->width(),
                 qPrintable(QStringLiteral("%1 needs %2 px").arg(name).arg(l->fontMetrics().horizontalAdvance(text))));
    }
    QCOMPARE(c->isVisibleTo(main().window()), name != QLatin1String("File1"));
}

void tst_MainFrm::labelFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("arialBold");
    QTest::newRow("Label1") << "Label1" << true;
    QTest::newRow("Label2") << "Label2" << true;
    QTest::newRow("Label3") << "Label3" << false;
}

void tst_MainFrm::labelFonts()
{
    QFETCH(QString, name);
    QFETCH(bool, arialBold);
    const QFont f = main().control<QLabel>(name)->font();
    if (arialBold) {
        QCOMPARE(f.family(), QStringLiteral("Arial"));
        QCOMPARE(f.weight(), QFont::Bold);
        QCOMPARE(f.pointSizeF(), 9.75);
    } else {
        QCOMPARE(f, QApplication::font());
    }
}

void tst_MainFrm::tabOrderAndInitialFocus()
{
    QWidget *w = main().window();
    QStringList order;
    QWidget *next = w->nextInFocusChain();
    while (next && next != w) {
        if (!next->objectName().isEmpty() && next->focusPolicy() != Qt::NoFocus &&
            next->parentWidget() == w)
            order << next->objectName();
        next = next->nextInFocusChain();
    }
    QCOMPARE(order, (QStringList{"File1", "Command3", "Check2", "Command1", "Command2", "List1"}));
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : w->focusWidget()->objectName(),
             QStringLiteral("Command3"));
}

void tst_MainFrm::componentGetsStoredProperties()
{
    RecordingComponent *c = RecordingComponent::on(Main);
    QVERIFY(c);
    QCOMPARE(c->properties().names(), (QStringList{"_extentx", "_extenty", "skinpicture"}));
    QCOMPARE(c->properties().value(QStringLiteral("_extentx")), tavrel::host::Variant::fromI4(1111));
    QCOMPARE(c->properties().value(QStringLiteral("_extenty")), tavrel::host::Variant::fromI4(953));
    QCOMPARE(c->properties().value(QStringLiteral("skinpicture")).type(), tavrel::host::VarType::Blob);
    QCOMPARE(main().skin().site()->objectName(), QStringLiteral("TavrelSkin1"));
}

void tst_MainFrm::openingState()
{
    auto *list = ctl<QListWidget>("List1");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Light Blue"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Dark Blue"));
    QCOMPARE(list->item(2)->text(), QStringLiteral("Green"));
    QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 1);
    QCOMPARE(list->item(1)->data(Qt::UserRole).toInt(), 2);
    QCOMPARE(list->item(2)->data(Qt::UserRole).toInt(), 3);
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(ctl<QCheckBox>("Check2")->checkState(), Qt::Checked);
    const QList<RecordedCall> calls = RecordingComponent::callsOn(Main);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().member, RecordingComponent::ApplySkin);
}

void tst_MainFrm::selectingSendsItemData_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("scheme");
    QTest::newRow("Light Blue") << 0 << 1;
    QTest::newRow("Dark Blue") << 1 << 2;
    QTest::newRow("Green") << 2 << 3;
}

void tst_MainFrm::selectingSendsItemData()
{
    QFETCH(int, row);
    QFETCH(int, scheme);
    auto *list = ctl<QListWidget>("List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    const QList<RecordedCall> puts = schemePuts();
    QCOMPARE(puts.size(), 1);
    QCOMPARE(puts.first().kind, tavrel::host::InvokeKind::PropertyPut);
    QCOMPARE(puts.first().args, (QList<tavrel::host::Variant>{tavrel::host::Variant::fromI4(scheme)}));
}

void tst_MainFrm::arrowKeysSendEachSchemePassed()
{
    auto *list = ctl<QListWidget>("List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    QList<qint32> sent;
    for (const RecordedCall &c : schemePuts())
        sent << c.args.first().toI4();
    QCOMPARE(sent, (QList<qint32>{1, 2, 3, 2}));
}

void tst_MainFrm::itemDataNotPositionIsSent()
{
    auto *list = ctl<QListWidget>("List1");
    // If the entries' data were not their positions plus one, the data
    // still decides.
    list->item(2)->setData(Qt::UserRole, 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(schemePuts().size(), 1);
    QCOMPARE(schemePuts().first().args.first().toI4(), 1);
}

void tst_MainFrm::clickLeavingNothingSelectedSendsNothing()
{
    auto *list = ctl<QListWidget>("List1");
    list->item(0)->setSelected(true);
    const int before = schemePuts().size();
    list->clearSelection();
    QCOMPARE(schemePuts().size(), before);
    QVERIFY(list->selectedItems().isEmpty());
}

void tst_MainFrm::skinBoxRemovesAndApplies()
{
    auto *box = ctl<QCheckBox>("Check2");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::RemoveSkin), 1);
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::ApplySkin), 1);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(box->checkState(), Qt::Checked);
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::ApplySkin), 2);
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::RemoveSkin), 1);
    // An assistive tool's Toggle is a user's change too: one handler run each.
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box);
    QVERIFY(a && a->actionInterface());
    QVERIFY(a->state().checkable && a->state().checked);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QVERIFY(!a->state().checked);
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::RemoveSkin), 2);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::ApplySkin), 3);
    QCOMPARE(RecordingComponent::count(Main, RecordingComponent::RemoveSkin), 2);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Skin Enabled"));
    // No scheme is re-sent after ApplySkin.
    QVERIFY(schemePuts().isEmpty());
}

void tst_MainFrm::schemeIsSentWhileSkinIsOff()
{
    auto *box = ctl<QCheckBox>("Check2");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    auto *list = ctl<QListWidget>("List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(schemePuts().size(), 1);
    QCOMPARE(schemePuts().first().args.first().toI4(), 3);
}

void tst_MainFrm::altXPressesExit()
{
    QSignalSpy clicked(ctl<QPushButton>("Command2"), &QPushButton::clicked);
    QVERIFY(QTest::qWaitForWindowActive(main().window()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier);
    // A mnemonic presses the button visibly: the click comes a moment later.
    QTRY_COMPARE(clicked.count(), 1);
    QVERIFY(!main().isLoaded());
}

void tst_MainFrm::enterPressesOnlyTheFocusedButton()
{
    QSignalSpy exitClicked(ctl<QPushButton>("Command2"), &QPushButton::clicked);
    QSignalSpy showClicked(ctl<QPushButton>("Command1"), &QPushButton::clicked);
    // Enter on the check box and on the list presses no button.
    ctl<QCheckBox>("Check2")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ctl<QListWidget>("List1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(exitClicked.count() + showClicked.count(), 0);
    ctl<QPushButton>("Command1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(showClicked.count(), 1);
    QCOMPARE(exitClicked.count(), 0);
    m_registry->form(FormKind::Clean).unload();
}

void tst_MainFrm::focusChangeLeavesControlsUnchanged_data()
{
    QTest::addColumn<qint16>("hasFocus");
    QTest::newRow("gain") << qint16(-1);
    QTest::newRow("loss") << qint16(0);
}

void tst_MainFrm::focusChangeLeavesControlsUnchanged()
{
    QFETCH(qint16, hasFocus);
    auto snapshot = [this] {
        QStringList s;
        for (QWidget *c : main().window()->findChildren<QWidget *>())
            s << c->objectName() + QLatin1Char(' ') + QString::number(c->palette().cacheKey()) +
                     QLatin1Char(' ') + QString::number(c->geometry().x()) + QLatin1Char(',') +
                     QString::number(c->geometry().y()) + QLatin1Char(' ') + QString::number(c->isVisible());
        return s;
    };
    const QStringList before = snapshot();
    const int callsBefore = RecordingComponent::calls().size();
    RecordingComponent *c = RecordingComponent::on(Main);
    // The handler neither reads nor writes HasFocus.
    QCOMPARE(c->raiseFocusChange(hasFocus), hasFocus);
    QCOMPARE(snapshot(), before);
    QCOMPARE(RecordingComponent::calls().size(), callsBefore);
}

void tst_MainFrm::accessibleTreeIsNamed()
{
    // The scheme list takes its name from its label, and nothing in the
    // window is left without a name, hidden or not.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(ctl<QListWidget>("List1"));
    QVERIFY(list);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Internal Skins:"));
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(main().window());
    QVERIFY(window);
    QStringList unnamed;
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface *child = window->child(i);
        QVERIFY(child);
        if (child->text(QAccessible::Name).isEmpty())
            unnamed << QStringLiteral("%1 (role %2) at %3,%4")
                           .arg(child->object() ? child->object()->objectName() : QString())
                           .arg(int(child->role()))
                           .arg(child->rect().x())
                           .arg(child->rect().y());
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1String("; "))));
}

QTEST_MAIN(tst_MainFrm)
#include "tst_mainfrm.moc"

