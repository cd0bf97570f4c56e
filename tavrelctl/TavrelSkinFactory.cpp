#include "TavrelSkinFactory.h"

#include "TavrelSkin.h"
#include "TavrelSkinIds.h"

namespace tavrelctl {

QStringList TavrelSkinFactory::classNames() const
{
    return {skinClassName()};
}

std::unique_ptr<tavrel::host::Component> TavrelSkinFactory::create(const QString &className)
{
    if (className != skinClassName())
        return nullptr;
    return std::make_unique<TavrelSkin>();
}

} // namespace tavrelctl
