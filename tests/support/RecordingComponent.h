#pragma once

#include <Component.h>

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace testing {

struct RecordedCall
{
    QString window;       // object name of the window carrying the instance
    tavrel::host::DispId member;
    tavrel::host::InvokeKind kind;
    QList<tavrel::host::Variant> args;
};

// A stand-in for the skin component, registered in-process under the skin
// component's class name. It checks calls the way the contract says
// (unknown ids, kinds, argument types and ranges are rejected) and records
// every accepted one in one log shared by all instances, in order.
class RecordingComponent : public tavrel::host::Component
{
public:
    static constexpr tavrel::host::DispId ApplySkin = 0x6003000C;
    static constexpr tavrel::host::DispId RemoveSkin = 0x6003000E;
    static constexpr tavrel::host::DispId ColorScheme = 0x68030004;
    static constexpr tavrel::host::DispId FocusChange = 1;

    // Registers the class; uninstall() takes it away again and forgets the log.
    static void install();
    static void uninstall();

    static QList<RecordedCall> &calls();
    static QList<RecordedCall> callsOn(const QString &window);
    static int count(const QString &window, tavrel::host::DispId member);
    static QList<RecordingComponent *> &live();
    static RecordingComponent *on(const QString &window);

    // The next invoke of `member` (on any instance) fails with `status`.
    static void failNext(tavrel::host::DispId member, const tavrel::host::Status &status);
    // Every load() fails with `status` until cleared with an OK status.
    static void failLoads(const tavrel::host::Status &status);

    ~RecordingComponent() override;

    tavrel::host::Status load(QWidget *window, const tavrel::host::PropertyBag &properties,
                      tavrel::host::EventSink *events) override;
    tavrel::host::Status invoke(tavrel::host::DispId member, tavrel::host::InvokeKind kind, QList<tavrel::host::Variant> &args,
                        tavrel::host::Variant *result) override;

    // Raises FocusChange(HasFocus) and returns HasFocus as the handler left it.
    qint16 raiseFocusChange(qint16 hasFocus);

    QWidget *window() const { return m_window; }
    const tavrel::host::PropertyBag &properties() const { return m_properties; }

private:
    QPointer<QWidget> m_window;
    tavrel::host::PropertyBag m_properties;
    tavrel::host::EventSink *m_events = nullptr;
};

} // namespace testing
