#include "DisplayCheck.h"
#include "FailureReporter.h"
#include "Startup.h"
#include "WindowRegistry.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    const QString noDisplay = app::missingDisplayReason(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(noDisplay));
        return 2;
    }

    QApplication application(argc, argv);
    app::Startup::configure(application);
    app::WindowRegistry registry;
    if (!app::Startup::showMainWindow(registry))
        return app::FailureReporter::ExitCode;
    return application.exec();
}
