#include "ScaleSheets.h"

#include "WindowShooter.h"

#include <Form.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace screenshots {

namespace {
// Logical rows taken below the caption's top: the caption and the start of
// the side borders.
constexpr int StripHeight = 33;
// Logical columns taken from each end of a caption: the tab's rounded end,
// and the buttons.
constexpr int EndWidth = 72;
// Each device pixel becomes a square this many pixels wide on the sheet.
constexpr int Enlargement = 4;
constexpr int Gap = 12;

QImage renderAt(QWidget *window, qreal scale)
{
    QImage image(window->size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    window->render(&image);
    image.setDevicePixelRatio(1);
    return image.copy(0, 0, image.width(), qMin(image.height(), qCeil(StripHeight * scale)));
}

QString stripName(forms::FormKind kind, qreal scale)
{
    return QStringLiteral("strip-%1-%2.png")
        .arg(kind == forms::FormKind::Main ? QStringLiteral("main") : QStringLiteral("clean"),
             ScaleSheets::scaleName(scale));
}

QImage enlarged(const QImage &image)
{
    return image.scaled(image.size() * Enlargement, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
} // namespace

QList<qreal> ScaleSheets::scales()
{
    QList<qreal> all;
    for (int quarter = 4; quarter <= 12; ++quarter)
        all.append(quarter / 4.0);
    return all;
}

QString ScaleSheets::scaleName(qreal scale)
{
    return QString::number(scale, 'f', 2);
}

bool ScaleSheets::writeStrips(const QDir &dir, QString *error)
{
    app::WindowRegistry registry;
    for (forms::FormKind kind : {forms::FormKind::Main, forms::FormKind::Clean}) {
        forms::Form &form = registry.form(kind);
        form.show();
        QWidget *window = form.window();
        window->activateWindow();
        if (!waitUntil([window] { return window->isActiveWindow(); })) {
            *error = QStringLiteral("a window never becomes active");
            return false;
        }
        for (qreal scale : scales()) {
            const QString path = dir.filePath(stripName(kind, scale));
            if (!renderAt(window, scale).save(path, "PNG")) {
                *error = QStringLiteral("cannot write %1").arg(path);
                return false;
            }
        }
        form.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool ScaleSheets::writeSheets(const QString &program, const QDir &dir, QStringList *written,
                              QString *error)
{
    QTemporaryDir smoothDir, nearestDir;
    for (const QTemporaryDir *strips : {&smoothDir, &nearestDir}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (strips == &nearestDir)
            env.insert(QStringLiteral("TAVREL_SKIN_SCALER"), QStringLiteral("nearest"));
        else
            env.remove(QStringLiteral("TAVREL_SKIN_SCALER"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, {QStringLiteral("--strips"), strips->path()});
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            *error = QStringLiteral("rendering the caption strips failed");
            return false;
        }
    }
    QFont font = QApplication::font();
    font.setPixelSize(14);
    for (qreal scale : scales()) {
        const int end = qRound(EndWidth * scale);
        QList<std::pair<QImage, QImage>> rows; // this build's, nearest
        for (forms::FormKind kind : {forms::FormKind::Main, forms::FormKind::Clean}) {
            const QImage smooth(QDir(smoothDir.path()).filePath(stripName(kind, scale)));
            const QImage nearest(QDir(nearestDir.path()).filePath(stripName(kind, scale)));
            if (smooth.isNull() || nearest.isNull() || smooth.size() != nearest.size()) {
                *error = QStringLiteral("missing caption strip at scale %1").arg(scale);
                return false;
            }
            auto left = [end](const QImage &i) { return i.copy(0, 0, end, i.height()); };
            auto right = [end](const QImage &i) {
                return i.copy(i.width() - end, 0, end, i.height());
            };
            if (kind == forms::FormKind::Main)
                rows.append({enlarged(left(smooth)), enlarged(left(nearest))});
            rows.append({enlarged(right(smooth)), enlarged(right(nearest))});
        }
        const int cellWidth = rows[0].first.width();
        int height = 24;
        for (const auto &row : rows)
            height += row.first.height() + Gap;
        QImage sheet(2 * cellWidth + 3 * Gap, height + Gap, QImage::Format_RGB32);
        sheet.fill(QColor(64, 64, 64));
        QPainter painter(&sheet);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(Gap, 4, cellWidth, 20), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("scale %1: edge-directed, area-averaged, on the grid")
                             .arg(scaleName(scale)));
        painter.drawText(QRect(2 * Gap + cellWidth, 4, cellWidth, 20),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("nearest neighbour (x%1 enlarged)").arg(Enlargement));
        int y = 24 + Gap;
        for (const auto &row : rows) {
            painter.drawImage(Gap, y, row.first);
            painter.drawImage(2 * Gap + cellWidth, y, row.second);
            y += row.first.height() + Gap;
        }
        painter.end();
        const QString path = dir.filePath(QStringLiteral("caption-%1.png").arg(scaleName(scale)));
        if (!sheet.save(path, "PNG", 0)) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        written->append(path);
    }
    return true;
}

} // namespace screenshots
