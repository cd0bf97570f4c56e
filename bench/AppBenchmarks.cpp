// The application's main window with the real component plugin, reached
// the way the window reaches it (late-bound through the host): ApplySkin
// followed by RemoveSkin, and colour scheme switches, each without and with
// the repaint they cause.
#include <ComponentHost.h>
#include <FailureReporter.h>
#include <Form.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

// The main window, loaded and shown once for the whole run.
forms::Form *mainForm(QString *error)
{
    static app::WindowRegistry *registry = nullptr;
    if (!registry) {
        tavrel::host::ComponentHost::instance().setSearchPaths({QStringLiteral(TAVREL_COMPONENT_DIR)});
        registry = new app::WindowRegistry;
        try {
            registry->form(forms::FormKind::Main).show();
        } catch (const tavrel::host::Error &e) {
            *error = e.status().toString();
            return nullptr;
        }
        QCoreApplication::processEvents();
    }
    forms::Form &form = registry->form(forms::FormKind::Main);
    if (!form.isLoaded() || !form.window()->findChild<QWidget *>(QStringLiteral("tavrelskin_caption"))) {
        *error = QStringLiteral("the main window is not skinned by the real component");
        return nullptr;
    }
    return &form;
}

void settle()
{
    QCoreApplication::processEvents();
}

void BM_MainFrmApplyRemoveSkin(benchmark::State &state)
{
    const bool repaint = state.range(0) != 0;
    QString error;
    forms::Form *form = mainForm(&error);
    if (!form) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QWidget *window = form->window();
    try {
        form->skin().removeSkin();
        settle();
        for (auto _ : state) {
            form->skin().applySkin();
            if (repaint)
                window->repaint();
            form->skin().removeSkin();
            if (repaint)
                window->repaint();
            state.PauseTiming();
            settle();
            state.ResumeTiming();
        }
        form->skin().applySkin();
        settle();
    } catch (const tavrel::host::Error &e) {
        state.SkipWithError(e.what());
    }
    state.SetLabel(repaint ? "with repaint" : "without repaint");
}
BENCHMARK(BM_MainFrmApplyRemoveSkin)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Between schemes already built: the list's handler's call, then (with
// repaint) the window and its controls painted in the new colours.
void BM_MainFrmSchemeSwitch(benchmark::State &state)
{
    const bool repaint = state.range(0) != 0;
    QString error;
    forms::Form *form = mainForm(&error);
    if (!form) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QWidget *window = form->window();
    int scheme = 1;
    try {
        for (int s : {2, 3, 1}) {
            form->skin().setColorScheme(s);
            window->repaint();
        }
        for (auto _ : state) {
            scheme = scheme % 3 + 1;
            form->skin().setColorScheme(scheme);
            if (repaint)
                window->repaint();
            state.PauseTiming();
            settle();
            state.ResumeTiming();
        }
        form->skin().setColorScheme(1);
        settle();
    } catch (const tavrel::host::Error &e) {
        state.SkipWithError(e.what());
    }
    state.SetLabel(repaint ? "with repaint" : "without repaint");
}
BENCHMARK(BM_MainFrmSchemeSwitch)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace
