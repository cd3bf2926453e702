#pragma once

class QWidget;

// What the desktop's window system is asked and told beyond what Qt offers.
namespace ui {

// Whether a compositing manager runs, so translucent windows (drop shadows) can be used.
bool CompositorRunning();

// Keeps a top-level window out of the task bar and the pager (the window manager's
// _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER), for popups that come and go by
// themselves. Call before the window is first shown; does nothing off X11.
void KeepOutOfTaskbar(QWidget* window);

}  // namespace ui
