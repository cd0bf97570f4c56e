#include "UnskinnedComponent.h"

#include <ComponentHost.h>
#include <SkinContract.h>

namespace bench {

void UnskinnedComponent::install()
{
    host::ComponentHost::instance().registerClass(
        skin::className(), [] { return std::make_unique<UnskinnedComponent>(); });
}

host::Status UnskinnedComponent::load(QWidget *, const host::PropertyBag &, host::EventSink *)
{
    return host::Status::ok();
}

host::Status UnskinnedComponent::invoke(host::DispId member, host::InvokeKind kind,
                                        QList<host::Variant> &args, host::Variant *result)
{
    switch (member) {
    case skin::Member::ApplySkin:
    case skin::Member::RemoveSkin: return host::Status::ok();
    case skin::Member::ColorScheme:
        if (kind == host::InvokeKind::PropertyGet && result)
            *result = host::Variant::fromI4(m_scheme);
        else if (kind == host::InvokeKind::PropertyPut && args.size() == 1)
            m_scheme = args.first().toI4();
        return host::Status::ok();
    default: break;
    }
    return host::Status::failure(host::StatusCode::MemberNotFound,
                                 QStringLiteral("no member %1").arg(host::dispIdToHex(member)));
}

} // namespace bench
