// `cmake --install` into a fresh prefix and the Debian packages CPack makes:
// the installed program started the way its desktop entry starts it, from
// an unrelated folder and from the unpacked package; the kit a developer
// builds against (CMake package, pkg-config file, the example program); and
// an unmodified Qt program, Qt Designer, skinned by tavrel-skin-run.
#include "XSession.h"

#include <ComponentHost.h>
#include <SkinControl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLibrary>
#include <QLibraryInfo>
#include <QMap>
#include <QPixmap>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using e2e::XWindow;

namespace {

// Where the application looks for its component, beside its own folder.
const QString ComponentDir = QStringLiteral("lib/tavrelsample/components");
const QString ProgramPath = QStringLiteral("bin/tavrelsample");
const QString DesktopPath = QStringLiteral("share/applications/tavrelsample.desktop");
const QString IconPath = QStringLiteral("share/icons/hicolor/32x32/apps/tavrelsample.png");
const QString LibDir = QStringLiteral(TAVREL_INSTALL_LIBDIR);
const QString HostLibrary = LibDir + QStringLiteral("/libtavrelhost.so.1");
const QString PluginPath = QStringLiteral("lib/tavrelsample/plugins/generic/libtavrelautoskin.so");
const QString LauncherPath = QStringLiteral("bin/tavrel-skin-run");
const QString ManPages[] = {QStringLiteral("share/man/man1/tavrelsample.1.gz"),
                            QStringLiteral("share/man/man1/tavrel-skin-run.1.gz")};
const QString PackageDir = QStringLiteral("/usr");

constexpr int WindowTimeout = 20000;
constexpr int InputTimeout = 5000;

QString runTool(const QString &program, const QStringList &args, int *exitCode)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(1000);
        *exitCode = -1;
        return QStringLiteral("%1 did not finish within 60 s").arg(program);
    }
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

QHash<QString, QString> readDesktopEntry(const QString &path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inEntry = false;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char('#')))
            keys.insert(line.section(QLatin1Char('='), 0, 0).trimmed(),
                        line.section(QLatin1Char('='), 1).trimmed());
    }
    return keys;
}

QString runTool(const QString &program, const QStringList &args, int *exitCode,
                const QString &workingDirectory, const QProcessEnvironment &env,
                int timeoutMs = 240000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(workingDirectory);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        *exitCode = -1;
        return QStringLiteral("%1 %2 did not finish within %3 s: %4")
            .arg(program, args.join(QLatin1Char(' ')))
            .arg(timeoutMs / 1000)
            .arg(QString::fromLocal8Bit(p.readAll()));
    }
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

// A window skinned in this process through the host, on the offscreen
// platform, at a given outer size while active: how the component draws
// it, and where its parts lie.
struct SkinnedLook
{
    QImage image;
    QHash<QString, QRect> parts;
};

SkinnedLook skinnedLook(const QString &title, Qt::WindowType type, bool withIcon,
                        const QSize &outer, QString *error)
{
    SkinnedLook look;
    QWidget window(nullptr, type);
    window.setWindowTitle(title);
    if (withIcon) {
        // Any icon: it puts the title where a window with its own icon has it.
        QPixmap icon(16, 16);
        icon.fill(Qt::darkRed);
        window.setWindowIcon(icon);
    }
    try {
        skin::SkinControl control = skin::SkinControl::create(&window);
        control.applySkin();
    } catch (const tavrel::host::Error &e) {
        *error = QString::fromLocal8Bit(e.what());
        return look;
    }
    window.show();
    window.resize(outer);
    if (!QTest::qWaitForWindowActive(&window)) {
        *error = QStringLiteral("the reference window '%1' never becomes active").arg(title);
        return look;
    }
    QCoreApplication::processEvents();
    for (const QWidget *part : window.findChildren<QWidget *>()) {
        if (part->objectName().startsWith(QLatin1String("tavrelskin_")) && part->isVisible())
            look.parts.insert(part->objectName(),
                              QRect(part->mapTo(&window, QPoint(0, 0)), part->size()));
    }
    look.image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return look;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The caption's title text: the pixels of `area` where the titled look
// differs from the untitled one. Returns the share of them that `shot`
// (with the window at `at`) shows as the titled look does, and their count.
double titleShown(const QImage &shot, const QPoint &at, const QImage &titled,
                  const QImage &untitled, const QRect &area, int *textPixels)
{
    int hits = 0;
    *textPixels = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QPoint p = QPoint(x, y) + at;
            if (!shot.rect().contains(p) || near(titled.pixel(x, y), untitled.pixel(x, y), 40))
                continue;
            ++*textPixels;
            hits += near(shot.pixel(p), titled.pixel(x, y), 40) ? 1 : 0;
        }
    }
    return *textPixels ? double(hits) / *textPixels : 0.0;
}

// Mapped windows whose title is exactly `title`, searched for by its ASCII
// start: a title beyond Latin-1 reaches xdotool's pattern as compound text,
// escape sequences first.
QList<XWindow> windowsTitled(const e2e::XSession &x, const QString &title)
{
    QString start = title;
    for (qsizetype i = 0; i < start.size(); ++i) {
        const QChar c = start.at(i);
        if (c.unicode() > 0x7e || (!c.isLetterOrNumber() && c != QLatin1Char(' '))) {
            start.truncate(i);
            break;
        }
    }
    start = start.trimmed();
    int exitCode = 0;
    const QString ids = runTool(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), start},
                                &exitCode, QString(), x.environment(), 5000);
    QList<XWindow> windows;
    for (const QString &line : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        bool isNumber = false;
        const XWindow id = line.trimmed().toULongLong(&isNumber);
        if (!isNumber)
            continue;
        const QString name = runTool(QStringLiteral("xdotool"),
                                     {QStringLiteral("getwindowname"), QString::number(id)},
                                     &exitCode, QString(), x.environment(), 5000);
        if (exitCode == 0 && name.trimmed() == title)
            windows << id;
    }
    return windows;
}

// A window of programprobe as the probe itself and the X server see it.
struct ProbeWindow
{
    QRect geometry; // Qt's, in global coordinates
    QRect client;   // its contents rectangle, global
    QRect onScreen; // the X window's
    QMargins frame; // the window manager's frame around it
    QList<QRect> buttons;
};
using ProbeReport = QHash<QString, ProbeWindow>; // by object name: "main", "dialog"

