#include "net/RemoteGame.h"

#include "engine/GameRules.h"

#include <QJsonArray>

#include <algorithm>

namespace korvane::net {

namespace {

uint8_t CardOr(int card, uint8_t otherwise) {
    return card >= 0 && card < CardsInPack ? static_cast<uint8_t>(card) : otherwise;
}

int Clamp(int n, int hi) {
    return std::clamp(n, 0, hi);
}

PenaltyNote::Deed DeedOf(const QString& deed) {
    if (deed == QLatin1String("turned_card"))
        return PenaltyNote::Deed::TurnedCard;
    if (deed == QLatin1String("turned_pile_over"))
        return PenaltyNote::Deed::TurnedPileOver;
    if (deed == QLatin1String("laid_on_own_pile"))
        return PenaltyNote::Deed::LaidOnOwnPile;
    return PenaltyNote::Deed::Unknown;
}

} // namespace

void MirrorRecord(const TableView& v, OpenStacks& stacks, GameInfo& g) {
    const auto n = static_cast<uint8_t>(std::min<std::size_t>(v.seats.size(), MaxPlayers));
    const bool dealt = v.phase == QLatin1String("playing");
    stacks.resize(n);
    g.Player.resize(n);
    g.PlayerCount = n;
    g.TotalKorvane = static_cast<uint8_t>(
        std::clamp(v.totalKorvane, int{MinPenaltyCards}, int{MaxPenaltyCards}));
    g.KorvanePerTurn = v.korvanePerTurn;
    g.LastChance = v.lastChance;
    g.MistakeMade = false;
    g.CurrentPlayer =
        dealt && v.current >= 0 && v.current < n ? static_cast<uint8_t>(v.current) : 0;
    g.GameState = !dealt                                ? State::NoGame
                  : v.state == QLatin1String("turned")  ? State::Turned
                  : v.state == QLatin1String("penalty") ? State::Penalty
                                                        : State::Playing;
    for (uint8_t i = 0; i < n; ++i) {
        const SeatView& s = v.seats[i];
        PlayerInfo& p = g.Player[i];
        p.SetName(s.name.isEmpty() ? std::string("Waiting for a player")
                                   : s.name.toLatin1().toStdString());
        p.Computer = s.computer;
        p.Lost = s.lost;
        p.CanTake = false;
        ClearDeck(p.CloseDeck);
        ClearDeck(p.OpenDeck);
        // Face down, so never drawn: any card will do as the stand-in.
        p.CloseDeck.Count = static_cast<uint8_t>(Clamp(s.closed, CardsInPack));
        std::fill_n(p.CloseDeck.Card.begin(), p.CloseDeck.Count, uint8_t{0});
        if (g.GameState == State::Turned && i == g.CurrentPlayer && p.CloseDeck.Count > 0)
            p.CloseDeck.Card[0] = CardOr(v.turned, 0);
        std::vector<int>& stack = stacks[i];
        const int open = Clamp(s.open, CardsInPack);
        if (static_cast<int>(stack.size()) != open || (open > 0 && stack.back() != s.openTop))
            stack.assign(static_cast<std::size_t>(open), s.openTop);
        p.OpenDeck.Count = static_cast<uint8_t>(open);
        for (int k = 0; k < open; ++k)
            p.OpenDeck.Card[static_cast<std::size_t>(k)] =
                CardOr(stack[static_cast<std::size_t>(k)], 0);
    }
    // A suit pile holds its suit from the Ace up: its count says every card in it.
    for (uint8_t s = 0; s < SuitPiles; ++s) {
        CardDeck& d = g.SuitDeck[s];
        ClearDeck(d);
        d.Count = static_cast<uint8_t>(dealt ? Clamp(v.suits[s].count, 13) : 0);
        for (uint8_t r = 0; r < d.Count; ++r)
            d.Card[r] = static_cast<uint8_t>(r * 4 + s);
    }
}

SeatRoles RolesOf(const TableView& v, const std::vector<int>& own) {
    SeatRoles r;
    r.network = true;
    for (std::size_t i = 0; i < v.seats.size() && i < MaxPlayers; ++i) {
        const SeatView& s = v.seats[i];
        const bool mine = std::find(own.begin(), own.end(), static_cast<int>(i)) != own.end();
        const bool waiting = v.phase == QLatin1String("lobby") && s.person && s.name.isEmpty();
        r.waiting.set(i, waiting);
        r.own.set(i, mine);
        r.elsewhere.set(i, s.person && !mine && !waiting);
    }
    return r;
}

PenaltyNote NoteFromJson(const QJsonObject& e) {
    PenaltyNote note;
    note.seat = static_cast<uint8_t>(Clamp(e["seat"].toInt(), MaxPlayers - 1));
    note.deed = DeedOf(e["deed"].toString());
    note.card = CardOr(e["card"].isDouble() ? e["card"].toInt() : -1, NoCard);
    for (const QJsonValue& p : e["places"].toArray()) {
        const std::optional<Pile> pile = PileFromJson(p.toObject()["pile"]);
        if (!pile)
            continue;
        const QJsonValue top = p.toObject()["top"];
        note.places.push_back({*pile, CardOr(top.isDouble() ? top.toInt() : -1, NoCard)});
    }
    note.cards = Clamp(e["cards"].toInt(), CardsInPack);
    return note;
}

// The person's own card in flight, or a show of events: either holds the card in hand, so the
// other waits, and events that came meanwhile are shown once it is done.
class RemoteGame::Busy {
public:
    explicit Busy(RemoteGame& r, bool pumpAfter = true)
        : r_(r), outer_(r.showing_), pumpAfter_(pumpAfter) {
        r_.showing_ = true;
        r_.activeEpoch_ = r_.epoch_;
    }
    ~Busy() {
        r_.showing_ = outer_;
        if (!outer_ && pumpAfter_)
            QMetaObject::invokeMethod(
                &r_, [r = &r_] { r->Pump(); }, Qt::QueuedConnection);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    RemoteGame& r_;
    bool outer_;
    bool pumpAfter_;
};

RemoteGame::RemoteGame(mdlGlobal& global, TableDisplay& display, QObject* parent)
    : QObject(parent), g_(global), d_(display) {
    connect(&client_, &Client::received, this, &RemoteGame::Received);
    connect(&client_, &Client::lost, this, &RemoteGame::Lost);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] {
        client_.Open(server_, {{"type", "rejoin"}, {"code", code_}, {"token", token_}});
    });
}

