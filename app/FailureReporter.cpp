#include "FailureReporter.h"

#include <ErrorBoundary.h>

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace app {

namespace {
struct State
{
    FailureReporter::Presenter presenter;
    bool failed = false;
    bool presenting = false;
    QString last;
};

State &state()
{
    static State s;
    return s;
}

bool canShowMessageBox()
{
    // Without a screen to show it on, a modal box would wait for ever.
    const QString platform = QGuiApplication::platformName();
    return qobject_cast<QApplication *>(QCoreApplication::instance()) &&
           platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void showMessageBox(const QString &title, const QString &text)
{
    if (!canShowMessageBox())
        return;
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("unhandledErrorBox"));
    box.exec();
}
} // namespace

void FailureReporter::install()
{
    tavrel::host::ErrorBoundary::setHandler(&FailureReporter::report);
}

void FailureReporter::setPresenter(Presenter presenter)
{
    state().presenter = std::move(presenter);
}

void FailureReporter::resetPresenter()
{
    state().presenter = nullptr;
}

QString FailureReporter::title()
{
    return QStringLiteral("Tavrel Sample");
}

QString FailureReporter::describe(const tavrel::host::Status &status)
{
    return QStringLiteral("Run-time error %1:\n\n%2")
        .arg(tavrel::host::codeToHex(status.code()), status.message());
}

void FailureReporter::report(const tavrel::host::Error &error)
{
    State &s = state();
    const QString text = describe(error.status());
    s.failed = true;
    s.last = text;
    std::fprintf(stderr, "tavrelsample: unhandled error %s\n", error.what());
    std::fflush(stderr);
    // A handler that throws on every event (a paint, say) fails again inside
    // the message box's own event loop: one box, every failure on stderr.
    if (!s.presenting) {
        s.presenting = true;
        if (s.presenter)
            s.presenter(title(), text);
        else
            showMessageBox(title(), text);
        s.presenting = false;
    }
    // Ends every event loop that is running, nested ones included; main()
    // returns the code. Nothing is retried or rolled back.
    QCoreApplication::exit(ExitCode);
}

bool FailureReporter::hasFailed()
{
    return state().failed;
}

QString FailureReporter::lastReport()
{
    return state().last;
}

void FailureReporter::clear()
{
    state().failed = false;
    state().last.clear();
}

} // namespace app
