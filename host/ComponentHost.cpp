#include "ComponentHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

namespace host {

ComponentHost &ComponentHost::instance()
{
    static ComponentHost host;
    return host;
}

ComponentHost::ComponentHost()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    m_searchPaths << appDir + QLatin1String("/components")
                  << appDir + QLatin1String("/../lib/tavrelsample/components")
                  << appDir + QLatin1String("/../lib64/tavrelsample/components");
}

ComponentHost::~ComponentHost() = default;

void ComponentHost::setSearchPaths(const QStringList &paths)
{
    m_searchPaths = paths;
    m_factories.clear();
}

void ComponentHost::addSearchPath(const QString &path)
{
    if (!m_searchPaths.contains(path))
        m_searchPaths.prepend(path);
}

void ComponentHost::registerClass(const QString &className, Creator creator)
{
    m_registered.insert(className, std::move(creator));
}

void ComponentHost::unregisterClass(const QString &className)
{
    m_registered.remove(className);
}

Status ComponentHost::findFactory(const QString &className, ComponentFactory **factory)
{
    if (ComponentFactory *known = m_factories.value(className)) {
        *factory = known;
        return Status::ok();
    }
    QStringList looked;
    for (const QString &path : std::as_const(m_searchPaths)) {
        const QDir dir(path);
        if (!dir.exists())
            continue;
        looked << QDir::cleanPath(dir.absolutePath());
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        for (const QString &file : files) {
            const QString fullPath = dir.absoluteFilePath(file);
            if (!QLibrary::isLibrary(fullPath))
                continue;
            // The library is never unloaded: it stays loaded while any
            // component it made may still exist.
            auto loader = std::make_unique<QPluginLoader>(fullPath);
            const QJsonObject meta = loader->metaData().value(QLatin1String("MetaData")).toObject();
            const QJsonArray names = meta.value(QLatin1String("classNames")).toArray();
            if (!names.contains(className))
                continue;
            QObject *root = loader->instance();
            if (!root) {
                const QString why = loader->errorString();
                return Status::failure(StatusCode::ComponentLoadFailed,
                                       QStringLiteral("component library '%1' for class '%2' "
                                                      "could not be loaded: %3")
                                           .arg(fullPath, className, why));
            }
            auto *f = qobject_cast<ComponentFactory *>(root);
            if (!f) {
                return Status::failure(StatusCode::ComponentLoadFailed,
                                       QStringLiteral("library '%1' names class '%2' but provides "
                                                      "no component factory")
                                           .arg(fullPath, className));
            }
            m_loaders.push_back(std::move(loader));
            for (const QString &provided : f->classNames())
                m_factories.insert(provided, f);
            *factory = f;
            return Status::ok();
        }
    }
    return Status::failure(
        StatusCode::ClassNotRegistered,
        QStringLiteral("class '%1' is not registered: no component library provides it "
                       "(looked in %2)")
            .arg(className,
                 looked.isEmpty() ? QStringLiteral("no existing directory: ") +
                                        m_searchPaths.join(QLatin1String(", "))
                                  : looked.join(QLatin1String(", "))));
}

Status ComponentHost::create(const QString &className, std::unique_ptr<Component> *out)
{
    Q_ASSERT(out);
    out->reset();
    if (className.isEmpty()) {
        return Status::failure(StatusCode::InvalidClassString,
                               QStringLiteral("invalid class string: the class name is empty"));
    }
    if (auto it = m_registered.constFind(className); it != m_registered.constEnd()) {
        *out = (*it)();
    } else {
        ComponentFactory *factory = nullptr;
        const Status found = findFactory(className, &factory);
        if (!found)
            return found;
        *out = factory->create(className);
    }
    if (!*out) {
        return Status::failure(StatusCode::Fail,
                               QStringLiteral("the factory of class '%1' created no component")
                                   .arg(className));
    }
    return Status::ok();
}

} // namespace host