RemoteGame::~RemoteGame() {
    // A window closing mid-flight: whatever still flies for this table stops.
    ++epoch_;
    client_.Close();
}

void RemoteGame::Connect(const QUrl& server, const QJsonObject& first) {
    server_ = server;
    seated_ = false;
    reconnecting_ = false;
    client_.Open(server, first);
}

void RemoteGame::Leave() {
    if (seated_)
        client_.Send({{"type", "leave"}});
    retry_.stop();
    seated_ = false;
    ++epoch_;
    queue_.clear();
    client_.Close();
}

void RemoteGame::Start() {
    Send({{"type", "start"}});
}

void RemoteGame::PlayAgain() {
    Send({{"type", "play_again"}});
}

void RemoteGame::DropConnection() {
    client_.Close();
    Lost(tr("The connection was dropped."));
}

bool RemoteGame::Creator() const {
    return seated_ && OwnSeat(view_.creator);
}

QString RemoteGame::CreatorName() const {
    const auto seat = static_cast<std::size_t>(view_.creator);
    return view_.creator >= 0 && seat < view_.seats.size() ? view_.seats[seat].name : QString();
}

bool RemoteGame::CaughtUp() const {
    return queue_.empty() && !showing_ && !moreComing_ && !awaiting_;
}

bool RemoteGame::OwnSeat(int seat) const {
    return std::find(own_.begin(), own_.end(), seat) != own_.end();
}

void RemoteGame::Send(const QJsonObject& m) {
    client_.Send(m);
}

// ---------------------------------------------------------------- From the server

