#include "AutoSkinPlugin.h"

#include "AutoSkinner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>

namespace autoskin {

// The file Qt loaded this plugin from, found without loading anything: of
// the libraries in the generic plugin folders Qt searches, the one already
// loaded whose root object is this one.
QString AutoSkinPlugin::ownFile() const
{
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    for (const QString &path : libraryPaths) {
        const QDir generic(path + QLatin1String("/generic"));
        const QStringList files = generic.entryList(QDir::Files, QDir::Name);
        for (const QString &file : files) {
            const QString fullPath = generic.absoluteFilePath(file);
            if (!QLibrary::isLibrary(fullPath))
                continue;
            QPluginLoader loader(fullPath);
            if (loader.isLoaded() && loader.instance() == this)
                return QFileInfo(fullPath).canonicalFilePath();
        }
    }
    return QString();
}

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
    // The component comes from this plugin's kit only, never from a folder
    // found through the program, the current folder or the plugin path.
    const QString kit = AutoSkinner::kitComponentPath(ownFile());
    if (kit.isEmpty()) {
        qWarning("tavrelskin: cannot tell which file this plugin was loaded from, so not where "
                 "its kit's component is; windows keep their own frames");
        return new QObject;
    }
    auto *skinner = new AutoSkinner(scheme, {kit});
    app->installEventFilter(skinner);
    return skinner;
}

} // namespace autoskin
