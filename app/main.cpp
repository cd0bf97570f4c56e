#include "DisplayCheck.h"
#include "FailureReporter.h"
#include "WindowRegistry.h"

#include <ErrorBoundary.h>
#include <Form.h>
#include <FormSettings.h>

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char **argv)
{
    const QString noDisplay = app::missingDisplayReason(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(noDisplay));
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrel Sample"));
    QApplication::setOrganizationName(QStringLiteral("Tavrel"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
    QApplication::setFont(forms::FormSettings::standardDialogFont());
    const QIcon appIcon(QStringLiteral(":/app/tavrelsample.ico"));
    if (!appIcon.isNull())
        QApplication::setWindowIcon(appIcon);
    // The process runs while any window is loaded, not while one is visible.
    QApplication::setQuitOnLastWindowClosed(false);

    app::FailureReporter::install();
    app::WindowRegistry registry;
    QObject::connect(
        &registry, &app::WindowRegistry::lastWindowUnloaded, &application,
        [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

    if (!host::ErrorBoundary::run([&] { registry.form(forms::FormKind::Main).show(); }))
        return app::FailureReporter::ExitCode;
    return application.exec();
}
