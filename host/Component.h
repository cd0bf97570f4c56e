#pragma once

#include "HostExport.h"
#include "Dispatch.h"
#include "PropertyBag.h"

#include <QtPlugin>

#include <memory>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tavrel::host {

// Where a component raises its events. The host's site implements it and
// delivers each event to the window's handler for that event id; arguments
// may be by reference.
class TAVREL_HOST_EXPORT EventSink
{
public:
    virtual ~EventSink() = default;
    virtual void raiseEvent(DispId event, QList<Variant> &args) = 0;
};

// A control created by class name and driven late-bound. The host creates
// it, then calls load() once with the window that carries it, its stored
// properties and the sink for its events. The component lives as long as
// its window's site and is destroyed with it; it must not outlive `window`.
class TAVREL_HOST_EXPORT Component : public Dispatch
{
public:
    // Takes the control's place on `window`. A failure means the window
    // cannot be loaded; the status names why.
    virtual Status load(QWidget *window, const PropertyBag &properties, EventSink *events) = 0;
};

// What a component library exports: a factory for the classes it provides.
// Implemented by a Qt plugin whose metadata lists the class names under
// "classNames", so the host can find the right library without loading all.
class TAVREL_HOST_EXPORT ComponentFactory
{
public:
    virtual ~ComponentFactory() = default;
    virtual QStringList classNames() const = 0;
    virtual std::unique_ptr<Component> create(const QString &className) = 0;
};

} // namespace tavrel::host

#define TavrelHost_ComponentFactory_iid "org.tavrel.Host.ComponentFactory/1.0"
Q_DECLARE_INTERFACE(tavrel::host::ComponentFactory, TavrelHost_ComponentFactory_iid)
