#pragma once

namespace forms {

class Form;

enum class FormKind { Main, CtrlColor, Clean };

// Hands out the one instance of each window class, creating it on first use.
// The application's window registry implements it; windows use it to show
// one another.
class FormProvider
{
public:
    virtual ~FormProvider() = default;
    virtual Form &form(FormKind kind) = 0;
};

} // namespace forms
