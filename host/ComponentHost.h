#pragma once

#include "Component.h"
#include "HostExport.h"

#include <QHash>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
class QPluginLoader;
QT_END_NAMESPACE

namespace tavrel::host {

// Creates components by class name (programmatic identifier). Classes
// registered in-process come first (tests register recording components this
// way); otherwise the host looks for a plugin library in its search
// directories whose metadata names the class, loads it and asks its factory
// (findFactory() says which library wins when several offer the class).
// Whatever a factory throws becomes a failed status. Libraries stay loaded
// for the life of the process.
class TAVREL_HOST_EXPORT ComponentHost
{
public:
    using Creator = std::function<std::unique_ptr<Component>()>;

    static ComponentHost &instance();

    // Default search directories: components/ beside the executable and the
    // installed location relative to it.
    QStringList searchPaths() const { return m_searchPaths; }
    void setSearchPaths(const QStringList &paths);
    void addSearchPath(const QString &path);

    void registerClass(const QString &className, Creator creator);
    void unregisterClass(const QString &className);

    Status create(const QString &className, std::unique_ptr<Component> *out);

private:
    TAVREL_HOST_NO_EXPORT ComponentHost();
    TAVREL_HOST_NO_EXPORT ~ComponentHost();
    TAVREL_HOST_NO_EXPORT Status findFactory(const QString &className, ComponentFactory **factory);
    TAVREL_HOST_NO_EXPORT Status loadFactory(const QString &path, const QString &className,
                                             ComponentFactory **factory);

    QStringList m_searchPaths;
    QHash<QString, Creator> m_registered;
    QHash<QString, ComponentFactory *> m_factories;
    // The loaders of the libraries in use; destroying a loader leaves its
    // library loaded.
    std::vector<std::unique_ptr<QPluginLoader>> m_loaders;
};

} // namespace tavrel::host
