#include "CtrlColorFrm.h"

#include "ui_CtrlColorFrm.h"

#include <Controls.h>
#include <FormSettings.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace forms {

CtrlColorFrm::CtrlColorFrm(QObject *parent) : Form(parent) {}

QWidget *CtrlColorFrm::createWindow()
{
    auto *window = new QWidget(nullptr, FormSettings::fixedDialogFlags());
    Ui::CtrlColorFrm ui;
    ui.setupUi(window);
    FormSettings::applyStoredSettings(window);
    FormSettings::fixClientSize(window);
    return window;
}

void CtrlColorFrm::connectHandlers()
{
    on(control<QCheckBox>(QStringLiteral("Check2")), &QCheckBox::clicked,
       [this] { onCheck2Click(); });
    skin().onFocusChange([this](qint16 &hasFocus) { onFocusChange(hasFocus); });
}

void CtrlColorFrm::onLoad()
{
    skin().applySkin();
}

void CtrlColorFrm::onCheck2Click()
{
    if (Controls::checkValue(control<QCheckBox>(QStringLiteral("Check2"))) == 0)
        skin().removeSkin();
    else
        skin().applySkin();
}

void CtrlColorFrm::onFocusChange(const qint16 &hasFocus)
{
    const qint32 color = hasFocus != 0 ? FocusedColor : UnfocusedColor;
    Controls::setBackColor(control<QLineEdit>(QStringLiteral("Text1")), color);
    Controls::setBackColor(control<QListWidget>(QStringLiteral("List1")), color);
}

} // namespace forms
