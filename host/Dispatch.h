#pragma once

#include "HostExport.h"
#include "Status.h"
#include "Variant.h"

#include <QList>

namespace tavrel::host {

using DispId = qint32;

enum class InvokeKind { Method = 1, PropertyGet = 2, PropertyPut = 4 };

TAVREL_HOST_EXPORT QString invokeKindName(InvokeKind kind);

// The late-bound calling interface of a component: every member is reached
// by its numeric id, with its arguments as variants. A component rejects an
// id it does not know (StatusCode::MemberNotFound), a call of the wrong kind,
// a wrong argument count or type, and a value out of range, each with a
// message that names the member and the fault.
class TAVREL_HOST_EXPORT Dispatch
{
public:
    virtual ~Dispatch() = default;
    virtual Status invoke(DispId member, InvokeKind kind, QList<Variant> &args,
                          Variant *result = nullptr) = 0;
};

TAVREL_HOST_EXPORT QString dispIdToHex(DispId id);

} // namespace tavrel::host
