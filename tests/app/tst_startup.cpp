// The real executable and the real component library, end to end on the
// offscreen platform.
#include <ComponentHost.h>
#include <FailureReporter.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using forms::FormKind;

class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testing::applyApplicationDefaults(); }

    void missingComponentIsReportedBeforeAnyWindow();
    void noDisplayIsOneClearLine();
    void realComponentSkinsTheMainWindow();
};

void tst_Startup::missingComponentIsReportedBeforeAnyWindow()
{
    // The executable alone, without the components folder beside it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString exe = dir.filePath(QStringLiteral("tavrelsample"));
    QVERIFY(QFile::copy(testing::applicationPath(), exe));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(exe, {});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), app::FailureReporter::ExitCode);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(QLatin1String("TavrelCtl.TavrelSkin")), qPrintable(err));
    QVERIFY2(err.contains(QLatin1String("not registered")), qPrintable(err));
    QVERIFY2(err.contains(QLatin1String("0x80040154")), qPrintable(err));
}

void tst_Startup::noDisplayIsOneClearLine()
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(testing::applicationPath(), {});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY(p.exitCode() != 0);
    const QStringList lines = QString::fromLocal8Bit(p.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(QLatin1String("no display")), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(QLatin1String("xvfb-run")), qPrintable(lines.first()));
}

void tst_Startup::realComponentSkinsTheMainWindow()
{
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    QStringList reports;
    app::FailureReporter::install();
    app::FailureReporter::setPresenter([&](const QString &, const QString &t) { reports << t; });
    {
        app::WindowRegistry registry;
        forms::Form &main = registry.form(FormKind::Main);
        main.show();
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join(QLatin1Char('\n'))));
        QWidget *w = main.window();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto *exitButton = main.control<QPushButton>(QStringLiteral("Command2"));
        // Skinned: no native frame, the window grew and the controls moved
        // clear of the caption, the client area keeping its size.
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w->width() > 371);
        QVERIFY(w->height() > 201);
        const QPoint skinned = exitButton->pos();
        QVERIFY(skinned.x() > 260);
        QVERIFY(skinned.y() > 150);
        QCOMPARE(w->width() - 371, (skinned.x() - 260) * 2);

        auto *box = main.control<QCheckBox>(QStringLiteral("Check2"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(!(w->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(w->size(), QSize(371, 201));
        QCOMPARE(exitButton->pos(), QPoint(260, 150));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(exitButton->pos(), skinned);
        main.unload();
        testing::processDeferredDeletes();
    }
    QVERIFY2(reports.isEmpty(), qPrintable(reports.join(QLatin1Char('\n'))));
    app::FailureReporter::resetPresenter();
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
