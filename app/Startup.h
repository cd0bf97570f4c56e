#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QApplication;
QT_END_NAMESPACE

namespace app {

class WindowRegistry;

// The application's start-up, shared by main() and the start-up probes
// that measure it.
namespace Startup {

// Names, version, the standard dialog font, the application icon, and that
// the process runs while a window is loaded rather than while one is
// visible.
void configure(QApplication &application);

// Routes unhandled failures to the reporter, ends the event loop with
// status 0 once no window is loaded, and loads and shows the main window.
// False when that failed; the failure has been reported.
bool showMainWindow(WindowRegistry &registry);

} // namespace Startup
} // namespace app
