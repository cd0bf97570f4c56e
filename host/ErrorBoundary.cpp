#include "ErrorBoundary.h"

#include <cstdio>
#include <cstdlib>

namespace host::ErrorBoundary {

static Handler &installed()
{
    static Handler handler;
    return handler;
}

void setHandler(Handler handler)
{
    installed() = std::move(handler);
}

void report(const Error &error)
{
    if (installed()) {
        installed()(error);
        return;
    }
    // No reporter: a library user that did not install one still learns
    // what failed, and the process does not limp on.
    std::fprintf(stderr, "Unhandled error %s\n", error.what());
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

bool run(const std::function<void()> &f)
{
    try {
        f();
        return true;
    } catch (const Error &error) {
        report(error);
        return false;
    }
}

} // namespace host::ErrorBoundary
