#include "RecordingComponent.h"

#include <ComponentHost.h>

#include <QHash>

namespace testing {

using tavrel::host::Status;
using tavrel::host::StatusCode;

namespace {
QHash<tavrel::host::DispId, Status> &pendingFailures()
{
    static QHash<tavrel::host::DispId, Status> failures;
    return failures;
}
Status &loadFailure()
{
    static Status status;
    return status;
}
} // namespace

void RecordingComponent::install()
{
    tavrel::host::ComponentHost::instance().registerClass(
        QStringLiteral("TavrelCtl.TavrelSkin"), [] { return std::make_unique<RecordingComponent>(); });
}

void RecordingComponent::uninstall()
{
    tavrel::host::ComponentHost::instance().unregisterClass(QStringLiteral("TavrelCtl.TavrelSkin"));
    calls().clear();
    pendingFailures().clear();
    loadFailure() = Status::ok();
}

QList<RecordedCall> &RecordingComponent::calls()
{
    static QList<RecordedCall> log;
    return log;
}

QList<RecordedCall> RecordingComponent::callsOn(const QString &window)
{
    QList<RecordedCall> out;
    for (const RecordedCall &c : std::as_const(calls())) {
        if (c.window == window)
            out.append(c);
    }
    return out;
}

int RecordingComponent::count(const QString &window, tavrel::host::DispId member)
{
    int n = 0;
    for (const RecordedCall &c : std::as_const(calls()))
        n += c.window == window && c.member == member ? 1 : 0;
    return n;
}

QList<RecordingComponent *> &RecordingComponent::live()
{
    static QList<RecordingComponent *> instances;
    return instances;
}

RecordingComponent *RecordingComponent::on(const QString &window)
{
    for (RecordingComponent *c : std::as_const(live())) {
        if (c->m_window && c->m_window->objectName() == window)
            return c;
    }
    return nullptr;
}

void RecordingComponent::failNext(tavrel::host::DispId member, const Status &status)
{
    pendingFailures().insert(member, status);
}

void RecordingComponent::failLoads(const Status &status)
{
    loadFailure() = status;
}

RecordingComponent::~RecordingComponent()
{
    live().removeAll(this);
}

Status RecordingComponent::load(QWidget *window, const tavrel::host::PropertyBag &properties,
                                tavrel::host::EventSink *events)
{
    if (!loadFailure().isOk())
        return loadFailure();
    m_window = window;
    m_properties = properties;
    m_events = events;
    live().append(this);
    return Status::ok();
}

Status RecordingComponent::invoke(tavrel::host::DispId member, tavrel::host::InvokeKind kind,
                                  QList<tavrel::host::Variant> &args, tavrel::host::Variant *)
{
    if (member != ApplySkin && member != RemoveSkin && member != ColorScheme) {
        return Status::failure(StatusCode::MemberNotFound,
                               QStringLiteral("unknown member id %1").arg(tavrel::host::dispIdToHex(member)));
    }
    if (member == ColorScheme) {
        if (kind != tavrel::host::InvokeKind::PropertyPut)
            return Status::failure(StatusCode::MemberNotFound, QStringLiteral("ColorScheme: put only"));
        if (args.size() != 1)
            return Status::failure(StatusCode::BadParamCount, QStringLiteral("ColorScheme: one argument"));
        if (args.at(0).type() != tavrel::host::VarType::I4) {
            return Status::failure(StatusCode::TypeMismatch,
                                   QStringLiteral("ColorScheme: %1, expected VT_I4").arg(args.at(0).typeName()));
        }
        if (args.at(0).toI4() < 1 || args.at(0).toI4() > 3)
            return Status::failure(StatusCode::InvalidArg, QStringLiteral("ColorScheme: out of range"));
    } else if (kind != tavrel::host::InvokeKind::Method || !args.isEmpty()) {
        return Status::failure(StatusCode::BadParamCount, QStringLiteral("method takes no arguments"));
    }
    if (auto it = pendingFailures().find(member); it != pendingFailures().end()) {
        const Status failure = *it;
        pendingFailures().erase(it);
        return failure;
    }
    calls().append({m_window ? m_window->objectName() : QString(), member, kind, args});
    return Status::ok();
}

qint16 RecordingComponent::raiseFocusChange(qint16 hasFocus)
{
    qint16 value = hasFocus;
    QList<tavrel::host::Variant> args{tavrel::host::Variant::refI2(&value)};
    if (m_events)
        m_events->raiseEvent(FocusChange, args);
    return value;
}

} // namespace testing