QString rectText(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// One run of programprobe `args`, through `launcher` (skinned) or alone
// (plain), until its windows titled `titles` are on the screen and Qt
// places them where the X server has them; then their report, and the
// probe closed window by window (the geometry probe saves as it closes).
QString runProbe(const e2e::XSession &x, const QString &launcher, const QStringList &args,
                 const QStringList &titles, ProbeReport *report)
{
    QProcess probe;
    x.prepare(&probe);
    const QString program = QStringLiteral(TAVREL_PROGRAMPROBE);
    if (launcher.isEmpty())
        probe.start(program, args);
    else
        probe.start(launcher, QStringList{program} + args);
    if (!probe.waitForStarted(5000))
        return QStringLiteral("programprobe does not start");
    const auto stop = qScopeGuard([&probe] {
        if (probe.state() != QProcess::NotRunning) {
            probe.kill();
            probe.waitForFinished(5000);
        }
    });
    QHash<QString, XWindow> ids;
    const bool mapped = QTest::qWaitFor(
        [&] {
            for (const QString &title : titles) {
                const QList<XWindow> found = x.visibleWindows(title);
                if (found.size() == 1)
                    ids.insert(title, found.first());
            }
            return ids.size() == titles.size() || probe.state() == QProcess::NotRunning;
        },
        WindowTimeout);
    if (!mapped || ids.size() != titles.size())
        return QStringLiteral("the probe's windows %1 are not shown: %2")
            .arg(titles.join(QStringLiteral(", ")),
                 QString::fromLocal8Bit(probe.readAllStandardError()));

    const auto where = [&](ProbeReport *r) {
        r->clear();
        probe.write("where\n");
        QByteArray text;
        while (!text.contains("end\n") && probe.waitForReadyRead(InputTimeout))
            text += probe.readAllStandardOutput();
        for (const QByteArray &line : text.split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 6)
                continue;
            const QRect rect(f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt());
            if (f[0] == "geometry")
                (*r)[QString::fromLatin1(f[1])].geometry = rect;
            else if (f[0] == "client")
                (*r)[QString::fromLatin1(f[1])].client = rect;
            else if (f[0] == "button")
                (*r)[QStringLiteral("main")].buttons << rect;
        }
        return text.contains("end\n");
    };
    // Settled: Qt has each window where the X server has it, twice running.
    const QStringList names = titles.size() > 1
                                  ? QStringList{QStringLiteral("main"), QStringLiteral("dialog")}
                                  : QStringList{QStringLiteral("main")};
    ProbeReport last;
    const bool settled = QTest::qWaitFor(
        [&] {
            ProbeReport now;
            if (!where(&now))
                return false;
            for (int i = 0; i < names.size(); ++i) {
                ProbeWindow &w = now[names[i]];
                w.onScreen = x.geometry(ids.value(titles[i]));
                x.frameExtents(ids.value(titles[i]), &w.frame);
                if (w.onScreen.isNull() || w.onScreen != w.geometry)
                    return false;
            }
            const bool same = !last.isEmpty() && last.value(QStringLiteral("main")).onScreen ==
                                                     now.value(QStringLiteral("main")).onScreen;
            last = now;
            QTest::qWait(200);
            return same;
        },
        WindowTimeout);
    *report = last;
    if (!settled)
        return QStringLiteral("Qt and the X server do not agree where the windows are: Qt %1, X %2")
            .arg(rectText(last.value(QStringLiteral("main")).geometry),
                 rectText(last.value(QStringLiteral("main")).onScreen));
    for (int i = 0; i < 3 && probe.state() != QProcess::NotRunning; ++i) {
        probe.write("close\n");
        probe.waitForFinished(2000);
    }
    if (probe.state() != QProcess::NotRunning || probe.exitCode() != 0)
        return QStringLiteral("programprobe does not close cleanly: %1")
            .arg(QString::fromLocal8Bit(probe.readAllStandardError()));
    return QString();
}

} // namespace

class tst_Install : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void installedFiles_data();
    void installedFiles();
    void componentProvidesTheSkinClass();
    void desktopEntryStartsTheProgramWithItsIcon();
    void binariesNeedNothingFromTheBuildTree_data();
    void binariesNeedNothingFromTheBuildTree();
    void hostLibraryHasAVersionedName();
    void hostLibraryExportsItsInterfaceOnly();
    void pkgConfigLeadsIntoThePrefix();
    void exampleBuildsAgainstTheKitAndIsSkinned();
    void launcherSaysWhatIsWrong_data();
    void launcherSaysWhatIsWrong();
    void debianPackages();
    void installedProgramRunsFromAnyFolder_data();
    void installedProgramRunsFromAnyFolder();
    void skinRunSkinsAnUnmodifiedProgram();
    void skinRunKeepsWhatProgramsAsk_data();
    void skinRunKeepsWhatProgramsAsk();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
    // The runtime package unpacked by dpkg-deb -x, once debianPackages ran.
    QTemporaryDir m_unpacked;
    bool m_packageUnpacked = false;
    // examples/consumer built against the kit, once that test ran.
    QTemporaryDir m_example;
};

void tst_Install::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    int exitCode = 0;
    const QString out = runTool(QStringLiteral(TAVREL_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(TAVREL_BINARY_DIR),
                                 QStringLiteral("--prefix"), m_prefix.path()},
                                &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(out));
    // The references this test draws use the installed component.
    tavrel::host::ComponentHost::instance().setSearchPaths({installed(ComponentDir)});
}

void tst_Install::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("program") << ProgramPath << true;
    QTest::newRow("component folder") << ComponentDir << true;
    QTest::newRow("desktop entry") << DesktopPath << false;
    QTest::newRow("icon") << IconPath << false;
    QTest::newRow("host library") << HostLibrary << false;
    QTest::newRow("host library for the linker")
        << LibDir + QStringLiteral("/libtavrelhost.so") << false;
    QTest::newRow("host header") << QStringLiteral("include/tavrel/host/ComponentSite.h") << false;
    QTest::newRow("picture stream header")
        << QStringLiteral("include/tavrel/host/PictureStream.h") << false;
    QTest::newRow("export macro header")
        << QStringLiteral("include/tavrel/host/HostExport.h") << false;
    QTest::newRow("program's manual page") << ManPages[0] << false;
    QTest::newRow("launcher's manual page") << ManPages[1] << false;
    QTest::newRow("CMake package")
        << LibDir + QStringLiteral("/cmake/TavrelSkin/TavrelSkinConfig.cmake") << false;
    QTest::newRow("pkg-config file")
        << LibDir + QStringLiteral("/pkgconfig/tavrelskin.pc") << false;
    QTest::newRow("skin picture") << QStringLiteral("share/tavrelskin/tavrelskin.bmp") << false;
    QTest::newRow("generic skin plugin") << PluginPath << false;
    QTest::newRow("launcher") << LauncherPath << true;
}

