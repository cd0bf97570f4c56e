#pragma once

#include <QAccessibleWidget>

QT_BEGIN_NAMESPACE
class QCheckBox;
QT_END_NAMESPACE

namespace forms {

// The accessible face of the windows' check boxes. Qt's own interface
// toggles a box without a click, so a box an assistive tool toggles changes
// its value but runs none of the handlers bound to its click; this one
// clicks it as a user does, once per Toggle, and a disabled box refuses.
class AccessibleCheckBox : public QAccessibleWidget
{
public:
    explicit AccessibleCheckBox(QCheckBox *box);

    // Makes every check box created from now on use this interface.
    static void install();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QCheckBox *box() const;
};

} // namespace forms
