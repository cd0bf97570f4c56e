#include "DisplayCheck.h"

#include <QByteArray>

#include <cstring>

namespace app {

QString missingDisplayReason(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return {};
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return {};
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("tavrelsample: no display to show windows on (neither DISPLAY nor "
                          "WAYLAND_DISPLAY is set); to run it without a screen, start it under "
                          "a virtual X server: xvfb-run -a tavrelsample");
}

} // namespace app
