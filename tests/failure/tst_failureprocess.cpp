// The real executable, copied into a folder of its own with a components/
// folder that holds what each case needs: a component that fails, a library
// that cannot be loaded, files that are no library at all. Every case ends
// the process normally (no crash) with the failure status, and stderr names
// the fault.
#include <FailureReporter.h>
#include <TestSupport.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// What goes into components/: a file name and where its bytes come from. A
// name with a folder in it is relative to the case's folder instead.
struct ComponentFile
{
    QString name;
    QByteArray bytes;
};

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray brokenPlugin()
{
    return readFile(QStringLiteral(TAVREL_TEST_PLUGIN_DIR "/BrokenCtl.so"));
}

QByteArray otherInterfacePlugin()
{
    return readFile(QStringLiteral(TAVREL_TEST_PLUGIN_DIR "/OtherInterfaceCtl.so"));
}

QByteArray brokenPluginDependency()
{
    return readFile(QStringLiteral(TAVREL_TEST_PLUGIN_DIR "/libtavrel_vanishing.so"));
}

QByteArray skinPlugin()
{
    return readFile(QStringLiteral(TAVREL_SKIN_PLUGIN));
}

QByteArray garbage(int size)
{
    QRandomGenerator random(quint32(size) * 7919u);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(QList<ComponentFile>)

class tst_FailureProcess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void failureEndsTheProcess_data();
    void failureEndsTheProcess();
};

void tst_FailureProcess::initTestCase()
{
    QVERIFY(!brokenPlugin().isEmpty());
    QVERIFY(!brokenPluginDependency().isEmpty());
    QVERIFY(!otherInterfacePlugin().isEmpty());
    QVERIFY(!skinPlugin().isEmpty());
    QVERIFY(QFile::exists(testing::applicationPath()));
}

