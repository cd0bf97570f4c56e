#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace testing {

// Fails the running test on any Qt warning, critical or fatal message that
// the test did not expect with QTest::ignoreMessage.
void installStrictMessageHandler();

// Applies what the application sets at start-up: the standard dialog font.
void applyApplicationDefaults();

// Checked on scope exit: fails the running test when top-level windows are
// left behind (deferred deletes are processed first).
class EnsureTopLevelsDeleted
{
public:
    EnsureTopLevelsDeleted();
    ~EnsureTopLevelsDeleted();

private:
    int m_before;
};

// Routes unhandled failures to `reports` (cleared first) instead of a
// message box, until stopCapturingReports().
void captureReports(QStringList *reports);
void stopCapturingReports();

// Runs deferred deletes now.
void processDeferredDeletes();

// The folder the build puts the component plugin in.
QString componentDir();
// The built application.
QString applicationPath();

// Share of the pixels of `area`, shrunk by `inset` (a control's border), that
// are exactly `color`.
double shareOf(const QImage &image, QRect area, QRgb color, int inset = 3);

// Share of the pixels of `area` of `expected` that lie within `tolerance` per
// channel of `actual` at `offset` (what a screenshot shows against what was
// drawn); pixels outside either image do not count.
double shareLike(const QImage &actual, const QPoint &offset, const QImage &expected,
                 const QRect &area, int tolerance = 40);

} // namespace testing
