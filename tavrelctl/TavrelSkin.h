#pragma once

#include <Component.h>

#include <QPointer>
#include <QRect>

#include <memory>

namespace tavrelctl {

class SkinFrame;
class SkinPicture;

// The skin component "TavrelCtl.TavrelSkin" as a client sees it: the
// late-bound members ApplySkin, RemoveSkin and ColorScheme, the FocusChange
// event and the stored properties. It checks every call and property and
// hands the work to its window's SkinFrame.
//
// How the engine is built:
//   SkinLayout   where the pieces of a skin picture are, read from its grid,
//                and the metrics of its marker rows
//   SkinScheme   the colour schemes as palette remapping rules
//   SkinPicture  a decoded picture with its layout; shared per process by
//                picture bytes; owns its SkinThemes
//   SkinRegistry what the process keeps: the shared scheme, the decoded
//                pictures, long tiles, the native frame last seen
//   SkinTheme    one scheme's pieces, scaled once per device-pixel size
//   SkinFrame    one window's skin: applies and removes it, owns the
//                helper widgets below, restores colours and focus
//   WindowPlacement, FramePlacement   the window's place and size through
//                each switch, and the arithmetic of it
//   SkinCaption, SkinCaptionButton, SkinBorder   the helper widgets; the
//                caption's buttons come from the CaptionButtons table
//   SkinWindowMenu, KeyboardMoveSize   the window menu and its Move, Size
//   SkinPainter  whole-device-pixel blitting of pieces
//   FrameDrag    press, drag and release on the caption and borders
//   FrameRequests   moving and resizing through the platform
//
// The instance is invisible at run time: it has no widget of its own, only
// its design-time place at (0, 0) with the size of its stored extents.
// ColorScheme is one for the whole application: a put on any instance takes
// every instance of the process to that scheme, and an instance created later
// starts in it (in 1, Light Blue, when no other instance is alive). It is
// kept while the skin is off. FocusChange passes -1 on activation and 0 on
// deactivation.
class TavrelSkin : public tavrel::host::Component
{
public:
    TavrelSkin();
    ~TavrelSkin() override;

    tavrel::host::Status load(QWidget *window, const tavrel::host::PropertyBag &properties,
                      tavrel::host::EventSink *events) override;
    tavrel::host::Status invoke(tavrel::host::DispId member, tavrel::host::InvokeKind kind, QList<tavrel::host::Variant> &args,
                        tavrel::host::Variant *result = nullptr) override;

    // The control's place on its window, in pixels at 96 dpi.
    QRect designRect() const { return m_designRect; }
    SkinFrame *frame() const;

private:
    tavrel::host::Status applySkin(tavrel::host::InvokeKind kind, const QList<tavrel::host::Variant> &args);
    tavrel::host::Status removeSkin(tavrel::host::InvokeKind kind, const QList<tavrel::host::Variant> &args);
    tavrel::host::Status colorScheme(tavrel::host::InvokeKind kind, const QList<tavrel::host::Variant> &args,
                             tavrel::host::Variant *result);
    tavrel::host::Status checkReady(const QString &member) const;
    void raiseFocusChange(bool active);

    QPointer<QWidget> m_window;
    tavrel::host::EventSink *m_events = nullptr;
    std::unique_ptr<SkinFrame> m_frame;
    QRect m_designRect;
};

} // namespace tavrelctl
