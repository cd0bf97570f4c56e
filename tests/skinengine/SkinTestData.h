#pragma once

#include <Component.h>
#include <PropertyBag.h>

#include <QByteArray>
#include <QImage>
#include <QList>

#include <memory>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace tavrelctl {
class TavrelSkin;
}

// Pictures, stored properties and an event sink for driving the skin engine
// in-process.
namespace skintest {

// The committed skin picture's bitmap file.
QByteArray realPictureFile();

// A picture with the skin picture's grid and markers but plain colours of
// our own: `accent` for the caption tab and the glyph discs, `panel` for the
// caption face, frame tiles and the first swatch.
// `markers` replaces the marker rows' values (eleven, in order) when given.
QImage syntheticPicture(QRgb accent, QRgb panel, const QList<int> &markers = {});
// An uncompressed 8-bit bitmap file of an indexed image.
QByteArray bitmapFile(const QImage &indexed);

tavrel::host::PropertyBag storedProperties(const QByteArray &bitmap);
tavrel::host::PropertyBag storedProperties();

// Records the values FocusChange passes.
class EventRecorder : public tavrel::host::EventSink
{
public:
    void raiseEvent(tavrel::host::DispId event, QList<tavrel::host::Variant> &args) override;
    QList<tavrel::host::DispId> events;
    QList<qint32> focusValues;
    QList<QString> argumentTypes;
};

// A TavrelSkin loaded on `window` with the real picture; fails the test
// (returns null) if loading fails.
std::unique_ptr<tavrelctl::TavrelSkin>
loadSkin(QWidget *window, EventRecorder *events = nullptr,
         const tavrel::host::PropertyBag &properties = storedProperties());

// Late-bound calls, failing the test on a failed status.
bool applySkin(tavrel::host::Component *skin);
bool removeSkin(tavrel::host::Component *skin);
bool putScheme(tavrel::host::Component *skin, qint32 scheme);

} // namespace skintest
