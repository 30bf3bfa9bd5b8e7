#pragma once

#include <functional>

class QObject;

namespace Platform {

// Turns the signals that end a session (SIGTERM from a logout, a power
// action or a package upgrade; SIGINT; SIGHUP) into calls of `handler` on
// the thread of `context`, through the event loop, so that the program
// can save everything and quit cleanly. `handler` gets the signal number.
// The delivery lives as long as `context`. False when it cannot be set up.
bool installQuitSignals(QObject *context, std::function<void(int)> handler);

} // namespace Platform
