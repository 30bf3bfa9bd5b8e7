#pragma once

namespace Platform {

// The system's display scale: logical dots per inch of the primary screen / 96,
// as the system sets it, before any scaling of the toolkit's own (automatic
// high-DPI scaling, QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS): a scale that
// changes while that scaling is on must still be seen. Needs the
// application object.
double systemScale();

} // namespace Platform
