// The hosting layer: variants, stored properties, creating components by
// class name, late-bound calls and event delivery.
#include <ComponentHost.h>
#include <ComponentSite.h>
#include <ErrorBoundary.h>
#include <PropertyBag.h>
#include <RecordingComponent.h>
#include <TestSupport.h>

#include <QTest>

#include <QWidget>
#include <functional>
#include <new>
#include <stdexcept>

using namespace tavrel::host;
using testing::RecordingComponent;

class tst_Host : public QObject
{
    Q_OBJECT
private slots:
    void init() { RecordingComponent::install(); }
    void cleanup() { RecordingComponent::uninstall(); }

    void variantByReferenceWritesThrough();
    void variantTypeNames_data();
    void variantTypeNames();
    void propertyBagReadsTyped_data();
    void propertyBagReadsTyped();
    void unknownClassIsReportedWithItsName();
    void emptyClassNameIsRejected();
    void failedLoadLeavesNothingOnTheWindow();
    void siteRejectsBadCalls_data();
    void siteRejectsBadCalls();
    void siteRaisesNamingInstanceAndMember();
    void eventsReachTheHandlerByReference();
    void errorInEventHandlerGoesToTheBoundary_data();
    void errorInEventHandlerGoesToTheBoundary();
    void siteDiesWithItsWindow();
};

void tst_Host::variantByReferenceWritesThrough()
{
    qint16 value = 7;
    Variant ref = Variant::refI2(&value);
    QVERIFY(ref.isByRef());
    QCOMPARE(ref.type(), VarType::I2);
    QCOMPARE(ref.toI2(), qint16(7));
    ref.setI2(-1);
    QCOMPARE(value, qint16(-1));
    value = 3;
    QCOMPARE(ref.toI2(), qint16(3));
}

void tst_Host::variantTypeNames_data()
{
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("name");
    static qint16 slot = 0;
    QTest::newRow("empty") << Variant() << "VT_EMPTY";
    QTest::newRow("i2") << Variant::fromI2(1) << "VT_I2";
    QTest::newRow("i4") << Variant::fromI4(1) << "VT_I4";
    QTest::newRow("bstr") << Variant::fromString(QStringLiteral("x")) << "VT_BSTR";
    QTest::newRow("blob") << Variant::fromBlob("ab") << "VT_BLOB";
    QTest::newRow("i2 ref") << Variant::refI2(&slot) << "VT_I2|VT_BYREF";
}

void tst_Host::variantTypeNames()
{
    QFETCH(Variant, value);
    QFETCH(QString, name);
    QCOMPARE(value.typeName(), name);
}

void tst_Host::propertyBagReadsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("i4 present") << "_extentx" << 0 << "";
    QTest::newRow("names compare case-insensitively") << "_ExtentX" << 0 << "";
    QTest::newRow("missing") << "_extentz" << int(StatusCode::InvalidPropertyValue) << "missing";
    QTest::newRow("wrong type") << "label" << int(StatusCode::TypeMismatch) << "VT_BSTR";
}

void tst_Host::propertyBagReadsTyped()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(QString, mentions);
    PropertyBag bag;
    bag.write(QStringLiteral("_extentx"), Variant::fromI4(1111));
    bag.write(QStringLiteral("label"), Variant::fromString(QStringLiteral("x")));
    qint32 value = 0;
    const Status s = bag.readI4(name, &value);
    QCOMPARE(int(s.code()), code);
    if (s.isOk()) {
        QCOMPARE(value, 1111);
    } else {
        QVERIFY2(s.message().contains(name), qPrintable(s.message()));
        QVERIFY2(s.message().contains(mentions), qPrintable(s.message()));
    }
}

void tst_Host::unknownClassIsReportedWithItsName()
{
    std::unique_ptr<Component> c;
    const Status s = ComponentHost::instance().create(QStringLiteral("Nobody.Nothing"), &c);
    QCOMPARE(s.code(), StatusCode::ClassNotRegistered);
    QVERIFY(s.message().contains(QLatin1String("Nobody.Nothing")));
    QVERIFY(!c);
}

void tst_Host::emptyClassNameIsRejected()
{
    std::unique_ptr<Component> c;
    QCOMPARE(ComponentHost::instance().create(QString(), &c).code(), StatusCode::InvalidClassString);
}

void tst_Host::failedLoadLeavesNothingOnTheWindow()
{
    QWidget window;
    RecordingComponent::failLoads(Status::failure(StatusCode::InvalidPicture, QStringLiteral("bad picture")));
    ComponentSite *site = nullptr;
    const Status s = ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"),
                                           QStringLiteral("TavrelSkin1"), &window, PropertyBag(), &site);
    QCOMPARE(s.code(), StatusCode::InvalidPicture);
    QVERIFY(s.message().contains(QLatin1String("TavrelSkin1")));
    QVERIFY(s.message().contains(QLatin1String("bad picture")));
    QVERIFY(!site);
    QVERIFY(!window.findChild<ComponentSite *>());
}

