#include "FormSettings.h"

#include "FocusMark.h"

#include <Status.h>

#include <QFrame>
#include <QLabel>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

namespace forms::FormSettings {

QFont standardDialogFont()
{
    // Arial resolves to a metric-compatible face (Liberation Sans) where
    // it is not installed itself.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

Qt::WindowFlags fixedDialogFlags()
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

Qt::WindowFlags sizableFlags()
{
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
}

bool showsInTaskbar(const QWidget *window)
{
    const QVariant stored = window->property("showInTaskbar");
    return !stored.isValid() || stored.toBool();
}

void applyStoredSettings(QWidget *window)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : std::as_const(widgets)) {
        const QVariant size = w->property("pointSizeF");
        if (size.isValid()) {
            QFont font = w->font();
            font.setPointSizeF(size.toDouble());
            w->setFont(font);
        }
    }
    // Self-sizing labels keep their place and take the size of their text
    // in the font they are shown in.
    for (QWidget *w : std::as_const(widgets)) {
        if (w->property("autoSize").toBool())
            w->resize(w->sizeHint());
    }
    // A picture box that takes the focus shows when it has it.
    for (QWidget *w : std::as_const(widgets)) {
        if (w->metaObject() == &QFrame::staticMetaObject && (w->focusPolicy() & Qt::TabFocus))
            FocusMark::install(w);
    }
    // A control named by a label (its buddy) carries the label's text as
    // its accessible name: item views do not look for a buddy themselves.
    for (QLabel *label : window->findChildren<QLabel *>()) {
        QWidget *buddy = label->buddy();
        if (!buddy || !buddy->accessibleName().isEmpty())
            continue;
        QString text = label->text();
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        buddy->setAccessibleName(text);
    }
}

void fixClientSize(QWidget *window)
{
    window->setFixedSize(window->size());
}

EdgeAlignment edgeAlignment(const QWidget *widget)
{
    const QVariant stored = widget->property("align");
    if (!stored.isValid())
        return EdgeAlignment::None;
    const QString value = stored.toString();
    const EdgeAlignment align = value == QLatin1String("top")      ? EdgeAlignment::Top
                                : value == QLatin1String("bottom") ? EdgeAlignment::Bottom
                                : value == QLatin1String("left")   ? EdgeAlignment::Left
                                : value == QLatin1String("right")  ? EdgeAlignment::Right
                                                                   : EdgeAlignment::None;
    QString fault;
    if (align == EdgeAlignment::None)
        fault = QStringLiteral("unknown alignment '%1' (expected top, bottom, left or right)")
                    .arg(value);
    else if (!widget->parentWidget() || !widget->parentWidget()->isWindow())
        fault = QStringLiteral("only a control lying directly on a window can be aligned");
    if (!fault.isEmpty()) {
        tavrel::host::raiseOnFailure(
            tavrel::host::Status::failure(tavrel::host::StatusCode::InvalidArg,
                                  QStringLiteral("%1: %2").arg(widget->objectName(), fault)));
    }
    return align;
}

void alignToEdge(QWidget *widget)
{
    const EdgeAlignment align = edgeAlignment(widget);
    if (align == EdgeAlignment::None)
        return;
    const QRect area = widget->parentWidget()->contentsRect();
    const QSize size = widget->size();
    QRect target;
    switch (align) {
    case EdgeAlignment::Top:
        target = QRect(area.left(), area.top(), area.width(), size.height());
        break;
    case EdgeAlignment::Bottom:
        target = QRect(area.left(), area.bottom() + 1 - size.height(), area.width(), size.height());
        break;
    case EdgeAlignment::Left:
        target = QRect(area.left(), area.top(), size.width(), area.height());
        break;
    case EdgeAlignment::Right:
        target = QRect(area.right() + 1 - size.width(), area.top(), size.width(), area.height());
        break;
    case EdgeAlignment::None:
        return;
    }
    if (widget->geometry() != target)
        widget->setGeometry(target);
}

} // namespace forms::FormSettings
