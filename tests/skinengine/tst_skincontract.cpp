#include "SkinTestData.h"

#include <ComponentHost.h>
#include <PictureStream.h>
#include <SkinFrame.h>
#include <SkinPicture.h>
#include <TavrelSkin.h>
#include <TavrelSkinIds.h>
#include <TestSupport.h>

#include <QTest>
#include <QWidget>

using tavrel::host::InvokeKind;
using tavrel::host::StatusCode;
using tavrel::host::Variant;
using namespace skintest;
namespace Id = tavrelctl::MemberId;

Q_DECLARE_METATYPE(tavrel::host::StatusCode)
Q_DECLARE_METATYPE(tavrel::host::InvokeKind)
Q_DECLARE_METATYPE(tavrel::host::PropertyBag)

// The component's contract as a late-bound client meets it: stored
// properties checked on load, every member call checked, and the real
// plugin found and driven through the host.
class TestSkinContract : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadRefusesBadProperties_data();
    void loadRefusesBadProperties();
    void invokeRefusesBadCalls_data();
    void invokeRefusesBadCalls();
    void colorSchemeGetAndPut();
    void schemePutWhileOffIsKept();
    void callsBeforeLoadFail();
    void designPlaceFollowsExtents();
    void realPluginThroughHost();
    void picturesAreSharedWhileInUse();
};

void TestSkinContract::initTestCase()
{
    testing::installStrictMessageHandler();
    testing::applyApplicationDefaults();
}

void TestSkinContract::loadRefusesBadProperties_data()
{
    QTest::addColumn<tavrel::host::PropertyBag>("bag");
    QTest::addColumn<StatusCode>("code");
    QTest::addColumn<QString>("message");

    auto with = [](const QString &name, const Variant &value) {
        tavrel::host::PropertyBag bag = storedProperties();
        bag.write(name, value);
        return bag;
    };
    auto without = [](const QString &name) {
        tavrel::host::PropertyBag full = storedProperties(), bag;
        for (const QString &n : full.names()) {
            if (n != name)
                bag.write(n, full.value(n));
        }
        return bag;
    };
    QImage broken = syntheticPicture(qRgb(0, 0, 200), qRgb(220, 220, 220));
    for (int x = 0; x < broken.width(); ++x)
        broken.setPixel(x, 43, 2);

    QTest::newRow("extent x missing")
        << without(QStringLiteral("_extentx")) << StatusCode::InvalidPropertyValue
        << QStringLiteral("'_extentx' is missing");
    QTest::newRow("extent y as VT_I2") << with(QStringLiteral("_extenty"), Variant::fromI2(953))
                                       << StatusCode::TypeMismatch << QStringLiteral("VT_I2");
    QTest::newRow("extent x zero")
        << with(QStringLiteral("_extentx"), Variant::fromI4(0)) << StatusCode::InvalidPropertyValue
        << QStringLiteral("'_extentx' is 0; allowed 1 to");
    QTest::newRow("extent y negative")
        << with(QStringLiteral("_extenty"), Variant::fromI4(-5)) << StatusCode::InvalidPropertyValue
        << QStringLiteral("'_extenty' is -5");
    QTest::newRow("picture missing")
        << without(QStringLiteral("skinpicture")) << StatusCode::InvalidPropertyValue
        << QStringLiteral("'skinpicture' is missing");
    QTest::newRow("picture as VT_I4")
        << with(QStringLiteral("skinpicture"), Variant::fromI4(1)) << StatusCode::TypeMismatch
        << QStringLiteral("expected VT_BLOB");
    QTest::newRow("picture garbage")
        << with(QStringLiteral("skinpicture"), Variant::fromBlob("garbage"))
        << StatusCode::InvalidPicture << QStringLiteral("skinpicture");
    QTest::newRow("picture without grid")
        << storedProperties(bitmapFile(broken)) << StatusCode::InvalidPicture
        << QStringLiteral("expected 4 grid lines across the whole width");
}

void TestSkinContract::loadRefusesBadProperties()
{
    QFETCH(tavrel::host::PropertyBag, bag);
    QFETCH(StatusCode, code);
    QFETCH(QString, message);
    QWidget window;
    tavrelctl::TavrelSkin skin;
    const tavrel::host::Status status = skin.load(&window, bag, nullptr);
    QVERIFY(!status);
    QCOMPARE(codeToHex(status.code()), codeToHex(code));
    QVERIFY2(status.message().contains(message), qPrintable(status.toString()));
    QVERIFY(!skin.frame());
    // Nothing was left on the window.
    QCOMPARE(window.children().size(), 0);
}