void tst_FailureProcess::failureEndsTheProcess_data()
{
    QTest::addColumn<QList<ComponentFile>>("files");
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<QStringList>("named");

    const ComponentFile broken{QStringLiteral("BrokenCtl.so"), brokenPlugin()};
    const ComponentFile dependency{QStringLiteral("libtavrel_vanishing.so"), brokenPluginDependency()};
    const QByteArray real = readFile(QStringLiteral(TAVREL_REAL_PLUGIN));

    QTest::newRow("ApplySkin fails") << QList<ComponentFile>{broken, dependency} << QByteArray("applyskin")
                                     << QStringList{"0x80004005", "method call 0x6003000C of TavrelSkin1",
                                                    "the broken component cannot skin"};
    QTest::newRow("unknown member id")
        << QList<ComponentFile>{broken, dependency} << QByteArray("member")
        << QStringList{"0x80020003", "method call 0x6003000C of TavrelSkin1", "no member with id 0x6003000C"};
    QTest::newRow("wrong variant type")
        << QList<ComponentFile>{broken, dependency} << QByteArray("type")
        << QStringList{"0x80020005", "method call 0x6003000C of TavrelSkin1", "wants a VT_BSTR argument"};
    QTest::newRow("component refuses its properties")
        << QList<ComponentFile>{broken, dependency} << QByteArray("load")
        << QStringList{"0x800A01E1", "cannot create TavrelSkin1 (TavrelCtl.TavrelSkin)",
                       "refuses its skin picture"};
    QTest::newRow("component library cannot be loaded")
        << QList<ComponentFile>{broken} << QByteArray()
        << QStringList{"0x8007007E", "BrokenCtl.so' for class 'TavrelCtl.TavrelSkin' could not be loaded",
                       "libtavrel_vanishing.so"};
    QTest::newRow("component folder empty") << QList<ComponentFile>{} << QByteArray()
                                            << QStringList{"0x80040154", "'TavrelCtl.TavrelSkin' is not registered"};
    QTest::newRow("garbage named like the component")
        << QList<ComponentFile>{{QStringLiteral("TavrelCtl.so"), garbage(4096)}} << QByteArray()
        << QStringList{"0x80040154", "'TavrelCtl.TavrelSkin' is not registered",
                       "; refused %DIR%/components/TavrelCtl.so ("};
    QTest::newRow("empty file named like the component")
        << QList<ComponentFile>{{QStringLiteral("TavrelCtl.so"), QByteArray()}} << QByteArray()
        << QStringList{"0x80040154", "'TavrelCtl.TavrelSkin' is not registered",
                       "; refused %DIR%/components/TavrelCtl.so ("};
    QTest::newRow("component library cut short")
        << QList<ComponentFile>{{QStringLiteral("TavrelCtl.so"), real.left(100000)}} << QByteArray()
        << QStringList{"0x80040154", "'TavrelCtl.TavrelSkin' is not registered",
                       "; refused %DIR%/components/TavrelCtl.so ("};
    QTest::newRow("garbage is skipped, the next library found")
        << QList<ComponentFile>{{QStringLiteral("AaaCtl.so"), garbage(70000)}, broken, dependency}
        << QByteArray("applyskin") << QStringList{"0x80004005", "the broken component cannot skin"};

    // Which library offers the class: never the first by file name.
    const ComponentFile realAsAaa{QStringLiteral("AAA.so"), real};
    const ComponentFile brokenAsNamed{QStringLiteral("TavrelCtl.so"), brokenPlugin()};
    const ComponentFile other{QStringLiteral("AAA.so"), otherInterfacePlugin()};
    QTest::newRow("library named after the class wins over an earlier name")
        << QList<ComponentFile>{realAsAaa, brokenAsNamed, dependency} << QByteArray("applyskin")
        << QStringList{"the broken component cannot skin", "component host: ignoring ",
                       "/AAA.so, which also offers class 'TavrelCtl.TavrelSkin'",
                       "/TavrelCtl.so is named after the class's library"};
    QTest::newRow("two libraries offer the class, none named after it")
        << QList<ComponentFile>{{QStringLiteral("AaaCtl.so"), brokenPlugin()}, broken, dependency}
        << QByteArray("applyskin")
        << QStringList{"0x8007007E",
                       "class 'TavrelCtl.TavrelSkin' is offered by 2 component libraries",
                       "/AaaCtl.so, ", "/BrokenCtl.so;"};
    QTest::newRow("library of another interface skipped")
        << QList<ComponentFile>{other, broken, dependency} << QByteArray("applyskin")
        << QStringList{"the broken component cannot skin", "component host: skipping ",
                       "/AAA.so, which offers class 'TavrelCtl.TavrelSkin' for interface "
                       "org.tavrel.Host.ComponentFactory/2.0"};
    QTest::newRow("only a library of another interface")
        << QList<ComponentFile>{{QStringLiteral("TavrelCtl.so"), otherInterfacePlugin()}}
        << QByteArray()
        << QStringList{"0x8007007E",
                       "offered only by component libraries built for another interface",
                       "/TavrelCtl.so (org.tavrel.Host.ComponentFactory/2.0)"};

    // The generic skin plugin in a kit of its own (kit/plugins/generic) puts
    // the skin on the program's windows: the component comes from
    // kit/components only. The case's folder offers it elsewhere too: beside
    // the program (bin/) and in its ../lib/tavrelsample/components, in the
    // current folder (work/), behind a relative plugin path entry
    // ("plugins", from work/) and behind another plugin folder (elsewhere/).
    // Each of those holds the broken component; had it been loaded, the
    // case would end in its ApplySkin failure instead.
    const ComponentFile kitPlugin{QStringLiteral("kit/plugins/generic/libtavrelautoskin.so"),
                                  skinPlugin()};
    const ComponentFile kitFolder{QStringLiteral("kit/components/README"), QByteArray("kit")};
    const auto brokenIn = [&](const QString &folder) {
        return QList<ComponentFile>{
            {folder + QStringLiteral("/TavrelCtl.so"), brokenPlugin()},
            {folder + QStringLiteral("/libtavrel_vanishing.so"), brokenPluginDependency()}};
    };
    const QStringList notRegisteredInKit{"0x80040154", "'TavrelCtl.TavrelSkin' is not registered",
                                         "(looked in %DIR%/kit/components)"};
    QTest::newRow("skin plugin: kit's component comes from the kit")
        << QList<ComponentFile>{kitPlugin} + brokenIn(QStringLiteral("kit/components"))
        << QByteArray("applyskin") << QStringList{"0x80004005", "the broken component cannot skin"};
    QTest::newRow("skin plugin: not from the program's ../lib/tavrelsample/components")
        << QList<ComponentFile>{kitPlugin, kitFolder} +
               brokenIn(QStringLiteral("lib/tavrelsample/components"))
        << QByteArray("applyskin") << notRegisteredInKit;
    QTest::newRow("skin plugin: not from beside the program")
        << QList<ComponentFile>{kitPlugin, kitFolder} + brokenIn(QStringLiteral("bin/components"))
        << QByteArray("applyskin") << notRegisteredInKit;
    QTest::newRow("skin plugin: not from the current folder or a relative plugin path entry")
        << QList<ComponentFile>{kitPlugin, kitFolder, {QStringLiteral("work/plugins/README"), "x"}} +
               brokenIn(QStringLiteral("work/components"))
        << QByteArray("applyskin") << notRegisteredInKit;
    QTest::newRow("skin plugin: not beside another plugin folder")
        << QList<ComponentFile>{kitPlugin, kitFolder,
                                {QStringLiteral("elsewhere/plugins/README"), "x"}} +
               brokenIn(QStringLiteral("elsewhere/components"))
        << QByteArray("applyskin") << notRegisteredInKit;
    QTest::newRow("skin plugin: a kit's library that is none is named")
        << QList<ComponentFile>{kitPlugin,
                                {QStringLiteral("kit/components/TavrelCtl.so"), garbage(4096)}}
        << QByteArray()
        << QStringList{"0x80040154", "'TavrelCtl.TavrelSkin' is not registered",
                       "(looked in %DIR%/kit/components; refused "
                       "%DIR%/kit/components/TavrelCtl.so ("};

    // Whatever the component throws ends as a reported failure naming it.
    QTest::newRow("factory throws a standard exception")
        << QList<ComponentFile>{broken, dependency} << QByteArray("throw-create")
        << QStringList{"0x80020009", "cannot create TavrelSkin1 (TavrelCtl.TavrelSkin)",
                       "the factory of class 'TavrelCtl.TavrelSkin' threw std::runtime_error: "
                       "the broken factory has no parts left"};
    QTest::newRow("factory throws a type of its own")
        << QList<ComponentFile>{broken, dependency} << QByteArray("foreign-create")
        << QStringList{"0x80020009", "cannot create TavrelSkin1 (TavrelCtl.TavrelSkin)",
                       "threw an exception of type 'testing::BrokenFault'"};
    QTest::newRow("load throws std::bad_alloc")
        << QList<ComponentFile>{broken, dependency} << QByteArray("throw-load")
        << QStringList{
               "0x8007000E",
               "cannot create TavrelSkin1 (TavrelCtl.TavrelSkin): load threw std::bad_alloc "
               "(out of memory)"};
    QTest::newRow("ApplySkin throws a standard exception")
        << QList<ComponentFile>{broken, dependency} << QByteArray("throw-applyskin")
        << QStringList{
               "0x80020009",
               "method call 0x6003000C of TavrelSkin1 (TavrelCtl.TavrelSkin): the component "
               "threw std::out_of_range: the broken component lost count of its pieces"};
    QTest::newRow("ApplySkin throws a type of its own")
        << QList<ComponentFile>{broken, dependency} << QByteArray("foreign-applyskin")
        << QStringList{"0x80020009", "method call 0x6003000C of TavrelSkin1 (TavrelCtl.TavrelSkin)",
                       "an exception of type 'testing::BrokenFault'"};
    QTest::newRow("timer event throws a standard exception")
        << QList<ComponentFile>{broken, dependency} << QByteArray("throw-timer")
        << QStringList{"0x80020009",
                       "an event handler of TavrelSkin1 (TavrelCtl.TavrelSkin) on MainFrm",
                       "handling event Timer for QObject 'brokenHandler' threw std::runtime_error: "
                       "the broken component's timer went off"};
    QTest::newRow("timer event throws a type of its own")
        << QList<ComponentFile>{broken, dependency} << QByteArray("foreign-timer")
        << QStringList{"0x80020009",
                       "an event handler of TavrelSkin1 (TavrelCtl.TavrelSkin) on MainFrm",
                       "an exception of type 'testing::BrokenFault'"};
    QTest::newRow("event filter throws std::bad_alloc as the window shows")
        << QList<ComponentFile>{broken, dependency} << QByteArray("throw-show")
        << QStringList{"0x8007000E",
                       "an event handler of TavrelSkin1 (TavrelCtl.TavrelSkin) on MainFrm",
                       "handling event Show for ", "threw std::bad_alloc (out of memory)"};
}