void RemoteGame::Received(const QJsonObject& m) {
    const QString type = m["type"].toString();
    if (type == QLatin1String("welcome")) {
        const std::optional<TableView> view = ViewFromJson(m["view"].toObject());
        if (!view) {
            End(tr("The table sent something this program cannot read."));
            return;
        }
        const bool again = reconnecting_;
        ++epoch_;
        queue_.clear();
        moreComing_ = awaiting_ = false;
        landed_.reset();
        penalty_.reset();
        code_ = m["code"].toString();
        token_ = m["token"].toString();
        own_.clear();
        for (const QJsonValue& s : m["seats"].toArray())
            own_.push_back(s.toInt());
        if (own_.empty())
            own_.push_back(m["seat"].toInt());
        view_ = *view;
        seq_ = m["seq"].toInteger();
        seated_ = true;
        reconnecting_ = false;
        attempt_ = 0;
        ShowWhole();
        tipDue_ = true;
        emit notice(again ? tr("Back at the table.") : QString());
        emit welcomed();
        Pump();
        return;
    }
    if (type == QLatin1String("error")) {
        const QString code = m["code"].toString();
        const QString text = m["message"].toString();
        if (!seated_ && !reconnecting_) {
            client_.Close();
            emit refused(text, code);
            return;
        }
        if (reconnecting_) {
            // The server has not yet seen the old connection go: the next attempt will do.
            if (code == QLatin1String("seat_in_use")) {
                client_.Close();
                Retry();
                return;
            }
            // The seat is gone, or the table: nothing to go back to.
            End(tr("The table could not be reached again: %1").arg(text));
            return;
        }
        // The server did not take the action: its table is the one to show.
        awaiting_ = false;
        landed_.reset();
        ShowWhole();
        emit notice(text);
        Pump();
        return;
    }
    if (type == QLatin1String("table_ended")) {
        End(tr("The table has ended: its host closed it."));
        return;
    }
    if (!m.contains("seq") || !seated_)
        return;
    const int64_t seq = m["seq"].toInteger();
    if (seq <= seq_)
        return;
    seq_ = seq;
    moreComing_ = m["more"].toBool();
    if (!moreComing_)
        awaiting_ = false;
    queue_.push_back(m);
    Pump();
}

void RemoteGame::Lost(const QString& why) {
    if (!seated_ && !reconnecting_) {
        emit refused(tr("The table could not be reached: %1").arg(why), QStringLiteral("network"));
        return;
    }
    if (!seated_ && reconnecting_) {
        Retry();
        return;
    }
    // Whatever was in flight for the lost connection is shown as the server has it later.
    seated_ = false;
    reconnecting_ = true;
    awaiting_ = false;
    attempt_ = 0;
    // The server gives the computer a seat whose person has gone; this window says so too, and
    // no longer offers the person a move he cannot send.
    if (view_.phase == QLatin1String("playing")) {
        for (const int seat : own_) {
            if (seat < 0 || static_cast<std::size_t>(seat) >= view_.seats.size())
                continue;
            view_.seats[static_cast<std::size_t>(seat)].computer = true;
            view_.seats[static_cast<std::size_t>(seat)].connected = false;
        }
        Mirror();
        for (const int seat : own_)
            d_.PrintLabel(static_cast<uint8_t>(seat));
    }
    Retry();
}

void RemoteGame::Retry() {
    if (retry_.isActive())
        return;
    if (attempt_ >= pauses_.size()) {
        End(tr("The table could not be reached again."));
        return;
    }
    const int pause = pauses_[attempt_++];
    const int seconds = std::max(1, (pause + 999) / 1000);
    emit notice(tr("The connection to the table was lost: trying again in %1. Meanwhile the "
                   "computer plays your seat.")
                    .arg(seconds == 1 ? tr("1 second") : tr("%1 seconds").arg(seconds)));
    retry_.start(pause);
}

void RemoteGame::End(const QString& why) {
    retry_.stop();
    seated_ = false;
    reconnecting_ = false;
    ++epoch_;
    queue_.clear();
    moreComing_ = awaiting_ = false;
    client_.Close();
    emit ended(why);
}

// ---------------------------------------------------------------- Showing the events

void RemoteGame::Pump() {
    if (showing_)
        return;
    {
        Busy busy(*this, false);
        for (;;) {
            activeEpoch_ = epoch_;
            if (!queue_.empty()) {
                const QJsonObject e = queue_.front();
                queue_.pop_front();
                Show(e);
                continue;
            }
            if (moreComing_ || !tipDue_ || !seated_)
                break;
            tipDue_ = false;
            // As in local play: a person to move here is shown where the card may go.
            if (ActingSeat() >= 0 && g_.Game.GameState != State::Penalty) {
                g_.FindMoves();
                if (g_.Game.MoveAvailable)
                    d_.GiveTip();
            }
        }
    }
    if (CaughtUp())
        emit caughtUp();
}

