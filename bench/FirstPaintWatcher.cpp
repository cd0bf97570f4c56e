#include "FirstPaintWatcher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QWidget>

namespace bench {

FirstPaintWatcher::FirstPaintWatcher(const QStringList &windowNames, bool skinned)
    : m_windows(windowNames.cbegin(), windowNames.cend()), m_skinned(skinned)
{
    QCoreApplication::instance()->installEventFilter(this);
}

FirstPaintWatcher::~FirstPaintWatcher()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool FirstPaintWatcher::allPainted() const
{
    return m_paintedWindows.size() == m_windows.size() &&
           (!m_skinned || m_paintedCaptions.size() == m_windows.size());
}

bool FirstPaintWatcher::waitAllPainted(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!allPainted() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return allPainted();
}

bool FirstPaintWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint || m_done || !watched->isWidgetType())
        return false;
    const auto *widget = static_cast<QWidget *>(watched);
    const QString windowName = widget->window()->objectName();
    if (!m_windows.contains(windowName))
        return false;
    if (widget->isWindow())
        m_paintedWindows.insert(windowName);
    else if (widget->objectName() == QLatin1String("tavrelskin_caption"))
        m_paintedCaptions.insert(windowName);
    if (allPainted()) {
        m_done = true;
        if (m_onAllPainted)
            m_onAllPainted();
    }
    return false;
}

} // namespace bench