void tst_FailureProcess::failureEndsTheProcess()
{
    QFETCH(QList<ComponentFile>, files);
    QFETCH(QByteArray, fault);
    QFETCH(QStringList, named);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath();
    // With the skin plugin the program lies in bin/, so that its ../lib is
    // inside the case's folder, and starts in work/.
    const bool withPlugin =
        std::any_of(files.cbegin(), files.cend(), [](const ComponentFile &file) {
            return file.name.endsWith(QLatin1String("libtavrelautoskin.so"));
        });
    const QString programDir = withPlugin ? root + QStringLiteral("/bin") : root;
    const QString exe = programDir + QStringLiteral("/tavrelsample");
    QVERIFY(QDir().mkpath(programDir + QStringLiteral("/components")));
    QVERIFY(QFile::copy(testing::applicationPath(), exe));
    for (const ComponentFile &file : std::as_const(files)) {
        const QString path = file.name.contains(QLatin1Char('/'))
                                 ? root + QLatin1Char('/') + file.name
                                 : programDir + QStringLiteral("/components/") + file.name;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(file.bytes), qint64(file.bytes.size()));
    }

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("LD_LIBRARY_PATH"));
    env.remove(QStringLiteral("QT_QPA_GENERIC_PLUGINS"));
    env.remove(QStringLiteral("QT_PLUGIN_PATH"));
    if (withPlugin) {
        QVERIFY(QDir().mkpath(root + QStringLiteral("/work")));
        p.setWorkingDirectory(root + QStringLiteral("/work"));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("tavrelskin"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"),
                   QStringList{root + QStringLiteral("/kit/plugins"), QStringLiteral("plugins"),
                               root + QStringLiteral("/elsewhere/plugins")}
                       .join(QDir::listSeparator()));
    }
    if (fault.isEmpty())
        env.remove(QStringLiteral("TAVREL_BROKEN_FAULT"));
    else
        env.insert(QStringLiteral("TAVREL_BROKEN_FAULT"), QString::fromLatin1(fault));
    p.setProcessEnvironment(env);
    p.start(exe, {});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(err));
    QVERIFY2(p.exitCode() == app::FailureReporter::ExitCode, qPrintable(err));
    QVERIFY2(err.contains(QLatin1String("tavrelsample: unhandled error")), qPrintable(err));
    for (QString part : std::as_const(named))
        QVERIFY2(err.contains(part.replace(QLatin1String("%DIR%"), root)), qPrintable(err));
}

QTEST_MAIN(tst_FailureProcess)
#include "tst_failureprocess.moc"
