// The status line below the table: whose turn it is, what a person may do, why he was just
// charged a penalty, and how to start a game. Plain text, decided from the record alone, in
// Latin-1 like the names.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"
#include "engine/SeatRoles.h"
#include "engine/TableDisplay.h"

#include <cstdint>
#include <string>

namespace korvane::status {

// "7 of hearts", "Ace of spades".
std::string CardName(uint8_t card);
// "Ace", "7", "King"; "clubs", "hearts".
std::string RankName(int rank);
std::string SuitName(int suit);

// How the person last played; the line names his way first and the other beside it.
enum class Input : uint8_t { Mouse, Keys };

// The line for the table as the record has it. `lastResult`: the end-of-game message of the
// game just over, if any, shown until the next game is on the table. Where the card in hand may
// go is named only as far as the tips show it (ShowTip), and then only the kinds of place that
// take it now.
std::string TurnLine(const GameInfo& g, const std::string& lastResult, Input last = Input::Mouse,
                     const SeatRoles& roles = {});

// What a person did, what he could have played and where, and how many cards he is given: "are
// being handed over" while they fly, "were handed over" once they have arrived.
// Told to the person charged; of a person at another computer, said of him by name.
std::string PenaltyText(const GameInfo& g, const PenaltyNote& note, bool cardsFlying,
                        const SeatRoles& roles = {});

// Why Enter or Space on pile `focused` does nothing now; empty when the key acts (a pile that
// does not take the card in hand is an action: the card flies there and back). `moving`: a
// flight, tip or drag is under way.
std::string KeyRefusal(const GameInfo& g, Pile focused, bool moving, const SeatRoles& roles = {});

// The seat labels' tooltip.
std::string LabelTip();

} // namespace korvane::status
