#include "Controls.h"

#include <Status.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QListWidget>
#include <QWidget>

namespace forms::Controls {

[[noreturn]] static void fail(const QWidget *control, const QString &what)
{
    tavrel::host::raiseOnFailure(tavrel::host::Status::failure(
        tavrel::host::StatusCode::InvalidArg,
        QStringLiteral("%1: %2").arg(control ? control->objectName() : QStringLiteral("(none)"),
                                     what)));
    Q_UNREACHABLE();
}

static void requireControl(const QWidget *control)
{
    if (!control)
        fail(control, QStringLiteral("the control does not exist"));
}

static void requireIndex(QListWidget *list, int index)
{
    if (index < 0 || index >= list->count()) {
        fail(list, QStringLiteral("invalid list index %1 (the list has %2 entries)")
                       .arg(index)
                       .arg(list->count()));
    }
}

int addItem(QListWidget *list, const QString &text)
{
    requireControl(list);
    list->addItem(text);
    return list->count() - 1;
}

void setItemData(QListWidget *list, int index, qint32 data)
{
    requireControl(list);
    requireIndex(list, index);
    list->item(index)->setData(Qt::UserRole, data);
}

qint32 itemData(QListWidget *list, int index)
{
    requireControl(list);
    requireIndex(list, index);
    const QVariant data = list->item(index)->data(Qt::UserRole);
    return data.isValid() ? data.toInt() : 0;
}

int selectedIndex(QListWidget *list)
{
    requireControl(list);
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

qint16 checkValue(QCheckBox *box)
{
    requireControl(box);
    switch (box->checkState()) {
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    }
    return 0;
}

QColor colorFromValue(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

static QPalette::ColorRole backgroundRole(const QWidget *control)
{
    // Text and list boxes paint their background from Base, other
    // controls from Window.
    return qobject_cast<const QAbstractScrollArea *>(control) || control->inherits("QLineEdit")
               ? QPalette::Base
               : QPalette::Window;
}

void setBackColor(QWidget *control, qint32 value)
{
    requireControl(control);
    if (value < 0 || value > 0xFFFFFF)
        fail(control, QStringLiteral("invalid colour value %1").arg(value));
    QPalette palette = control->palette();
    const QColor color = colorFromValue(value);
    const QPalette::ColorRole role = backgroundRole(control);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, role, color);
    control->setPalette(palette);
    if (role == QPalette::Window)
        control->setAutoFillBackground(true);
}

qint32 backColor(QWidget *control)
{
    requireControl(control);
    const QColor c = control->palette().color(QPalette::Active, backgroundRole(control));
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace forms::Controls
