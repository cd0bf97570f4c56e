#include "FramePlacement.h"

namespace tavrelctl {

QRect FramePlacement::movedInside(QRect outer, const QRect &available)
{
    outer.moveLeft(qMax(available.left(),
                        qMin(outer.left(), available.right() + 1 - outer.width())));
    outer.moveTop(qMax(available.top(),
                       qMin(outer.top(), available.bottom() + 1 - outer.height())));
    return outer;
}

int FramePlacement::reachableTop(int top, const QRect &available)
{
    if (available.isEmpty())
        return top; // nothing known about the screen: keep the place
    return qMax(top, available.top());
}

QRect FramePlacement::skinned(const QRect &client, const QMargins &skin, const QRect &available)
{
    QRect outer = client.marginsAdded(skin);
    outer.moveTop(reachableTop(outer.top(), available));
    return outer;
}

QRect FramePlacement::native(const QRect &client, int nativeTop, const QRect &available)
{
    QRect placed = client;
    placed.moveTop(reachableTop(client.top() - nativeTop, available) + nativeTop);
    return placed;
}

} // namespace tavrelctl
