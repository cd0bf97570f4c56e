// Renders the menu demo window for the docs: skinned (normal and maximised)
// and unskinned (with the stand-in component), each with a menu open; the
// window and the open menu are grabbed and composed into one picture.
//   cleanfrm_screenshots <output folder>
#include <CleanFrm.h>
#include <ComponentHost.h>
#include <FailureReporter.h>
#include <Form.h>
#include <RecordingComponent.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

namespace {

QImage windowWithMenu(QMainWindow *w, QMenu *menu)
{
    QMenuBar *bar = w->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTest::qWait(50);
    const QPixmap window = w->grab();
    const QPixmap popup = menu->isVisible() ? menu->grab() : QPixmap();
    const QPoint at = menu->pos() - w->pos();
    const QRect all = QRect(QPoint(0, 0), window.size()).united(QRect(at, popup.size()));
    QImage out(all.size(), QImage::Format_ARGB32);
    out.fill(QColor(0x3a, 0x6e, 0xa5)); // a desktop behind the window
    QPainter p(&out);
    p.drawPixmap(-all.topLeft(), window);
    if (!popup.isNull())
        p.drawPixmap(at - all.topLeft(), popup);
    p.end();
    menu->close();
    QTest::qWait(20);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: cleanfrm_screenshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    testing::applyApplicationDefaults();
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    app::FailureReporter::install();
    app::WindowRegistry registry;
    forms::Form &form = registry.form(forms::FormKind::Clean);
    if (!tavrel::host::ErrorBoundary::run([&] { form.show(); }))
        return 1;
    auto *w = qobject_cast<QMainWindow *>(form.window());
    if (!QTest::qWaitForWindowExposed(w))
        return 1;
    QMenu *file = form.control<QMenu>(QStringLiteral("mnuF"));
    QMenu *view = form.control<QMenu>(QStringLiteral("mnuV"));

    bool ok = windowWithMenu(w, file).save(out.filePath(QStringLiteral("cleanfrm-skinned.png")));
    w->showMaximized();
    QTest::qWait(50);
    ok = windowWithMenu(w, view).save(out.filePath(QStringLiteral("cleanfrm-maximised.png"))) && ok;
    form.unload();
    testing::processDeferredDeletes();

    // Unskinned: the stand-in component leaves the window as the form
    // describes it.
    testing::RecordingComponent::install();
    if (!tavrel::host::ErrorBoundary::run([&] { form.show(); }))
        return 1;
    w = qobject_cast<QMainWindow *>(form.window());
    if (!QTest::qWaitForWindowExposed(w))
        return 1;
    file = form.control<QMenu>(QStringLiteral("mnuF"));
    ok = windowWithMenu(w, file).save(out.filePath(QStringLiteral("cleanfrm-unskinned.png"))) && ok;
    form.unload();
    testing::RecordingComponent::uninstall();
    return ok ? 0 : 1;
}
