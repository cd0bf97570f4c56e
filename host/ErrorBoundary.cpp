#include "ErrorBoundary.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <typeinfo>

#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#endif

namespace tavrel::host::ErrorBoundary {

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
    } catch (...) {
        report(Error(currentExceptionStatus(QStringLiteral("a handler threw"))));
        return false;
    }
}

static QString demangled(const char *name)
{
#if __has_include(<cxxabi.h>)
    int result = -1;
    char *readable = abi::__cxa_demangle(name, nullptr, nullptr, &result);
    if (result == 0 && readable) {
        const QString text = QString::fromLatin1(readable);
        std::free(readable);
        return text;
    }
#endif
    return QString::fromLatin1(name);
}

// The type of the exception being handled, when the run time can tell.
static QString currentTypeName()
{
#if __has_include(<cxxabi.h>)
    if (const std::type_info *type = abi::__cxa_current_exception_type())
        return demangled(type->name());
#endif
    return QStringLiteral("unknown type");
}

Status currentExceptionStatus(const QString &context)
{
    try {
        throw;
    } catch (const Error &error) {
        return error.status().withContext(context);
    } catch (const std::bad_alloc &e) {
        return Status::failure(
            StatusCode::OutOfMemory,
            QStringLiteral("%1 %2 (out of memory): %3")
                .arg(context, demangled(typeid(e).name()), QString::fromLocal8Bit(e.what())));
    } catch (const std::exception &e) {
        return Status::failure(StatusCode::Exception, QStringLiteral("%1 %2: %3")
                                                          .arg(context, demangled(typeid(e).name()),
                                                               QString::fromLocal8Bit(e.what())));
    } catch (...) {
        return Status::failure(StatusCode::Exception,
                               QStringLiteral("%1 an exception of type '%2', which carries no "
                                              "message (not a std::exception)")
                                   .arg(context, currentTypeName()));
    }
}

Status contain(const QString &context, const std::function<Status()> &f)
{
    try {
        return f();
    } catch (...) {
        return currentExceptionStatus(context);
    }
}

} // namespace tavrel::host::ErrorBoundary
