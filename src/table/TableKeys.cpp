#include "table/TableKeys.h"

#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "table/StatusText.h"
#include "table/frmKorvane.h"

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

TableKeys::TableKeys(frmKorvane& window)
    : QObject(&window), w_(window), frame_(new FocusFrame(window.Table())) {}

std::vector<Pile> TableKeys::Order() const {
    std::vector<Pile> order;
    if (w_.fraSuit()->isHidden())
        return order;
    for (int i = 0; i < w_.SeatsShown(); ++i) {
        if (w_.fraPlayer(i)->isHidden())
            continue;
        order.push_back(Pile::Closed(static_cast<uint8_t>(i)));
        order.push_back(Pile::Open(static_cast<uint8_t>(i)));
    }
    for (int place = 0; place < SuitPiles; ++place)
        for (uint8_t s = 0; s < SuitPiles; ++s)
            if (w_.suitSlot_[s] == place)
                order.push_back(Pile::Suit(s));
    return order;
}

QRect TableKeys::Rect(Pile pile) const {
    return {w_.PilePosition(pile), w_.PileSize()};
}

Pile TableKeys::Home() const {
    const GameInfo& G = w_.g_.Game;
    // A computer's card is not the user's to go back to.
    if (!G.InProgress() || G.CurrentPlayer >= w_.SeatsShown() || G.Player[G.CurrentPlayer].Computer)
        return Pile::None();
    const uint8_t c = G.CurrentPlayer;
    if (G.GameState != State::Turned && !G.Player[c].OpenDeck.Empty())
        return Pile::Open(c);
    return Pile::Closed(c);
}

Pile TableKeys::Toward(int dx, int dy) const {
    const QPoint from = Rect(focused_).center();
    Pile best = Pile::None();
    long bestScore = std::numeric_limits<long>::max();
    for (const Pile p : Order()) {
        const QPoint v = Rect(p).center() - from;
        const long along = static_cast<long>(v.x()) * dx + static_cast<long>(v.y()) * dy;
        const long across =
            std::labs(static_cast<long>(v.x()) * dy - static_cast<long>(v.y()) * dx);
        // Straight ahead beats a near pile off to the side.
        const long score = along + 2 * across;
        if (p != focused_ && along > 0 && score < bestScore) {
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
    const std::vector<Pile> order = Order();
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
    frame->line = std::max(2, static_cast<int>(std::lround(3 * w_.Zoom())));
    const int m = frame->line + 1;
    frame->setGeometry(Rect(focused_).adjusted(-m, -m, m, m));
    frame->setVisible(used_);
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
    const GameInfo& G = w_.g_.Game;
    if (!G.InProgress() || G.CurrentPlayer >= G.Player.size())
        return;
    const int seat = G.CurrentPlayer;
    if (seat == turnSeat_)
        return;
    turnSeat_ = seat;
    if (!G.Player[G.CurrentPlayer].Computer)
        Focus(Home());
}

bool TableKeys::KeyPress(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const std::vector<Pile> order = Order();
    if (order.empty())
        return false;
    const auto at = std::find(order.begin(), order.end(), focused_);
    const auto n = static_cast<long>(order.size());
    const long i = at == order.end() ? -1 : at - order.begin();
    used_ = true;
    switch (key.key()) {
    case Qt::Key_Tab:
        Focus(order[static_cast<std::size_t>((i + 1) % n)]);
        return true;
    case Qt::Key_Backtab:
        Focus(order[static_cast<std::size_t>(i < 0 ? n - 1 : (i + n - 1) % n)]);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (i < 0) {
            Focus(Home().IsNone() ? order.front() : Home());
            return true;
        }
        const int dx = key.key() == Qt::Key_Left ? -1 : key.key() == Qt::Key_Right ? 1 : 0;
        const int dy = key.key() == Qt::Key_Up ? -1 : key.key() == Qt::Key_Down ? 1 : 0;
        const Pile next = Toward(dx, dy);
        if (!next.IsNone())
            Focus(next);
        else
            Follow();
        return true;
    }
    case Qt::Key_Escape:
        if (!Home().IsNone())
            Focus(Home());
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Follow();
        Activate();
        return true;
    default:
        return false;
    }
}

void TableKeys::Activate() {
    GameRules* rules = w_.Rules();
    const GameInfo& G = w_.g_.Game;
    const bool moving = !rules || rules->MoveInProgress() || w_.Dragging();
    w_.KeyRefused(status::KeyRefusal(G, focused_, moving));
    // As with the mouse: one move at a time, and only for a person whose turn it is.
    if (!rules || rules->MoveInProgress() || w_.Dragging() || !G.InProgress() ||
        G.CurrentPlayer >= G.Player.size() || G.Player[G.CurrentPlayer].Computer)
        return;
    if (focused_.IsClosed())
        w_.picCloseDeck_Click(focused_.index);
    else if (focused_.IsSuit() || focused_.IsOpen())
        w_.picDrag_KeyDrop(focused_);
}

} // namespace korvane
