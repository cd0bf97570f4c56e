#include "TavrelSkin.h"

#include "SkinFrame.h"
#include "SkinPicture.h"
#include "SkinScheme.h"
#include "TavrelSkinIds.h"

#include <QWidget>

namespace tavrelctl {

using tavrel::host::DispId;
using tavrel::host::InvokeKind;
using tavrel::host::Status;
using tavrel::host::StatusCode;
using tavrel::host::Variant;

namespace {

// A stored extent larger than this (about 2.5 m) is not a control's size.
constexpr qint32 MaxExtent = 254000;

Status wrongKind(const QString &member, DispId id, InvokeKind kind, const QString &what)
{
    return Status::failure(
        StatusCode::MemberNotFound,
        QStringLiteral("%1 (%2) is %3 and cannot be reached by a %4")
            .arg(member, tavrel::host::dispIdToHex(id), what, tavrel::host::invokeKindName(kind)));
}

Status checkNoArguments(const QString &member, const QList<Variant> &args)
{
    if (args.isEmpty())
        return Status::ok();
    return Status::failure(
        StatusCode::BadParamCount,
        QStringLiteral("%1 takes no arguments, got %2").arg(member).arg(args.size()));
}

int himetricToPixels(qint32 himetric)
{
    return qRound(himetric * 96.0 / HimetricPerInch);
}

} // namespace

TavrelSkin::TavrelSkin() = default;

// The frame keeps the scheme shared while it lives (SkinRegistry).
TavrelSkin::~TavrelSkin() = default;

SkinFrame *TavrelSkin::frame() const
{
    return m_frame.get();
}

Status TavrelSkin::load(QWidget *window, const tavrel::host::PropertyBag &properties,
                        tavrel::host::EventSink *events)
{
    if (!window) {
        return Status::failure(StatusCode::InvalidArg,
                               QStringLiteral("TavrelSkin needs a window to load on"));
    }
    if (m_frame) {
        return Status::failure(StatusCode::Unexpected,
                               QStringLiteral("TavrelSkin is already loaded on a window"));
    }
    qint32 extent[2] = {0, 0};
    const QString extentNames[2] = {PropertyName::extentX(), PropertyName::extentY()};
    for (int i = 0; i < 2; ++i) {
        Status status = properties.readI4(extentNames[i], &extent[i]);
        if (!status)
            return status;
        if (extent[i] <= 0 || extent[i] > MaxExtent) {
            return Status::failure(StatusCode::InvalidPropertyValue,
                                   QStringLiteral("stored property '%1' is %2; allowed 1 to %3 "
                                                  "(HIMETRIC)")
                                       .arg(extentNames[i])
                                       .arg(extent[i])
                                       .arg(MaxExtent));
        }
    }
    QByteArray stored;
    Status status = properties.readBlob(PropertyName::skinPicture(), &stored);
    if (!status)
        return status;
    std::shared_ptr<const SkinPicture> picture;
    status = SkinPicture::fromStored(stored, &picture);
    if (!status)
        return status.withContext(QStringLiteral("stored property 'skinpicture'"));

    m_window = window;
    m_events = events;
    m_designRect = QRect(0, 0, himetricToPixels(extent[0]), himetricToPixels(extent[1]));
    m_frame = std::make_unique<SkinFrame>(window, picture);
    QObject::connect(m_frame.get(), &SkinFrame::activationChanged, m_frame.get(),
                     [this](bool active) { raiseFocusChange(active); });
    return Status::ok();
}

void TavrelSkin::raiseFocusChange(bool active)
{
    if (!m_events)
        return;
    // VARIANT_TRUE for "has focus", as a Boolean-minded handler expects.
    qint16 hasFocus = active ? -1 : 0;
    QList<Variant> args{Variant::refI2(&hasFocus)};
    m_events->raiseEvent(EventId::FocusChange, args);
}

Status TavrelSkin::checkReady(const QString &member) const
{
    if (!m_frame) {
        return Status::failure(
            StatusCode::Unexpected,
            QStringLiteral("%1: TavrelSkin is not loaded on a window").arg(member));
    }
    if (!m_window) {
        return Status::failure(StatusCode::Unexpected,
                               QStringLiteral("%1: the window of TavrelSkin is gone").arg(member));
    }
    return Status::ok();
}

Status TavrelSkin::invoke(DispId member, InvokeKind kind, QList<Variant> &args, Variant *result)
{
    switch (member) {
    case MemberId::ApplySkin:
        return applySkin(kind, args);
    case MemberId::RemoveSkin:
        return removeSkin(kind, args);
    case MemberId::ColorScheme:
        return colorScheme(kind, args, result);
    default:
        break;
    }
    return Status::failure(
        StatusCode::MemberNotFound,
        QStringLiteral("TavrelSkin has no member with id %1").arg(tavrel::host::dispIdToHex(member)));
}

Status TavrelSkin::applySkin(InvokeKind kind, const QList<Variant> &args)
{
    const QString name = QStringLiteral("ApplySkin");
    if (kind != InvokeKind::Method)
        return wrongKind(name, MemberId::ApplySkin, kind, QStringLiteral("a method"));
    Status status = checkNoArguments(name, args);
    if (status)
        status = checkReady(name);
    if (status)
        m_frame->apply();
    return status;
}

Status TavrelSkin::removeSkin(InvokeKind kind, const QList<Variant> &args)
{
    const QString name = QStringLiteral("RemoveSkin");
    if (kind != InvokeKind::Method)
        return wrongKind(name, MemberId::RemoveSkin, kind, QStringLiteral("a method"));
    Status status = checkNoArguments(name, args);
    if (status)
        status = checkReady(name);
    if (status)
        m_frame->remove();
    return status;
}

Status TavrelSkin::colorScheme(InvokeKind kind, const QList<Variant> &args, Variant *result)
{
    const QString name = QStringLiteral("ColorScheme");
    if (kind == InvokeKind::Method)
        return wrongKind(name, MemberId::ColorScheme, kind, QStringLiteral("a property"));
    if (Status ready = checkReady(name); !ready)
        return ready;
    if (kind == InvokeKind::PropertyGet) {
        if (Status count = checkNoArguments(name + QStringLiteral(" get"), args); !count)
            return count;
        if (!result) {
            return Status::failure(StatusCode::InvalidArg,
                                   QStringLiteral("ColorScheme get: no place for the result"));
        }
        *result = Variant::fromI4(m_frame->scheme());
        return Status::ok();
    }
    if (args.size() != 1) {
        return Status::failure(
            StatusCode::BadParamCount,
            QStringLiteral("ColorScheme put takes one VT_I4 argument, got %1").arg(args.size()));
    }
    const Variant &value = args.first();
    if (value.type() != tavrel::host::VarType::I4 || value.isByRef()) {
        return Status::failure(
            StatusCode::TypeMismatch,
            QStringLiteral("ColorScheme put: got %1, expected VT_I4").arg(value.typeName()));
    }
    const qint32 scheme = value.toI4();
    if (!SkinScheme::isValid(scheme)) {
        return Status::failure(StatusCode::InvalidPropertyValue,
                               QStringLiteral("ColorScheme %1 is out of range: allowed %2 to %3 "
                                              "(1 Light Blue, 2 Dark Blue, 3 Green)")
                                   .arg(scheme)
                                   .arg(SkinScheme::First)
                                   .arg(SkinScheme::Last));
    }
    m_frame->setScheme(scheme);
    return Status::ok();
}

} // namespace tavrelctl
