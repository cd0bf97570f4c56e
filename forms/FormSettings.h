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
// button, not resizable. A dialog-type window: no taskbar entry where the
// window system honours that for windows of this type.
Qt::WindowFlags fixedDialogFlags();
// Sizable frame with system menu, minimise and maximise buttons.
Qt::WindowFlags sizableFlags();

// Applies the stored settings Designer cannot hold, as dynamic properties
// on any widget of the window: "pointSizeF" (a fractional point size) and
// "autoSize" (the widget takes the size of its contents).
void applyStoredSettings(QWidget *window);

// Fixes the window's client area at its current size.
void fixClientSize(QWidget *window);

} // namespace forms::FormSettings
