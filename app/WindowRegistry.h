#pragma once

#include "TaskbarEntry.h"

#include <FormProvider.h>

#include <QObject>

#include <array>
#include <functional>
#include <memory>

namespace forms {
class Form;
}

namespace app {

// The application's one reference per window class: empty until the window
// is first needed, then filled and never cleared. Counts the loaded windows
// and says when the last one has been unloaded.
class WindowRegistry : public QObject, public forms::FormProvider
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<forms::Form>(forms::FormKind, WindowRegistry &)>;

    // `factory` builds an instance; the default builds the real windows.
    explicit WindowRegistry(Factory factory = {}, QObject *parent = nullptr);
    ~WindowRegistry() override;

    forms::Form &form(forms::FormKind kind) override;
    bool hasInstance(forms::FormKind kind) const;
    int loadedCount() const;

    static std::unique_ptr<forms::Form> createForm(forms::FormKind kind, WindowRegistry &registry);

Q_SIGNALS:
    // No window is loaded any more.
    void lastWindowUnloaded();

private:
    void onUnloaded();

    Factory m_factory;
    TaskbarEntry m_taskbar;
    std::array<std::unique_ptr<forms::Form>, 3> m_forms;
};

} // namespace app
