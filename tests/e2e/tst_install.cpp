// `cmake --install` into a fresh prefix, and the installed program started
// the way its desktop entry starts it, from an unrelated folder.
#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using e2e::XWindow;

namespace {

// Where the application looks for its component, beside its own folder.
const QString ComponentDir = QStringLiteral("lib/tavrelsample/components");
const QString ProgramPath = QStringLiteral("bin/tavrelsample");
const QString DesktopPath = QStringLiteral("share/applications/tavrelsample.desktop");
const QString IconPath = QStringLiteral("share/icons/hicolor/32x32/apps/tavrelsample.png");

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
    void installedProgramRunsFromAnyFolder();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
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
}

void tst_Install::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("program") << ProgramPath << true;
    QTest::newRow("component folder") << ComponentDir << true;
    QTest::newRow("desktop entry") << DesktopPath << false;
    QTest::newRow("icon") << IconPath << false;
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

void tst_Install::installedProgramRunsFromAnyFolder()
{
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
                                                  {installed(QStringLiteral("bin"))}));
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

QTEST_MAIN(tst_Install)
#include "tst_install.moc"