void tst_Install::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo info(installed(path));
    QVERIFY2(info.exists(), qPrintable(info.filePath()));
    QCOMPARE(info.isExecutable(), executable);
}

void tst_Install::componentProvidesTheSkinClass()
{
    // What the host reads to pick the library: the class names in the
    // plugin's metadata.
    const QDir dir(installed(ComponentDir));
    QStringList providers;
    for (const QString &file : dir.entryList(QDir::Files)) {
        const QString path = dir.absoluteFilePath(file);
        if (!QLibrary::isLibrary(path))
            continue;
        const QJsonObject meta =
            QPluginLoader(path).metaData().value(QLatin1String("MetaData")).toObject();
        if (meta.value(QLatin1String("classNames"))
                .toArray()
                .contains(QStringLiteral("TavrelCtl.TavrelSkin")))
            providers << file;
    }
    QCOMPARE(providers.size(), 1);
}

void tst_Install::desktopEntryStartsTheProgramWithItsIcon()
{
    const QHash<QString, QString> entry = readDesktopEntry(installed(DesktopPath));
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QVERIFY(!entry.value(QStringLiteral("Name")).isEmpty());
    // Exec names the program as found on PATH, i.e. in the prefix's bin/.
    const QString exec = entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
    QCOMPARE(exec, QFileInfo(ProgramPath).fileName());
    QCOMPARE(entry.value(QStringLiteral("Icon")), QFileInfo(IconPath).completeBaseName());
    const QImage icon(installed(IconPath));
    QCOMPARE(icon.size(), QSize(32, 32));
}

void tst_Install::binariesNeedNothingFromTheBuildTree_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("program") << installed(ProgramPath);
    QTest::newRow("host library") << installed(HostLibrary);
    QTest::newRow("generic skin plugin") << installed(PluginPath);
    const QDir dir(installed(ComponentDir));
    for (const QString &file : dir.entryList(QDir::Files))
        QTest::newRow(qPrintable(file)) << dir.absoluteFilePath(file);
}

void tst_Install::binariesNeedNothingFromTheBuildTree()
{
    QFETCH(QString, path);
    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    QVERIFY2(!readelf.isEmpty(), "readelf (binutils) is not installed");
    int exitCode = 0;
    const QString dynamic = runTool(readelf, {QStringLiteral("-d"), path}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(dynamic));
    // Library search paths may only be relative to the binary itself.
    static const QRegularExpression runpath(QStringLiteral("R(UN)?PATH.*\\[(.*)\\]"));
    for (auto it = runpath.globalMatch(dynamic); it.hasNext();) {
        for (const QString &entry : it.next().captured(2).split(QLatin1Char(':'))) {
            QVERIFY2(entry.startsWith(QLatin1String("$ORIGIN")),
                     qPrintable(QStringLiteral("%1: search path %2").arg(path, entry)));
        }
    }
    const QString libraries = runTool(QStringLiteral("ldd"), {path}, &exitCode);
    QVERIFY2(exitCode == 0 && !libraries.contains(QLatin1String("not found")),
             qPrintable(libraries));
    QVERIFY2(!libraries.contains(QLatin1String(TAVREL_BINARY_DIR)), qPrintable(libraries));
}

void tst_Install::hostLibraryHasAVersionedName()
{
    int exitCode = 0;
    const QString dynamic = runTool(QStringLiteral("readelf"),
                                    {QStringLiteral("-d"), installed(HostLibrary)}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(dynamic));
    QVERIFY2(dynamic.contains(QLatin1String("(SONAME)")) &&
                 dynamic.contains(QLatin1String("[libtavrelhost.so.1]")),
             qPrintable(dynamic));
    // The linker's name and the loader's name lead to one file.
    QCOMPARE(QFileInfo(installed(LibDir + QStringLiteral("/libtavrelhost.so"))).canonicalFilePath(),
             QFileInfo(installed(HostLibrary)).canonicalFilePath());
    // Everything that hosts the component loads the host by that name.
    for (const QString &user :
         {ProgramPath, PluginPath, ComponentDir + QStringLiteral("/TavrelCtl.so")}) {
        const QString needs =
            runTool(QStringLiteral("readelf"), {QStringLiteral("-d"), installed(user)}, &exitCode);
        QVERIFY2(needs.contains(QLatin1String("(NEEDED)             Shared library: "
                                              "[libtavrelhost.so.1]")),
                 qPrintable(user + QLatin1Char('\n') + needs));
    }
}

void tst_Install::hostLibraryExportsItsInterfaceOnly()
{
#ifdef TAVREL_SANITIZED
    QSKIP("the sanitizer adds symbols of its own");
#endif
    // What the library exports, against the symbols file of its package:
    // nothing private, nothing missing. A change of the interface changes
    // kit/deb/libtavrelhost1.symbols with it.
    int exitCode = 0;
    const QString listing = runTool(QStringLiteral("nm"),
                                    {QStringLiteral("-DC"), QStringLiteral("--defined-only"),
                                     installed(HostLibrary)},
                                    &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(listing));
    QSet<QString> exported;
    for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // "0000000000012345 T tavrel::host::Variant::fromI4(int)"
        const QString name = line.section(QLatin1Char(' '), 2);
        if (name != QLatin1String("__bss_start") && name != QLatin1String("_edata") &&
            name != QLatin1String("_end"))
            exported << name;
    }
    QFile file(QStringLiteral(TAVREL_SOURCE_DIR "/kit/deb/libtavrelhost1.symbols"));
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    static const QRegularExpression entry(QStringLiteral("^ \\(c\\+\\+\\)\"(.*)@Base\" \\S+$"));
    QSet<QString> listed;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (const QRegularExpressionMatch m = entry.match(line); m.hasMatch())
            listed << m.captured(1);
    }
    QVERIFY(!listed.isEmpty());
    QStringList unlisted = (exported - listed).values(), missing = (listed - exported).values();
    unlisted.sort();
    missing.sort();
    QVERIFY2(unlisted.isEmpty(), qPrintable(QStringLiteral("exported, not in the symbols file:\n") +
                                            unlisted.join(QLatin1Char('\n'))));
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("in the symbols file, not exported:\n") +
                                           missing.join(QLatin1Char('\n'))));
    // Nothing of the tree's own parts that the headers do not ship.
    for (const QString &name : std::as_const(exported)) {
        QVERIFY2(!name.contains(QLatin1String("findFactory")) &&
                     !name.contains(QLatin1String("loadFactory")) &&
                     !name.contains(QLatin1String("decodeIcon")) && name.contains(QLatin1String("host::")),
                 qPrintable(name));
    }
}

