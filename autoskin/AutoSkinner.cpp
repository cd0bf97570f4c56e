#include "AutoSkinner.h"

#include <SkinContract.h>
#include <SkinProperties.h>

#include <ComponentHost.h>
#include <ComponentSite.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QWidget>
#include <QWindow>

#include <exception>

namespace autoskin {

namespace {
bool hasSkin(const QWidget *window)
{
    const auto sites = window->findChildren<tavrel::host::ComponentSite *>(Qt::FindDirectChildrenOnly);
    for (const tavrel::host::ComponentSite *site : sites) {
        if (site->className() == skin::className())
            return true;
    }
    return false;
}
} // namespace

AutoSkinner::AutoSkinner(qint32 scheme, const QStringList &componentPaths, QObject *parent)
    : QObject(parent), m_scheme(scheme)
{
    setObjectName(QStringLiteral("tavrelskin_autoskinner"));
    // Not the host's own defaults: they are found from the program's folder,
    // which says nothing about who may write there.
    tavrel::host::ComponentHost::instance().setSearchPaths(componentPaths);
}

bool AutoSkinner::wantsSkin(const QWidget *window)
{
    if (!window || !window->isWindow())
        return false;
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog)
        return false;
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return false;
    if (window->property(optOutProperty()).toBool())
        return false;
    // Never on screen, or embedded in a foreign window: no frame to replace.
    if (window->testAttribute(Qt::WA_DontShowOnScreen))
        return false;
    if (const QWindow *handle = window->windowHandle(); handle && handle->parent())
        return false;
    return !hasSkin(window);
}

bool AutoSkinner::parseScheme(const QString &text, qint32 *scheme, QString *error)
{
    static const struct
    {
        const char *number;
        const char *name;
        qint32 scheme;
    } schemes[] = {{"1", "lightblue", skin::LightBlue},
                   {"2", "darkblue", skin::DarkBlue},
                   {"3", "green", skin::Green}};
    const QString given = text.trimmed();
    if (given.isEmpty()) {
        *scheme = NoScheme;
        return true;
    }
    // Words of letters with one separator between them: "-1" or "--2--" is
    // no way of writing 1 or 2.
    static const QRegularExpression words(QStringLiteral("^[A-Za-z]+([ _-][A-Za-z]+)*$"));
    QString key = given.toLower();
    if (words.match(given).hasMatch())
        key.remove(QRegularExpression(QStringLiteral("[ _-]")));
    for (const auto &s : schemes) {
        if (key == QLatin1String(s.number) || key == QLatin1String(s.name)) {
            *scheme = s.scheme;
            return true;
        }
    }
    *error = QStringLiteral("'%1' is not a colour scheme: give 1, 2 or 3, or Light Blue, Dark "
                            "Blue or Green")
                 .arg(text);
    return false;
}

QString AutoSkinner::kitComponentPath(const QString &pluginFile)
{
    if (pluginFile.isEmpty() || QDir::isRelativePath(pluginFile))
        return QString();
    return QDir::cleanPath(QFileInfo(pluginFile).absolutePath() +
                           QLatin1String("/" TAVREL_COMPONENTS_FROM_PLUGIN));
}

bool AutoSkinner::eventFilter(QObject *watched, QEvent *event)
{
    // The show event of a top-level window comes before the window system
    // maps it: the native frame never appears. It is handed to the window
    // first, so that a dialog places itself over its parent as usual, and
    // the skin goes on after that. Windows that other windows show from
    // their own show handlers are skinned the same way.
    if (event->type() != QEvent::Show || !m_working || !watched->isWidgetType() ||
        m_delivering.contains(watched))
        return false;
    QPointer<QWidget> window = static_cast<QWidget *>(watched);
    if (!wantsSkin(window))
        return false;
    m_delivering.append(watched);
    QCoreApplication::sendEvent(window, event);
    m_delivering.removeOne(watched);
    // Gone, or hidden again, while it handled its show event.
    if (window && window->isVisible() && wantsSkin(window))
        skin(window);
    return true;
}

void AutoSkinner::skin(QWidget *window)
{
    // Nothing may escape into the application's event loop, whatever the
    // component does.
    try {
        tavrel::host::ComponentSite *site = nullptr;
        const tavrel::host::Status created = tavrel::host::ComponentSite::create(
            skin::className(), skin::instanceName(), window, skin::storedProperties(), &site);
        if (!created) {
            giveUp(created.toString());
            return;
        }
        QList<tavrel::host::Variant> args;
        if (m_scheme != NoScheme) {
            args << tavrel::host::Variant::fromI4(m_scheme);
            const tavrel::host::Status put =
                site->invoke(skin::Member::ColorScheme, tavrel::host::InvokeKind::PropertyPut, args);
            if (!put) {
                delete site;
                giveUp(put.toString());
                return;
            }
            args.clear();
        }
        const tavrel::host::Status applied =
            site->invoke(skin::Member::ApplySkin, tavrel::host::InvokeKind::Method, args);
        if (!applied) {
            delete site;
            giveUp(applied.toString());
        }
    } catch (const std::exception &e) {
        giveUp(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        giveUp(QStringLiteral("the component raised an unknown exception"));
    }
}

void AutoSkinner::giveUp(const QString &why)
{
    m_working = false;
    qWarning("tavrelskin: windows keep their own frames: %s", qPrintable(why));
}

} // namespace autoskin
