#pragma once

#include <QFont>
#include <Qt>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

// Settings the windows' stored descriptions carry that Designer has no
// property for, and the standard values a window takes where its
// description names none.
namespace forms::FormSettings {

// The standard 8-point dialog font: one line of text is 13 pixels high.
QFont standardDialogFont();

// Fixed dialog frame: title bar with a close box, no minimise or maximise
// button, not resizable (the window fixes its size). An ordinary top-level
// window all the same: a dialog without an owner becomes, under X11, a
// transient of the whole program, which xfwm4, mutter and metacity keep
// above every other window of the program and minimise together with it.
Qt::WindowFlags fixedDialogFlags();
// Sizable frame with system menu, minimise and maximise buttons.
Qt::WindowFlags sizableFlags();

// The stored setting "showInTaskbar" of a window: true unless its
// description says false. The application asks the window system for it.
bool showsInTaskbar(const QWidget *window);

// Applies the stored settings Designer cannot hold, as dynamic properties
// on any widget of the window: "pointSizeF" (a fractional point size) and
// "autoSize" (the widget takes the size of its contents). A label's buddy
// gets the label's text as its accessible name; a picture box (a plain
// frame) that takes the focus gets a focus mark.
void applyStoredSettings(QWidget *window);

// Fixes the window's client area at its current size.
void fixClientSize(QWidget *window);

// Edge alignment of a direct child of a window, stored as the dynamic
// property "align": "top", "bottom", "left" or "right". The child spans its
// edge of the window's contents rectangle and keeps its other extent, so it
// follows the window's size and contents margins. Form keeps it there.
enum class EdgeAlignment { None, Top, Bottom, Left, Right };
// Raises tavrel::host::Error naming the widget for an unknown value or for an
// aligned widget that is not a direct child of a window.
EdgeAlignment edgeAlignment(const QWidget *widget);
// Moves an aligned widget to its edge; does nothing if it is there already.
void alignToEdge(QWidget *widget);

} // namespace forms::FormSettings
