#pragma once

#include <QDir>
#include <QList>
#include <QString>

namespace screenshots {

// The main window's caption at every scale the skin must stay crisp at,
// rendered through the real component into images of that device pixel
// ratio, enlarged so that device pixels can be seen, beside the same caption
// drawn with the skin picture scaled by repeating whole pixels. One sheet per
// scale: caption-<scale>.png.
class ScaleSheets
{
public:
    static QList<qreal> scales();
    static QString scaleName(qreal scale);

    // Writes the raw caption strips (device pixels) of every scale into
    // `dir` as strip-<scale>.png. The scaling is whatever this process's
    // component does (TAVREL_SKIN_SCALER=nearest for the comparison).
    static bool writeStrips(const QDir &dir, QString *error);

    // Runs `program --strips` twice (with and without the comparison
    // scaling) and composes the sheets into `dir`.
    static bool writeSheets(const QString &program, const QDir &dir, QStringList *written,
                            QString *error);
};

} // namespace screenshots