void tst_Install::pkgConfigLeadsIntoThePrefix()
{
    const QString pkgConfig = QStandardPaths::findExecutable(QStringLiteral("pkg-config"));
    QVERIFY2(!pkgConfig.isEmpty(), "pkg-config is not installed (scripts/setup.sh installs it)");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PKG_CONFIG_PATH"), installed(LibDir + QStringLiteral("/pkgconfig")));
    int exitCode = 0;
    const QString flags = runTool(pkgConfig,
                                  {QStringLiteral("--cflags"), QStringLiteral("--libs"),
                                   QStringLiteral("tavrelskin")},
                                  &exitCode, m_prefix.path(), env)
                              .trimmed();
    QVERIFY2(exitCode == 0, qPrintable(flags));
    QVERIFY2(flags.contains(QLatin1String("-ltavrelhost")), qPrintable(flags));
    QVERIFY2(flags.contains(QLatin1String("-lQt6Widgets")), qPrintable(flags));
    // Our folders, wherever the prefix is: each exists inside it.
    const QString prefix = QDir(m_prefix.path()).canonicalPath();
    QStringList ours;
    for (const QString &flag : flags.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (flag.startsWith(QLatin1String("-I")) || flag.startsWith(QLatin1String("-L"))) {
            const QString dir = QDir(flag.mid(2)).canonicalPath();
            if (dir.startsWith(prefix))
                ours << dir;
        }
    }
    QVERIFY2(ours.contains(QDir(installed(QStringLiteral("include"))).canonicalPath()),
             qPrintable(flags));
    QVERIFY2(ours.contains(QDir(installed(LibDir)).canonicalPath()), qPrintable(flags));
    // Plain folders, so that pkg-config can tell the system's own from ours.
    QVERIFY2(!flags.contains(QLatin1String("/../")) && !flags.contains(QLatin1String("/./")),
             qPrintable(flags));
    // A client includes the headers by the kit's folder.
    QProcess compile;
    compile.setWorkingDirectory(m_prefix.path());
    compile.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args{QStringLiteral("-std=c++17"), QStringLiteral("-fsyntax-only"),
                     QStringLiteral("-fPIC"), QStringLiteral("-x"), QStringLiteral("c++"),
                     QStringLiteral("-")};
    args = flags.split(QLatin1Char(' '), Qt::SkipEmptyParts).filter(QRegularExpression(QStringLiteral("^-[ID]"))) + args;
    compile.start(QStringLiteral("c++"), args);
    QVERIFY(compile.waitForStarted(5000));
    compile.write("#include <tavrel/host/ComponentHost.h>\n"
                  "#include <tavrel/host/ComponentSite.h>\n"
                  "#include <tavrel/host/PictureStream.h>\n"
                  "int main() { return tavrel::host::ComponentHost::instance().searchPaths().size(); }\n");
    compile.closeWriteChannel();
    QVERIFY(compile.waitForFinished(60000));
    QVERIFY2(compile.exitCode() == 0, qPrintable(QString::fromLocal8Bit(compile.readAll())));
    const QString components =
        runTool(pkgConfig,
                {QStringLiteral("--variable=componentdir"), QStringLiteral("tavrelskin")},
                &exitCode, m_prefix.path(), env)
            .trimmed();
    QCOMPARE(QDir(components).canonicalPath(), QDir(installed(ComponentDir)).canonicalPath());
}

void tst_Install::exampleBuildsAgainstTheKitAndIsSkinned()
{
#ifdef TAVREL_SANITIZED
    QSKIP("the sanitized kit would need the sanitizer runtime in the example too");
#endif
    // examples/consumer as a developer builds it: a project of its own that
    // knows only where the kit is installed.
    QTemporaryDir &work = m_example;
    QVERIFY(work.isValid());
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    int exitCode = 0;
    QString out = runTool(
        QStringLiteral(TAVREL_CMAKE_COMMAND),
        {QStringLiteral("-S"), QStringLiteral(TAVREL_SOURCE_DIR "/examples/consumer"),
         QStringLiteral("-B"), work.filePath(QStringLiteral("build")), QStringLiteral("-G"),
         QStringLiteral(TAVREL_CMAKE_GENERATOR), QStringLiteral("-DCMAKE_BUILD_TYPE=Release"),
         QStringLiteral("-DCMAKE_PREFIX_PATH=") + m_prefix.path()},
        &exitCode, work.path(), env);
    QVERIFY2(exitCode == 0, qPrintable(out));
    out = runTool(QStringLiteral(TAVREL_CMAKE_COMMAND),
                  {QStringLiteral("--build"), work.filePath(QStringLiteral("build"))}, &exitCode,
                  work.path(), env);
    QVERIFY2(exitCode == 0, qPrintable(out));

    QProcessEnvironment offscreen = env;
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString shotPath = work.filePath(QStringLiteral("consumer.png"));
    out = runTool(work.filePath(QStringLiteral("build/consumer")),
                  {QStringLiteral("--grab"), shotPath}, &exitCode, work.path(), offscreen, 30000);
    QVERIFY2(exitCode == 0, qPrintable(out));
    const QImage shot = QImage(shotPath).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!shot.isNull(), qPrintable(out));

    // The same window skinned here, in the scheme the example puts (Dark Blue).
    QWidget window;
    window.setWindowTitle(QStringLiteral("Skinned Consumer"));
    (new QVBoxLayout(&window))
        ->addWidget(new QLabel(QStringLiteral("A window of my own, in the Tavrel skin")));
    skin::SkinControl control = skin::SkinControl::create(&window);
    control.setColorScheme(skin::DarkBlue);
    control.applySkin();
    window.show();
    const QImage expected = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.size(), expected.size());
    int same = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            same += near(shot.pixel(x, y), expected.pixel(x, y), 8) ? 1 : 0;
    }
    const double share = double(same) / (shot.width() * shot.height());
    QVERIFY2(share >= 0.98, qPrintable(QStringLiteral("the example's window is like the skinned "
                                                      "one in %1% of its pixels")
                                           .arg(share * 100, 0, 'f', 1)));
}

