// The pause between the steps of a card flight. The event loop keeps running (painting, mouse,
// menus), but the wait sleeps in the loop instead of spinning on the clock.
#pragma once

#include <cstdint>
#include <functional>

namespace korvane {

// A 32-bit millisecond tick counter. It wraps around after about 49.7 days; every elapsed time
// is taken as the unsigned difference of two readings, which is right across the wrap.
using TickSource = std::function<uint32_t()>;
// Milliseconds of the system's monotonic clock, cut to 32 bits.
uint32_t SystemTicks();

// Asked between waits: true when the flight must stop (the game it belongs to was replaced).
using AbortCheck = std::function<bool()>;

// Lets pending events run at least once, then waits until `ms` milliseconds have passed by
// `ticks`, running the event loop meanwhile (a timer in a local event loop, no busy wait).
// Returns true when the full time passed; false, as soon as it notices, when `abort` turned
// true or the application is quitting. ms <= 0 only runs the pending events.
// Without a QCoreApplication it sleeps instead of running events.
bool Pause(int32_t ms, const AbortCheck& abort = {}, const TickSource& ticks = SystemTicks);

} // namespace korvane
