#pragma once

namespace Platform {

// Whether a translucent top-level window is drawn translucent here. Without
// a compositing manager an X server shows its transparent parts black, so
// popups then draw an opaque frame without their shadow margin.
bool translucentWindowsWork();

} // namespace Platform