void tst_Install::launcherSaysWhatIsWrong_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString schemeRefused = QStringLiteral("' is not a colour scheme: give 1, 2 or 3");
    const QStringList program{QStringLiteral("/bin/echo"), QStringLiteral("started")};
    QTest::newRow("no program") << QStringList() << QString() << 2
                                << QStringLiteral("usage: tavrel-skin-run [--] PROGRAM");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << QString() << 0
                            << QStringLiteral("usage: tavrel-skin-run [--] PROGRAM");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--verbose")} << QString() << 2
                                    << QStringLiteral("unknown option '--verbose'");
    QTest::newRow("-- before the program")
        << QStringList{QStringLiteral("--")} + program << QString() << 0 << QStringLiteral("started");
    QTest::newRow("program with its arguments") << program << QStringLiteral(" Dark-Blue ") << 0
                                                << QStringLiteral("started");
    QTest::newRow("no such program") << QStringList{QStringLiteral("/nonexistent/program")}
                                     << QString() << 127 << QStringLiteral("/nonexistent/program");
    // Refused before the program starts.
    QTest::newRow("unknown colour scheme")
        << program << QStringLiteral("purple") << 2
        << QStringLiteral("TAVREL_SKIN_SCHEME: 'purple") + schemeRefused;
    QTest::newRow("negative scheme") << program << QStringLiteral("-1") << 2
                                     << QStringLiteral("'-1") + schemeRefused;
    QTest::newRow("scheme in dashes") << program << QStringLiteral("--2--") << 2
                                      << QStringLiteral("'--2--") + schemeRefused;
    QTest::newRow("scheme out of range") << program << QStringLiteral("4") << 2
                                         << QStringLiteral("'4") + schemeRefused;
}

void tst_Install::launcherSaysWhatIsWrong()
{
    QFETCH(QStringList, args);
    QFETCH(QString, scheme);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TAVREL_SKIN_SCHEME"), scheme);
    QProcess p;
    p.setWorkingDirectory(m_prefix.path());
    p.setProcessEnvironment(env);
    p.start(installed(LauncherPath), args);
    QVERIFY(p.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == exitCode, qPrintable(out + err));
    // What was asked for goes to standard output, a refusal to standard error.
    QVERIFY2((exitCode == 0 ? out : err).contains(message), qPrintable(out + err));
    if (exitCode == 0)
        QVERIFY2(err.isEmpty(), qPrintable(err));
}

void tst_Install::debianPackages()
{
#ifdef TAVREL_SANITIZED
    QSKIP("packages are built and checked by the plain build's tests");
#endif
    for (const char *tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps", "lintian"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty() ||
                     (qstrcmp(tool, "cpack") == 0 &&
                      QFileInfo::exists(QStringLiteral(TAVREL_CPACK_COMMAND))),
                 qPrintable(QStringLiteral("%1 is not installed (scripts/setup.sh installs it)")
                                .arg(QLatin1String(tool))));
    }
    QTemporaryDir out;
    QVERIFY(out.isValid());
    int exitCode = 0;
    const QString log = runTool(
        QStringLiteral(TAVREL_CPACK_COMMAND),
        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path()}, &exitCode,
        QStringLiteral(TAVREL_BINARY_DIR), QProcessEnvironment::systemEnvironment());
    QVERIFY2(exitCode == 0, qPrintable(log));
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 3);
    const auto debOf = [&](const QString &package) {
        const QStringList found = debs.filter(QRegularExpression(
            QStringLiteral("^%1_").arg(QRegularExpression::escape(package))));
        return found.size() == 1 ? out.filePath(found.first()) : QString();
    };
    const QString runtimeDeb = debOf(QStringLiteral("tavrelsample"));
    const QString libraryDeb = debOf(QStringLiteral("libtavrelhost1"));
    const QString devDeb = debOf(QStringLiteral("tavrelsample-dev"));
    QVERIFY2(!runtimeDeb.isEmpty() && !libraryDeb.isEmpty() && !devDeb.isEmpty(),
             qPrintable(debs.join(u' ')));

    const auto field = [&](const QString &deb, const char *name) {
        int rc = 0;
        const QString value = runTool(QStringLiteral("dpkg-deb"),
                                      {QStringLiteral("-f"), deb, QLatin1String(name)}, &rc)
                                  .trimmed();
        return rc == 0 ? value : QString();
    };
    const auto contents = [&](const QString &deb) {
        int rc = 0;
        QStringList files;
        const QString listing =
            runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb}, &rc);
        for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            // "-rwxr-xr-x root/root 1234 2026-01-01 00:00 ./usr/bin/x [-> target]"
            const QString path =
                line.section(QLatin1String(" ./"), 1).section(QLatin1String(" -> "), 0, 0);
            if (!path.endsWith(QLatin1Char('/')))
                files << path;
        }
        return files;
    };
    const auto controlFile = [&](const QString &deb, const char *name, bool *present) {
        int rc = 0;
        const QString text =
            runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), deb, QLatin1String(name)}, &rc);
        *present = rc == 0;
        return text;
    };
    const QString version = QStringLiteral(TAVREL_PACKAGE_VERSION);
    QCOMPARE(field(runtimeDeb, "Package"), QStringLiteral("tavrelsample"));
    QCOMPARE(field(libraryDeb, "Package"), QStringLiteral("libtavrelhost1"));
    QCOMPARE(field(devDeb, "Package"), QStringLiteral("tavrelsample-dev"));
    QCOMPARE(field(runtimeDeb, "Version"), version);
    // dpkg-shlibdeps found what the binaries link to.
    const QString runtimeDepends = field(runtimeDeb, "Depends");
    for (const char *dependency :
         {"libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libtavrelhost1"})
        QVERIFY2(runtimeDepends.contains(QLatin1String(dependency) + QLatin1Char(' ')),
                 qPrintable(runtimeDepends));
    for (const char *dependency : {"libc6", "libqt6core6"})
        QVERIFY2(field(libraryDeb, "Depends").contains(QLatin1String(dependency)),
                 qPrintable(field(libraryDeb, "Depends")));
    const QString devDepends = field(devDeb, "Depends");
    QVERIFY2(devDepends.contains(QStringLiteral("libtavrelhost1 (= %1)").arg(version)),
             qPrintable(devDepends));
    QVERIFY2(devDepends.contains(QLatin1String("qt6-base-dev")), qPrintable(devDepends));

    // The library's package tells dpkg-shlibdeps what it exports, and has the
    // loader's cache refreshed by trigger. No package has maintainer scripts:
    // nothing stays behind after dpkg -r.
    bool present = false;
    const QString symbols = controlFile(libraryDeb, "symbols", &present);
    QVERIFY2(present && symbols.startsWith(QLatin1String("libtavrelhost.so.1 libtavrelhost1 ")),
             qPrintable(symbols));
    QVERIFY2(controlFile(libraryDeb, "triggers", &present).trimmed() ==
                 QLatin1String("activate-noawait ldconfig"),
             "libtavrelhost1 has the ldconfig trigger");
    for (const QString &deb : {runtimeDeb, libraryDeb, devDeb}) {
        for (const char *script : {"preinst", "postinst", "prerm", "postrm"}) {
            controlFile(deb, script, &present);
            QVERIFY2(!present, qPrintable(deb + QStringLiteral(": ") + QLatin1String(script)));
        }
    }

    const QString usr = PackageDir.mid(1) + QLatin1Char('/');
    const QList<QPair<QString, QStringList>> packages{
        {runtimeDeb,
         {ProgramPath, ComponentDir + QStringLiteral("/TavrelCtl.so"), DesktopPath, IconPath,
          PluginPath, LauncherPath, ManPages[0], ManPages[1]}},
        {libraryDeb, {HostLibrary}},
        {devDeb,
         {QStringLiteral("include/tavrel/host/ComponentSite.h"),
          QStringLiteral("include/tavrel/host/PictureStream.h"),
          QStringLiteral("include/tavrel/host/HostExport.h"),
          LibDir + QStringLiteral("/libtavrelhost.so"),
          LibDir + QStringLiteral("/cmake/TavrelSkin/TavrelSkinConfig.cmake"),
          LibDir + QStringLiteral("/pkgconfig/tavrelskin.pc"),
          QStringLiteral("share/tavrelskin/tavrelskin.bmp")}}};
    for (const auto &[deb, files] : packages) {
        const QStringList listed = contents(deb);
        for (const QString &file : files)
            QVERIFY2(listed.contains(usr + file),
                     qPrintable(file + QStringLiteral(" in\n") + listed.join(u'\n')));
        for (const auto &[other, theirs] : packages) {
            for (const QString &file : theirs)
                QVERIFY2(other == deb || !listed.contains(usr + file),
                         qPrintable(file + QStringLiteral(" in ") + deb));
        }
    }

    // Debian's checks, pedantic ones included: no error, no warning.
    for (const QString &deb : {runtimeDeb, libraryDeb, devDeb}) {
        const QString lintian = runTool(
            QStringLiteral("lintian"),
            {QStringLiteral("-EvIL"), QStringLiteral("+pedantic"),
             QStringLiteral("--tag-display-limit"), QStringLiteral("0"),
             QStringLiteral("--fail-on"), QStringLiteral("error,warning"), deb},
            &exitCode, out.path(), QProcessEnvironment::systemEnvironment(), 400000);
        QStringList faults;
        for (const QString &line : lintian.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1String("E: ")) || line.startsWith(QLatin1String("W: ")))
                faults << line;
            else if (line.contains(QRegularExpression(QStringLiteral("^[IPX]: "))))
                qInfo("lintian: %s", qPrintable(line));
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QVERIFY2(exitCode == 0, qPrintable(deb + QLatin1Char('\n') + lintian));
    }

    // The program with its library, as dpkg would install them.
    QVERIFY(m_unpacked.isValid());
    for (const QString &deb : {runtimeDeb, libraryDeb}) {
        const QString unpacked = runTool(
            QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, m_unpacked.path()}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(unpacked));
    }
    m_packageUnpacked = true;
}

