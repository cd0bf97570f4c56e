#pragma once

#include <Component.h>

#include <QObject>

namespace tavrelctl {

// The plugin's root object: creates TavrelSkin instances for the host.
class TavrelSkinFactory : public QObject, public tavrel::host::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TavrelHost_ComponentFactory_iid FILE "TavrelCtl.json")
    Q_INTERFACES(tavrel::host::ComponentFactory)
public:
    QStringList classNames() const override;
    std::unique_ptr<tavrel::host::Component> create(const QString &className) override;
};

} // namespace tavrelctl
