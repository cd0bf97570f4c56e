#include "ComponentSite.h"

#include "ComponentHost.h"
#include "ErrorBoundary.h"

#include <QWidget>

namespace host {

ComponentSite::ComponentSite(const QString &className, QWidget *window)
    : QObject(window), m_className(className)
{
}

ComponentSite::~ComponentSite()
{
    // The component goes before the site's children and before the window
    // finishes dying, while everything it points at is still valid.
    m_component.reset();
}

Status ComponentSite::create(const QString &className, const QString &name, QWidget *window,
                             const PropertyBag &properties, ComponentSite **site)
{
    Q_ASSERT(window && site);
    *site = nullptr;
    std::unique_ptr<Component> component;
    Status status = ComponentHost::instance().create(className, &component);
    if (!status)
        return status.withContext(QStringLiteral("cannot create %1 (%2)").arg(name, className));

    auto *created = new ComponentSite(className, window);
    created->setObjectName(name);
    created->m_component = std::move(component);
    status = created->m_component->load(window, properties, created);
    if (!status) {
        delete created;
        return status.withContext(QStringLiteral("cannot create %1 (%2)").arg(name, className));
    }
    *site = created;
    return Status::ok();
}

Status ComponentSite::describe(const Status &status, DispId member, InvokeKind kind) const
{
    return status.withContext(QStringLiteral("%1 %2 of %3 (%4)")
                                  .arg(invokeKindName(kind), dispIdToHex(member), objectName(),
                                       m_className));
}

Status ComponentSite::invoke(DispId member, InvokeKind kind, QList<Variant> &args, Variant *result)
{
    if (!m_component) {
        return Status::failure(StatusCode::Unexpected,
                               QStringLiteral("%1 has no component").arg(objectName()));
    }
    const Status status = m_component->invoke(member, kind, args, result);
    return status ? status : describe(status, member, kind);
}

void ComponentSite::callMethod(DispId member)
{
    QList<Variant> args;
    raiseOnFailure(invoke(member, InvokeKind::Method, args));
}

void ComponentSite::putProperty(DispId member, const Variant &value)
{
    QList<Variant> args{value};
    raiseOnFailure(invoke(member, InvokeKind::PropertyPut, args));
}

void ComponentSite::connectEvent(DispId event, EventHandler handler)
{
    m_handlers.insert(event, std::move(handler));
}

void ComponentSite::raiseEvent(DispId event, QList<Variant> &args)
{
    Q_EMIT eventRaised(event);
    const auto it = m_handlers.constFind(event);
    if (it == m_handlers.constEnd())
        return;
    const EventHandler handler = *it;
    ErrorBoundary::run([&] { handler(args); });
}

} // namespace host
