#pragma once

#include <Component.h>

#include <QObject>

namespace testing {

// A component library built for another version of the host's interface:
// its metadata names the skin component's class under another interface
// id. The host must skip it, never load it.
class OtherInterfaceFactory : public QObject, public tavrel::host::ComponentFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.tavrel.Host.ComponentFactory/2.0" FILE "BrokenCtl.json")
    Q_INTERFACES(tavrel::host::ComponentFactory)
public:
    QStringList classNames() const override;
    std::unique_ptr<tavrel::host::Component> create(const QString &className) override;
};

} // namespace testing
