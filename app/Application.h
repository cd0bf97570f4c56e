#pragma once

#include <QApplication>

namespace app {

// The application object. Every event reaches its receiver through
// notify(), the one frame Qt leaves for catching what an event handler
// throws: a component's paint, timer or filter code that throws is reported
// as an unhandled failure naming the component, instead of ending the
// process through std::terminate.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace app
