#include "WindowShooter.h"

#include <Form.h>
#include <WindowRegistry.h>

#include <QApplication>

namespace screenshots {

WindowShooter::WindowShooter(const QDir &outputDir, const QString &suffix)
    : m_outputDir(outputDir), m_suffix(suffix), m_registry(std::make_unique<app::WindowRegistry>()),
      m_focusThief(std::make_unique<QWidget>())
{
    m_focusThief->setWindowTitle(QStringLiteral("focus"));
    m_focusThief->setGeometry(0, 0, 16, 16);
}

WindowShooter::~WindowShooter() = default;

QString WindowShooter::windowName(forms::FormKind kind)
{
    switch (kind) {
    case forms::FormKind::Main:
        return QStringLiteral("mainfrm");
    case forms::FormKind::CtrlColor:
        return QStringLiteral("ctrlcolorfrm");
    case forms::FormKind::Clean:
        return QStringLiteral("cleanfrm");
    }
    return QStringLiteral("window");
}

QString WindowShooter::schemeName(int scheme)
{
    switch (scheme) {
    case 1:
        return QStringLiteral("lightblue");
    case 2:
        return QStringLiteral("darkblue");
    case 3:
        return QStringLiteral("green");
    }
    return QStringLiteral("scheme%1").arg(scheme);
}

bool WindowShooter::shoot(forms::FormKind kind, QString *error)
{
    forms::Form &form = m_registry->form(kind);
    form.show();
    QWidget *window = form.window();
    if (!waitUntil([window] { return window->isActiveWindow(); })) {
        *error = QStringLiteral("%1 never becomes active").arg(windowName(kind));
        form.unload();
        return false;
    }
    bool ok = true;
    for (int scheme = 1; scheme <= 3 && ok; ++scheme) {
        form.skin().setColorScheme(scheme);
        const QString base = windowName(kind) + QLatin1Char('-') + schemeName(scheme);

        window->activateWindow();
        ok = waitUntil([window] { return window->isActiveWindow(); }) &&
             save(window, base + QLatin1String("-active"), error);
        if (!ok)
            break;
        m_focusThief->show();
        m_focusThief->activateWindow();
        ok = waitUntil([window] { return !window->isActiveWindow(); }) &&
             save(window, base + QLatin1String("-inactive"), error);
        m_focusThief->hide();
    }
    if (!ok && error->isEmpty())
        *error = QStringLiteral("%1: the focus does not move").arg(windowName(kind));
    form.unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ok;
}

bool WindowShooter::save(QWidget *window, const QString &name, QString *error)
{
    const QString path = m_outputDir.filePath(name + m_suffix + QLatin1String(".png"));
    const QImage image = window->grab().toImage();
    if (image.isNull() || !image.save(path, "PNG", 0)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    m_written << path;
    return true;
}

} // namespace screenshots
