#include "BrokenSkinFactory.h"

#include "BrokenSkin.h"
#include "VanishingDependency.h"

#include <stdexcept>

namespace testing {

QStringList BrokenSkinFactory::classNames() const
{
    return {QStringLiteral("TavrelCtl.TavrelSkin")};
}

std::unique_ptr<tavrel::host::Component> BrokenSkinFactory::create(const QString &className)
{
    if (brokenFault() == "throw-create")
        throw std::runtime_error("the broken factory has no parts left");
    if (brokenFault() == "foreign-create")
        throw BrokenFault{3};
    if (!classNames().contains(className) || !vanishingDependencyPresent())
        return nullptr;
    return std::make_unique<BrokenSkin>();
}

} // namespace testing
