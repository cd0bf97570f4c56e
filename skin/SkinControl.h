#pragma once

#include "SkinContract.h"

#include <ComponentSite.h>

#include <QPointer>

#include <functional>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace skin {

// A window's view of its skin component instance `TavrelSkin1`. Every call
// is late-bound by member id through the host; a failure is raised as
// tavrel::host::Error, never ignored.
class SkinControl
{
public:
    // Creates the instance on `window` from the stored properties; raises
    // if the component cannot be created.
    static SkinControl create(QWidget *window);

    SkinControl() = default;
    explicit SkinControl(tavrel::host::ComponentSite *site) : m_site(site) {}

    tavrel::host::ComponentSite *site() const { return m_site; }

    void applySkin();
    void removeSkin();
    void setColorScheme(qint32 scheme);

    // FocusChange(HasFocus): the handler gets the by-reference argument.
    void onFocusChange(std::function<void(qint16 &hasFocus)> handler);

private:
    tavrel::host::ComponentSite *checkedSite() const;
    QPointer<tavrel::host::ComponentSite> m_site;
};

} // namespace skin
