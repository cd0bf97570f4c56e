#pragma once

#include <QColor>
#include <QString>

QT_BEGIN_NAMESPACE
class QAbstractButton;
class QCheckBox;
class QListWidget;
class QWidget;
QT_END_NAMESPACE

// The calls the windows make on their controls. Each one checks what it is
// asked to do and raises tavrel::host::Error naming the control and the fault
// instead of quietly doing nothing.
namespace forms::Controls {

// Appends an entry and returns its index.
int addItem(QListWidget *list, const QString &text);
void setItemData(QListWidget *list, int index, qint32 data);
qint32 itemData(QListWidget *list, int index);
// The selected entry's index, or -1 when nothing is selected.
int selectedIndex(QListWidget *list);

// 0 unchecked, 1 checked, 2 greyed.
qint16 checkValue(QCheckBox *box);

// A colour value in 00BBGGRR form, as the windows store them.
QColor colorFromValue(qint32 value);
// Sets the background of a text or list box (or any control) to a colour
// value in 00BBGGRR form.
void setBackColor(QWidget *control, qint32 value);
qint32 backColor(QWidget *control);

} // namespace forms::Controls