void tst_Host::siteRejectsBadCalls_data()
{
    QTest::addColumn<int>("member");
    QTest::addColumn<int>("kind");
    QTest::addColumn<Variant>("argument");
    QTest::addColumn<int>("code");
    QTest::newRow("unknown id") << 0x60030099 << int(InvokeKind::Method) << Variant() << int(StatusCode::MemberNotFound);
    QTest::newRow("scheme as I2") << 0x68030004 << int(InvokeKind::PropertyPut) << Variant::fromI2(2) << int(StatusCode::TypeMismatch);
    QTest::newRow("scheme 4") << 0x68030004 << int(InvokeKind::PropertyPut) << Variant::fromI4(4) << int(StatusCode::InvalidArg);
    QTest::newRow("method with argument") << 0x6003000C << int(InvokeKind::Method) << Variant::fromI4(1) << int(StatusCode::BadParamCount);
}

void tst_Host::siteRejectsBadCalls()
{
    QFETCH(int, member);
    QFETCH(int, kind);
    QFETCH(Variant, argument);
    QFETCH(int, code);
    QWidget window;
    ComponentSite *site = nullptr;
    QVERIFY(ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"), QStringLiteral("TavrelSkin1"),
                                  &window, PropertyBag(), &site));
    QList<Variant> args;
    if (!argument.isEmpty())
        args << argument;
    const Status s = site->invoke(member, InvokeKind(kind), args);
    QCOMPARE(int(s.code()), code);
    // The message names the member and the instance.
    QVERIFY2(s.message().contains(dispIdToHex(member)), qPrintable(s.message()));
    QVERIFY2(s.message().contains(QLatin1String("TavrelSkin1")), qPrintable(s.message()));
    QVERIFY(RecordingComponent::calls().isEmpty());
}

void tst_Host::siteRaisesNamingInstanceAndMember()
{
    QWidget window;
    ComponentSite *site = nullptr;
    QVERIFY(ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"), QStringLiteral("TavrelSkin1"),
                                  &window, PropertyBag(), &site));
    try {
        site->callMethod(0x12345678);
        QFAIL("an unknown member id was accepted");
    } catch (const Error &e) {
        QCOMPARE(e.status().code(), StatusCode::MemberNotFound);
        QVERIFY(e.status().message().contains(QLatin1String("0x12345678")));
    }
}

void tst_Host::eventsReachTheHandlerByReference()
{
    QWidget window;
    window.setObjectName(QStringLiteral("W"));
    ComponentSite *site = nullptr;
    QVERIFY(ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"), QStringLiteral("TavrelSkin1"),
                                  &window, PropertyBag(), &site));
    QList<qint16> seen;
    site->connectEvent(RecordingComponent::FocusChange, [&](QList<Variant> &args) {
        QCOMPARE(args.size(), 1);
        QVERIFY(args[0].isByRef());
        seen << args[0].toI2();
        args[0].setI2(42);
    });
    RecordingComponent *c = RecordingComponent::on(QStringLiteral("W"));
    QVERIFY(c);
    QCOMPARE(c->raiseFocusChange(-1), qint16(42));
    QCOMPARE(c->raiseFocusChange(0), qint16(42));
    QCOMPARE(seen, (QList<qint16>{-1, 0}));
}

void tst_Host::errorInEventHandlerGoesToTheBoundary_data()
{
    QTest::addColumn<std::function<void()>>("fault");
    QTest::addColumn<StatusCode>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("raised error") << std::function<void()>([] {
        raiseOnFailure(Status::failure(StatusCode::Fail, QStringLiteral("handler failed")));
    }) << StatusCode::Fail << QStringLiteral("handler failed");
    QTest::newRow("standard exception")
        << std::function<void()>([] { throw std::invalid_argument("no such colour"); })
        << StatusCode::Exception
        << QStringLiteral("a handler threw std::invalid_argument: no such colour");
    QTest::newRow("out of memory")
        << std::function<void()>([] { throw std::bad_alloc(); }) << StatusCode::OutOfMemory
        << QStringLiteral("a handler threw std::bad_alloc (out of memory)");
    QTest::newRow("an int") << std::function<void()>([] { throw 5; }) << StatusCode::Exception
                            << QStringLiteral("a handler threw an exception of type 'int'");
}

void tst_Host::errorInEventHandlerGoesToTheBoundary()
{
    QFETCH(std::function<void()>, fault);
    QFETCH(StatusCode, code);
    QFETCH(QString, message);
    QWidget window;
    window.setObjectName(QStringLiteral("W"));
    ComponentSite *site = nullptr;
    QVERIFY(ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"), QStringLiteral("TavrelSkin1"),
                                  &window, PropertyBag(), &site));
    site->connectEvent(RecordingComponent::FocusChange, [fault](QList<Variant> &) { fault(); });
    QList<Status> reported;
    ErrorBoundary::setHandler([&](const Error &e) { reported << e.status(); });
    RecordingComponent::on(QStringLiteral("W"))->raiseFocusChange(1);
    ErrorBoundary::setHandler({});
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported.first().code(), code);
    QVERIFY2(reported.first().message().startsWith(message),
             qPrintable(reported.first().message()));
}

void tst_Host::siteDiesWithItsWindow()
{
    auto *window = new QWidget;
    window->setObjectName(QStringLiteral("W"));
    ComponentSite *site = nullptr;
    QVERIFY(ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"), QStringLiteral("TavrelSkin1"),
                                  window, PropertyBag(), &site));
    QCOMPARE(RecordingComponent::live().size(), 1);
    delete window;
    QCOMPARE(RecordingComponent::live().size(), 0);
}

QTEST_MAIN(tst_Host)
#include "tst_host.moc"
