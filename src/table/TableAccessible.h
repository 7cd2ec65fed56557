// What a screen reader hears of the table: a name and a value for every pile, a summary of
// every seat, and a sentence for each card that flies. Plain text from the record alone, in
// Latin-1 like the names.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"

#include <cstdint>
#include <string>

namespace korvane::access {

// "Bob's open pile", "Hearts", "Ann's closed pile".
std::string PileName(const GameInfo& g, Pile pile);
// "8 of clubs", "up to 5", "9 cards", "empty".
std::string PileValue(const GameInfo& g, Pile pile);
// "Bob, computer, 12 cards, 1 game lost".
std::string SeatSummary(const GameInfo& g, uint8_t seat);
// The card in hand flying to a pile, said as it starts: "Bob plays the 7 of hearts onto Ann's
// open pile.", "Ann hands a penalty card to Bob.", "The 7 of hearts goes back."
std::string FlightSentence(const GameInfo& g, uint8_t card, Pile to);

// Gives every card picture its value (PictureBox::AccessibleValue) through Qt's accessibility.
// Safe to call more than once.
void InstallPictureAccessibility();

} // namespace korvane::access
