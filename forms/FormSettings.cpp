#include "FormSettings.h"

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
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

Qt::WindowFlags sizableFlags()
{
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
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
}

void fixClientSize(QWidget *window)
{
    window->setFixedSize(window->size());
}

} // namespace forms::FormSettings
