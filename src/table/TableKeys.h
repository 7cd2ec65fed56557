// The keyboard at the table: a focus frame over one pile, moved by Tab, Shift+Tab and the arrow
// keys, and Enter or Space to act on that pile as a click or a drop would.
#pragma once

#include "engine/Pile.h"

#include <QObject>
#include <QRect>

#include <vector>

class QKeyEvent;
class QWidget;

namespace korvane {

class frmKorvane;

class TableKeys : public QObject {
    Q_OBJECT
public:
    explicit TableKeys(frmKorvane& window);

    Pile Focused() const { return focused_; }
    // The frame, shown from the first key the table handles on: a mouse player never sees it.
    QWidget* Frame() const { return frame_; }
    // Handles a key pressed on the table; false for a key the table has no use for.
    bool KeyPress(const QKeyEvent& key);
    // The piles were laid out again, shown or hidden: the frame goes with its pile.
    void Follow();
    // Suit piles a and b changed places; the focus stays on the place, not the picture.
    void PilesSwapped(uint8_t a, uint8_t b);
    // The table shows the current player's turn; a person's turn starts on his card in hand.
    void TurnShown();
    // A new table: the next turn shown starts afresh.
    void Forget() { turnSeat_ = -1; }

signals:
    void moved();

private:
    // Every pile the table shows, in seat order, then the suit places left to right.
    std::vector<Pile> Order() const;
    QRect Rect(Pile pile) const;
    // The pile of the current player's card in hand.
    Pile Home() const;
    // The nearest pile from the focused one in direction (dx, dy), or None.
    Pile Toward(int dx, int dy) const;
    void Focus(Pile pile);
    void Activate();

    frmKorvane& w_;
    QWidget* frame_;
    Pile focused_;
    int turnSeat_ = -1;
    bool used_ = false;
};

} // namespace korvane
