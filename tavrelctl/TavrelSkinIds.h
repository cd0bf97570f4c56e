#pragma once

#include <Dispatch.h>

#include <QString>

// The component's own view of its public members: programmatic identifier,
// member ids, event ids and stored property names. A client keeps its own
// copy of these numbers; nothing here is shared with the application.
namespace tavrelctl {

inline QString skinClassName()
{
    return QStringLiteral("TavrelCtl.TavrelSkin");
}

namespace MemberId {
constexpr tavrel::host::DispId ApplySkin = 0x6003000C;   // method, no arguments
constexpr tavrel::host::DispId RemoveSkin = 0x6003000E;  // method, no arguments
constexpr tavrel::host::DispId ColorScheme = 0x68030004; // property get/put, VT_I4 1..3
} // namespace MemberId

namespace EventId {
// FocusChange(HasFocus As Integer) with HasFocus by reference: -1 when the
// window becomes active, 0 when it stops being active.
constexpr tavrel::host::DispId FocusChange = 1;
} // namespace EventId

namespace PropertyName {
inline QString extentX()
{
    return QStringLiteral("_extentx");
}
inline QString extentY()
{
    return QStringLiteral("_extenty");
}
inline QString skinPicture()
{
    return QStringLiteral("skinpicture");
}
} // namespace PropertyName

// HIMETRIC: hundredths of a millimetre.
constexpr double HimetricPerInch = 2540.0;

} // namespace tavrelctl
