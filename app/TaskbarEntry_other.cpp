#include "TaskbarEntry.h"

namespace app {

// Qt has no portable "no taskbar entry" for a window of its own. Its one
// near thing, Qt::Tool, makes a tool window instead: a transient of the
// whole program under X11 (kept above the program's other windows by some
// window managers) and a panel that hides with the program on macOS. The
// window keeps its entry; Wayland has no standard way to ask at all.
bool TaskbarEntry::leaveOut(QWindow *)
{
    return false;
}

} // namespace app
