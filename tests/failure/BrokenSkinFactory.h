#pragma once

#include <Component.h>

#include <QObject>

namespace testing {

// Root object of the broken test plugin: makes BrokenSkin instances under
// the skin component's class name.
class BrokenSkinFactory : public QObject, public tavrel::host::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TavrelHost_ComponentFactory_iid FILE "BrokenCtl.json")
    Q_INTERFACES(tavrel::host::ComponentFactory)
public:
    QStringList classNames() const override;
    std::unique_ptr<tavrel::host::Component> create(const QString &className) override;
};

} // namespace testing
