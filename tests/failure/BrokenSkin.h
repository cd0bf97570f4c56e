#pragma once

#include <Component.h>

namespace testing {

// What the faults throw when they throw no standard exception.
struct BrokenFault
{
    int code;
};

// The fault TAVREL_BROKEN_FAULT picks.
QByteArray brokenFault();

// A stand-in for the skin component that fails on purpose, for the failure
// tests that run the real executable. It registers under the skin
// component's class name; TAVREL_BROKEN_FAULT (read by this test plugin
// only) picks the fault:
//   applyskin  ApplySkin fails with E_FAIL (the default)
//   member     ApplySkin is rejected as an unknown member id
//   type       ApplySkin is rejected as a wrong argument type
//   load       load() refuses the stored properties
// and faults that throw instead of returning a status:
//   throw-create      the factory throws std::runtime_error
//   foreign-create    the factory throws BrokenFault (no std::exception)
//   throw-load        load() throws std::bad_alloc
//   throw-applyskin   ApplySkin throws std::out_of_range
//   foreign-applyskin ApplySkin throws BrokenFault
//   throw-timer       a timer event of the component throws std::runtime_error
//   foreign-timer     a timer event of the component throws BrokenFault
//   throw-show        the component's filter on the window throws
//                     std::bad_alloc when the window is shown
class BrokenSkin : public tavrel::host::Component
{
public:
    tavrel::host::Status load(QWidget *window, const tavrel::host::PropertyBag &properties,
                      tavrel::host::EventSink *events) override;
    tavrel::host::Status invoke(tavrel::host::DispId member, tavrel::host::InvokeKind kind, QList<tavrel::host::Variant> &args,
                        tavrel::host::Variant *result) override;
};

} // namespace testing
