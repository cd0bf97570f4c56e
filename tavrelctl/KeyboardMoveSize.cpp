#include "KeyboardMoveSize.h"

#include "FrameDrag.h"
#include "SkinRegistry.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace tavrelctl {

KeyboardMoveSize::KeyboardMoveSize(QWidget *window, Mode mode)
    : QObject(window), m_window(window), m_mode(mode), m_start(window->geometry())
{
    setObjectName(QStringLiteral("tavrelskin_movesize"));
}

KeyboardMoveSize *KeyboardMoveSize::start(QWidget *window, Mode mode)
{
    if (!window)
        return nullptr;
    SkinRegistry &registry = SkinRegistry::instance();
    if (KeyboardMoveSize *old = registry.keyboardMoveSize())
        old->accept();
    auto *session = new KeyboardMoveSize(window, mode);
    registry.setKeyboardMoveSize(session);
    QGuiApplication::setOverrideCursor(Qt::SizeAllCursor);
    qApp->installEventFilter(session);
    return session;
}

KeyboardMoveSize *KeyboardMoveSize::running()
{
    return SkinRegistry::instance().keyboardMoveSize();
}

void KeyboardMoveSize::accept()
{
    finish();
}

void KeyboardMoveSize::cancel()
{
    if (m_window)
        m_window->setGeometry(m_start);
    finish();
}

void KeyboardMoveSize::finish()
{
    SkinRegistry &registry = SkinRegistry::instance();
    if (registry.keyboardMoveSize() != this)
        return;
    registry.setKeyboardMoveSize(nullptr);
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
    deleteLater();
}

void KeyboardMoveSize::step(int key, bool fine)
{
    const int amount = fine ? 1 : Step;
    const bool horizontal = key == Qt::Key_Left || key == Qt::Key_Right;
    const int delta = (key == Qt::Key_Left || key == Qt::Key_Up) ? -amount : amount;
    if (m_mode == Move) {
        m_window->move(m_window->pos() + (horizontal ? QPoint(delta, 0) : QPoint(0, delta)));
        return;
    }
    // The first arrow along an axis picks the edge it points at.
    if (horizontal && !(m_edges & (Qt::LeftEdge | Qt::RightEdge)))
        m_edges |= key == Qt::Key_Left ? Qt::LeftEdge : Qt::RightEdge;
    if (!horizontal && !(m_edges & (Qt::TopEdge | Qt::BottomEdge)))
        m_edges |= key == Qt::Key_Up ? Qt::TopEdge : Qt::BottomEdge;
    QGuiApplication::changeOverrideCursor(FrameDrag::cursorFor(m_edges));

    const QPoint shift = horizontal ? QPoint(delta, 0) : QPoint(0, delta);
    const Qt::Edges axis =
        m_edges & (horizontal ? (Qt::LeftEdge | Qt::RightEdge) : (Qt::TopEdge | Qt::BottomEdge));
    m_window->setGeometry(FrameDrag::resized(m_window->geometry(), axis, shift,
                                             m_window->minimumSize(), m_window->maximumSize()));
}

bool KeyboardMoveSize::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_window) {
        finish();
        return false;
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // Every key belongs to the move or size while it runs, shortcuts
        // included.
        event->accept();
        if (event->type() == QEvent::ShortcutOverride)
            return true;
        switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            step(key->key(), key->modifiers() & Qt::ControlModifier);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            break;
        case Qt::Key_Escape:
            cancel();
            break;
        default:
            break;
        }
        return true;
    }
    case QEvent::KeyRelease:
        return true;
    case QEvent::MouseButtonPress:
        accept();
        return true;
    case QEvent::WindowDeactivate:
        if (watched == m_window)
            accept();
        break;
    default:
        break;
    }
    return false;
}

} // namespace tavrelctl
