#include "AutoSkinPlugin.h"

#include "AutoSkinner.h"

#include <QCoreApplication>

namespace autoskin {

QObject *AutoSkinPlugin::create(const QString &key, const QString &pluginArguments)
{
    Q_UNUSED(pluginArguments);
    if (key.compare(QLatin1String("tavrelskin"), Qt::CaseInsensitive) != 0)
        return nullptr;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    qint32 scheme = AutoSkinner::NoScheme;
    QString error;
    if (!AutoSkinner::parseScheme(qEnvironmentVariable("TAVREL_SKIN_SCHEME"), &scheme, &error)) {
        // The application still starts, with its own frames, and says why.
        qWarning("tavrelskin: TAVREL_SKIN_SCHEME: %s; windows keep their own frames",
                 qPrintable(error));
        return new QObject;
    }
    auto *skinner = new AutoSkinner(
        scheme, AutoSkinner::componentPathsFor(qEnvironmentVariable("QT_PLUGIN_PATH")));
    app->installEventFilter(skinner);
    return skinner;
}

} // namespace autoskin
