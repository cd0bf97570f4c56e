// tavrel-screenshots <output dir> [scale]
// Writes <window>-<scheme>-<active|inactive>-<scale>x.png for every window.
// tavrel-screenshots --scales <output dir>
// Writes caption-<scale>.png, the captions at every scale from 1 to 3 beside
// the nearest-neighbour result (ScaleSheets).
#include "ScaleSheets.h"
#include "WindowShooter.h"

#include <FailureReporter.h>
#include <FormSettings.h>

#include <QApplication>

#include <cstdio>

namespace {
int fail(const QString &message)
{
    std::fprintf(stderr, "tavrel-screenshots: %s\n", qPrintable(message));
    return 1;
}
} // namespace

// --scales and --strips: the caption sheets, rendered into images of each
// device pixel ratio (the process itself at scale 1).
int sheets(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "1");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_STYLE_OVERRIDE");
    QApplication application(argc, argv);
    QApplication::setFont(forms::FormSettings::standardDialogFont());
    const QDir outputDir(QString::fromLocal8Bit(argv[2]));
    if (!outputDir.exists() && !QDir().mkpath(outputDir.path()))
        return fail(QStringLiteral("cannot create the folder %1").arg(outputDir.path()));
    app::FailureReporter::install();
    app::FailureReporter::setPresenter([](const QString &, const QString &) {});
    QString error;
    QStringList written;
    const bool ok = qstrcmp(argv[1], "--strips") == 0
                        ? screenshots::ScaleSheets::writeStrips(outputDir, &error)
                        : screenshots::ScaleSheets::writeSheets(
                              QCoreApplication::applicationFilePath(), outputDir, &written, &error);
    if (!ok)
        return fail(error);
    if (app::FailureReporter::hasFailed())
        return fail(app::FailureReporter::lastReport());
    for (const QString &path : written)
        std::printf("%s\n", qPrintable(QDir::current().relativeFilePath(path)));
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && (qstrcmp(argv[1], "--scales") == 0 || qstrcmp(argv[1], "--strips") == 0))
        return sheets(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tavrel-screenshots <output dir> [scale: 1 to 4]\n"
                             "       tavrel-screenshots --scales <output dir>\n");
        return 2;
    }
    int scale = 1;
    if (argc == 3) {
        bool isNumber = false;
        scale = QByteArray(argv[2]).toInt(&isNumber);
        if (!isNumber || scale < 1 || scale > 4) {
            std::fprintf(stderr,
                         "tavrel-screenshots: scale '%s' is not a whole number from 1 to 4\n",
                         argv[2]);
            return 2;
        }
    }
    // The pictures must not depend on the screen this runs on, if any.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_STYLE_OVERRIDE");

    QApplication application(argc, argv);
    QApplication::setFont(forms::FormSettings::standardDialogFont());
    const QDir outputDir(QString::fromLocal8Bit(argv[1]));
    if (!outputDir.exists() && !QDir().mkpath(outputDir.path()))
        return fail(QStringLiteral("cannot create the folder %1").arg(outputDir.path()));

    app::FailureReporter::install();
    app::FailureReporter::setPresenter([](const QString &, const QString &) {});
    screenshots::WindowShooter shooter(outputDir, QStringLiteral("-%1x").arg(scale));
    for (forms::FormKind kind :
         {forms::FormKind::Main, forms::FormKind::CtrlColor, forms::FormKind::Clean}) {
        QString error;
        try {
            if (!shooter.shoot(kind, &error))
                return fail(error);
        } catch (const tavrel::host::Error &e) {
            return fail(QStringLiteral("%1: %2").arg(screenshots::WindowShooter::windowName(kind),
                                                     QString::fromLocal8Bit(e.what())));
        }
        // A handler that failed while the window was shown or closed.
        if (app::FailureReporter::hasFailed())
            return fail(app::FailureReporter::lastReport());
    }
    for (const QString &path : shooter.written())
        std::printf("%s\n", qPrintable(QDir::current().relativeFilePath(path)));
    return 0;
}
