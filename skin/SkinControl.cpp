#include "SkinControl.h"

#include "SkinProperties.h"

namespace skin {

SkinControl SkinControl::create(QWidget *window)
{
    tavrel::host::ComponentSite *site = nullptr;
    tavrel::host::raiseOnFailure(tavrel::host::ComponentSite::create(className(), instanceName(), window,
                                                     storedProperties(), &site));
    return SkinControl(site);
}

tavrel::host::ComponentSite *SkinControl::checkedSite() const
{
    if (!m_site) {
        tavrel::host::raiseOnFailure(tavrel::host::Status::failure(
            tavrel::host::StatusCode::WindowNotLoaded,
            QStringLiteral("%1 is not loaded: its window has been unloaded").arg(instanceName())));
    }
    return m_site;
}

void SkinControl::applySkin()
{
    checkedSite()->callMethod(Member::ApplySkin);
}

void SkinControl::removeSkin()
{
    checkedSite()->callMethod(Member::RemoveSkin);
}

void SkinControl::setColorScheme(qint32 scheme)
{
    checkedSite()->putProperty(Member::ColorScheme, tavrel::host::Variant::fromI4(scheme));
}

void SkinControl::onFocusChange(std::function<void(qint16 &hasFocus)> handler)
{
    checkedSite()->connectEvent(Event::FocusChange, [handler](QList<tavrel::host::Variant> &args) {
        if (args.size() != 1 || args.at(0).type() != tavrel::host::VarType::I2 || !args.at(0).isByRef()) {
            tavrel::host::raiseOnFailure(tavrel::host::Status::failure(
                tavrel::host::StatusCode::TypeMismatch,
                QStringLiteral("FocusChange: expected one VT_I2|VT_BYREF argument, got %1")
                    .arg(args.isEmpty() ? QStringLiteral("none") : args.at(0).typeName())));
        }
        qint16 value = args[0].toI2();
        handler(value);
        args[0].setI2(value);
    });
}

} // namespace skin
