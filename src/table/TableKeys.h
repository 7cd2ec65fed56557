// The keyboard at the table: a focus frame over one pile, moved by Tab, Shift+Tab and the arrow
// keys, and Enter or Space to act on that pile as a click or a drop would.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"
#include "engine/SeatRoles.h"

#include <QObject>
#include <QRect>

#include <vector>

class QKeyEvent;
class QWidget;

namespace korvane {

// What the keys need of the table, and no more.
class KeyTable {
public:
    // Every pile shown, in the order Tab visits them; empty while no table is shown.
    virtual std::vector<Pile> PilesInOrder() const = 0;
    // Where a pile lies on the table.
    virtual QRect PileRect(Pile pile) const = 0;
    virtual double Zoom() const = 0;
    // Enter on a closed pile: the click of the mouse there.
    virtual void KeyClick(Pile closed) = 0;
    // Enter on a suit or open pile: the card in hand goes there, or tries to.
    virtual void KeyDrop(Pile to) = 0;

protected:
    ~KeyTable() = default;
};

class TableKeys : public QObject {
    Q_OBJECT
public:
    // The frame is drawn on surface, over the piles.
    TableKeys(KeyTable& table, const GameInfo& game, const SeatRoles& roles, QWidget& surface);

    Pile Focused() const { return focused_; }
    QWidget* Frame() const { return frame_; }
    // Handles a key pressed on the table; false for a key the table has no use for.
    bool KeyPress(const QKeyEvent& key);
    // The piles were laid out again, shown or hidden: the frame goes with its pile.
    void Follow();
    // Suit piles a and b changed places; the focus stays on the place, not the picture.
    void PilesSwapped(uint8_t a, uint8_t b);
    // The table shows the current player's turn: a person's turn starts with the frame on his
    // card in hand when it can be played, else on his closed pile.
    void TurnShown();
    // The person played with the mouse: the frame steps aside until his next key.
    void MouseUsed();
    // Whether the person's last action was a key (not the mouse, nor nothing yet).
    bool KeysLastUsed() const { return last_ == Way::Keys; }
    // A new table: the next turn shown starts afresh.
    void Forget() { turnSeat_ = -1; }

signals:
    void moved();
    // The person switched between the mouse and the keys.
    void wayChanged();

private:
    enum class Way : uint8_t { None, Mouse, Keys };
    void Used(Way way);
    Pile Home() const;
    // The next pile from the focused one along its row (dx), or in the next row up or down (dy)
    // nearest below it; None at the table's edge.
    Pile Toward(int dx, int dy) const;
    void Focus(Pile pile);
    void Activate();

    KeyTable& table_;
    const GameInfo& game_;
    const SeatRoles& roles_;
    QWidget* frame_;
    Pile focused_;
    int turnSeat_ = -1;
    bool shown_ = false;
    // No key has moved the frame since the turn began.
    bool freshTurn_ = false;
    Way last_ = Way::None;
};

} // namespace korvane
