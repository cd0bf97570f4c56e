#include "SampleWindows.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace skintest {

QString kindName(WindowKind kind)
{
    switch (kind) {
    case WindowKind::FixedDialog:
        return QStringLiteral("fixed dialog");
    case WindowKind::Sizable:
        return QStringLiteral("sizable");
    case WindowKind::MenuWindow:
        return QStringLiteral("menu window");
    case WindowKind::TopAligned:
        return QStringLiteral("top aligned");
    }
    return QString();
}

namespace {

QWidget *fixedDialog()
{
    auto *w = new QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                       Qt::CustomizeWindowHint);
    w->setWindowTitle(QStringLiteral("Tavrel Sample"));
    w->setFixedSize(371, 201);
    auto place = [w](QWidget *c, const char *name, int x, int y, int width, int height) {
        c->setParent(w);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(x, y, width, height);
    };
    place(new QPushButton(QStringLiteral("Show Control Form")), "Command3", 15, 120, 111, 31);
    auto *check = new QCheckBox(QStringLiteral("Skin Enabled"));
    check->setChecked(true);
    place(check, "Check2", 25, 30, 96, 13);
    place(new QPushButton(QStringLiteral("Show VB Menus")), "Command1", 15, 155, 111, 31);
    auto *label1 = new QLabel(QStringLiteral("Check out the Full Version"));
    QFont bold(QStringLiteral("Arial"));
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    label1->setFont(bold);
    place(label1, "Label1", 175, 25, 167, 16);
    auto *label2 = new QLabel(QStringLiteral("www.tavrel.example"));
    label2->setFont(bold);
    place(label2, "Label2", 190, 55, 140, 16);
    place(new QPushButton(QStringLiteral("E&xit")), "Command2", 260, 150, 91, 31);
    auto *list = new QListWidget;
    list->addItems(
        {QStringLiteral("Light Blue"), QStringLiteral("Dark Blue"), QStringLiteral("Green")});
    place(list, "List1", 155, 135, 66, 41);
    place(new QLabel(QStringLiteral("Internal Skins:")), "Label3", 155, 120, 67, 13);
    auto *hidden = new QListWidget;
    place(hidden, "File1", 375, 195, 36, 32);
    hidden->hide();
    return w;
}

QWidget *sizable()
{
    auto *w = new QWidget;
    w->setWindowTitle(QStringLiteral("Sizable"));
    w->resize(300, 180);
    auto *edit = new QLineEdit(w);
    edit->setObjectName(QStringLiteral("Text1"));
    edit->setGeometry(10, 10, 160, 19);
    auto *list = new QListWidget(w);
    list->setObjectName(QStringLiteral("List1"));
    list->setGeometry(10, 40, 61, 82);
    return w;
}

QWidget *menuWindow()
{
    auto *w = new QMainWindow;
    w->setWindowTitle(QStringLiteral("Tavrel Control"));
    for (const char *title : {"&File", "&Edit", "&View", "&Tools", "&Help"})
        w->menuBar()->addMenu(QLatin1String(title))->addAction(QStringLiteral("item"));
    auto *central = new QWidget;
    central->setObjectName(QStringLiteral("central"));
    w->setCentralWidget(central);
    w->resize(240, 147 + w->menuBar()->sizeHint().height());
    return w;
}

// Keeps its bar across the top of the client area (contents rectangle), as
// the forms keep top-aligned controls.
class TopAlignedWindow : public QWidget
{
public:
    TopAlignedWindow()
    {
        setWindowTitle(QStringLiteral("Tavrel Control - Control Color Demo"));
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::CustomizeWindowHint);
        setFixedSize(495, 225);
        m_bar = new QWidget(this);
        m_bar->setObjectName(QStringLiteral("Picture2"));
        m_bar->setAutoFillBackground(true);
        auto *label = new QLabel(QStringLiteral("It Works with Aligned Controls"), m_bar);
        label->setObjectName(QStringLiteral("Label5"));
        label->move(165, 5);
        auto *check = new QCheckBox(QStringLiteral("Skin Enabled"), this);
        check->setObjectName(QStringLiteral("Check2"));
        check->setGeometry(40, 40, 111, 13);
        align();
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Resize || e->type() == QEvent::ContentsRectChange)
            align();
        return QWidget::event(e);
    }

private:
    void align()
    {
        m_bar->setGeometry(contentsRect().left(), contentsRect().top(), contentsRect().width(), 26);
    }
    QWidget *m_bar;
};

} // namespace

QWidget *createWindow(WindowKind kind)
{
    switch (kind) {
    case WindowKind::FixedDialog:
        return fixedDialog();
    case WindowKind::Sizable:
        return sizable();
    case WindowKind::MenuWindow:
        return menuWindow();
    case WindowKind::TopAligned:
        return new TopAlignedWindow;
    }
    return nullptr;
}

} // namespace skintest
