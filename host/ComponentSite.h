#pragma once

#include "Component.h"
#include "HostExport.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

namespace tavrel::host {

// One hosted component instance on a window: created with the window from
// its stored properties, destroyed with it (the site is a child of the
// window). Callers reach the component only through invoke() or the raising
// helpers, by member id; events come back through connectEvent().
class TAVREL_HOST_EXPORT ComponentSite : public QObject, private EventSink
{
    Q_OBJECT
public:
    using EventHandler = std::function<void(QList<Variant> &args)>;

    ~ComponentSite() override;

    // Creates the component of class `className` on `window` as the child
    // named `name`. On failure nothing is left on the window.
    static Status create(const QString &className, const QString &name, QWidget *window,
                         const PropertyBag &properties, ComponentSite **site);

    QString className() const { return m_className; }
    Component *component() const { return m_component.get(); }

    Status invoke(DispId member, InvokeKind kind, QList<Variant> &args, Variant *result = nullptr);

    // Late-bound calls that raise a failure as tavrel::host::Error, naming the
    // component instance and the member.
    void callMethod(DispId member);
    void putProperty(DispId member, const Variant &value);

    // The window's handler for one event. Handlers run inside the error
    // boundary: an error they raise goes to the unhandled-failure handler.
    void connectEvent(DispId event, EventHandler handler);

Q_SIGNALS:
    // Emitted for every event the component raises, before the handler runs.
    void eventRaised(tavrel::host::DispId event);

private:
    TAVREL_HOST_NO_EXPORT ComponentSite(const QString &className, QWidget *window);
    TAVREL_HOST_NO_EXPORT void raiseEvent(DispId event, QList<Variant> &args) override;
    TAVREL_HOST_NO_EXPORT Status describe(const Status &status, DispId member,
                                          InvokeKind kind) const;

    QString m_className;
    std::unique_ptr<Component> m_component;
    QHash<DispId, EventHandler> m_handlers;
};

} // namespace tavrel::host
