#include "WindowRegistry.h"

#include <CleanFrm.h>
#include <CtrlColorFrm.h>
#include <MainFrm.h>

namespace app {

using forms::Form;
using forms::FormKind;

WindowRegistry::WindowRegistry(Factory factory, QObject *parent)
    : QObject(parent), m_factory(factory ? std::move(factory) : Factory(&createForm))
{
}

WindowRegistry::~WindowRegistry()
{
    // Windows go before the registry's signal connections do.
    for (auto &form : m_forms) {
        if (form)
            form->disconnect(this);
    }
}

std::unique_ptr<Form> WindowRegistry::createForm(FormKind kind, WindowRegistry &registry)
{
    switch (kind) {
    case FormKind::Main:
        return std::make_unique<forms::MainFrm>(registry);
    case FormKind::CtrlColor:
        return std::make_unique<forms::CtrlColorFrm>();
    case FormKind::Clean:
        return std::make_unique<forms::CleanFrm>();
    }
    return {};
}

Form &WindowRegistry::form(FormKind kind)
{
    std::unique_ptr<Form> &slot = m_forms.at(std::size_t(kind));
    if (!slot) {
        slot = m_factory(kind, *this);
        Q_ASSERT(slot);
        connect(slot.get(), &Form::unloaded, this, &WindowRegistry::onUnloaded);
        Form *form = slot.get();
        connect(form, &Form::loaded, this, [this, form] { m_taskbar.follow(form->window()); });
    }
    return *slot;
}

bool WindowRegistry::hasInstance(FormKind kind) const
{
    return m_forms.at(std::size_t(kind)) != nullptr;
}

int WindowRegistry::loadedCount() const
{
    int count = 0;
    for (const auto &form : m_forms)
        count += form && form->isLoaded() ? 1 : 0;
    return count;
}

void WindowRegistry::onUnloaded()
{
    if (loadedCount() == 0)
        Q_EMIT lastWindowUnloaded();
}

} // namespace app
