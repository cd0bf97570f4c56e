#include "OtherInterfaceFactory.h"

#include <cstdio>
#include <cstdlib>

namespace testing {

QStringList OtherInterfaceFactory::classNames() const
{
    return {QStringLiteral("TavrelCtl.TavrelSkin")};
}

std::unique_ptr<tavrel::host::Component> OtherInterfaceFactory::create(const QString &)
{
    // Reaching this means the host loaded a library of another interface.
    std::fprintf(stderr, "OtherInterfaceFactory: loaded by a host of another interface\n");
    std::abort();
}

} // namespace testing
