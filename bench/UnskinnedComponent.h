#pragma once

#include <Component.h>

namespace bench {

// Stands in for the skin component under its class name when a figure needs
// the same window with the skin never applied: it takes every call the
// windows make and does nothing, so no plugin is loaded and no picture is
// decoded.
class UnskinnedComponent : public tavrel::host::Component
{
public:
    // Registers it in-process under the skin component's class name.
    static void install();

    tavrel::host::Status load(QWidget *window, const tavrel::host::PropertyBag &properties,
                      tavrel::host::EventSink *events) override;
    tavrel::host::Status invoke(tavrel::host::DispId member, tavrel::host::InvokeKind kind, QList<tavrel::host::Variant> &args,
                        tavrel::host::Variant *result = nullptr) override;

private:
    qint32 m_scheme = 1;
};

} // namespace bench
