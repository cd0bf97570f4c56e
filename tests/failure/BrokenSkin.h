#pragma once

#include <Component.h>

namespace testing {

// A stand-in for the skin component that fails on purpose, for the failure
// tests that run the real executable. It registers under the skin
// component's class name; TAVREL_BROKEN_FAULT (read by this test plugin
// only) picks the fault:
//   applyskin  ApplySkin fails with E_FAIL (the default)
//   member     ApplySkin is rejected as an unknown member id
//   type       ApplySkin is rejected as a wrong argument type
//   load       load() refuses the stored properties
class BrokenSkin : public host::Component
{
public:
    host::Status load(QWidget *window, const host::PropertyBag &properties,
                      host::EventSink *events) override;
    host::Status invoke(host::DispId member, host::InvokeKind kind, QList<host::Variant> &args,
                        host::Variant *result) override;
};

} // namespace testing
