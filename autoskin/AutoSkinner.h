#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace autoskin {

// Puts the skin component on every top-level window of an unmodified Qt
// Widgets program as it is first shown. It watches the whole application
// (an event filter on the application object) and reaches the component
// like any other client: through the component host, by class name and
// member id. Windows it leaves alone: anything but a plain window or a
// dialog (popups, menus, tool tips, tool windows, splash screens), windows
// that are already frameless or already carry the skin, and windows whose
// dynamic property `tavrelNoSkin` is true.
class AutoSkinner : public QObject
{
    Q_OBJECT
public:
    // Not a colour scheme: the component keeps its own initial one.
    static constexpr qint32 NoScheme = 0;

    // `scheme` is put into every instance before it is applied (unless
    // NoScheme). The component is looked for in `componentPaths` only: the
    // component host of the program forgets the folders it found by itself
    // beside the program.
    AutoSkinner(qint32 scheme, const QStringList &componentPaths, QObject *parent = nullptr);

    // The opt-out property.
    static const char *optOutProperty() { return "tavrelNoSkin"; }

    // Whether `window` is one this class skins as it is shown.
    static bool wantsSkin(const QWidget *window);

    // A colour scheme as the environment gives it: "1".."3" or its name
    // ("Light Blue", "darkblue", "dark-blue", any case; one space, dash or
    // underscore between words). An empty text is NoScheme; anything else
    // is an error that names the text.
    static bool parseScheme(const QString &text, qint32 *scheme, QString *error);

    // The kit's component folder for the plugin loaded from `pluginFile`
    // (an absolute path): the plugins folder and the components folder are
    // siblings in the kit. Empty for an empty or relative path.
    static QString kitComponentPath(const QString &pluginFile);

    // False once the component could not be created: nothing more is tried.
    bool isWorking() const { return m_working; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void skin(QWidget *window);
    void giveUp(const QString &why);

    const qint32 m_scheme;
    bool m_working = true;
    // Windows whose show event this object is handing on.
    QList<QObject *> m_delivering;
};

} // namespace autoskin
