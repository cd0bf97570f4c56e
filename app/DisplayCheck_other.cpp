#include "DisplayCheck.h"

namespace app {

QString missingDisplayReason(int, char **)
{
    // Desktop sessions on these platforms always have a screen.
    return {};
}

} // namespace app
