#include "Application.h"

#include <ErrorBoundary.h>

namespace app {

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        tavrel::host::ErrorBoundary::reportEventException(receiver, event);
        return false;
    }
}

} // namespace app
