#include "Form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace forms {

Form::Form(QObject *parent) : QObject(parent) {}

Form::~Form()
{
    delete m_window.data();
}

void Form::raiseNoControl(const QString &name) const
{
    host::raiseOnFailure(host::Status::failure(
        host::StatusCode::WindowNotLoaded,
        QStringLiteral("%1 has no control '%2'%3")
            .arg(QString::fromLatin1(metaObject()->className()), name,
                 m_window ? QString() : QStringLiteral(": the window is not loaded"))));
}

void Form::load()
{
    if (isLoaded())
        return;
    QWidget *window = createWindow();
    Q_ASSERT(window && window->isWindow());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    try {
        m_skin = skin::SkinControl::create(window);
    } catch (...) {
        delete window;
        throw;
    }
    m_window = window;
    window->installEventFilter(this);
    connectHandlers();
    Q_EMIT loaded();
    onLoad();
}

void Form::show()
{
    const bool wasLoaded = isLoaded();
    load();
    if (!wasLoaded)
        placeWindow(m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    focusFirstControl();
}

void Form::focusFirstControl()
{
    if (m_window->focusWidget())
        return;
    // The first control in tab order that can take the focus, as the
    // platform does when a window opens.
    QWidget *w = m_window->nextInFocusChain();
    while (w && w != m_window) {
        if (w->isVisibleTo(m_window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
        w = w->nextInFocusChain();
    }
}

void Form::placeWindow(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

void Form::unload()
{
    if (!isLoaded())
        return;
    QWidget *window = m_window;
    m_window = nullptr;
    m_skin = skin::SkinControl();
    window->removeEventFilter(this);
    window->hide();
    // Unloading usually runs inside a handler of one of the window's own
    // controls, which must return before the window goes.
    window->deleteLater();
    Q_EMIT unloaded();
}

bool Form::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close) {
        // The close box unloads the window; no window vetoes it.
        event->accept();
        unload();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace forms
