#pragma once

namespace Platform {

// The system's display scale: logical dots per inch of the primary screen / 96.
// Needs the application object.
double systemScale();

} // namespace Platform
