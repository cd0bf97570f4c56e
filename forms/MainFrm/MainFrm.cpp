#include "MainFrm.h"

#include "ui_MainFrm.h"

#include <Controls.h>
#include <FormSettings.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

namespace forms {

MainFrm::MainFrm(FormProvider &provider, QObject *parent) : Form(parent), m_provider(provider) {}

QWidget *MainFrm::createWindow()
{
    auto *window = new QWidget(nullptr, FormSettings::fixedDialogFlags());
    Ui::MainFrm ui;
    ui.setupUi(window);
    FormSettings::applyStoredSettings(window);
    FormSettings::fixClientSize(window);
    return window;
}

void MainFrm::connectHandlers()
{
    on(control<QListWidget>(QStringLiteral("List1")), &QListWidget::itemSelectionChanged,
       [this] { onList1Click(); });
    on(control<QCheckBox>(QStringLiteral("Check2")), &QCheckBox::clicked,
       [this] { onCheck2Click(); });
    on(control<QPushButton>(QStringLiteral("Command3")), &QPushButton::clicked,
       [this] { onCommand3Click(); });
    on(control<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked,
       [this] { onCommand1Click(); });
    on(control<QPushButton>(QStringLiteral("Command2")), &QPushButton::clicked,
       [this] { onCommand2Click(); });
    skin().onFocusChange([this](qint16 &hasFocus) { onFocusChange(hasFocus); });
}

void MainFrm::onLoad()
{
    auto *list = control<QListWidget>(QStringLiteral("List1"));
    Controls::setItemData(list, Controls::addItem(list, QStringLiteral("Light Blue")), 1);
    Controls::setItemData(list, Controls::addItem(list, QStringLiteral("Dark Blue")), 2);
    Controls::setItemData(list, Controls::addItem(list, QStringLiteral("Green")), 3);
    skin().applySkin();
}

void MainFrm::onList1Click()
{
    auto *list = control<QListWidget>(QStringLiteral("List1"));
    const int index = Controls::selectedIndex(list);
    if (index == -1)
        return;
    skin().setColorScheme(Controls::itemData(list, index));
}

void MainFrm::onCheck2Click()
{
    if (Controls::checkValue(control<QCheckBox>(QStringLiteral("Check2"))) == 0)
        skin().removeSkin();
    else
        skin().applySkin();
}

void MainFrm::onCommand3Click()
{
    m_provider.form(FormKind::CtrlColor).show();
}

void MainFrm::onCommand1Click()
{
    m_provider.form(FormKind::Clean).show();
}

void MainFrm::onCommand2Click()
{
    unload();
}

void MainFrm::onFocusChange(qint16 &hasFocus)
{
    // The main window takes the event and leaves everything as it is.
    Q_UNUSED(hasFocus);
}

} // namespace forms
