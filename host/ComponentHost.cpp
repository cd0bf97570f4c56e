#include "ComponentHost.h"

#include "ErrorBoundary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

namespace tavrel::host {

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

namespace {

// A library whose metadata names the class asked for.
struct Offer
{
    QString path;
    QString interfaceId;
};

QString fileNames(const QList<Offer> &offers)
{
    QStringList names;
    for (const Offer &offer : offers)
        names << offer.path;
    return names.join(QLatin1String(", "));
}

// "TavrelCtl.TavrelSkin" comes from the library TavrelCtl: TavrelCtl.so (or
// libTavrelCtl.so, TavrelCtl.dll).
bool namedAfterLibrary(const QString &path, const QString &className)
{
    const QString library = className.section(QLatin1Char('.'), 0, 0);
    const QString base = QFileInfo(path).completeBaseName();
    return !library.isEmpty() && (base == library || base == QLatin1String("lib") + library);
}

} // namespace

// Which library makes a class, folder by folder in search order; the first
// folder holding a library that offers the class decides. Within it:
//   - a library built for another interface version is skipped with a
//     warning, or is the failure if no other library offers the class;
//   - of several that offer the class, the one named after the class's
//     library wins (a warning names the others); if none is, the start
//     fails naming them all: the host never picks one by file-name order.
Status ComponentHost::findFactory(const QString &className, ComponentFactory **factory)
{
    if (ComponentFactory *known = m_factories.value(className)) {
        *factory = known;
        return Status::ok();
    }
    const QString ourInterface = QString::fromLatin1(TavrelHost_ComponentFactory_iid);
    QStringList looked;
    // Files named after the class's library that are no library, with the
    // reason.
    QStringList refused;
    for (const QString &path : std::as_const(m_searchPaths)) {
        const QDir dir(path);
        if (!dir.exists())
            continue;
        looked << QDir::cleanPath(dir.absolutePath());
        QList<Offer> offers, foreign;
        const QStringList files =
            dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &file : files) {
            const QString fullPath = dir.absoluteFilePath(file);
            if (!QLibrary::isLibrary(fullPath))
                continue;
            // Only a file that claims to be the class's library is worth
            // naming when it is none; others may be what a component needs.
            const bool claims = namedAfterLibrary(fullPath, className);
            if (!QFileInfo(fullPath).isFile()) {
                if (claims)
                    refused << QStringLiteral("%1 (not a regular file)").arg(fullPath);
                continue;
            }
            // Reads the metadata without loading the library.
            QPluginLoader reader(fullPath);
            const QJsonObject meta = reader.metaData();
            if (meta.isEmpty()) {
                if (claims)
                    refused << QStringLiteral("%1 (%2)").arg(fullPath, reader.errorString());
                continue;
            }
            const QJsonArray names = meta.value(QLatin1String("MetaData"))
                                         .toObject()
                                         .value(QLatin1String("classNames"))
                                         .toArray();
            if (!names.contains(className))
                continue;
            const Offer offer{fullPath, meta.value(QLatin1String("IID")).toString()};
            (offer.interfaceId == ourInterface ? offers : foreign).append(offer);
        }
        if (offers.isEmpty() && foreign.isEmpty())
            continue;
        for (const QString &r : std::as_const(refused))
            qWarning("component host: refused %s", qPrintable(r));
        if (offers.isEmpty()) {
            QStringList which;
            for (const Offer &offer : std::as_const(foreign))
                which << QStringLiteral("%1 (%2)").arg(offer.path, offer.interfaceId);
            return Status::failure(
                StatusCode::ComponentLoadFailed,
                QStringLiteral("class '%1' is offered only by component "
                               "libraries built for another interface: %2; "
                               "this host loads %3")
                    .arg(className, which.join(QLatin1String(", ")), ourInterface));
        }
        for (const Offer &offer : std::as_const(foreign)) {
            qWarning("component host: skipping %s, which offers class '%s' for interface %s "
                     "(this host loads %s)",
                     qPrintable(offer.path), qPrintable(className), qPrintable(offer.interfaceId),
                     qPrintable(ourInterface));
        }
        QList<Offer> named;
        for (const Offer &offer : std::as_const(offers)) {
            if (namedAfterLibrary(offer.path, className))
                named << offer;
        }
        Offer chosen;
        if (named.size() == 1) {
            chosen = named.first();
        } else if (named.isEmpty() && offers.size() == 1) {
            chosen = offers.first();
        } else {
            const QList<Offer> &rivals = named.isEmpty() ? offers : named;
            return Status::failure(StatusCode::ComponentLoadFailed,
                                   QStringLiteral("class '%1' is offered by %2 component "
                                                  "libraries in %3: %4; the host does not choose "
                                                  "between them (only one named after the "
                                                  "library '%5' would be preferred)")
                                       .arg(className)
                                       .arg(rivals.size())
                                       .arg(looked.last(), fileNames(rivals),
                                            className.section(QLatin1Char('.'), 0, 0)));
        }
        for (const Offer &offer : std::as_const(offers)) {
            if (offer.path != chosen.path) {
                qWarning("component host: ignoring %s, which also offers class '%s': %s is named "
                         "after the class's library and takes precedence",
                         qPrintable(offer.path), qPrintable(className), qPrintable(chosen.path));
            }
        }
        return loadFactory(chosen.path, className, factory);
    }
    return Status::failure(
        StatusCode::ClassNotRegistered,
        QStringLiteral("class '%1' is not registered: no component library provides it "
                       "(looked in %2%3)")
            .arg(className,
                 looked.isEmpty() ? QStringLiteral("no existing directory: ") +
                                        m_searchPaths.join(QLatin1String(", "))
                                  : looked.join(QLatin1String(", ")),
                 refused.isEmpty()
                     ? QString()
                     : QStringLiteral("; refused ") + refused.join(QLatin1String(", "))));
}

