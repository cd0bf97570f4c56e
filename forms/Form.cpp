#include "Form.h"

#include "AccessibleCheckBox.h"
#include "FormSettings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace forms {

Form::Form(QObject *parent) : QObject(parent) {}

Form::~Form()
{
    QWidget *window = m_window.data();
    if (!window)
        return;
    // The derived window class is already destroyed: what the controls and
    // the component still signal while the window dies (a list box clears
    // its selection) must reach none of its handlers.
    m_skin.onFocusChange([](qint16 &) {});
    for (QObject *child : window->findChildren<QObject *>())
        QObject::disconnect(child, nullptr, window, nullptr);
    delete window;
}

void Form::raiseNoControl(const QString &name) const
{
    tavrel::host::raiseOnFailure(tavrel::host::Status::failure(
        tavrel::host::StatusCode::WindowNotLoaded,
        QStringLiteral("%1 has no control '%2'%3")
            .arg(QString::fromLatin1(metaObject()->className()), name,
                 m_window ? QString() : QStringLiteral(": the window is not loaded"))));
    Q_UNREACHABLE();
}

void Form::load()
{
    if (isLoaded())
        return;
    AccessibleCheckBox::install();
    QWidget *window = createWindow();
    Q_ASSERT(window && window->isWindow());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    try {
        watchAlignedControls(window);
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

void Form::watchAlignedControls(QWidget *window)
{
    m_aligned.clear();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (FormSettings::edgeAlignment(w) != FormSettings::EdgeAlignment::None)
            m_aligned.append(w);
    }
    for (const QPointer<QWidget> &w : std::as_const(m_aligned)) {
        w->installEventFilter(this);
        FormSettings::alignToEdge(w);
    }
}

void Form::alignControls()
{
    for (const QPointer<QWidget> &w : std::as_const(m_aligned)) {
        if (w)
            FormSettings::alignToEdge(w);
    }
}

void Form::show()
{
    const bool wasLoaded = isLoaded();
    load();
    if (!wasLoaded)
        placeWindow(m_window);
    // A minimised window comes back as it was before (maximised or normal).
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
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
    // The component goes with the window: the deactivation it may still
    // report while the window goes reaches no handler of the window.
    m_skin.onFocusChange([](qint16 &) {});
    m_window = nullptr;
    m_skin = skin::SkinControl();
    m_aligned.clear();
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
    // Aligned controls follow the window's size and contents margins, and go
    // straight back to their edge when anything else (such as the skin
    // component) moves them.
    const QEvent::Type type = event->type();
    if (watched == m_window) {
        if (type == QEvent::Resize || type == QEvent::ContentsRectChange || type == QEvent::Show)
            alignControls();
    } else if (type == QEvent::Move || type == QEvent::Resize) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && m_aligned.contains(w) && w->parentWidget() == m_window)
            FormSettings::alignToEdge(w);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace forms
