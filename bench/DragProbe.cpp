// Border-drag probe, for bench/border-drag.sh under a real X server and
// window manager: CleanFrm, shown as the application shows it, skinned by
// the real component or with the skin removed (the window manager's own
// frame). Prints "ready <x> <y> <w> <h>" (the outer frame, global) once
// the window is painted, then one line "frame <us> <w> <h>" per frame the
// window finishes (painted and flushed), timed from start-up. Ends when
// stdin closes.
//   tavrel_bench_drag skinned|native
#include <DisplayCheck.h>
#include <Form.h>
#include <Startup.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QResizeEvent>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

// Reports a frame after the window's update request, in which Qt paints
// the window into its backing store and flushes it, has been handled.
class ProbeApplication : public QApplication
{
public:
    using QApplication::QApplication;
    QWidget *watched = nullptr;
    QElapsedTimer clock;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched && receiver == watched && type == QEvent::Resize) {
            const QSize size = static_cast<QResizeEvent *>(event)->size();
            std::printf("resize %lld %d %d\n", clock.nsecsElapsed() / 1000, size.width(),
                        size.height());
        }
        const bool result = QApplication::notify(receiver, event);
        if (watched && receiver == watched && type == QEvent::UpdateRequest) {
            std::printf("frame %lld %d %d\n", clock.nsecsElapsed() / 1000, watched->width(),
                        watched->height());
            std::fflush(stdout);
        }
        return result;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 ||
        (std::strcmp(argv[1], "skinned") != 0 && std::strcmp(argv[1], "native") != 0)) {
        std::fprintf(stderr, "usage: %s skinned|native\n", argv[0]);
        return 2;
    }
    const bool skinned = std::strcmp(argv[1], "skinned") == 0;
    const QString noDisplay = app::missingDisplayReason(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(noDisplay));
        return 2;
    }
    ProbeApplication application(argc, argv);
    app::Startup::configure(application);
    application.clock.start();

    app::WindowRegistry registry;
    forms::Form *form = nullptr;
    try {
        form = &registry.form(forms::FormKind::Clean);
        form->show();
        if (!skinned)
            form->skin().removeSkin();
    } catch (const tavrel::host::Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QWidget *window = form->window();
    // Near the screen's top-left corner, so that the drag fits on it.
    window->resize(skinned ? QSize(300, 200)
                           : QSize(300, 200).shrunkBy(window->windowHandle()->frameMargins()));
    window->move(10, 10);
    application.watched = window;
    // Ready once the window manager has placed the window and it is painted.
    QTimer::singleShot(1500, window, [window] {
        const QRect outer = window->frameGeometry();
        std::printf("ready %d %d %d %d %d %d\n", outer.x(), outer.y(), outer.width(),
                    outer.height(), window->width(), window->height());
        std::fflush(stdout);
    });
    return application.exec();
}
