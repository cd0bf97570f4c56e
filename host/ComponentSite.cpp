#include "ComponentSite.h"

#include "ComponentHost.h"
#include "ErrorBoundary.h"

#include <QEvent>
#include <QMetaEnum>
#include <QWidget>

namespace tavrel::host {

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
    status = ErrorBoundary::contain(QStringLiteral("load threw"), [&] {
        return created->m_component->load(window, properties, created);
    });
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
    const Status status = ErrorBoundary::contain(QStringLiteral("the component threw"), [&] {
        return m_component->invoke(member, kind, args, result);
    });
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

namespace ErrorBoundary {

// Here rather than beside the rest of the boundary: naming the component
// takes the sites on the receiver's window.
void reportEventException(QObject *receiver, QEvent *event)
{
    const QWidget *widget = nullptr;
    for (QObject *o = receiver; o && !widget; o = o->parent())
        widget = qobject_cast<QWidget *>(o);
    const QWidget *window = widget ? widget->window() : nullptr;
    QStringList components;
    if (window) {
        const auto sites = window->findChildren<ComponentSite *>(Qt::FindDirectChildrenOnly);
        for (const ComponentSite *site : sites)
            components << QStringLiteral("%1 (%2)").arg(site->objectName(), site->className());
    }
    const char *type =
        event ? QMetaEnum::fromType<QEvent::Type>().valueToKey(event->type()) : nullptr;
    const QString what =
        QStringLiteral("handling event %1 for %2 '%3'")
            .arg(type    ? QString::fromLatin1(type)
                 : event ? QString::number(int(event->type()))
                         : QStringLiteral("none"),
                 receiver ? QString::fromLatin1(receiver->metaObject()->className())
                          : QStringLiteral("no object"),
                 receiver ? receiver->objectName() : QString());
    QString where;
    if (!components.isEmpty()) {
        where = QStringLiteral("an event handler of %1 on %2")
                    .arg(components.join(QLatin1String(", ")), window->objectName());
    } else {
        where = window ? QStringLiteral("an event handler on %1 (no component on it)")
                             .arg(window->objectName())
                       : QStringLiteral("an event handler outside any window");
    }
    const Status status = currentExceptionStatus(QStringLiteral("%1 threw").arg(what));
    report(Error(status.withContext(where)));
}

} // namespace ErrorBoundary

} // namespace tavrel::host
