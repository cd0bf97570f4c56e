#pragma once

#include <QMargins>
#include <QRect>

namespace tavrelctl {

// Where a window goes when its frame changes between the window system's and
// the skin's, so that its client area stays where it is on the screen. Pure
// arithmetic on rectangles in global coordinates; WindowPlacement asks the
// window system for the result. A window is only ever pushed down, and only
// as far as it takes to keep its title bar on the available area of the
// screen.
class FramePlacement
{
public:
    // The skinned window (its caption and borders included) around `client`.
    static QRect skinned(const QRect &client, const QMargins &skin, const QRect &available);
    // The client rectangle of a window that takes the skin off: `client`,
    // kept below the top of `available` by the native title bar (`nativeTop`
    // high).
    static QRect native(const QRect &client, int nativeTop, const QRect &available);
    // `outer` moved as little as it takes to lie on `available`, its left and
    // top edges first where it is the larger.
    static QRect movedInside(QRect outer, const QRect &available);
    // Just the client area of a skinned window.
    static QRect clientOf(const QRect &skinnedGeometry, const QMargins &skin)
    {
        return skinnedGeometry.marginsRemoved(skin);
    }

private:
    // `top` pushed down to the available area's top where it lies above it.
    static int reachableTop(int top, const QRect &available);
};

} // namespace tavrelctl
