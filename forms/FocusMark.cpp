#include "FocusMark.h"

#include <QEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QWidget>

namespace forms {

FocusMark::FocusMark(QWidget *widget) : QObject(widget)
{
    widget->installEventFilter(this);
}

void FocusMark::install(QWidget *widget)
{
    if (!widget->findChild<FocusMark *>(QString(), Qt::FindDirectChildrenOnly))
        new FocusMark(widget);
}

bool FocusMark::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = static_cast<QWidget *>(watched);
    if (event->type() != QEvent::Paint || !widget->hasFocus())
        return false;
    // The widget paints itself first; the mark goes over it.
    static_cast<QObject *>(widget)->event(event);
    QStylePainter painter(widget);
    QStyleOptionFocusRect option;
    option.initFrom(widget);
    option.rect = widget->rect().adjusted(2, 2, -2, -2);
    option.backgroundColor = widget->palette().color(widget->backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    return true;
}

} // namespace forms
