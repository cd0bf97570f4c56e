#pragma once

#include "FrameRequests.h"

#include <QAccessible>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMargins>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace tavrelctl {

class KeyboardMoveSize;
class SkinFrame;
class SkinPicture;

// What the engine keeps for the whole process, in one place: the colour
// scheme every skinned window shows, the decoded pictures shared by the
// windows, the long tiles painters blit, the native frame last seen, the
// running keyboard move or size, the accessible interfaces of the skin's
// own widgets, and the hooks tests put in place of the window system's
// move and resize. Nothing else in the engine is static.
//
// Made on first use; destroyed with the application object, before Qt's
// graphics go (a pixmap must not outlive QGuiApplication). Whatever asks
// after that gets a fresh, empty one. Single GUI thread: no locks.
class SkinRegistry
{
public:
    // Asked on every paint: the common case inline.
    static SkinRegistry &instance() { return s_instance ? *s_instance : create(); }

    // The colour scheme of every skinned window of the process. A frame
    // counts from construction to destruction; the scheme goes back to
    // Light Blue when the last one goes.
    int scheme() const { return m_scheme; }
    // Every frame alive takes the new scheme.
    void setScheme(int scheme);
    static void addFrame(SkinFrame *frame);
    static void removeFrame(SkinFrame *frame);

    // A decoded picture by its stored bytes, or null; keep() shares one.
    // Once a few are kept, those no window uses any more are dropped (a skin
    // editor or the fuzzer loads many).
    std::shared_ptr<const SkinPicture> picture(const QByteArray &stored) const;
    void keepPicture(const QByteArray &stored, std::shared_ptr<const SkinPicture> picture);

    // Long tiles (SkinPainter): a piece repeated along one or both axes,
    // keyed by the piece's cache key and the axes.
    QHash<std::pair<qint64, int>, QPixmap> &longTiles() { return m_longTiles; }

    // How many themes and scaled pieces this process has built.
    int themesBuilt() const { return m_themesBuilt; }
    int piecesBuilt() const { return m_piecesBuilt; }
    void countTheme() { ++m_themesBuilt; }
    void countPiece() { ++m_piecesBuilt; }

    // The window system's frame last seen on any window: all top-level
    // windows of a window manager share one frame as a rule.
    QMargins nativeFrame() const { return m_nativeFrame; }
    void setNativeFrame(const QMargins &frame) { m_nativeFrame = frame; }

    // One keyboard move or size at a time in the process.
    KeyboardMoveSize *keyboardMoveSize() const;
    void setKeyboardMoveSize(KeyboardMoveSize *session);

    // Qt's accessibility asks `factory` for the interfaces of the skin's own
    // widgets from the first call on, until the registry goes.
    void installAccessibleFactory(QAccessible::InterfaceFactory factory);

    // The compositor wake-ups FrameRequests::frameChanged() plans: one plan
    // however many windows change their frames at once.
    std::unique_ptr<QTimer> &compositorWake() { return m_compositorWake; }
    int &compositorWakeStep() { return m_compositorWakeStep; }

    FrameRequests::MoveHook &moveHook() { return m_moveHook; }
    FrameRequests::ResizeHook &resizeHook() { return m_resizeHook; }

private:
    SkinRegistry();
    ~SkinRegistry();
    static SkinRegistry &create();
    static void destroy();

    // The one static of the engine.
    static inline SkinRegistry *s_instance = nullptr;

    int m_scheme;
    QList<SkinFrame *> m_frames;
    QHash<QByteArray, std::shared_ptr<const SkinPicture>> m_pictures;
    QHash<std::pair<qint64, int>, QPixmap> m_longTiles;
    int m_themesBuilt = 0;
    int m_piecesBuilt = 0;
    QMargins m_nativeFrame;
    QPointer<KeyboardMoveSize> m_keyboardMoveSize;
    QList<QAccessible::InterfaceFactory> m_accessibleFactories;
    std::unique_ptr<QTimer> m_compositorWake;
    int m_compositorWakeStep = 0;
    FrameRequests::MoveHook m_moveHook;
    FrameRequests::ResizeHook m_resizeHook;
};

} // namespace tavrelctl
