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
    const QString texts[] = {QStringLiteral("&Restore"), QStringLiteral("&Move"),
                             QStringLiteral("&Size")};
    for (int i = 0; i < ItemCount; ++i) {
        const CaptionButtonKind *kind = buttonOf(Item(i));
        if (kind && kind->request == WindowRequest::Close)
            addSeparator();
        m_actions[i] = addAction(kind ? QString::fromLatin1(kind->menuText) : texts[i]);
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

const CaptionButtonKind *SkinWindowMenu::buttonOf(Item item)
{
    return item >= FirstButtonItem && item < ItemCount ? &CaptionButtons[ItemCount - 1 - item]
                                                       : nullptr;
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
    for (int i = FirstButtonItem; i < ItemCount; ++i) {
        const CaptionButtonKind &kind = *buttonOf(Item(i));
        // An item offers what its button does, and only while that changes
        // something: the maximise item of a maximised window is off (Restore
        // stands for it), as is the minimise item of a minimised one.
        bool enabled = m_frame->showsButton(kind) && (!kind.needsSizable || sizable);
        if (kind.request == WindowRequest::ToggleMaximize)
            enabled = enabled && !maximized;
        else if (kind.request == WindowRequest::Minimize)
            enabled = enabled && !minimized;
        m_actions[i]->setEnabled(enabled);
    }
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
    if (const CaptionButtonKind *kind = buttonOf(item)) {
        perform(window, kind->request);
        return;
    }
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
    default:
        break;
    }
}

} // namespace tavrelctl