Status ComponentHost::loadFactory(const QString &path, const QString &className,
                                  ComponentFactory **factory)
{
    // The library is never unloaded: it stays loaded while any component it
    // made may still exist.
    auto loader = std::make_unique<QPluginLoader>(path);
    QObject *root = loader->instance();
    if (!root) {
        return Status::failure(StatusCode::ComponentLoadFailed,
                               QStringLiteral("component library '%1' for class '%2' could not be "
                                              "loaded: %3")
                                   .arg(path, className, loader->errorString()));
    }
    auto *f = qobject_cast<ComponentFactory *>(root);
    if (!f) {
        return Status::failure(StatusCode::ComponentLoadFailed,
                               QStringLiteral("library '%1' names class '%2' but provides no "
                                              "component factory")
                                   .arg(path, className));
    }
    QStringList provided;
    const Status listed =
        ErrorBoundary::contain(QStringLiteral("the factory in '%1' threw").arg(path), [&] {
            provided = f->classNames();
            return Status::ok();
        });
    if (!listed)
        return listed;
    m_loaders.push_back(std::move(loader));
    for (const QString &name : std::as_const(provided))
        m_factories.insert(name, f);
    *factory = f;
    return Status::ok();
}

Status ComponentHost::create(const QString &className, std::unique_ptr<Component> *out)
{
    Q_ASSERT(out);
    out->reset();
    if (className.isEmpty()) {
        return Status::failure(StatusCode::InvalidClassString,
                               QStringLiteral("invalid class string: the class name is empty"));
    }
    const QString threw = QStringLiteral("the factory of class '%1' threw").arg(className);
    if (auto it = m_registered.constFind(className); it != m_registered.constEnd()) {
        const Creator creator = *it;
        const Status made = ErrorBoundary::contain(threw, [&] {
            *out = creator();
            return Status::ok();
        });
        if (!made)
            return made;
    } else {
        ComponentFactory *factory = nullptr;
        const Status found = findFactory(className, &factory);
        if (!found)
            return found;
        const Status made = ErrorBoundary::contain(threw, [&] {
            *out = factory->create(className);
            return Status::ok();
        });
        if (!made)
            return made;
    }
    if (!*out) {
        return Status::failure(StatusCode::Fail,
                               QStringLiteral("the factory of class '%1' created no component")
                                   .arg(className));
    }
    return Status::ok();
}

} // namespace tavrel::host
