// Runs one program (a test) as a Wayland client of a weston of its own:
//   under_weston <program> [arguments...]
// The program's output goes through; its exit status is this one's.
#include "WaylandSession.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: under_weston <program> [arguments...]\n");
        return 2;
    }
    const QStringList missing = e2e::WaylandSession::missingTools();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "under_weston: not installed: %s (scripts/setup.sh installs them)\n",
                     qPrintable(missing.join(QStringLiteral(", "))));
        return 2;
    }
    e2e::WaylandSession session;
    if (!session.start()) {
        std::fprintf(stderr, "under_weston: %s\n", qPrintable(session.lastError()));
        return 2;
    }
    QProcess program;
    session.prepare(&program);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.setInputChannelMode(QProcess::ForwardedInputChannel);
    program.start(args.takeFirst(), args);
    if (!program.waitForStarted(10000)) {
        std::fprintf(stderr, "under_weston: %s\n", qPrintable(program.errorString()));
        return 2;
    }
    program.waitForFinished(-1);
    session.stop();
    if (program.exitStatus() != QProcess::NormalExit) {
        std::fprintf(stderr, "under_weston: the program crashed\n");
        return 3;
    }
    return program.exitCode();
}