void TestSkinContract::invokeRefusesBadCalls_data()
{
    QTest::addColumn<int>("member");
    QTest::addColumn<InvokeKind>("kind");
    QTest::addColumn<QList<Variant>>("args");
    QTest::addColumn<StatusCode>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown id") << 0x60030099 << InvokeKind::Method << QList<Variant>()
                                << StatusCode::MemberNotFound << QStringLiteral("0x60030099");
    QTest::newRow("ApplySkin as put")
        << Id::ApplySkin << InvokeKind::PropertyPut << QList<Variant>{Variant::fromI4(1)}
        << StatusCode::MemberNotFound << QStringLiteral("ApplySkin (0x6003000C) is a method");
    QTest::newRow("ApplySkin with an argument")
        << Id::ApplySkin << InvokeKind::Method << QList<Variant>{Variant::fromI4(1)}
        << StatusCode::BadParamCount << QStringLiteral("takes no arguments, got 1");
    QTest::newRow("RemoveSkin as get")
        << Id::RemoveSkin << InvokeKind::PropertyGet << QList<Variant>()
        << StatusCode::MemberNotFound << QStringLiteral("RemoveSkin");
    QTest::newRow("RemoveSkin with two arguments")
        << Id::RemoveSkin << InvokeKind::Method
        << QList<Variant>{Variant::fromI4(1), Variant::fromI4(2)} << StatusCode::BadParamCount
        << QStringLiteral("got 2");
    QTest::newRow("ColorScheme called")
        << Id::ColorScheme << InvokeKind::Method << QList<Variant>() << StatusCode::MemberNotFound
        << QStringLiteral("is a property");
    QTest::newRow("ColorScheme put without value")
        << Id::ColorScheme << InvokeKind::PropertyPut << QList<Variant>()
        << StatusCode::BadParamCount << QStringLiteral("got 0");
    QTest::newRow("ColorScheme put VT_I2")
        << Id::ColorScheme << InvokeKind::PropertyPut << QList<Variant>{Variant::fromI2(2)}
        << StatusCode::TypeMismatch << QStringLiteral("got VT_I2, expected VT_I4");
    QTest::newRow("ColorScheme put VT_BSTR")
        << Id::ColorScheme << InvokeKind::PropertyPut
        << QList<Variant>{Variant::fromString(QStringLiteral("2"))} << StatusCode::TypeMismatch
        << QStringLiteral("got VT_BSTR");
    static qint16 ref = 2;
    QTest::newRow("ColorScheme put by reference")
        << Id::ColorScheme << InvokeKind::PropertyPut << QList<Variant>{Variant::refI2(&ref)}
        << StatusCode::TypeMismatch << QStringLiteral("VT_I2|VT_BYREF");
    for (int value : {0, 4, -1, 65536}) {
        QTest::addRow("ColorScheme %d", value)
            << Id::ColorScheme << InvokeKind::PropertyPut << QList<Variant>{Variant::fromI4(value)}
            << StatusCode::InvalidPropertyValue
            << QStringLiteral("ColorScheme %1 is out of range: allowed 1 to 3").arg(value);
    }
    QTest::newRow("ColorScheme get with an argument")
        << Id::ColorScheme << InvokeKind::PropertyGet << QList<Variant>{Variant::fromI4(1)}
        << StatusCode::BadParamCount << QStringLiteral("got 1");
}

void TestSkinContract::invokeRefusesBadCalls()
{
    QFETCH(int, member);
    QFETCH(InvokeKind, kind);
    QFETCH(QList<Variant>, args);
    QFETCH(StatusCode, code);
    QFETCH(QString, message);
    QWidget window;
    auto skin = loadSkin(&window);
    QVERIFY(skin);
    Variant result;
    const tavrel::host::Status status = skin->invoke(member, kind, args, &result);
    QVERIFY(!status);
    QCOMPARE(codeToHex(status.code()), codeToHex(code));
    QVERIFY2(status.message().contains(message), qPrintable(status.toString()));
    // A refused call changes nothing.
    QVERIFY(!skin->frame()->isApplied());
    QCOMPARE(skin->frame()->scheme(), 1);
}

void TestSkinContract::colorSchemeGetAndPut()
{
    QWidget window;
    auto skin = loadSkin(&window);
    QVERIFY(skin);
    QList<Variant> none;
    Variant result;
    QVERIFY(skin->invoke(Id::ColorScheme, InvokeKind::PropertyGet, none, &result));
    QCOMPARE(result, Variant::fromI4(1));
    for (int scheme : {3, 2, 1, 3}) {
        QVERIFY(putScheme(skin.get(), scheme));
        QVERIFY(skin->invoke(Id::ColorScheme, InvokeKind::PropertyGet, none, &result));
        QCOMPARE(result.toI4(), scheme);
    }
    QCOMPARE(skin->invoke(Id::ColorScheme, InvokeKind::PropertyGet, none, nullptr).code(),
             StatusCode::InvalidArg);
}

