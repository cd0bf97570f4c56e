#include "SkinnedReference.h"

#include <ComponentHost.h>
#include <FailureReporter.h>
#include <Form.h>
#include <TestSupport.h>
#include <WindowRegistry.h>

#include <QTest>
#include <QWidget>

namespace e2e {

SkinnedReference SkinnedReference::build(forms::FormKind kind, QString *error)
{
    SkinnedReference ref;
    tavrel::host::ComponentHost::instance().setSearchPaths({testing::componentDir()});
    QStringList reports;
    app::FailureReporter::install();
    app::FailureReporter::setPresenter(
        [&reports](const QString &, const QString &text) { reports << text; });
    app::WindowRegistry registry;
    forms::Form &form = registry.form(kind);
    try {
        form.show();
    } catch (const tavrel::host::Error &e) {
        *error = QString::fromLocal8Bit(e.what());
        return ref;
    }
    QWidget *window = form.window();
    if (!QTest::qWaitForWindowExposed(window)) {
        *error = QStringLiteral("the reference window is never exposed");
        form.unload();
        testing::processDeferredDeletes();
        return ref;
    }
    ref.m_size = window->size();
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (!child->objectName().isEmpty() && child->isVisibleTo(window))
            ref.m_rects.insert(child->objectName(),
                               QRect(child->mapTo(window, QPoint(0, 0)), child->size()));
    }
    ref.m_image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!reports.isEmpty())
        *error = reports.join(QLatin1Char('\n'));
    reports.clear();
    form.unload();
    testing::processDeferredDeletes();
    // What goes wrong while the window closes is the real application's to
    // show (the end-to-end tests see its exit status); the reference is
    // complete by then.
    if (!reports.isEmpty())
        qWarning("closing the reference window: %s", qPrintable(reports.join(QLatin1Char('\n'))));
    app::FailureReporter::resetPresenter();
    app::FailureReporter::clear();
    return ref;
}

} // namespace e2e
