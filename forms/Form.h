#pragma once

#include <SkinControl.h>

#include <ErrorBoundary.h>

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace forms {

// One window class with its single instance. The instance outlives its
// on-screen window: load() builds the window and its controls from the
// stored description, creates the skin component instance `TavrelSkin1` and
// runs the load handler; unload() destroys all of that but keeps the
// instance, so the next show() loads a fresh window in its stored initial
// state. The close box unloads, exactly like unload().
class Form : public QObject
{
    Q_OBJECT
public:
    explicit Form(QObject *parent = nullptr);
    ~Form() override;

    bool isLoaded() const { return !m_window.isNull(); }
    // The on-screen window while loaded, otherwise null.
    QWidget *window() const { return m_window; }
    skin::SkinControl &skin() { return m_skin; }

    // Builds the window if it is not loaded. Raises tavrel::host::Error on failure
    // (for instance when the skin component cannot be created); nothing of
    // the half-built window is left behind.
    void load();
    // Loads if needed, then shows the window modeless, with no owner,
    // restores it if it is minimised and brings it to the front.
    void show();
    // Destroys the on-screen window, its controls and its component.
    void unload();

    // The named control of the loaded window; raises if there is none.
    template <typename T>
    T *control(const QString &name) const
    {
        T *found = m_window ? m_window->findChild<T *>(name) : nullptr;
        if (!found)
            raiseNoControl(name);
        return found;
    }

Q_SIGNALS:
    void loaded();
    void unloaded();

protected:
    // Builds the window from its stored description (a Designer form).
    virtual QWidget *createWindow() = 0;
    // Connects the handlers of the window's and its controls' events. Use
    // on() so that handlers run inside the error boundary.
    virtual void connectHandlers() {}
    // The load handler.
    virtual void onLoad() {}
    // Where the window first appears: centred on the screen.
    virtual void placeWindow(QWidget *window);

    // Connects `signal` of `sender` to `handler`, guarded.
    template <typename Sender, typename Signal, typename Handler>
    void on(Sender *sender, Signal signal, Handler handler)
    {
        connect(sender, signal, m_window, tavrel::host::ErrorBoundary::guarded(std::move(handler)));
    }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[noreturn]] void raiseNoControl(const QString &name) const;
    void focusFirstControl();
    void watchAlignedControls(QWidget *window);
    void alignControls();

    QPointer<QWidget> m_window;
    skin::SkinControl m_skin;
    QList<QPointer<QWidget>> m_aligned;
};

} // namespace forms
