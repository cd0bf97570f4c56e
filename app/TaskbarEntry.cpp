#include "TaskbarEntry.h"

#include <FormSettings.h>

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace app {

TaskbarEntry::TaskbarEntry(QObject *parent) : QObject(parent) {}

void TaskbarEntry::follow(QWidget *window)
{
    if (forms::FormSettings::showsInTaskbar(window))
        return;
    window->installEventFilter(this);
    if (window->isVisible() && window->windowHandle())
        leaveOut(window->windowHandle());
}

bool TaskbarEntry::eventFilter(QObject *watched, QEvent *event)
{
    // A widget gets its show event after its native window is created and
    // before it is mapped.
    if (event->type() == QEvent::Show) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->isWindow() && widget->windowHandle())
            leaveOut(widget->windowHandle());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
