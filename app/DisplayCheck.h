#pragma once

#include <QString>

namespace app {

// Says, before any Qt GUI object exists, why no window could be shown (no
// display to connect to), or returns an empty string. Saves the user Qt's
// raw platform-plugin abort.
QString missingDisplayReason(int argc, char **argv);

} // namespace app
