// The questions the table asks while a game is played: play again at its end, and hand a seat
// to the computer or take it back. Names in them are shown as typed, never read as markup.
#pragma once

#include "engine/TableDisplay.h"

#include <string>

class QWidget;

namespace korvane::questions {

// "Do you want to play again?" under the end-of-game message; true for Yes.
bool PlayAgain(QWidget* parent, const std::string& message);

// The table cannot fit the screen: "Not enough screen resolution.", until the user closes it.
void NotEnoughResolution(QWidget* parent);

// Whether the computer should play a person's seat (toComputer), or a person the computer's.
TableDisplay::Answer SwitchMode(QWidget* parent, bool toComputer);

} // namespace korvane::questions