void RemoteGame::Show(const QJsonObject& e) {
    const TableView before = view_;
    if (!ApplyEvent(view_, e)) {
        // Out of step with the server: the welcome of a rejoin brings the whole table.
        DropConnection();
        return;
    }
    const QString type = e["type"].toString();
    if (type == QLatin1String("move")) {
        ShowMove(e);
        tipDue_ = true;
    } else if (type == QLatin1String("turn")) {
        Mirror();
        if (before.current >= 0 && before.current != view_.current) {
            d_.PaintOpenDeck(static_cast<uint8_t>(before.current), false);
            d_.PrintLabel(static_cast<uint8_t>(before.current));
        }
        if (view_.current >= 0)
            d_.PrintLabel(static_cast<uint8_t>(view_.current));
        ShowHand();
        tipDue_ = true;
    } else if (type == QLatin1String("turned_over")) {
        const int seat = e["seat"].toInt();
        Mirror();
        d_.HideDragPic();
        PaintPile(Pile::Closed(static_cast<uint8_t>(seat)));
        PaintPile(Pile::Open(static_cast<uint8_t>(seat)));
        ShowHand();
        tipDue_ = true;
    } else if (type == QLatin1String("seat")) {
        ShowSeat(before, e["seat"].toInt());
    } else if (type == QLatin1String("penalty")) {
        penalty_ = NoteFromJson(e);
        penaltyCardsLeft_ = penalty_->cards;
        d_.ShowPenalty(*penalty_, penaltyCardsLeft_ > 0);
        if (penaltyCardsLeft_ == 0)
            penalty_.reset();
    } else if (type == QLatin1String("table")) {
        ShowWhole();
        tipDue_ = true;
        emit lobbyChanged();
    } else if (type == QLatin1String("game_over")) {
        ShowWhole();
        emit gameOver(e["message"].toString());
    }
}

void RemoteGame::ShowMove(const QJsonObject& e) {
    const std::optional<Pile> from = PileFromJson(e["from"]);
    const std::optional<Pile> to = PileFromJson(e["to"]);
    if (!from || !to)
        return;
    const int card = e["card"].isDouble() ? e["card"].toInt() : -1;
    // A penalty card travels face down.
    const uint8_t shown = CardOr(card, g_.Game.DeckBack);
    const bool flown = landed_ && *landed_ == *to;
    landed_.reset();
    if (from->IsOpen() && from->index < stacks_.size() && !stacks_[from->index].empty())
        stacks_[from->index].pop_back();
    if (to->IsOpen() && to->index < stacks_.size() && card >= 0)
        stacks_[to->index].push_back(card);
    if (!flown)
        d_.SetDragPic(*from, shown);
    // The card has left its pile: what lies beneath shows while it flies.
    Mirror();
    PaintPile(*from);
    if (!flown && !d_.AnimateMove(to->Code()))
        return;
    if (RunningMoveAbandoned())
        return;
    d_.HideDragPic();
    PaintPile(*to);
    if (penalty_ && from->IsClosed() && to->IsClosed() && --penaltyCardsLeft_ <= 0) {
        d_.ShowPenalty(*penalty_, false);
        penalty_.reset();
    }
    ShowHand();
}

void RemoteGame::ShowSeat(const TableView& before, int seat) {
    Mirror();
    if (seat < 0 || static_cast<std::size_t>(seat) >= view_.seats.size() ||
        static_cast<std::size_t>(seat) >= before.seats.size())
        return;
    d_.PrintLabel(static_cast<uint8_t>(seat));
    const SeatView& was = before.seats[static_cast<std::size_t>(seat)];
    const SeatView& is = view_.seats[static_cast<std::size_t>(seat)];
    if (view_.phase == QLatin1String("lobby")) {
        emit lobbyChanged();
        if (!is.name.isEmpty() && was.name.isEmpty())
            emit notice(tr("%1 has taken a seat.").arg(is.name));
        return;
    }
    if (OwnSeat(seat) || !is.person)
        return;
    if (was.connected && !is.connected)
        emit notice(tr("%1 has left the table: the computer plays for %1 now.").arg(is.name));
    else if (!was.connected && is.connected)
        emit notice(tr("%1 is back at the table and plays again.").arg(is.name));
    else if (!was.computer && is.computer)
        emit notice(tr("%1 handed the seat to the computer.").arg(is.name));
}

void RemoteGame::ShowWhole() {
    Mirror();
    d_.SetCaption(!view_.seats.empty());
    d_.Form_Resize();
    d_.PaintForm();
}

