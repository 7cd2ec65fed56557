// Which image each pile shows and how each label reads, decided from the game record alone.
// The window only carries these decisions out, so they can be checked without widgets.
#pragma once

#include "engine/GameRecord.h"
#include "engine/SeatRoles.h"

#include <cstdint>
#include <optional>
#include <string>

namespace korvane::paint {

struct Look {
    uint8_t code = DrawCode::Nothing;
    bool inverse = false;
    friend bool operator==(const Look&, const Look&) = default;
};

// The card in hand as the drag picture shows it: nothing when it is hidden.
struct DragState {
    bool visible = false;
    std::optional<int> card; // the number in the picture's tag
};

// A seat's closed pile. It never shows a highlight.
uint8_t CloseDeckCode(const GameInfo& g, uint8_t I, const DragState& drag);
// A seat's open pile; the highlight shows only with outline dragging on.
Look OpenDeckLook(const GameInfo& g, uint8_t I, bool Inverse);
// The current player's open pile while its top card is in hand: the card beneath shows, and
// the highlight does not depend on outline dragging.
Look BeneathTopLook(const GameInfo& g, uint8_t I, bool Inverse);
Look SuitLook(const GameInfo& g, uint8_t I, bool Inverse);

struct LabelLook {
    std::string text;     // Latin-1, like the names
    bool current = false; // red and bold
    bool italic = false;  // a computer seat
};
LabelLook PlayerLabel(const GameInfo& g, uint8_t I, const SeatRoles& roles = {});

// The window's title, with the open saved game's title when there is one.
std::string Caption(const std::string& FileTitle);

// Whether seat I exists in the record.
bool SeatExists(const GameInfo& g, uint8_t I);

} // namespace korvane::paint