void tst_Install::installedProgramRunsFromAnyFolder_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("fromPackage");
    QTest::newRow("cmake --install") << m_prefix.path() << false;
#ifndef TAVREL_SANITIZED
    QTest::newRow("unpacked Debian package") << m_unpacked.filePath(PackageDir.mid(1)) << true;
#endif
}

void tst_Install::installedProgramRunsFromAnyFolder()
{
    QFETCH(QString, prefix);
    QFETCH(bool, fromPackage);
    QVERIFY2(!fromPackage || m_packageUnpacked, "the runtime package was not unpacked");
    const QStringList missing = e2e::XSession::missingTools();
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("not installed: %1 (scripts/setup.sh installs them)")
                            .arg(missing.join(QStringLiteral(", ")))));
    e2e::XSession x;
    QVERIFY2(x.start(), qPrintable(x.lastError()));

    // Started by the name its desktop entry gives, found in the prefix's
    // bin/, from a folder that has nothing to do with the prefix or the build.
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    QProcess app;
    x.prepare(&app);
    app.setWorkingDirectory(elsewhere.path());
    app.setProgram(QStandardPaths::findExecutable(QStringLiteral("tavrelsample"),
                                                  {prefix + QStringLiteral("/bin")}));
    QVERIFY(!app.program().isEmpty());
    app.start();
    QVERIFY(app.waitForStarted(5000));

    QList<XWindow> windows;
    const bool shown = QTest::qWaitFor(
        [&] {
            windows = x.visibleWindows(QStringLiteral("Tavrel Sample"));
            return windows.size() == 1 || app.state() == QProcess::NotRunning;
        },
        10000);
    const QString err = QString::fromLocal8Bit(app.readAllStandardError());
    QVERIFY2(shown && windows.size() == 1, qPrintable(err));
    // Skinned, so the component was found: no decoration from the window
    // manager (the error box a missing component brings has one).
    QMargins extents(-1, -1, -1, -1);
    QVERIFY2(x.frameExtents(windows.first(), &extents), qPrintable(x.lastError()));
    QCOMPARE(extents, QMargins());

    QVERIFY(x.activate(windows.first()));
    QVERIFY(QTest::qWaitFor([&] { return x.activeWindow() == windows.first(); }, 5000));
    QVERIFY(x.key(QStringLiteral("alt+x")));
    const bool ended = app.waitForFinished(10000);
    if (!ended) {
        app.kill();
        app.waitForFinished(5000);
    }
    QVERIFY2(ended, "Alt+X ends the installed program");
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
}

