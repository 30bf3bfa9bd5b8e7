#pragma once

#include <functional>

// "Now" for the writing workspace: whole seconds on the server's clock.
// Tests put a clock of their own in, so timers never wait for real time.
namespace CreationClock {

int now();
// An empty function puts the store's clock back.
void setSource(std::function<int()> source);

} // namespace CreationClock
