#pragma once

#include "Status.h"

#include <functional>
#include <utility>

namespace host {

// The edge of a running handler. Errors raised inside a handler must never
// cross Qt's own frames, so every handler the windows connect runs inside
// guarded(), which passes a raised Error to the process's one
// unhandled-failure handler. Nothing here decides what happens then; the
// application installs that (it reports and ends the process).
namespace ErrorBoundary {

using Handler = std::function<void(const Error &)>;

void setHandler(Handler handler);
// Passes `error` to the installed handler (or prints it and aborts the
// running handler's caller if none is installed).
void report(const Error &error);

// Handlers read what they need from their controls, so the guarded
// function takes no arguments; it connects to a signal of any signature.
template <typename F>
auto guarded(F f)
{
    return [f = std::move(f)]() {
        try {
            f();
        } catch (const Error &error) {
            report(error);
        }
    };
}

// Runs `f` now, inside the boundary. Returns false if it raised.
bool run(const std::function<void()> &f);

} // namespace ErrorBoundary
} // namespace host
