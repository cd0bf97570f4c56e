#pragma once

#include <Dispatch.h>

#include <QString>

// The application's side of the skin component's contract: the class it is
// created by, the ids of the members the windows call and of the event they
// handle, and the names of its stored properties.
namespace skin {

inline QString className() { return QStringLiteral("TavrelCtl.TavrelSkin"); }
inline QString instanceName() { return QStringLiteral("TavrelSkin1"); }

namespace Member {
constexpr tavrel::host::DispId ApplySkin = 0x6003000C;
constexpr tavrel::host::DispId RemoveSkin = 0x6003000E;
constexpr tavrel::host::DispId ColorScheme = 0x68030004; // property put, one VT_I4
} // namespace Member

namespace Event {
// FocusChange(HasFocus As Integer, by reference)
constexpr tavrel::host::DispId FocusChange = 1;
} // namespace Event

namespace Property {
inline QString extentX() { return QStringLiteral("_extentx"); }
inline QString extentY() { return QStringLiteral("_extenty"); }
inline QString skinPicture() { return QStringLiteral("skinpicture"); }
} // namespace Property

// Colour scheme numbers, as the main window's list carries them.
enum ColorScheme : qint32 { LightBlue = 1, DarkBlue = 2, Green = 3 };

// Stored extent of every instance, in HIMETRIC (42 x 36 pixels at 96 dpi).
constexpr qint32 StoredExtentX = 1111;
constexpr qint32 StoredExtentY = 953;

} // namespace skin
