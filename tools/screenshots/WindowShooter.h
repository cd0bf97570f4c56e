#pragma once

#include <FormProvider.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QWidget>

#include <memory>

namespace app {
class WindowRegistry;
}

namespace screenshots {

// Runs the event loop until `done` holds or two seconds have passed.
template <typename Predicate> bool waitUntil(Predicate done)
{
    const QDeadlineTimer deadline(2000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
    return true;
}

// Shows the application's windows as the application does (through its
// window registry, skinned by the real component found beside the
// executable), puts each colour scheme into the window's own component and
// writes the window's pixels while it is active and while another window
// has the focus. The scale is the process's (QT_SCALE_FACTOR): a window
// grabbed at scale 2 has twice the pixels in each direction.
class WindowShooter
{
public:
    WindowShooter(const QDir &outputDir, const QString &suffix);
    ~WindowShooter();

    // Renders `kind` in every scheme and both looks. Raises tavrel::host::Error when
    // the window or its component fails; returns false with `error` set
    // when a picture cannot be made or written.
    bool shoot(forms::FormKind kind, QString *error);
    QStringList written() const { return m_written; }

    static QString windowName(forms::FormKind kind);
    static QString schemeName(int scheme);

private:
    bool save(QWidget *window, const QString &name, QString *error);

    const QDir m_outputDir;
    const QString m_suffix;
    std::unique_ptr<app::WindowRegistry> m_registry;
    // Takes the focus away for the inactive pictures.
    std::unique_ptr<QWidget> m_focusThief;
    QStringList m_written;
};

} // namespace screenshots
