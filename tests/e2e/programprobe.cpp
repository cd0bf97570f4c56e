// An ordinary Qt Widgets program that knows nothing of the skin, for the
// real-window tests that run programs through tavrel-skin-run: each mode is
// one way programs place and size their windows.
//   programprobe geometry FILE  a main window that restores its geometry from
//                               FILE before it is shown and saves it there
//                               when it closes (400 x 300 the first time)
//   programprobe unplaced       a window the program does not place
//   programprobe moved          a window moved to 150,100 before it is shown
//   programprobe dialog         a main window at 200,150, and a modal dialog
//                               that Qt centres on it
//   programprobe wizard         a two-page QWizard moved to 150,100
//   programprobe tall           a main window that fits the screen's height
//                               with a window manager's title bar, barely
// Commands on the standard input, one a line: "where" prints each shown
// window's frame, geometry, contents rectangle (the client area when a frame
// of its own is drawn inside the window) and, for the wizard, its buttons,
// all in global coordinates; "close" closes the active window; "again" shows
// the dialog again once it is closed.
#include "ProbeCommands.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizard>

#include <cstdio>

namespace {

class SavingWindow : public QMainWindow
{
public:
    explicit SavingWindow(const QString &file) : m_file(file) {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        // Where settings-keeping programs save theirs.
        QFile out(m_file);
        if (out.open(QIODevice::WriteOnly))
            out.write(saveGeometry());
        QMainWindow::closeEvent(event);
    }

private:
    const QString m_file;
};

QWizardPage *page(const QString &text)
{
    auto *p = new QWizardPage;
    p->setTitle(text);
    auto *layout = new QVBoxLayout(p);
    layout->addWidget(new QLabel(text, p));
    return p;
}

void printRect(const char *what, const QString &name, const QRect &r)
{
    std::printf("%s %s %d %d %d %d\n", what, qPrintable(name), r.x(), r.y(), r.width(), r.height());
}

void where()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Popup)
            continue;
        const QString name = w->objectName();
        printRect("frame", name, w->frameGeometry());
        printRect("geometry", name, w->geometry());
        printRect("client", name,
                  QRect(w->mapToGlobal(w->contentsRect().topLeft()), w->contentsRect().size()));
        if (auto *wizard = qobject_cast<QWizard *>(w)) {
            for (QWizard::WizardButton b :
                 {QWizard::BackButton, QWizard::NextButton, QWizard::CancelButton}) {
                const QAbstractButton *button = wizard->button(b);
                if (button && button->isVisible())
                    printRect(
                        "button",
                        button->text().remove(QRegularExpression(QStringLiteral("[^A-Za-z]"))),
                        QRect(button->mapToGlobal(QPoint(0, 0)), button->size()));
            }
        }
    }
    std::printf("end\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QWidget *window = nullptr;
    if (mode == QLatin1String("geometry") && argc == 3) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        auto *main = new SavingWindow(file);
        main->setWindowTitle(QStringLiteral("Geometry Probe"));
        main->setCentralWidget(new QTextEdit(main));
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly) || !main->restoreGeometry(in.readAll()))
            main->resize(400, 300);
        window = main;
    } else if (mode == QLatin1String("unplaced") || mode == QLatin1String("moved")) {
        window = new QWidget;
        window->setWindowTitle(QStringLiteral("Placement Probe"));
        auto *layout = new QVBoxLayout(window);
        layout->addWidget(new QLabel(QStringLiteral("Where am I?"), window));
        window->resize(300, 200);
        if (mode == QLatin1String("moved"))
            window->move(150, 100);
    } else if (mode == QLatin1String("dialog")) {
        window = new QWidget;
        window->setWindowTitle(QStringLiteral("Dialog Parent Probe"));
        window->setGeometry(200, 150, 500, 400);
        auto *dialog = new QDialog(window);
        dialog->setObjectName(QStringLiteral("dialog"));
        dialog->setWindowTitle(QStringLiteral("Centred Dialog"));
        auto *layout = new QVBoxLayout(dialog);
        layout->addWidget(new QLabel(QStringLiteral("A modal dialog over its parent"), dialog));
        layout->addWidget(new QPushButton(QStringLiteral("OK"), dialog));
        dialog->resize(240, 120);
        dialog->setModal(true);
        // Opened once the parent is on the screen, as a program's action would.
        QTimer::singleShot(300, dialog, &QDialog::show);
    } else if (mode == QLatin1String("wizard")) {
        auto *wizard = new QWizard;
        wizard->setWindowTitle(QStringLiteral("Wizard Probe"));
        wizard->setWizardStyle(QWizard::ClassicStyle);
        wizard->addPage(page(QStringLiteral("First page")));
        wizard->addPage(page(QStringLiteral("Second page")));
        wizard->move(150, 100);
        window = wizard;
    } else if (mode == QLatin1String("tall")) {
        auto *main = new QMainWindow;
        main->setWindowTitle(QStringLiteral("Tall Probe"));
        main->setCentralWidget(new QTextEdit(main));
        main->resize(600, main->screen()->availableGeometry().height() - 29);
        window = main;
    } else {
        std::fprintf(stderr, "usage: programprobe geometry FILE | unplaced | moved | dialog | "
                             "wizard | tall\n");
        return 2;
    }
    window->setObjectName(QStringLiteral("main"));
    window->show();

    const auto input = e2e::readCommands([&](const QByteArray &command) {
        if (command == "where") {
            where();
        } else if (command == "again") {
            if (auto *dialog = window->findChild<QDialog *>(QStringLiteral("dialog")))
                dialog->show();
        } else if (command == "close") {
            QWidget *target = QApplication::activeWindow();
            if (!target || !target->isVisible())
                target = window;
            target->close();
        } else {
            std::fprintf(stderr, "programprobe: unknown command '%s'\n", command.constData());
        }
    });
    const int result = app.exec();
    delete window;
    return result;
}
