#include "table/TableKeys.h"

#include "engine/GameRules.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace korvane {

namespace {

// A ring around the focused pile, drawn over the table but never taking the mouse: black under
// yellow dashes reads on the green cloth and on a white card alike, and never looks like the
// drop highlight, which inverts the card itself.
class FocusFrame : public QWidget {
public:
    explicit FocusFrame(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }
    int line = 3;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const qreal half = line / 2.0;
        const QRectF ring = QRectF(rect()).adjusted(half, half, -half, -half);
        p.setPen(QPen(Qt::black, line));
        p.drawRect(ring);
        QPen dashes(QColor(255, 230, 0), line, Qt::DashLine);
        p.setPen(dashes);
        p.drawRect(ring);
    }
};

} // namespace

TableKeys::TableKeys(KeyTable& table, const GameInfo& game, const SeatRoles& roles,
                     QWidget& surface)
    : QObject(&surface), table_(table), game_(game), roles_(roles),
      frame_(new FocusFrame(&surface)) {}

Pile TableKeys::Home() const {
    const GameInfo& G = game_;
    // A computer's card is not the user's to go back to.
    if (!G.InProgress() || G.CurrentPlayer >= G.Player.size() ||
        G.Player[G.CurrentPlayer].Computer || roles_.Elsewhere(G.CurrentPlayer))
        return Pile::None();
    // The open pile's card when it can be played; else the closed pile, where the turn goes on.
    const Pile hand = HandPile(G);
    if (hand.IsOpen() && !KindsTaking(G, G.CardInHand()).Any())
        return Pile::Closed(G.CurrentPlayer);
    return hand.IsNone() ? Pile::Closed(G.CurrentPlayer) : hand;
}

Pile TableKeys::Toward(int dx, int dy) const {
    const QRect from = table_.PileRect(focused_);
    const int half = from.height() / 2;
    const auto rowOffset = [&](Pile p) {
        return table_.PileRect(p).center().y() - from.center().y();
    };
    const auto across = [&](Pile p) { return table_.PileRect(p).center().x() - from.center().x(); };
    const std::vector<Pile> order = table_.PilesInOrder();
    // Up or down goes to the nearest row in that direction, never past it.
    int row = 0;
    if (dy != 0) {
        row = std::numeric_limits<int>::max();
        for (const Pile p : order) {
            const int off = rowOffset(p) * dy;
            if (off > half)
                row = std::min(row, off);
        }
        if (row == std::numeric_limits<int>::max())
            return Pile::None();
    }
    Pile best = Pile::None();
    int bestScore = std::numeric_limits<int>::max();
    for (const Pile p : order) {
        if (std::abs(rowOffset(p) * (dy == 0 ? 1 : dy) - row) > half || p == focused_)
            continue;
        // Along a row: the next pile that way. Into a row: the pile nearest straight ahead.
        const int score = dx != 0 ? across(p) * dx : std::abs(across(p));
        if ((dx == 0 || score > 0) && score < bestScore) {
            best = p;
            bestScore = score;
        }
    }
    return best;
}

void TableKeys::Focus(Pile pile) {
    const bool changed = pile != focused_;
    focused_ = pile;
    Follow();
    if (changed)
        emit moved();
}

void TableKeys::Follow() {
    const std::vector<Pile> order = table_.PilesInOrder();
    if (std::find(order.begin(), order.end(), focused_) == order.end()) {
        // A pile that has left the table takes the focus with it.
        if (!focused_.IsNone()) {
            focused_ = Pile::None();
            emit moved();
        }
        frame_->hide();
        return;
    }
    auto* frame = static_cast<FocusFrame*>(frame_);
    frame->line = std::max(2, static_cast<int>(std::lround(3 * table_.Zoom())));
    const int m = frame->line + 1;
    frame->setGeometry(table_.PileRect(focused_).adjusted(-m, -m, m, m));
    frame->setVisible(shown_);
    frame->raise();
    frame->update();
}

void TableKeys::PilesSwapped(uint8_t a, uint8_t b) {
    if (focused_ == Pile::Suit(a))
        focused_ = Pile::Suit(b);
    else if (focused_ == Pile::Suit(b))
        focused_ = Pile::Suit(a);
    Follow();
}

void TableKeys::TurnShown() {
    const GameInfo& G = game_;
    if (!G.InProgress() || G.CurrentPlayer >= G.Player.size())
        return;
    const int seat = G.CurrentPlayer;
    if (seat == turnSeat_)
        return;
    turnSeat_ = seat;
    if (G.Player[G.CurrentPlayer].Computer || roles_.Elsewhere(seat))
        return;
    // The frame marks where the person's turn starts, so that his first key acts there; a
    // mouse player is spared it.
    shown_ = last_ != Way::Mouse;
    freshTurn_ = true;
    Focus(Home());
}

void TableKeys::Used(Way way) {
    if (way == last_)
        return;
    last_ = way;
    emit wayChanged();
}

void TableKeys::MouseUsed() {
    shown_ = false;
    frame_->hide();
    Used(Way::Mouse);
}

bool TableKeys::KeyPress(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const std::vector<Pile> order = table_.PilesInOrder();
    const int k = key.key();
    const bool moves = k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Left ||
                       k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down;
    const bool acts = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space;
    if (order.empty() || !(moves || acts || k == Qt::Key_Escape))
        return false;
    const auto at = std::find(order.begin(), order.end(), focused_);
    const auto n = static_cast<long>(order.size());
    const long i = at == order.end() ? -1 : at - order.begin();
    // The first Tab of a turn goes to the person's own pile, wherever the frame was.
    const bool tab = k == Qt::Key_Tab || k == Qt::Key_Backtab;
    const bool toHome = tab && freshTurn_;
    const bool hidden = !shown_ || i < 0 || toHome;
    shown_ = true;
    Used(Way::Keys);
    const Pile home = Home().IsNone() ? order.front() : Home();
    if (moves)
        freshTurn_ = false;
    if (k == Qt::Key_Escape) {
        Focus(Home().IsNone() ? focused_ : Home());
    } else if (acts) {
        if (i < 0)
            Focus(home);
        Follow();
        Activate();
    } else if (hidden) {
        // A frame out of sight first comes back where it was (or to the person's own pile):
        // the first key shows the player where he is before it moves him.
        Focus(i >= 0 && !toHome ? focused_ : home);
    } else if (tab) {
        Focus(order[static_cast<std::size_t>((i + (k == Qt::Key_Tab ? 1 : n - 1)) % n)]);
    } else {
        const int dx = k == Qt::Key_Left ? -1 : k == Qt::Key_Right ? 1 : 0;
        const int dy = k == Qt::Key_Up ? -1 : k == Qt::Key_Down ? 1 : 0;
        const Pile next = Toward(dx, dy);
        if (!next.IsNone())
            Focus(next);
        else
            Follow();
    }
    return true;
}

void TableKeys::Activate() {
    if (focused_.IsClosed())
        table_.KeyClick(focused_);
    else if (focused_.IsSuit() || focused_.IsOpen())
        table_.KeyDrop(focused_);
}

} // namespace korvane
