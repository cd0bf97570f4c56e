// Windows of a program that knows nothing of the skin, shown while Qt has
// loaded the generic skin plugin (see CMakeLists.txt): which ones are
// skinned, what they keep, and the colour scheme from the environment.
#include <AutoSkinner.h>
#include <ComponentSite.h>
#include <SkinControl.h>
#include <TestSupport.h>

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSplashScreen>
#include <QTest>
#include <QVBoxLayout>
#include <QWizard>

#include <functional>
#include <memory>

namespace {

using Builder = std::function<QWidget *()>;

QWidget *withContents(QWidget *window)
{
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(QStringLiteral("Contents of a window"), window));
    layout->addWidget(new QLineEdit(window));
    return window;
}

int skinSites(const QWidget *window)
{
    int n = 0;
    for (const tavrel::host::ComponentSite *site :
         window->findChildren<tavrel::host::ComponentSite *>(Qt::FindDirectChildrenOnly))
        n += site->className() == skin::className() ? 1 : 0;
    return n;
}

bool isSkinned(const QWidget *window)
{
    return skinSites(window) == 1 && window->windowFlags().testFlag(Qt::FramelessWindowHint) &&
           window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption"));
}

QImage captionOf(QWidget *window)
{
    const QWidget *caption = window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption"));
    return caption ? window->grab(caption->geometry()).toImage() : QImage();
}

// Lays out its one child itself, over its whole area, on every resize.
class FillsItself : public QWidget
{
public:
    FillsItself() : m_inner(withContents(new QWidget(this))) { resize(300, 200); }

protected:
    void resizeEvent(QResizeEvent *) override { m_inner->setGeometry(rect()); }

private:
    QWidget *const m_inner;
};

// Saves its geometry as it closes, as settings-keeping programs do, and
// refuses to close if told to (a "save changes?" answered with Cancel).
class SavesAsItCloses : public QMainWindow
{
public:
    explicit SavesAsItCloses(bool refuse) : m_refuse(refuse)
    {
        setCentralWidget(withContents(new QWidget));
    }
    QByteArray saved;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        saved = saveGeometry();
        if (m_refuse)
            event->ignore();
    }

private:
    const bool m_refuse;
};

QRect clientOnScreen(const QWidget *window)
{
    return QRect(window->mapToGlobal(window->contentsRect().topLeft()),
                 window->contentsRect().size());
}

bool childrenInside(const QWidget *window)
{
    for (const QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isVisible() ||
            child->objectName().startsWith(QLatin1String("tavrelskin_")))
            continue;
        if (!window->contentsRect().contains(child->geometry()))
            return false;
    }
    return true;
}

// Shows a second window from its own show handler, as some programs do.
class ShowsAnother : public QWidget
{
public:
    std::unique_ptr<QWidget> other;

protected:
    void showEvent(QShowEvent *) override
    {
        if (other)
            return;
        other = std::make_unique<QWidget>();
        withContents(other.get());
        other->show();
    }
};

} // namespace

Q_DECLARE_METATYPE(Builder)

class tst_AutoSkin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void windowsAsShown_data();
    void windowsAsShown();
    void keyboardStaysWithTheApplication();
    void savedGeometry_data();
    void savedGeometry();
    void shownAgainKeepsOneSkin();
    void windowShownFromAnotherShowHandler();
    void schemeFromTheEnvironment();
    void schemeNames_data();
    void schemeNames();
    void componentFolderOfThePluginsKit();
};

