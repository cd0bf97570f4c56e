#include "CleanFrm.h"

#include "ui_CleanFrm.h"

#include <FormSettings.h>

namespace forms {

CleanFrm::CleanFrm(QObject *parent) : Form(parent) {}

QWidget *CleanFrm::createWindow()
{
    auto *window = new QWidget(nullptr, FormSettings::sizableFlags());
    Ui::CleanFrm ui;
    ui.setupUi(window);
    FormSettings::applyStoredSettings(window);
    return window;
}

void CleanFrm::onLoad()
{
    skin().applySkin();
}

} // namespace forms
