#include "AccessibleCheckBox.h"

#include <QCheckBox>
#include <QKeySequence>

namespace forms {

namespace {

QAccessibleInterface *checkBoxFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QCheckBox") && object && object->isWidgetType())
        return new AccessibleCheckBox(static_cast<QCheckBox *>(object));
    return nullptr;
}

} // namespace

AccessibleCheckBox::AccessibleCheckBox(QCheckBox *box)
    : QAccessibleWidget(box, QAccessible::CheckBox)
{
}

void AccessibleCheckBox::install()
{
    // Factories installed later are asked first, so this one comes before
    // Qt's own for the class it answers.
    static const bool installed = [] {
        QAccessible::installFactory(checkBoxFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QCheckBox *AccessibleCheckBox::box() const
{
    return static_cast<QCheckBox *>(widget());
}

QString AccessibleCheckBox::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && box()->accessibleName().isEmpty()) {
        QString name = box()->text();
        // "&&" stands for a literal ampersand; a single one marks the key.
        name.replace(QLatin1String("&&"), QStringLiteral("\x01"));
        name.remove(QLatin1Char('&'));
        name.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        return name;
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleCheckBox::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = box()->checkState() == Qt::Checked;
    s.checkStateMixed = box()->checkState() == Qt::PartiallyChecked;
    return s;
}

QStringList AccessibleCheckBox::actionNames() const
{
    return QStringList{toggleAction()} + QAccessibleWidget::actionNames();
}

void AccessibleCheckBox::doAction(const QString &actionName)
{
    if (actionName == toggleAction() || actionName == pressAction()) {
        if (box()->isEnabled())
            box()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleCheckBox::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction())
        return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

} // namespace forms
