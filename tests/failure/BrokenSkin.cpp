#include "BrokenSkin.h"

#include <QEvent>
#include <QWidget>
#include <QtGlobal>

#include <new>
#include <stdexcept>

namespace testing {

using tavrel::host::Status;
using tavrel::host::StatusCode;

namespace {
constexpr tavrel::host::DispId ApplySkin = 0x6003000C;

QByteArray fault()
{
    return brokenFault();
}

// The component's own event handling, where a timer or a filter throws.
class FaultyHandler : public QObject
{
public:
    explicit FaultyHandler(QObject *parent) : QObject(parent)
    {
        setObjectName(QStringLiteral("brokenHandler"));
    }

protected:
    void timerEvent(QTimerEvent *) override
    {
        if (fault() == "foreign-timer")
            throw BrokenFault{7};
        throw std::runtime_error("the broken component's timer went off");
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            throw std::bad_alloc();
        return false;
    }
};
} // namespace

QByteArray brokenFault()
{
    const QByteArray chosen = qgetenv("TAVREL_BROKEN_FAULT");
    return chosen.isEmpty() ? QByteArrayLiteral("applyskin") : chosen;
}

Status BrokenSkin::load(QWidget *window, const tavrel::host::PropertyBag &, tavrel::host::EventSink *)
{
    const QByteArray chosen = fault();
    if (chosen == "throw-load")
        throw std::bad_alloc();
    if (chosen.endsWith("-timer"))
        (new FaultyHandler(window))->startTimer(0);
    if (chosen == "throw-show")
        window->installEventFilter(new FaultyHandler(window));
    if (chosen == "load") {
        return Status::failure(StatusCode::InvalidPicture,
                               QStringLiteral("the broken component refuses its skin picture"));
    }
    return Status::ok();
}

Status BrokenSkin::invoke(tavrel::host::DispId member, tavrel::host::InvokeKind, QList<tavrel::host::Variant> &,
                          tavrel::host::Variant *)
{
    if (member != ApplySkin)
        return Status::ok();
    const QByteArray chosen = fault();
    if (chosen == "throw-applyskin")
        throw std::out_of_range("the broken component lost count of its pieces");
    if (chosen == "foreign-applyskin")
        throw BrokenFault{42};
    if (chosen == "member") {
        return Status::failure(StatusCode::MemberNotFound,
                               QStringLiteral("the broken component has no member with id %1")
                                   .arg(tavrel::host::dispIdToHex(member)));
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
