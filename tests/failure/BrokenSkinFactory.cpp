#include "BrokenSkinFactory.h"

#include "BrokenSkin.h"
#include "VanishingDependency.h"

namespace testing {

QStringList BrokenSkinFactory::classNames() const
{
    return {QStringLiteral("TavrelCtl.TavrelSkin")};
}

std::unique_ptr<host::Component> BrokenSkinFactory::create(const QString &className)
{
    if (!classNames().contains(className) || !vanishingDependencyPresent())
        return nullptr;
    return std::make_unique<BrokenSkin>();
}

} // namespace testing