void tst_Install::skinRunSkinsAnUnmodifiedProgram()
{
#ifdef TAVREL_SANITIZED
    QSKIP("an uninstrumented program cannot load the sanitized plugin");
#endif
    // Qt Designer as Debian ships it, started through the kit's launcher.
    const QString designer =
        QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/designer");
    QVERIFY2(QFileInfo(designer).isExecutable(),
             qPrintable(designer + QStringLiteral(" is missing (scripts/setup.sh installs "
                                                  "designer-qt6)")));
    const QStringList missing = e2e::XSession::missingTools();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    e2e::XSession x;
    QVERIFY2(x.start(), qPrintable(x.lastError()));
    QProcess app;
    x.prepare(&app);
    app.setProcessChannelMode(QProcess::MergedChannels);
    // The screen as a failure leaves it.
    const auto keepScreen = qScopeGuard([&x] {
        if (!QTest::currentTestFailed())
            return;
        QDir().mkpath(QStringLiteral("e2e-artifacts"));
        const QString path =
            QDir(QStringLiteral("e2e-artifacts")).absoluteFilePath(QStringLiteral("designer.png"));
        if (x.screenshot().save(path))
            qInfo("screen saved to %s", qPrintable(path));
    });
    app.start(installed(LauncherPath), {designer});
    QVERIFY(app.waitForStarted(5000));
    const auto output = [&app] { return QString::fromLocal8Bit(app.readAll()); };
    const auto waitForWindow = [&](const QString &title) {
        QList<XWindow> windows;
        (void)QTest::qWaitFor(
            [&] {
                windows = windowsTitled(x, title);
                return windows.size() == 1 || app.state() == QProcess::NotRunning;
            },
            WindowTimeout);
        return windows.size() == 1 ? windows.first() : XWindow(0);
    };
    const auto waitForActive = [&](XWindow window) {
        x.activate(window);
        return QTest::qWaitFor([&] { return x.activeWindow() == window; }, InputTimeout);
    };
    const auto screenRect = [&](XWindow window, const QRect &inWindow) {
        return inWindow.translated(x.geometry(window).topLeft());
    };
    // Skinned: the window manager draws no frame, and the top of the window
    // carries the skin's caption with the window's own title in it.
    const auto checkSkinned = [&](XWindow window, const QString &title, Qt::WindowType type,
                                  bool withIcon, SkinnedLook *look) {
        QMargins extents(-1, -1, -1, -1);
        if (!x.frameExtents(window, &extents) || extents != QMargins())
            return QStringLiteral("'%1' has a frame from the window manager").arg(title);
        const QRect geometry = x.geometry(window);
        QString error;
        *look = skinnedLook(title, type, withIcon, geometry.size(), &error);
        const SkinnedLook untitled =
            skinnedLook(QString(), type, withIcon, geometry.size(), &error);
        const QRect caption = look->parts.value(QStringLiteral("tavrelskin_caption"));
        if (!error.isEmpty() || caption.isEmpty())
            return QStringLiteral("no reference for '%1': %2").arg(title, error);
        double share = 0;
        int textPixels = 0;
        (void)QTest::qWaitFor(
            [&] {
                share = titleShown(x.screenshot(), geometry.topLeft(), look->image, untitled.image,
                                   caption, &textPixels);
                return share >= 0.9;
            },
            InputTimeout);
        qInfo("'%s': %d pixels of title text in the caption, %.1f%% of them on screen",
              qPrintable(title), textPixels, share * 100);
        if (textPixels < 30 || share < 0.9)
            return QStringLiteral("the caption of '%1' shows its title in %2% of %3 text pixels")
                .arg(title)
                .arg(share * 100, 0, 'f', 1)
                .arg(textPixels);
        return QString();
    };

    // The dialog Designer opens as it starts, over its main window.
    const QString dialogTitle = QStringLiteral("New Form — Qt Designer");
    const XWindow dialog = waitForWindow(dialogTitle);
    QVERIFY2(dialog, qPrintable(output()));
    const XWindow main = waitForWindow(QStringLiteral("Qt Designer"));
    QVERIFY2(main, qPrintable(output()));
    QVERIFY(waitForActive(dialog));
    SkinnedLook dialogLook;
    // The window manager's title has " — Qt Designer" added by Qt; the
    // window's own title is what the skin shows.
    QString fault =
        checkSkinned(dialog, QStringLiteral("New Form"), Qt::Dialog, false, &dialogLook);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    // Closed by the skin's close button.
    QVERIFY(x.click(
        screenRect(dialog, dialogLook.parts.value(QStringLiteral("tavrelskin_close"))).center()));
    QVERIFY2(QTest::qWaitFor([&] { return windowsTitled(x, dialogTitle).isEmpty(); }, InputTimeout),
             "the dialog closes by the skin's close button");

    QVERIFY(waitForActive(main));
    SkinnedLook mainLook;
    fault = checkSkinned(main, QStringLiteral("Qt Designer"), Qt::Window, true, &mainLook);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    // Designer starts maximised: the skin's maximise button restores it.
    const QRect maximised = x.geometry(main);
    QVERIFY(x.click(
        screenRect(main, mainLook.parts.value(QStringLiteral("tavrelskin_maximize"))).center()));
    QRect restored;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     restored = x.geometry(main);
                     return !restored.isNull() && restored.width() < maximised.width();
                 },
                 InputTimeout),
             "the skin's maximise button restores the window");

    // Moved by its caption.
    const QRect caption = mainLook.parts.value(QStringLiteral("tavrelskin_caption"));
    const QPoint grip =
        restored.topLeft() + QPoint(qMin(120, restored.width() / 3), caption.center().y());
    const QPoint delta(70, 45);
    QVERIFY2(x.drag(grip, grip + delta), qPrintable(x.lastError()));
    QRect moved;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     moved = x.geometry(main);
                     return moved.topLeft() == restored.topLeft() + delta;
                 },
                 InputTimeout),
             qPrintable(QStringLiteral("dragging the caption by 70,45 moved the window from "
                                       "%1,%2 to %3,%4")
                            .arg(restored.x())
                            .arg(restored.y())
                            .arg(moved.x())
                            .arg(moved.y())));
    QCOMPARE(moved.size(), restored.size());

    // Closed by the skin's close button, at the same distance from the
    // right edge as in the wide window.
    const QRect close = mainLook.parts.value(QStringLiteral("tavrelskin_close"));
    QVERIFY(!close.isEmpty());
    const QPoint closeAt(moved.right() - (maximised.width() - 1 - close.center().x()),
                         moved.top() + close.center().y());
    QVERIFY(waitForActive(main));
    QVERIFY(x.click(closeAt));
    const bool ended = app.waitForFinished(10000);
    if (!ended) {
        app.kill();
        app.waitForFinished(5000);
    }
    QVERIFY2(ended,
             qPrintable(QStringLiteral("Designer closes by the skin's close button: ") + output()));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
}

