#include "Application.h"
#include "DisplayCheck.h"
#include "FailureReporter.h"
#include "Startup.h"
#include "WindowRegistry.h"

#include <cstdio>

int main(int argc, char **argv)
{
    const QString noDisplay = app::missingDisplayReason(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(noDisplay));
        return 2;
    }

    app::Application application(argc, argv);
    app::Startup::configure(application);
    app::WindowRegistry registry;
    // A failure caught while showing (by an event handler) has been reported
    // before any event loop ran to end.
    if (!app::Startup::showMainWindow(registry) || app::FailureReporter::hasFailed())
        return app::FailureReporter::ExitCode;
    return application.exec();
}
