#pragma once

#include <QGenericPlugin>

namespace autoskin {

// The generic plugin Qt loads into any Qt program when QT_QPA_GENERIC_PLUGINS
// names "tavrelskin" and QT_PLUGIN_PATH leads to it. The colour scheme comes
// from TAVREL_SKIN_SCHEME; the component is loaded only from the components
// folder of the kit this plugin file belongs to.
class AutoSkinPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "autoskin.json")
public:
    QObject *create(const QString &key, const QString &pluginArguments) override;

private:
    QString ownFile() const;
};

} // namespace autoskin
