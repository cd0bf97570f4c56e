// The main() of every Google Benchmark executable here: a QApplication on
// the offscreen platform (unless the caller picked another), the
// application's standard font, then the registered benchmarks.
#include <FormSettings.h>

#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setFont(forms::FormSettings::standardDialogFont());
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
