#pragma once

#include "HostExport.h"
#include <QString>
#include <QtGlobal>

#include <exception>

namespace tavrel::host {

// Result codes of calls across the component boundary. The values follow
// the conventions of the hosting world the component contract comes from, so
// that a code in a message can be looked up by anyone who knows them.
enum class StatusCode : quint32 {
    Ok = 0x00000000,
    NotImplemented = 0x80004001,
    Fail = 0x80004005,
    Unexpected = 0x8000FFFF,
    InvalidArg = 0x80070057,
    OutOfMemory = 0x8007000E,
    MemberNotFound = 0x80020003, // no member with that id
    TypeMismatch = 0x80020005,   // an argument has the wrong variant type
    BadVarType = 0x80020008,
    Overflow = 0x8002000A,      // a value does not fit the argument
    BadParamCount = 0x8002000E, // wrong number of arguments
    Exception = 0x80020009,     // the callee threw a C++ exception
    ClassNotRegistered = 0x80040154,
    InvalidClassString = 0x800401F3,
    ComponentLoadFailed = 0x8007007E, // the module could not be loaded
    InvalidPropertyValue = 0x800A017C,
    InvalidPicture = 0x800A01E1,
    WindowNotLoaded = 0x800A016C,
};

// A call's outcome: a code plus a message that names what went wrong.
// Errors are values until a caller decides to raise them (see Error).
class TAVREL_HOST_EXPORT Status
{
public:
    Status() = default;
    static Status ok() { return Status(); }
    static Status failure(StatusCode code, const QString &message)
    {
        return Status(code, message);
    }

    bool isOk() const { return m_code == StatusCode::Ok; }
    explicit operator bool() const { return isOk(); }
    StatusCode code() const { return m_code; }
    QString message() const { return m_message; }

    // "0x80020003: <message>"
    QString toString() const;

    // Puts `context` in front of the message, keeping the code.
    Status withContext(const QString &context) const;

private:
    Status(StatusCode code, const QString &message) : m_code(code), m_message(message) {}

    StatusCode m_code = StatusCode::Ok;
    QString m_message;
};

TAVREL_HOST_EXPORT QString codeToHex(StatusCode code);

// A failed status that has been raised. Nothing in a window catches it: it
// travels to the error boundary around the running handler (ErrorBoundary.h),
// which hands it to the process's unhandled-failure reporter.
class TAVREL_HOST_EXPORT Error : public std::exception
{
public:
    explicit Error(const Status &status);
    const Status &status() const { return m_status; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    Status m_status;
    QByteArray m_what;
};

// Raises `status` as an Error when it is a failure.
TAVREL_HOST_EXPORT void raiseOnFailure(const Status &status);

} // namespace tavrel::host
