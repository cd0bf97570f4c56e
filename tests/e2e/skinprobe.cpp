// A sizable skinned window for the real-window tests, skinned through the
// real component and driven from its standard input, one command a line:
// apply, remove, maximize, restore, fullscreen, and flags (a window flag
// changed on the shown window, shown again as a program must). It exists because the application's
// own switch sits on fixed-size windows, which cannot be maximised.
#include "ProbeCommands.h"

#include <ComponentHost.h>
#include <SkinControl.h>

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTextStream>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skinprobe COMPONENT_DIR\n");
        return 2;
    }
    tavrel::host::ComponentHost::instance().setSearchPaths({QString::fromLocal8Bit(argv[1])});
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tavrel Probe"));
    auto *list = new QListWidget(&window);
    list->setGeometry(20, 20, 120, 60);
    list->addItems(
        {QStringLiteral("Light Blue"), QStringLiteral("Dark Blue"), QStringLiteral("Green")});
    // A base size of its own: without one Qt 6.4 at QT_SCALE_FACTOR=2 gives
    // the window manager -2 x -2, which fluxbox takes as 65534 x 65534.
    window.winId();
    window.windowHandle()->setBaseSize(QSize(0, 0));
    window.setGeometry(200, 150, 320, 200);
    skin::SkinControl skin;
    try {
        skin = skin::SkinControl::create(&window);
        skin.applySkin();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "skinprobe: %s\n", e.what());
        return 1;
    }
    window.show();

    bool onTop = false;
    const auto input = e2e::readCommands([&](const QByteArray &command) {
        if (command == "apply")
            skin.applySkin();
        else if (command == "remove")
            skin.removeSkin();
        else if (command == "maximize")
            window.showMaximized();
        else if (command == "restore")
            window.showNormal();
        else if (command == "fullscreen")
            window.showFullScreen();
        else if (command == "flags") {
            // Flags of the program's own that know nothing of the skin's;
            // setWindowFlags() hides the window, the program shows it again.
            onTop = !onTop;
            window.setWindowFlags(onTop ? Qt::Window | Qt::WindowStaysOnTopHint : Qt::Window);
            window.show();
        } else
            std::fprintf(stderr, "skinprobe: unknown command '%s'\n", command.constData());
    });
    return app.exec();
}