void TestSkinContract::schemePutWhileOffIsKept()
{
    QWidget window;
    window.resize(200, 100);
    auto skin = loadSkin(&window);
    QVERIFY(skin);
    QVERIFY(applySkin(skin.get()));
    const QColor lightBlueFace = window.palette().color(QPalette::Window);
    QVERIFY(removeSkin(skin.get()));
    QVERIFY(putScheme(skin.get(), 3));
    QVERIFY(!skin->frame()->isApplied());
    QVERIFY(applySkin(skin.get()));
    QCOMPARE(skin->frame()->scheme(), 3);
    const QColor greenFace = window.palette().color(QPalette::Window);
    QVERIFY(greenFace != lightBlueFace);
    QVERIFY(greenFace.green() > greenFace.blue());
}

void TestSkinContract::callsBeforeLoadFail()
{
    tavrelctl::TavrelSkin skin;
    QList<Variant> none;
    const tavrel::host::Status status = skin.invoke(Id::ApplySkin, InvokeKind::Method, none);
    QCOMPARE(status.code(), StatusCode::Unexpected);
    QVERIFY(status.message().contains(QLatin1String("not loaded")));
    QCOMPARE(skin.load(nullptr, storedProperties(), nullptr).code(), StatusCode::InvalidArg);
}

void TestSkinContract::designPlaceFollowsExtents()
{
    QWidget window;
    auto skin = loadSkin(&window);
    QVERIFY(skin);
    QCOMPARE(skin->designRect(), QRect(0, 0, 42, 36));
    // Invisible at run time: no widget of its own until the skin is applied.
    QCOMPARE(window.findChildren<QWidget *>().size(), 0);
}

void TestSkinContract::realPluginThroughHost()
{
    tavrel::host::ComponentHost &componentHost = tavrel::host::ComponentHost::instance();
    const QStringList saved = componentHost.searchPaths();
    componentHost.setSearchPaths({testing::componentDir()});
    std::unique_ptr<tavrel::host::Component> component;
    const tavrel::host::Status created =
        componentHost.create(QStringLiteral("TavrelCtl.TavrelSkin"), &component);
    componentHost.setSearchPaths(saved);
    QVERIFY2(created, qPrintable(created.toString()));
    QVERIFY(component);

    QWidget window;
    window.resize(300, 200);
    auto *child = new QWidget(&window);
    child->setGeometry(10, 20, 30, 40);
    EventRecorder events;
    const tavrel::host::Status loaded = component->load(&window, storedProperties(), &events);
    QVERIFY2(loaded, qPrintable(loaded.toString()));
    QVERIFY(applySkin(component.get()));
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("tavrelskin_caption")));
    QCOMPARE(child->geometry(), QRect(16, 45, 30, 40));
    QVERIFY(putScheme(component.get(), 2));
    QList<Variant> args{Variant::fromI4(9)};
    QCOMPARE(component->invoke(Id::ColorScheme, InvokeKind::PropertyPut, args).code(),
             StatusCode::InvalidPropertyValue);
    QList<Variant> none;
    QCOMPARE(component->invoke(0x12345678, InvokeKind::Method, none).code(),
             StatusCode::MemberNotFound);
    QVERIFY(removeSkin(component.get()));
    QVERIFY(!window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(child->geometry(), QRect(10, 20, 30, 40));
    QCOMPARE(window.size(), QSize(300, 200));
    component.reset();
}

void TestSkinContract::picturesAreSharedWhileInUse()
{
    using tavrelctl::SkinPicture;
    const QByteArray real = tavrel::host::PictureStream::encodeStored(realPictureFile());
    std::shared_ptr<const SkinPicture> first, again;
    QVERIFY(SkinPicture::fromStored(real, &first));
    QVERIFY(SkinPicture::fromStored(real, &again));
    QCOMPARE(again.get(), first.get());

    // Many other pictures, each let go at once: the one in use stays shared,
    // the others are not all kept.
    std::weak_ptr<const SkinPicture> released;
    for (int i = 0; i < 12; ++i) {
        const QByteArray other = tavrel::host::PictureStream::encodeStored(
            bitmapFile(syntheticPicture(qRgb(10 * i, 0, 200), qRgb(220, 220, 220))));
        std::shared_ptr<const SkinPicture> picture;
        QVERIFY(SkinPicture::fromStored(other, &picture));
        if (i == 0)
            released = picture;
    }
    QVERIFY(released.expired());
    QVERIFY(SkinPicture::fromStored(real, &again));
    QCOMPARE(again.get(), first.get());
}

QTEST_MAIN(TestSkinContract)
#include "tst_skincontract.moc"
