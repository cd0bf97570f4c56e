#include "UnskinnedComponent.h"

#include <ComponentHost.h>
#include <SkinContract.h>

namespace bench {

void UnskinnedComponent::install()
{
    tavrel::host::ComponentHost::instance().registerClass(
        skin::className(), [] { return std::make_unique<UnskinnedComponent>(); });
}

tavrel::host::Status UnskinnedComponent::load(QWidget *, const tavrel::host::PropertyBag &, tavrel::host::EventSink *)
{
    return tavrel::host::Status::ok();
}

tavrel::host::Status UnskinnedComponent::invoke(tavrel::host::DispId member, tavrel::host::InvokeKind kind,
                                        QList<tavrel::host::Variant> &args, tavrel::host::Variant *result)
{
    switch (member) {
    case skin::Member::ApplySkin:
    case skin::Member::RemoveSkin: return tavrel::host::Status::ok();
    case skin::Member::ColorScheme:
        if (kind == tavrel::host::InvokeKind::PropertyGet && result)
            *result = tavrel::host::Variant::fromI4(m_scheme);
        else if (kind == tavrel::host::InvokeKind::PropertyPut && args.size() == 1)
            m_scheme = args.first().toI4();
        return tavrel::host::Status::ok();
    default: break;
    }
    return tavrel::host::Status::failure(tavrel::host::StatusCode::MemberNotFound,
                                 QStringLiteral("no member %1").arg(tavrel::host::dispIdToHex(member)));
}

} // namespace bench
