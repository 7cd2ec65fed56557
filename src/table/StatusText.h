// The status line below the table: whose turn it is, what a person may do, why he was just
// charged a penalty, and how to start a game. Plain text, decided from the record alone, in
// Latin-1 like the names.
#pragma once

#include "engine/GameRecord.h"
#include "engine/TableDisplay.h"

#include <cstdint>
#include <string>

namespace korvane::status {

// "7 of hearts", "Ace of spades".
std::string CardName(uint8_t card);
// "Ace", "7", "King"; "clubs", "hearts".
std::string RankName(int rank);
std::string SuitName(int suit);

// The line for the table as the record has it. `lastResult`: the end-of-game message of the
// game just over, if any, shown until the next game is on the table.
std::string TurnLine(const GameInfo& g, const std::string& lastResult);

// What a person did, what he could have played and where, and how many cards he was given.
std::string PenaltyText(const GameInfo& g, const PenaltyNote& note);

// The seat labels' tooltip.
std::string LabelTip();

} // namespace korvane::status
