#include "CtrlColorFrm.h"

#include "ui_CtrlColorFrm.h"

#include <FormSettings.h>

namespace forms {

CtrlColorFrm::CtrlColorFrm(QObject *parent) : Form(parent) {}

QWidget *CtrlColorFrm::createWindow()
{
    auto *window = new QWidget(nullptr, FormSettings::fixedDialogFlags());
    Ui::CtrlColorFrm ui;
    ui.setupUi(window);
    FormSettings::applyStoredSettings(window);
    return window;
}

void CtrlColorFrm::onLoad()
{
    skin().applySkin();
}

} // namespace forms
