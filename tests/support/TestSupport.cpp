#include "TestSupport.h"

#include <FailureReporter.h>
#include <FormSettings.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace testing {

static void strictHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    const QByteArray text = message.toLocal8Bit();
    fprintf(stderr, "%s\n", text.constData());
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        // Qt's own noise about the offscreen platform is not ours to fail on.
        if (message.contains(QLatin1String("This plugin does not support")))
            return;
        QFAIL(qPrintable(QStringLiteral("unexpected Qt message: ") + message));
    }
}

void installStrictMessageHandler()
{
    qInstallMessageHandler(strictHandler);
}

void applyApplicationDefaults()
{
    QApplication::setFont(forms::FormSettings::standardDialogFont());
}

static int countTopLevels()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->inherits("QMenu") && !w->inherits("QTipLabel") &&
            w->objectName() != QLatin1String("qt_scrollarea_viewport"))
            ++n;
    }
    return n;
}

void captureReports(QStringList *reports)
{
    reports->clear();
    app::FailureReporter::install();
    app::FailureReporter::clear();
    app::FailureReporter::setPresenter(
        [reports](const QString &, const QString &text) { reports->append(text); });
}

void stopCapturingReports()
{
    app::FailureReporter::resetPresenter();
}

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

EnsureTopLevelsDeleted::EnsureTopLevelsDeleted() : m_before(countTopLevels()) {}

EnsureTopLevelsDeleted::~EnsureTopLevelsDeleted()
{
    processDeferredDeletes();
    const int after = countTopLevels();
    if (after > m_before) {
        QStringList names;
        for (QWidget *w : QApplication::topLevelWidgets())
            names << QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(':') +
                         w->objectName();
        QTest::qFail(qPrintable(QStringLiteral("%1 top-level window(s) left behind: %2")
                                    .arg(after - m_before)
                                    .arg(names.join(QLatin1String(", ")))),
                     __FILE__, __LINE__);
    }
}

QString componentDir()
{
    return QStringLiteral(TAVREL_COMPONENT_DIR);
}

QString applicationPath()
{
    return QStringLiteral(TAVREL_APPLICATION_PATH);
}

double shareOf(const QImage &image, QRect area, QRgb color, int inset)
{
    area = area.adjusted(inset, inset, -inset, -inset).intersected(image.rect());
    if (area.isEmpty())
        return 0.0;
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            hits += image.pixel(x, y) == color ? 1 : 0;
    }
    return double(hits) / (area.width() * area.height());
}

double shareLike(const QImage &actual, const QPoint &offset, const QImage &expected,
                 const QRect &area, int tolerance)
{
    int hits = 0, total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QPoint at = QPoint(x, y) + offset;
            if (!actual.rect().contains(at) || !expected.rect().contains(x, y))
                continue;
            const QRgb a = actual.pixel(at), e = expected.pixel(x, y);
            ++total;
            hits += qAbs(qRed(a) - qRed(e)) <= tolerance &&
                            qAbs(qGreen(a) - qGreen(e)) <= tolerance &&
                            qAbs(qBlue(a) - qBlue(e)) <= tolerance
                        ? 1
                        : 0;
        }
    }
    return total ? double(hits) / total : 0.0;
}

} // namespace testing
