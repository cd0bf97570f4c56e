#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <unistd.h>

namespace e2e {

// The commands a probe program takes from its standard input, a line each:
// `handle` gets every line that is not blank, trimmed, and the program quits
// when the input ends. Keep the notifier for as long as commands may come.
inline std::unique_ptr<QSocketNotifier>
readCommands(std::function<void(const QByteArray &command)> handle)
{
    auto input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(input.get(), &QSocketNotifier::activated, [handle = std::move(handle)] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        for (const QByteArray &raw : QByteArray(buffer, int(n)).split('\n')) {
            const QByteArray command = raw.trimmed();
            if (!command.isEmpty())
                handle(command);
        }
    });
    return input;
}

} // namespace e2e
