#pragma once

#include "HostExport.h"
#include "Status.h"

#include <functional>
#include <utility>

QT_BEGIN_NAMESPACE
class QEvent;
class QObject;
QT_END_NAMESPACE

namespace tavrel::host {

// The edge of a running handler. Errors raised inside a handler must never
// cross Qt's own frames, so every handler the windows connect runs inside
// guarded(), which passes a raised Error to the process's one
// unhandled-failure handler. Nothing here decides what happens then; the
// application installs that (it reports and ends the process).
namespace ErrorBoundary {

using Handler = std::function<void(const Error &)>;

TAVREL_HOST_EXPORT void setHandler(Handler handler);
// Passes `error` to the installed handler (or prints it and aborts the
// running handler's caller if none is installed).
TAVREL_HOST_EXPORT void report(const Error &error);

// The failed status the exception being handled stands for, its message
// starting with `context` ("load threw std::bad_alloc: ..."): a raised Error
// keeps its code, std::bad_alloc is out of memory, anything else (a standard
// exception, or a type of its own, named as far as the run time can) is an
// exception. Call only inside a catch block.
TAVREL_HOST_EXPORT Status currentExceptionStatus(const QString &context);

// Runs `f`, a call into a component, so that nothing it throws goes
// further: the exception becomes the failed status above.
TAVREL_HOST_EXPORT Status contain(const QString &context, const std::function<Status()> &f);

// Reports the exception being handled (inside a catch block), which escaped
// the delivery of `event` to `receiver`, naming the component on the
// receiver's window. For QApplication::notify overrides.
TAVREL_HOST_EXPORT void reportEventException(QObject *receiver, QEvent *event);

// Handlers read what they need from their controls, so the guarded
// function takes no arguments; it connects to a signal of any signature.
// Whatever a handler throws is reported, not only a raised Error.
template <typename F>
auto guarded(F f)
{
    return [f = std::move(f)]() {
        try {
            f();
        } catch (const Error &error) {
            report(error);
        } catch (...) {
            report(Error(currentExceptionStatus(QStringLiteral("a handler threw"))));
        }
    };
}

// Runs `f` now, inside the boundary. Returns false if it raised or threw.
TAVREL_HOST_EXPORT bool run(const std::function<void()> &f);

} // namespace ErrorBoundary
} // namespace tavrel::host
