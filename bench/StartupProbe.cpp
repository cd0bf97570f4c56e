// Start-up probe: the application's start-up path (same libraries, same
// QApplication set-up, window registry, main window shown), ending the
// process right after the main window's first frame has been painted.
//   tavrel_bench_startup skinned     the real skin component, as shipped
//   tavrel_bench_startup unskinned   a do-nothing component under its name
// Exit status 0 once the frame is painted, 3 when it never is. Prints the
// process's CPU time (all threads, user + system) as "cpu_us <n>".
#include "FirstPaintWatcher.h"
#include "UnskinnedComponent.h"

#include <DisplayCheck.h>
#include <FailureReporter.h>
#include <Startup.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>

int main(int argc, char **argv)
{
    if (argc != 2 || (std::strcmp(argv[1], "skinned") != 0 && std::strcmp(argv[1], "unskinned") != 0)) {
        std::fprintf(stderr, "usage: %s skinned|unskinned\n", argv[0]);
        return 2;
    }
    const bool skinned = std::strcmp(argv[1], "skinned") == 0;
    const QString noDisplay = app::missingDisplayReason(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(noDisplay));
        return 2;
    }

    QApplication application(argc, argv);
    app::Startup::configure(application);

    if (!skinned)
        bench::UnskinnedComponent::install();
    bench::FirstPaintWatcher watcher({QStringLiteral("MainFrm")}, skinned);
    watcher.setOnAllPainted([] { QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(3); });

    app::WindowRegistry registry;
    if (!app::Startup::showMainWindow(registry))
        return app::FailureReporter::ExitCode;
    const int status = application.exec();
    if (status == 3)
        std::fprintf(stderr, "the main window was never painted%s\n", skinned ? " skinned" : "");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long long cpuUs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                            usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf("cpu_us %lld\n", cpuUs);
    // Only start-up is measured: the windows' teardown is left out.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
