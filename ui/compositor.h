#pragma once

namespace ui {

// Whether a compositing manager runs, so translucent windows (drop shadows) can be used.
bool CompositorRunning();

}  // namespace ui
