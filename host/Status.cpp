#include "Status.h"

namespace tavrel::host {

QString codeToHex(StatusCode code)
{
    return QStringLiteral("0x%1").arg(quint32(code), 8, 16, QLatin1Char('0')).toUpper().replace(
        QLatin1String("0X"), QLatin1String("0x"));
}

QString Status::toString() const
{
    if (isOk())
        return QStringLiteral("0x00000000: success");
    return codeToHex(m_code) + QLatin1String(": ") + m_message;
}

Status Status::withContext(const QString &context) const
{
    if (isOk())
        return *this;
    return Status(m_code, context + QLatin1String(": ") + m_message);
}

Error::Error(const Status &status) : m_status(status), m_what(status.toString().toUtf8()) {}

void raiseOnFailure(const Status &status)
{
    if (!status.isOk())
        throw Error(status);
}

} // namespace tavrel::host
