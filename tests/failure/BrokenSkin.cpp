#include "BrokenSkin.h"

#include <QtGlobal>

namespace testing {

using host::Status;
using host::StatusCode;

namespace {
constexpr host::DispId ApplySkin = 0x6003000C;

QByteArray fault()
{
    const QByteArray chosen = qgetenv("TAVREL_BROKEN_FAULT");
    return chosen.isEmpty() ? QByteArrayLiteral("applyskin") : chosen;
}
} // namespace

Status BrokenSkin::load(QWidget *, const host::PropertyBag &, host::EventSink *)
{
    if (fault() == "load") {
        return Status::failure(StatusCode::InvalidPicture,
                               QStringLiteral("the broken component refuses its skin picture"));
    }
    return Status::ok();
}

Status BrokenSkin::invoke(host::DispId member, host::InvokeKind, QList<host::Variant> &,
                          host::Variant *)
{
    if (member != ApplySkin)
        return Status::ok();
    const QByteArray chosen = fault();
    if (chosen == "member") {
        return Status::failure(StatusCode::MemberNotFound,
                               QStringLiteral("the broken component has no member with id %1")
                                   .arg(host::dispIdToHex(member)));
    }
    if (chosen == "type") {
        return Status::failure(StatusCode::TypeMismatch,
                               QStringLiteral("the broken component wants a VT_BSTR argument"));
    }
    if (chosen == "applyskin")
        return Status::failure(StatusCode::Fail, QStringLiteral("the broken component cannot skin"));
    return Status::ok();
}

} // namespace testing
