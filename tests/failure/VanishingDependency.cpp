#include "VanishingDependency.h"

namespace testing {

bool vanishingDependencyPresent()
{
    return true;
}

} // namespace testing
