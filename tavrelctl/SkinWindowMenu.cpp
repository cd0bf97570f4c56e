#include "SkinWindowMenu.h"

#include "KeyboardMoveSize.h"
#include "SkinFrame.h"

#include <QApplication>
#include <QMouseEvent>

namespace tavrelctl {

SkinWindowMenu::SkinWindowMenu(SkinFrame *frame, QWidget *parent) : QMenu(parent), m_frame(frame)
{
    setObjectName(QStringLiteral("tavrelskin_menu"));
    setAccessibleName(QStringLiteral("Window menu"));
    const QString texts[ItemCount] = {QStringLiteral("&Restore"),  QStringLiteral("&Move"),
                                      QStringLiteral("&Size"),     QStringLiteral("Mi&nimize"),
                                      QStringLiteral("Ma&ximize"), QStringLiteral("&Close")};
    for (int i = 0; i < ItemCount; ++i) {
        if (i == Close)
            addSeparator();
        m_actions[i] = addAction(texts[i]);
        // After the menu has gone: closing may destroy the window and this
        // menu with it.
        connect(
            m_actions[i], &QAction::triggered, this, [this, i] { onTriggered(Item(i)); },
            Qt::QueuedConnection);
    }
    // Shown as the native menu shows it; the window system's own Alt+F4
    // closes the window (the action's shortcut only works while the menu
    // is open).
    m_actions[Close]->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    QFont bold = m_actions[Close]->font();
    bold.setBold(true);
    m_actions[Close]->setFont(bold);
    connect(this, &QMenu::aboutToShow, this, &SkinWindowMenu::updateItems);
}

void SkinWindowMenu::updateItems()
{
    const QWidget *window = m_frame->window();
    const bool maximized = window->isMaximized();
    const bool minimized = window->isMinimized();
    const bool sizable = m_frame->isSizable();
    m_actions[Restore]->setEnabled(maximized || minimized);
    m_actions[Move]->setEnabled(!maximized && !minimized);
    m_actions[Size]->setEnabled(sizable && !maximized && !minimized);
    m_actions[Minimize]->setEnabled(m_frame->hasMinimize() && !minimized);
    m_actions[Maximize]->setEnabled(m_frame->hasMaximize() && sizable && !maximized);
    m_actions[Close]->setEnabled(true);
}

void SkinWindowMenu::open(const QPoint &globalPos, const QRect &iconRect)
{
    m_iconRect = iconRect;
    m_opened.start();
    updateItems();
    setLayoutDirection(m_frame->window()->layoutDirection());
    popup(globalPos);
}

void SkinWindowMenu::mousePressEvent(QMouseEvent *event)
{
    // The second click of a double-click on the icon lands here, the menu
    // having opened on the first.
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton && m_iconRect.contains(global) && m_opened.isValid() &&
        m_opened.elapsed() <= QApplication::doubleClickInterval()) {
        m_iconRect = QRect();
        hide();
        QMetaObject::invokeMethod(
            this, [this] { onTriggered(Close); }, Qt::QueuedConnection);
        event->accept();
        return;
    }
    QMenu::mousePressEvent(event);
}

void SkinWindowMenu::onTriggered(Item item)
{
    QWidget *window = m_frame->window();
    switch (item) {
    case Restore:
        if (window->isMinimized() && window->isMaximized())
            window->showMaximized();
        else
            window->showNormal();
        break;
    case Move:
        KeyboardMoveSize::start(window, KeyboardMoveSize::Move);
        break;
    case Size:
        KeyboardMoveSize::start(window, KeyboardMoveSize::Size);
        break;
    case Minimize:
        window->showMinimized();
        break;
    case Maximize:
        window->showMaximized();
        break;
    case Close:
        // The same request as the close button: the window may refuse.
        window->close();
        break;
    case ItemCount:
        break;
    }
}

} // namespace tavrelctl
