// What a screen reader hears of the table: a name and a value for every pile, a summary of
// every seat, and a sentence for each card that flies. Plain text from the record alone, in
// Latin-1 like the names.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"
#include "engine/SeatRoles.h"

#include <cstdint>
#include <functional>
#include <string>

namespace korvane {
class TableSurface;
}

namespace korvane::access {

// "Bob's open pile", "Hearts", "Ann's closed pile".
std::string PileName(const GameInfo& g, Pile pile);
// "8 of clubs", "up to 5", "9 cards", "empty". `seen`: the drawing code a sighted player sees
// on the pile's top, which is all the value tells of an open or suit pile.
std::string PileValue(const GameInfo& g, Pile pile, uint8_t seen);
// "Bob, computer, 12 cards, 1 game lost".
std::string SeatSummary(const GameInfo& g, uint8_t seat, const SeatRoles& roles = {});
// The card in hand flying to a pile, said as it starts: "Bob plays the 7 of hearts onto Ann's
// open pile.", "Ann hands a penalty card to Bob.", "The 7 of hearts goes back."
std::string FlightSentence(const GameInfo& g, uint8_t card, Pile to);

// Names and values of every pile and seat of the first `seats` seats shown on `table`. `seen`:
// the drawing code seen on a pile's top.
void DescribeTable(const TableSurface& table, const GameInfo& g, int seats,
                   const std::function<uint8_t(Pile)>& seen, const SeatRoles& roles = {});

// Gives every card picture its value (PictureBox::AccessibleValue) through Qt's accessibility.
// Safe to call more than once.
void InstallPictureAccessibility();

} // namespace korvane::access