void tst_Install::skinRunKeepsWhatProgramsAsk_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("saved geometry, five skinned runs and a plain one")
        << QStringLiteral("geometry");
    QTest::newRow("window the program does not place") << QStringLiteral("unplaced");
    QTest::newRow("window moved before it is shown") << QStringLiteral("moved");
    QTest::newRow("modal dialog centred on its parent, six runs") << QStringLiteral("dialog");
    QTest::newRow("wizard's buttons inside its frame") << QStringLiteral("wizard");
    QTest::newRow("window as tall as the screen allows") << QStringLiteral("tall");
}

void tst_Install::skinRunKeepsWhatProgramsAsk()
{
#ifdef TAVREL_SANITIZED
    QSKIP("an uninstrumented program cannot load the sanitized plugin");
#endif
    // An unmodified program's windows run through the launcher are sized
    // and placed as in a run without it: the skin's frame takes the place
    // of the window manager's.
    QFETCH(QString, mode);
    const QStringList missing = e2e::XSession::missingTools();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    e2e::XSession x;
    QVERIFY2(x.start(), qPrintable(x.lastError()));
    const QString launcher = installed(LauncherPath);
    const QString main = QStringLiteral("main");
    const QMap<QString, QString> titles{
        {QStringLiteral("geometry"), QStringLiteral("Geometry Probe")},
        {QStringLiteral("unplaced"), QStringLiteral("Placement Probe")},
        {QStringLiteral("moved"), QStringLiteral("Placement Probe")},
        {QStringLiteral("dialog"), QStringLiteral("Dialog Parent Probe")},
        {QStringLiteral("wizard"), QStringLiteral("Wizard Probe")},
        {QStringLiteral("tall"), QStringLiteral("Tall Probe")}};
    QStringList windows{titles.value(mode)};
    if (mode == QLatin1String("dialog"))
        windows << QStringLiteral("Centred Dialog");
    const auto run = [&](bool skinned, const QStringList &args, ProbeReport *report) {
        const QString fault = runProbe(x, skinned ? launcher : QString(), args, windows, report);
        if (!fault.isEmpty())
            return fault;
        for (auto it = report->cbegin(); it != report->cend(); ++it) {
            if (skinned != (it->frame == QMargins()))
                return QStringLiteral("'%1' is %2skinned")
                    .arg(it.key(), skinned ? QStringLiteral("not ") : QString());
        }
        return QString();
    };
    // Where a window and its frame lie on the screen: the skin's frame is
    // inside the X window, the window manager's outside it.
    const auto outer = [](const ProbeWindow &w) { return w.onScreen.marginsAdded(w.frame); };
    const auto nearly = [](const QPoint &a, const QPoint &b) {
        return qAbs(a.x() - b.x()) <= 1 && qAbs(a.y() - b.y()) <= 1;
    };
    ProbeReport skinned, plain;
    QString fault;

    if (mode == QLatin1String("geometry")) {
        QTemporaryDir settings;
        QVERIFY(settings.isValid());
        const QStringList args{mode, settings.filePath(QStringLiteral("geometry"))};
        QRect first;
        for (int i = 1; i <= 5; ++i) {
            fault = run(true, args, &skinned);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            const QRect client = skinned.value(main).client;
            qInfo("skinned run %d: window %s, client area %s", i,
                  qPrintable(rectText(skinned.value(main).onScreen)), qPrintable(rectText(client)));
            if (i == 1)
                first = client;
            QCOMPARE(client, first);
        }
        QCOMPARE(first.size(), QSize(400, 300));
        fault = run(false, args, &plain);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        qInfo("plain run: client area %s", qPrintable(rectText(plain.value(main).onScreen)));
        QCOMPARE(plain.value(main).onScreen, first);
    } else if (mode == QLatin1String("unplaced") || mode == QLatin1String("moved")) {
        fault = run(false, {mode}, &plain);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        fault = run(true, {mode}, &skinned);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const QRect asPlain = outer(plain.value(main));
        const QRect asSkinned = outer(skinned.value(main));
        qInfo("plain: frame %s; skinned: frame %s", qPrintable(rectText(asPlain)),
              qPrintable(rectText(asSkinned)));
        QVERIFY(x.screenshot().rect().contains(asSkinned));
        if (mode == QLatin1String("moved")) {
            QCOMPARE(asPlain.topLeft(), QPoint(150, 100));
            QCOMPARE(asSkinned.topLeft(), asPlain.topLeft());
        } else {
            // Where openbox puts a new window: the middle of the screen.
            QVERIFY2(nearly(asSkinned.center(), asPlain.center()), qPrintable(rectText(asSkinned)));
        }
    } else if (mode == QLatin1String("dialog")) {
        QRect first;
        for (int i = 1; i <= 6; ++i) {
            fault = run(true, {mode}, &skinned);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            const QRect parent = outer(skinned.value(main));
            const QRect dialog = outer(skinned.value(QStringLiteral("dialog")));
            qInfo("run %d: parent %s, dialog %s", i, qPrintable(rectText(parent)),
                  qPrintable(rectText(dialog)));
            QVERIFY2(nearly(dialog.center(), parent.center()), qPrintable(rectText(dialog)));
            if (i == 1)
                first = dialog;
            QCOMPARE(dialog, first);
        }
    } else if (mode == QLatin1String("wizard")) {
        fault = run(true, {mode}, &skinned);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const ProbeWindow wizard = skinned.value(main);
        QCOMPARE(wizard.onScreen.topLeft(), QPoint(150, 100));
        QCOMPARE(wizard.buttons.size(), 3);
        for (const QRect &button : wizard.buttons)
            QVERIFY2(wizard.client.contains(button),
                     qPrintable(QStringLiteral("button %1 outside the client area %2")
                                    .arg(rectText(button), rectText(wizard.client))));
    } else if (mode == QLatin1String("tall")) {
        fault = run(true, {mode}, &skinned);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const QRect screen = x.screenshot().rect();
        qInfo("screen %s, skinned window %s", qPrintable(rectText(screen)),
              qPrintable(rectText(skinned.value(main).onScreen)));
        QVERIFY(screen.contains(skinned.value(main).onScreen));
    }
}

QTEST_MAIN(tst_Install)
#include "tst_install.moc"
