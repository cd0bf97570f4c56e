// Memory probe: starts like the application, opens the first `count` of the
// main window, the control colour demo and the menu window (each shown and
// painted), then prints the process's resident memory.
//   tavrel_bench_memory skinned|unskinned 1|2|3
// Prints "rss_kib <n>" (VmRSS from /proc/self/status) and "hwm_kib <n>".
#include "FirstPaintWatcher.h"
#include "UnskinnedComponent.h"

#include <FailureReporter.h>
#include <Startup.h>
#include <Form.h>
#include <FormSettings.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

qint64 statusField(const char *name)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (argc != 3 || count < 1 || count > 3 ||
        (std::strcmp(argv[1], "skinned") != 0 && std::strcmp(argv[1], "unskinned") != 0)) {
        std::fprintf(stderr, "usage: %s skinned|unskinned 1|2|3\n", argv[0]);
        return 2;
    }
    const bool skinned = std::strcmp(argv[1], "skinned") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    app::Startup::configure(application);
    if (!skinned)
        bench::UnskinnedComponent::install();
    app::FailureReporter::install();

    const forms::FormKind kinds[] = {forms::FormKind::Main, forms::FormKind::CtrlColor,
                                     forms::FormKind::Clean};
    const QStringList names = {QStringLiteral("MainFrm"), QStringLiteral("CtrlColorFrm"),
                               QStringLiteral("CleanFrm")};
    app::WindowRegistry registry;
    bench::FirstPaintWatcher watcher(names.mid(0, count), skinned);
    try {
        for (int i = 0; i < count; ++i)
            registry.form(kinds[i]).show();
    } catch (const tavrel::host::Error &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.status().message()));
        return 1;
    }
    if (!watcher.waitAllPainted(10000)) {
        std::fprintf(stderr, "not every window was painted%s\n", skinned ? " skinned" : "");
        return 3;
    }
    // Let what the first frames posted settle before reading.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    std::printf("rss_kib %lld\nhwm_kib %lld\n", statusField("VmRSS"), statusField("VmHWM"));
    std::fflush(stdout);
    std::_Exit(0);
}
