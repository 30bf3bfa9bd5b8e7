#pragma once

#include <functional>

// "Now" for the writing workspace. Tests put clocks of their own in, so
// timers never wait for real time.
namespace CreationClock {

// Whole seconds on the server's clock: the times written with a change.
int now();
// An empty function puts the store's clock back.
void setSource(std::function<int()> source);

// Whole seconds on a clock that only goes forward (since the program
// started): what decides when to save and whether the author is typing,
// so that the wall clock set back never holds a save up. Without a source
// of its own it follows the source of now() when a test set one.
int monotonic();
void setMonotonicSource(std::function<int()> source);

} // namespace CreationClock
