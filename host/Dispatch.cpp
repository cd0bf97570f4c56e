#include "Dispatch.h"

namespace tavrel::host {

QString invokeKindName(InvokeKind kind)
{
    switch (kind) {
    case InvokeKind::Method: return QStringLiteral("method call");
    case InvokeKind::PropertyGet: return QStringLiteral("property get");
    case InvokeKind::PropertyPut: return QStringLiteral("property put");
    }
    return QStringLiteral("call kind %1").arg(int(kind));
}

QString dispIdToHex(DispId id)
{
    return QStringLiteral("0x%1").arg(quint32(id), 8, 16, QLatin1Char('0')).toUpper().replace(
        QLatin1String("0X"), QLatin1String("0x"));
}

} // namespace tavrel::host
