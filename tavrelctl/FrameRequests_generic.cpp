#include "FrameRequests.h"

namespace tavrelctl {

bool FrameRequests::startFromPress(QWindow *, Qt::Edges, const QPointF &)
{
    return false;
}

FrameRequests::AskedPlace FrameRequests::placeFromHints(const QWindow *)
{
    return AskedPlace::Unknown;
}

void FrameRequests::wakeCompositor() {}

} // namespace tavrelctl