void tst_AutoSkin::initTestCase()
{
    // Qt loaded the plugin while the application started; had it not found
    // it, it would have said so before this ran.
    testing::installStrictMessageHandler();
    QCOMPARE(qEnvironmentVariable("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("tavrelskin"));
}

void tst_AutoSkin::windowsAsShown_data()
{
    QTest::addColumn<Builder>("build");
    QTest::addColumn<bool>("skinned");
    QTest::newRow("window sized by its layout")
        << Builder([] { return withContents(new QWidget); }) << true;
    QTest::newRow("window sized by the program") << Builder([] {
        auto *w = withContents(new QWidget);
        w->resize(320, 210);
        return w;
    }) << true;
    QTest::newRow("main window with a menu bar") << Builder([] {
        auto *w = new QMainWindow;
        w->menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Open"));
        w->setCentralWidget(withContents(new QWidget));
        return static_cast<QWidget *>(w);
    }) << true;
    QTest::newRow("dialog") << Builder([] { return withContents(new QDialog); }) << true;
    QTest::newRow("fixed-size dialog") << Builder([] {
        auto *d = withContents(new QDialog);
        d->layout()->setSizeConstraint(QLayout::SetFixedSize);
        return d;
    }) << true;
    QTest::newRow("wizard") << Builder([] {
        auto *w = new QWizard;
        w->setWizardStyle(QWizard::ClassicStyle);
        auto *page = new QWizardPage;
        withContents(page);
        w->addPage(page);
        return static_cast<QWidget *>(w);
    }) << true;
    QTest::newRow("window that lays out its child itself")
        << Builder([] { return static_cast<QWidget *>(new FillsItself); }) << true;
    QTest::newRow("tool window") << Builder([] {
        return withContents(new QWidget(nullptr, Qt::Tool));
    }) << false;
    QTest::newRow("popup") << Builder([] { return withContents(new QWidget(nullptr, Qt::Popup)); })
                           << false;
    QTest::newRow("menu") << Builder([] {
        auto *m = new QMenu;
        m->addAction(QStringLiteral("Item"));
        return static_cast<QWidget *>(m);
    }) << false;
    QTest::newRow("tool tip") << Builder([] {
        return withContents(new QWidget(nullptr, Qt::ToolTip));
    }) << false;
    QTest::newRow("splash screen") << Builder([] {
        QPixmap picture(120, 80);
        picture.fill(Qt::darkCyan);
        return static_cast<QWidget *>(new QSplashScreen(picture));
    }) << false;
    QTest::newRow("frameless window") << Builder([] {
        return withContents(new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint));
    }) << false;
    QTest::newRow("window that opts out") << Builder([] {
        QWidget *w = withContents(new QWidget);
        w->setProperty(autoskin::AutoSkinner::optOutProperty(), true);
        return w;
    }) << false;
}

void tst_AutoSkin::windowsAsShown()
{
    QFETCH(Builder, build);
    QFETCH(bool, skinned);
    testing::EnsureTopLevelsDeleted noneLeft;
    // The same window once more, left alone, tells the size the program
    // meant its contents to have.
    std::unique_ptr<QWidget> plain(build());
    plain->setProperty(autoskin::AutoSkinner::optOutProperty(), true);
    plain->show();
    QVERIFY(QTest::qWaitForWindowExposed(plain.get()));
    QVERIFY(!isSkinned(plain.get()));

    std::unique_ptr<QWidget> window(build());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(isSkinned(window.get()), skinned);
    QCOMPARE(skinSites(window.get()), skinned ? 1 : 0);
    if (skinned) {
        // The skin goes around the contents: the window grows by it.
        QCOMPARE(window->contentsRect().size(), plain->contentsRect().size());
        QVERIFY(window->size().width() > plain->size().width());
        QVERIFY(window->size().height() > plain->size().height());
        // Nothing of the window's own under the skin's frame, also once
        // the window has laid its children out again.
        QVERIFY(childrenInside(window.get()));
        window->resize(window->size() + QSize(40, 30));
        QVERIFY(childrenInside(window.get()));
    } else {
        QCOMPARE(window->size(), plain->size());
    }
}

void tst_AutoSkin::savedGeometry_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("saved as the window closes") << QStringLiteral("close");
    QTest::newRow("saved once the window is hidden") << QStringLiteral("hide");
    QTest::newRow("saved by a window that refuses to close") << QStringLiteral("refuse");
}

