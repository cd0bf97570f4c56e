#include "Startup.h"

#include "FailureReporter.h"
#include "WindowRegistry.h"

#include <ErrorBoundary.h>
#include <Form.h>
#include <FormSettings.h>

#include <QApplication>
#include <QIcon>

namespace app::Startup {

void configure(QApplication &application)
{
    Q_UNUSED(application);
    QApplication::setApplicationName(QStringLiteral("Tavrel Sample"));
    QApplication::setOrganizationName(QStringLiteral("Tavrel"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
    QApplication::setFont(forms::FormSettings::standardDialogFont());
    const QIcon appIcon(QStringLiteral(":/app/tavrelsample.ico"));
    if (!appIcon.isNull())
        QApplication::setWindowIcon(appIcon);
    QApplication::setQuitOnLastWindowClosed(false);
}

bool showMainWindow(WindowRegistry &registry)
{
    FailureReporter::install();
    QObject::connect(
        &registry, &WindowRegistry::lastWindowUnloaded, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    return tavrel::host::ErrorBoundary::run([&] { registry.form(forms::FormKind::Main).show(); });
}

} // namespace app::Startup
