// Matching a card flight to the screen it is seen on.
//
// Every step of a flight is a position the card is meant to be seen at. A screen shows a new
// picture once a frame (about 17 ms at 60 Hz), so steps a millisecond or two apart would mostly
// never reach it: the card would seem to jump. So after the card is placed, the window draws it
// there at once, and the step lasts a frame of the screen before its own pause (MoveSpeed)
// begins. The steps themselves, their positions and their number are the plan's.
#pragma once

#include "movement/DragFlight.h"

#include <cstdint>
#include <functional>

class QWidget;

namespace korvane {

// What a flight needs from the screen it is seen on.
struct FlightScreen {
    // Draws what the last placing changed (the card's new place and the table it uncovered)
    // and hands it to the window system before returning. Empty: nothing to draw.
    std::function<void()> present;
    // The screen's refresh rate; 0 (or anything unusable) when it is not known.
    double refreshHz = 0;
};

// Whole milliseconds of one frame of a screen refreshing `hz` times a second, rounded to the
// nearest. Unknown rates (not finite, or below 1 Hz) count as 60 Hz; rates below 20 Hz as 20,
// so that a screen that misreports cannot make a flight crawl.
int32_t FrameMs(double hz);

// The screen `pic` is on: present draws every pending change of its window at once and flushes
// it; the rate is that of the window's QScreen. Safe when `pic` is destroyed before present is
// called.
FlightScreen ScreenOf(QWidget& pic);

// The pause after each step of a flight seen on `screen`: presents the position just placed,
// then pauses (through `pause`) one frame plus the step's own `wait`.
PauseFn PacedPause(const FlightScreen& screen, PauseFn pause);

} // namespace korvane
