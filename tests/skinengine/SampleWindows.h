#pragma once

#include <QString>
#include <QWidget>

// Windows of the kinds the skin meets: the main window's fixed dialog with
// absolute controls, a sizable window, a main window with a menu bar and a
// window with a control aligned to its top edge.
namespace skintest {

enum class WindowKind { FixedDialog, Sizable, MenuWindow, TopAligned };

QString kindName(WindowKind kind);
// A new top-level window of that kind (the caller owns it).
QWidget *createWindow(WindowKind kind);

} // namespace skintest
