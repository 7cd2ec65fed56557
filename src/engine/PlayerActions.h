// What a person at the table may do, as the window hands it on: to the rules in a local game,
// or to a table served over the network, which checks each action as the rules would and lets
// the server decide.
#pragma once

#include "engine/Pile.h"

namespace korvane {

class PlayerActions {
public:
    virtual ~PlayerActions() = default;

    // A click on a closed pile.
    virtual void picCloseDeck_Click(int Index) = 0;
    // A double click on a seat's name label.
    virtual void lblPlayer_DblClick(int Index) = 0;
    // The card in hand let go over pile `to` (None: over no pile that takes it).
    virtual void HumanDrop(Pile to) = 0;
    // Pile `to` chosen for the card in hand with the keys.
    virtual void HumanChoose(Pile to) = 0;

    // A person at this computer may act now.
    virtual bool PersonMayAct() const = 0;
    virtual bool MoveInProgress() const = 0;
    // The move a running flight belongs to is over: the flight should stop at once.
    virtual bool RunningMoveAbandoned() const = 0;
};

} // namespace korvane
