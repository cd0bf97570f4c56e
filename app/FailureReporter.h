#pragma once

#include <Status.h>

#include <QString>

#include <functional>

namespace app {

// The one place where an unhandled failure ends up: it names the error on
// stderr and in a message box, then ends the process with a non-zero
// status, whatever windows are open. Installed as the handlers' error
// boundary at start-up.
class FailureReporter
{
public:
    using Presenter = std::function<void(const QString &title, const QString &text)>;

    static constexpr int ExitCode = 1;

    // Routes every error raised in a handler here.
    static void install();

    // Replaces the message box (tests observe the report this way).
    static void setPresenter(Presenter presenter);
    static void resetPresenter();

    static void report(const tavrel::host::Error &error);

    static bool hasFailed();
    static QString lastReport();
    static void clear();

    static QString title();
    static QString describe(const tavrel::host::Status &status);
};

} // namespace app
