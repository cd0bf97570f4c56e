// Renders the control colour demo window, skinned by the real component, for
// the docs: once focused (green boxes) and once after the main window took
// the focus (red boxes).
//   ctrlcolorfrm_screenshots <output folder>
#include <ComponentHost.h>
#include <FailureReporter.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>

static bool activate(QWidget *window)
{
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    QTest::qWait(50);
    return true;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: ctrlcolorfrm_screenshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    testing::applyApplicationDefaults();
    host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    app::FailureReporter::install();
    app::WindowRegistry registry;
    forms::Form &main = registry.form(forms::FormKind::Main);
    if (!host::ErrorBoundary::run([&] { main.show(); }) || !activate(main.window()))
        return 1;
    // Opened the way the user opens it.
    QTest::mouseClick(main.control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
    forms::Form &demo = registry.form(forms::FormKind::CtrlColor);
    if (!demo.isLoaded() || !activate(demo.window()))
        return 1;
    bool ok = demo.window()->grab().save(out.filePath(QStringLiteral("ctrlcolorfrm-active.png")));
    if (!activate(main.window()))
        return 1;
    ok =
        demo.window()->grab().save(out.filePath(QStringLiteral("ctrlcolorfrm-inactive.png"))) && ok;
    demo.unload();
    main.unload();
    testing::processDeferredDeletes();
    return ok && !app::FailureReporter::hasFailed() ? 0 : 1;
}
