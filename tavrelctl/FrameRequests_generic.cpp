#include "FrameRequests.h"

namespace tavrelctl {

bool FrameRequests::startFromPress(QWindow *, Qt::Edges, const QPointF &)
{
    return false;
}

} // namespace tavrelctl
