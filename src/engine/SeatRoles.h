// Who plays each seat when the table is served over the network. The game record knows people
// and the computer only; at a network table some people sit at other computers, and the window
// must neither hand their turns to the person here nor word the line as if he could act.
#pragma once

#include "engine/GameRecord.h"

#include <bitset>

namespace korvane {

struct SeatRoles {
    // A person at another computer plays it.
    std::bitset<MaxPlayers> elsewhere;
    // Played at this computer, and marked as the user's own.
    std::bitset<MaxPlayers> own;
    // Before the first deal: nobody has taken this seat yet.
    std::bitset<MaxPlayers> waiting;
    // A network game.
    bool network = false;

    bool Elsewhere(int seat) const {
        return seat >= 0 && seat < MaxPlayers && elsewhere.test(seat);
    }
    bool Waiting(int seat) const { return seat >= 0 && seat < MaxPlayers && waiting.test(seat); }
    bool Own(int seat) const { return seat >= 0 && seat < MaxPlayers && own.test(seat); }
    friend bool operator==(const SeatRoles&, const SeatRoles&) = default;
};

} // namespace korvane