void tst_AutoSkin::savedGeometry()
{
    // What a program saves of its skinned window is its client area: it
    // restores to the same window without the skin and, skinned again, to
    // the same client area.
    QFETCH(QString, how);
    testing::EnsureTopLevelsDeleted noneLeft;
    const QRect client(200, 150, 400, 300);
    auto window = std::make_unique<SavesAsItCloses>(how == QLatin1String("refuse"));
    window->setGeometry(client);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(isSkinned(window.get()));
    QCOMPARE(clientOnScreen(window.get()), client);
    const QRect skinnedGeometry = window->geometry();
    QVERIFY(skinnedGeometry != client);
    QByteArray saved;
    if (how == QLatin1String("hide")) {
        window->hide();
        saved = window->saveGeometry();
    } else {
        window->close();
        saved = window->saved;
    }
    if (how == QLatin1String("refuse")) {
        // It stays open, and skinned as before.
        QVERIFY(window->isVisible());
        QTRY_COMPARE(window->geometry(), skinnedGeometry);
        QVERIFY(window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption"))->isVisible());
        QCOMPARE(clientOnScreen(window.get()), client);
    }
    window.reset();

    QMainWindow plain;
    plain.setProperty(autoskin::AutoSkinner::optOutProperty(), true);
    QVERIFY(plain.restoreGeometry(saved));
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QCOMPARE(plain.geometry(), client);

    QMainWindow again;
    QVERIFY(again.restoreGeometry(saved));
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY(isSkinned(&again));
    QCOMPARE(clientOnScreen(&again), client);
}

void tst_AutoSkin::keyboardStaysWithTheApplication()
{
    testing::EnsureTopLevelsDeleted noneLeft;
    auto window = std::make_unique<QWidget>();
    withContents(window.get());
    auto *edit = window->findChild<QLineEdit *>();
    edit->setFocus();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(isSkinned(window.get()));
    QCOMPARE(window->focusWidget(), edit);
    QTest::keyClicks(edit, QStringLiteral("typed"));
    QCOMPARE(edit->text(), QStringLiteral("typed"));
}

void tst_AutoSkin::shownAgainKeepsOneSkin()
{
    testing::EnsureTopLevelsDeleted noneLeft;
    auto window = std::make_unique<QWidget>();
    withContents(window.get());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QSize skinnedSize = window->size();
    for (int i = 0; i < 3; ++i) {
        window->hide();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QCOMPARE(skinSites(window.get()), 1);
    QCOMPARE(window->size(), skinnedSize);
}

void tst_AutoSkin::windowShownFromAnotherShowHandler()
{
    testing::EnsureTopLevelsDeleted noneLeft;
    auto window = std::make_unique<ShowsAnother>();
    withContents(window.get());
    window->show();
    QVERIFY(window->other);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(QTest::qWaitForWindowExposed(window->other.get()));
    QVERIFY(isSkinned(window.get()));
    QVERIFY(isSkinned(window->other.get()));
}

void tst_AutoSkin::schemeFromTheEnvironment()
{
    // TAVREL_SKIN_SCHEME=green (CMakeLists.txt): the window the plugin
    // skinned looks like one skinned in Green by hand, not like Light Blue.
    // Each is grabbed while it is the active window.
    testing::EnsureTopLevelsDeleted noneLeft;
    const auto captionShown = [](qint32 scheme, QImage *caption) {
        auto window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("Scheme"));
        window->resize(300, 120);
        if (scheme != autoskin::AutoSkinner::NoScheme) {
            // Skinned by the program itself: the plugin leaves it alone.
            skin::SkinControl control = skin::SkinControl::create(window.get());
            control.setColorScheme(scheme);
            control.applySkin();
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(isSkinned(window.get()));
        *caption = captionOf(window.get());
    };
    QImage byPlugin, green, lightBlue;
    captionShown(autoskin::AutoSkinner::NoScheme, &byPlugin);
    captionShown(skin::Green, &green);
    captionShown(skin::LightBlue, &lightBlue);
    QVERIFY(!byPlugin.isNull());
    QCOMPARE(byPlugin, green);
    QVERIFY(byPlugin != lightBlue);
}

void tst_AutoSkin::schemeNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("scheme");
    QTest::newRow("unset") << QString() << true << int(autoskin::AutoSkinner::NoScheme);
    QTest::newRow("number") << QStringLiteral("2") << true << int(skin::DarkBlue);
    QTest::newRow("name") << QStringLiteral("Light Blue") << true << int(skin::LightBlue);
    QTest::newRow("name, other spelling")
        << QStringLiteral(" dark-BLUE ") << true << int(skin::DarkBlue);
    QTest::newRow("green") << QStringLiteral("green") << true << int(skin::Green);
    QTest::newRow("number out of range") << QStringLiteral("4") << false << 0;
    QTest::newRow("zero") << QStringLiteral("0") << false << 0;
    QTest::newRow("unknown name") << QStringLiteral("purple") << false << 0;
    // Separators go between words only.
    QTest::newRow("negative number") << QStringLiteral("-1") << false << 0;
    QTest::newRow("number in dashes") << QStringLiteral("--2--") << false << 0;
    QTest::newRow("name in dashes") << QStringLiteral("-green-") << false << 0;
    QTest::newRow("two separators") << QStringLiteral("dark__blue") << false << 0;
}

void tst_AutoSkin::schemeNames()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, scheme);
    qint32 parsed = -1;
    QString error;
    QCOMPARE(autoskin::AutoSkinner::parseScheme(text, &parsed, &error), valid);
    if (valid) {
        QCOMPARE(parsed, scheme);
    } else {
        // The message names what was given.
        QVERIFY2(error.contains(QLatin1Char('\'') + text + QLatin1Char('\'')), qPrintable(error));
    }
}

void tst_AutoSkin::componentFolderOfThePluginsKit()
{
    QCOMPARE(autoskin::AutoSkinner::kitComponentPath(
                 QStringLiteral("/opt/kit/lib/tavrelsample/plugins/generic/libtavrelautoskin.so")),
             QStringLiteral("/opt/kit/lib/tavrelsample/components"));
    // A relative name would be found from the current folder: no kit.
    QVERIFY(autoskin::AutoSkinner::kitComponentPath(
                QStringLiteral("plugins/generic/libtavrelautoskin.so"))
                .isEmpty());
    QVERIFY(autoskin::AutoSkinner::kitComponentPath(QString()).isEmpty());
}

QTEST_MAIN(tst_AutoSkin)
#include "tst_autoskin.moc"