void RemoteGame::ShowHand() {
    const GameInfo& G = g_.Game;
    if (!G.InProgress() || G.GameState == State::Penalty)
        return;
    const uint8_t c = G.CurrentPlayer;
    if (G.GameState == State::Turned) {
        d_.SetDragPic(Pile::Closed(c), G.CardInHand());
        d_.PaintCloseDeck(c);
        d_.PaintOpenDeck(c, false);
        return;
    }
    d_.SetCurrentPlayer(true, false);
}

void RemoteGame::PaintPile(Pile p) {
    if (p.IsSuit()) {
        d_.PaintSuit(p.index, false);
        return;
    }
    if (p.IsOpen())
        d_.PaintOpenDeck(p.index, false);
    else if (p.IsClosed())
        d_.PaintCloseDeck(p.index);
    if (p.IsOpen() || p.IsClosed())
        d_.PrintLabel(p.index);
}

void RemoteGame::Mirror() {
    MirrorRecord(view_, stacks_, g_.Game);
    const SeatRoles roles = RolesOf(view_, own_);
    if (roles != roles_) {
        roles_ = roles;
        emit rolesChanged(roles_);
    }
}

// ---------------------------------------------------------------- The person's actions

int RemoteGame::ActingSeat() const {
    const GameInfo& G = g_.Game;
    const bool playing = G.GameState == State::Playing || G.GameState == State::Turned;
    if (!seated_ || !playing || !G.InProgress() || view_.phase != QLatin1String("playing") ||
        G.CurrentPlayer >= G.Player.size() || G.Player[G.CurrentPlayer].Computer ||
        !OwnSeat(G.CurrentPlayer))
        return -1;
    return G.CurrentPlayer;
}

bool RemoteGame::PersonMayAct() const {
    return CaughtUp() && ActingSeat() >= 0 && client_.Greeted();
}

bool RemoteGame::MoveInProgress() const {
    return showing_ || awaiting_;
}

void RemoteGame::picCloseDeck_Click(int Index) {
    const GameInfo& G = g_.Game;
    if (!PersonMayAct() || Index != G.CurrentPlayer || G.GameState == State::Turned ||
        !G.Player[G.CurrentPlayer].HoldsCards())
        return;
    awaiting_ = true;
    Send({{"type", "turn_up"}, {"seat", Index}});
}

void RemoteGame::lblPlayer_DblClick(int Index) {
    if (!seated_ || view_.phase != QLatin1String("playing") || !OwnSeat(Index) ||
        static_cast<std::size_t>(Index) >= view_.seats.size())
        return;
    const bool toComputer = !view_.seats[static_cast<std::size_t>(Index)].computer;
    if (d_.AskSwitchMode(static_cast<uint8_t>(Index), toComputer) == TableDisplay::Answer::Yes &&
        seated_)
        Send({{"type", "hand_over"}, {"seat", Index}, {"computer", toComputer}});
}

void RemoteGame::HumanDrop(Pile to) {
    Place(to, false);
}

void RemoteGame::HumanChoose(Pile to) {
    Place(to, true);
}

void RemoteGame::Place(Pile to, bool seen) {
    if (!PersonMayAct())
        return;
    if (PileTakes(g_.Game, to)) {
        Lay(to);
        return;
    }
    // Nothing is sent: the card goes back, after flying to the pile when it was only chosen.
    Busy busy(*this);
    if (seen && (!d_.AnimateMove(to.Code()) || RunningMoveAbandoned()))
        return;
    d_.AnimateMove(Target::None);
    if (!RunningMoveAbandoned())
        ShowHand();
}

void RemoteGame::Lay(Pile target) {
    const GameInfo& G = g_.Game;
    const uint8_t card = G.CardInHand();
    const int seat = G.CurrentPlayer;
    Busy busy(*this);
    if (!d_.AnimateMove(target.Code()) || RunningMoveAbandoned())
        return;
    Pile lands = target;
    // An Ace laid on the empty place of another suit: the places change, as in local play.
    if (target.IsSuit() && Suit(card) != target.index) {
        const auto suit = static_cast<uint8_t>(Suit(card));
        d_.SwapSuitPlaces(target.index, suit);
        lands = Pile::Suit(suit);
    }
    landed_ = lands;
    awaiting_ = true;
    Send({{"type", "lay"}, {"seat", seat}, {"pile", PileToJson(target)}});
}

} // namespace korvane::net
