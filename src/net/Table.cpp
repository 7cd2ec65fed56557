#include "net/Table.h"

#include <QJsonArray>
#include <QRandomGenerator>

#include <algorithm>

namespace korvane::net {

namespace {

const QString& PenaltyDeed(PenaltyNote::Deed deed) {
    static const std::array<QString, 4> names{
        QStringLiteral("turned_card"), QStringLiteral("turned_pile_over"),
        QStringLiteral("laid_on_own_pile"), QStringLiteral("unknown")};
    return names.at(static_cast<std::size_t>(deed));
}

QString FromLatin1(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

// Paints nothing: after every change the rules show, the table sends what changed. Flights
// land at once and questions are answered at once (see Table.h).
class Table::Display : public TableDisplay {
public:
    explicit Display(Table& table) : t_(table) {}

    // The card a person sees in hand over a closed pile: the turned card, and only while the
    // rules show it. Read from the record it could be the next face-down card.
    int turned = -1;
    // Between the end of a game and the return of the rules: the card show is not sent.
    bool ended = false;

    void PaintCloseDeck(uint8_t) override { t_.Sync(); }
    void PaintOpenDeck(uint8_t, bool) override { t_.Sync(); }
    void PrintLabel(uint8_t) override { t_.Sync(); }
    void PaintSuit(uint8_t, bool) override { t_.Sync(); }
    void PaintForm() override { t_.Sync(); }
    void SetDragPic(Pile pile, uint8_t dspCard) override {
        turned = -1;
        if (pile.IsClosed() && dspCard < CardsInPack) {
            // A card turned up now, or the same card shown again after a penalty. After a
            // penalty charged as the turned card was laid, the rules show the closed pile's
            // first card for an instant: that is the next face-down card, never sent.
            if (t_.global_.Game.GameState != State::Turned)
                lastTurned_ = dspCard;
            if (dspCard == lastTurned_)
                turned = dspCard;
        }
        t_.Sync();
    }
    void HideDragPic() override {
        turned = -1;
        t_.Sync();
    }
    void SetCurrentPlayer(bool, bool) override {
        if (t_.global_.Game.GameState != State::Turned)
            turned = -1;
        t_.Sync();
    }
    // Pile i always holds suit i; where a client lays the piles out is its own affair.
    void SwapSuitPlaces(uint8_t, uint8_t) override {}
    void SetCaption(bool) override {}
    void UpdateCaption() override {}
    void Form_Resize() override {}
    void SetBusyPointer(bool) override {}
    void HidePlayerFrames() override {}
    void ShowPenalty(const PenaltyNote& note, bool cardsFlying) override {
        if (cardsFlying)
            t_.Penalty(note);
    }
    bool AnimateMove(uint8_t toPly) override { return toPly != Target::None; }
    void GiveTip() override { t_.Sync(); }
    void CardShowFlight(uint8_t, uint8_t) override {}
    Seating AskPlayers() override { return t_.seating_; }
    bool AskPlayAgain(const std::string& message) override {
        t_.GameOver(message);
        return false;
    }
    Answer AskSwitchMode(uint8_t, bool) override { return Answer::Cancel; }

private:
    Table& t_;
    int lastTurned_ = -1;
};

Table::Table(const QString& code, TableOutput& out, TableSettings settings)
    : code_(code), out_(out), settings_(std::move(settings)), global_(settings_.seeds),
      display_(std::make_unique<Display>(*this)),
      rules_(std::make_unique<GameRules>(global_, *display_)) {
    global_.SetDefaults();
}

Table::~Table() {
    rules_->Shutdown();
}

std::variant<std::unique_ptr<Table>, Refusal> Table::Create(const QString& code,
                                                            const Message& create, ClientId creator,
                                                            TableOutput& out,
                                                            TableSettings settings) {
    std::unique_ptr<Table> t(new Table(code, out, std::move(settings)));
    GameInfo& G = t->global_.Game;
    G.TotalKorvane = static_cast<uint8_t>(create.totalKorvane);
    G.KorvanePerTurn = create.korvanePerTurn;
    G.LastChance = create.lastChance;
    // Clients that predate seats held `here` name none and hold the first person's seat.
    const bool anyHere = std::any_of(create.seats.begin(), create.seats.end(),
                                     [](const SeatRequest& r) { return r.person && r.here; });
    const QString token = NewToken();
    bool creatorSeated = false;
    for (const SeatRequest& r : create.seats) {
        Seat s;
        s.person = r.person;
        s.computer = !r.person;
        const bool held = r.person && (anyHere ? r.here : !creatorSeated);
        const bool own = held && !creatorSeated;
        if (!r.person || held) {
            const QString name = (own ? create.name : r.name).trimmed();
            if (std::optional<Refusal> bad = t->CheckName(name))
                return *bad;
            s.name = name;
        }
        if (held) {
            s.token = token;
            s.client = creator;
        }
        if (own) {
            creatorSeated = true;
            t->creator_ = t->seats_.size();
        }
        t->seats_.push_back(s);
    }
    if (!creatorSeated)
        return Refusal{QStringLiteral("no_person_seat"),
                       QStringLiteral("A table needs a seat for a person.")};
    t->sent_ = t->View();
    t->out_.Log(QStringLiteral("table %1 created by %2").arg(code, t->seats_[t->creator_].name));
    return t;
}

QString Table::NewToken() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    QString token;
    for (const quint32 w : words)
        token += QStringLiteral("%1").arg(w, 8, 16, QLatin1Char('0'));
    return token;
}

std::optional<Refusal> Table::CheckName(const QString& name) const {
    if (name.isEmpty())
        return Refusal{QStringLiteral("bad_name"), QStringLiteral("A name cannot be empty.")};
    if (static_cast<std::size_t>(name.size()) > NameLength)
        return Refusal{QStringLiteral("bad_name"),
                       QStringLiteral("A name has at most %1 characters.").arg(NameLength)};
    for (const QChar c : name)
        if (c.unicode() > 0xFF || !c.isPrint())
            return Refusal{QStringLiteral("bad_name"),
                           QStringLiteral("A name is plain text in Western European letters.")};
    for (const Seat& s : seats_)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return Refusal{QStringLiteral("name_taken"),
                           QStringLiteral("Somebody at this table is called that already.")};
    return std::nullopt;
}

std::vector<std::size_t> Table::SeatsOf(ClientId client) const {
    std::vector<std::size_t> held;
    for (std::size_t i = 0; i < seats_.size(); ++i)
        if (client != 0 && seats_[i].client == client)
            held.push_back(i);
    return held;
}

bool Table::Holds(ClientId client, int seat) const {
    return client != 0 && seat >= 0 && static_cast<std::size_t>(seat) < seats_.size() &&
           seats_[static_cast<std::size_t>(seat)].client == client;
}

bool Table::Seated(ClientId client) const {
    return !SeatsOf(client).empty();
}

bool Table::HasPeople() const {
    for (const Seat& s : seats_)
        if (s.client != 0)
            return true;
    return false;
}

void Table::Welcome(ClientId client) {
    const std::vector<std::size_t> held = SeatsOf(client);
    if (held.empty())
        return;
    Sync();
    Flush();
    QJsonArray seats;
    for (const std::size_t i : held)
        seats.append(static_cast<int>(i));
    out_.Send(client, Encode({{"type", "welcome"},
                              {"code", code_},
                              {"seat", static_cast<int>(held.front())},
                              {"seats", seats},
                              {"token", seats_[held.front()].token},
                              {"seq", static_cast<qint64>(seq_)},
                              {"view", ToJson(sent_)}}));
    for (const std::size_t i : held)
        seats_[i].welcomed = true;
}

std::optional<Refusal> Table::Join(ClientId client, const QString& rawName) {
    if (phase_ != Phase::Lobby)
        return Refusal{QStringLiteral("game_started"),
                       QStringLiteral("The game at this table has started.")};
    const QString name = rawName.trimmed();
    if (std::optional<Refusal> bad = CheckName(name))
        return bad;
    for (Seat& s : seats_) {
        if (s.person && s.name.isEmpty()) {
            s.name = name;
            s.token = NewToken();
            s.client = client;
            out_.Log(QStringLiteral("table %1 joined by %2").arg(code_, name));
            Welcome(client);
            return std::nullopt;
        }
    }
    return Refusal{QStringLiteral("table_full"), QStringLiteral("Every seat is taken.")};
}

std::optional<Refusal> Table::Rejoin(ClientId client, const QString& token) {
    std::vector<std::size_t> held;
    for (std::size_t i = 0; i < seats_.size(); ++i)
        if (!seats_[i].token.isEmpty() && seats_[i].token == token)
            held.push_back(i);
    if (held.empty())
        return Refusal{QStringLiteral("no_seat"), QStringLiteral("No seat here has that token.")};
    for (const std::size_t i : held)
        if (seats_[i].client != 0)
            return Refusal{QStringLiteral("seat_in_use"),
                           QStringLiteral("That seat is still connected.")};
    for (const std::size_t i : held) {
        Seat& s = seats_[i];
        s.client = client;
        if (s.tookOver)
            SetComputer(i, false);
        s.tookOver = false;
        out_.Log(QStringLiteral("table %1 rejoined by %2").arg(code_, s.name));
    }
    Welcome(client);
    // Play may have waited for somebody to come back.
    ContinueComputer();
    return std::nullopt;
}

void Table::Disconnected(ClientId client) {
    const std::vector<std::size_t> held = SeatsOf(client);
    if (held.empty())
        return;
    for (const std::size_t i : held) {
        Seat& s = seats_[i];
        s.client = 0;
        s.welcomed = false;
        out_.Log(QStringLiteral("table %1 left by %2").arg(code_, s.name));
        if (phase_ == Phase::Playing && !global_.Game.Player[i].Computer) {
            s.tookOver = true;
            SetComputer(i, true);
        }
    }
    if (std::find(held.begin(), held.end(), creator_) != held.end())
        PassCreator();
    Sync();
    ContinueComputer();
    Flush();
}

void Table::PassCreator() {
    for (std::size_t i = 0; i < seats_.size(); ++i) {
        if (seats_[i].client != 0) {
            creator_ = i;
            return;
        }
    }
}

void Table::SetComputer(std::size_t seat, bool computer) {
    seats_[seat].computer = computer;
    if (phase_ == Phase::Playing && seat < global_.Game.Player.size())
        global_.Game.Player[seat].Computer = computer;
}

std::optional<Refusal> Table::CanPlay(ClientId client, int named) const {
    const GameInfo& G = global_.Game;
    if (phase_ != Phase::Playing || !G.InProgress())
        return Refusal{QStringLiteral("no_game"), QStringLiteral("No game is being played.")};
    if (!Holds(client, named))
        return Refusal{QStringLiteral("not_your_seat"),
                       QStringLiteral("You may act only for your own seat.")};
    const auto seat = static_cast<std::size_t>(named);
    if (G.Player[seat].Computer)
        return Refusal{QStringLiteral("computer_plays"),
                       QStringLiteral("The computer plays your seat; take it back first.")};
    if (G.CurrentPlayer != seat)
        return Refusal{QStringLiteral("not_your_turn"), QStringLiteral("It is not your turn.")};
    return std::nullopt;
}

void Table::Handle(ClientId client, const Message& m) {
    if (!Seated(client))
        return;
    const std::optional<Refusal> no = Act(client, m);
    Flush();
    if (no)
        out_.Send(client, Encode(ErrorMessage(no->code, no->text, TypeName(m.type))));
}

std::optional<Refusal> Table::Act(ClientId client, const Message& m) {
    GameInfo& G = global_.Game;
    using T = Message::Type;
    switch (m.type) {
    case T::Start:
    case T::PlayAgain: {
        if (!Holds(client, static_cast<int>(creator_)))
            return Refusal{QStringLiteral("not_creator"),
                           QStringLiteral("Only the creator of the table starts a game.")};
        const Phase wanted = m.type == T::Start ? Phase::Lobby : Phase::Over;
        if (phase_ != wanted)
            return Refusal{QStringLiteral("wrong_phase"),
                           m.type == T::Start ? QStringLiteral("The game has started already.")
                                              : QStringLiteral("A game is still being played.")};
        StartGame();
        return std::nullopt;
    }
    case T::TurnUp:
        if (std::optional<Refusal> no = CanPlay(client, m.seat))
            return no;
        if (G.GameState == State::Turned)
            return Refusal{QStringLiteral("card_in_hand"),
                           QStringLiteral("Lay the card you turned up first.")};
        Run([this, &m] { rules_->picCloseDeck_Click(m.seat); });
        return std::nullopt;
    case T::Lay:
        if (std::optional<Refusal> no = CanPlay(client, m.seat))
            return no;
        if (!PileTakes(G, m.pile))
            return Refusal{QStringLiteral("pile_refuses"),
                           QStringLiteral("That pile does not take the card in hand.")};
        Run([this, &m] { rules_->HumanDrop(m.pile); });
        return std::nullopt;
    case T::HandOver:
        if (phase_ != Phase::Playing)
            return Refusal{QStringLiteral("no_game"), QStringLiteral("No game is being played.")};
        if (!Holds(client, m.seat))
            return Refusal{QStringLiteral("not_your_seat"),
                           QStringLiteral("You may hand over only your own seat.")};
        seats_[static_cast<std::size_t>(m.seat)].tookOver = false;
        SetComputer(static_cast<std::size_t>(m.seat), m.computer);
        // His turn, handed over: the computer plays it now.
        Run([this] { rules_->picTurn_GotFocus(); });
        return std::nullopt;
    case T::Leave:
        Disconnected(client);
        return std::nullopt;
    case T::Hello:
    case T::Create:
    case T::Join:
    case T::Rejoin:
        break;
    }
    return Refusal{QStringLiteral("at_table"),
                   QStringLiteral("You are seated at a table already.")};
}

void Table::StartGame() {
    if (phase_ == Phase::Lobby) {
        // Empty seats for people go to the computer.
        for (std::size_t i = 0; i < seats_.size(); ++i) {
            Seat& s = seats_[i];
            if (!s.person || !s.name.isEmpty())
                continue;
            QString name = QStringLiteral("Computer %1").arg(i + 1);
            while (CheckName(name))
                name += QLatin1Char('\'');
            s.name = name;
            s.person = false;
            s.computer = true;
        }
    }
    seating_ = {};
    seating_.choice = Seating::Choice::Play;
    for (const Seat& s : seats_) {
        PlayerInfo p;
        p.SetName(s.name.toLatin1().toStdString());
        p.Computer = s.computer || s.client == 0;
        p.Lost = s.lost;
        seating_.players.push_back(p);
    }
    for (Seat& s : seats_)
        s.tookOver = s.person && s.client == 0;
    phase_ = Phase::Playing;
    out_.Log(QStringLiteral("table %1 game started").arg(code_));
    Run([this] { rules_->mnGameNew_Click(); });
}

void Table::Run(const std::function<void()>& entry) {
    rules_->SetMoveLimit(rules_->Stats().moves + settings_.computerSlice);
    entry();
    display_->ended = false;
    Sync();
    const GameInfo& G = global_.Game;
    // The slice ran out with the computer still to move, while somebody watches: more later.
    if (phase_ == Phase::Playing && G.InProgress() && HasPeople() &&
        G.Player[G.CurrentPlayer].Computer)
        out_.ContinueLater(*this);
}

void Table::ContinueComputer() {
    const GameInfo& G = global_.Game;
    if (phase_ == Phase::Playing && G.InProgress() && HasPeople() &&
        G.Player[G.CurrentPlayer].Computer)
        Run([this] { rules_->picTurn_GotFocus(); });
    Flush();
}

GameInfo Table::SaveableRecord() const {
    GameInfo r = rules_->SaveableRecord();
    if (phase_ == Phase::Lobby)
        return r;
    for (std::size_t i = 0; i < seats_.size() && i < r.Player.size(); ++i) {
        const Seat& s = seats_[i];
        // Between games the rules' record is cleared; the table keeps the series.
        if (phase_ == Phase::Over)
            r.Player[i].Lost = s.lost;
        // Away is not handed over: opening the save gives the person his seat back. A seat
        // nobody took before the start is the computer's for good.
        r.Player[i].Computer = s.computer && !s.tookOver;
    }
    return r;
}

TableView Table::View() const {
    const GameInfo& G = global_.Game;
    TableView v;
    v.phase = phase_ == Phase::Lobby     ? QStringLiteral("lobby")
              : phase_ == Phase::Playing ? QStringLiteral("playing")
                                         : QStringLiteral("over");
    v.creator = static_cast<int>(creator_);
    v.totalKorvane = G.TotalKorvane;
    v.korvanePerTurn = G.KorvanePerTurn;
    v.lastChance = G.LastChance;
    const bool dealt = phase_ == Phase::Playing && G.PlayerCount == seats_.size();
    for (std::size_t i = 0; i < seats_.size(); ++i) {
        const Seat& s = seats_[i];
        SeatView sv;
        sv.name = s.name;
        sv.person = s.person;
        sv.connected = s.client != 0;
        sv.lost = s.lost;
        sv.computer = s.computer;
        if (dealt) {
            const PlayerInfo& p = G.Player[i];
            sv.computer = p.Computer;
            sv.lost = p.Lost;
            sv.closed = p.CloseDeck.Count;
            sv.open = p.OpenDeck.Count;
            sv.openTop = p.OpenDeck.Empty() ? -1 : p.OpenDeck.Top();
        }
        v.seats.push_back(sv);
    }
    if (dealt) {
        for (std::size_t s = 0; s < SuitPiles; ++s) {
            const CardDeck& d = G.SuitDeck[s];
            v.suits[s] = {d.Count, d.Empty() ? -1 : d.Top()};
        }
        v.current = G.CurrentPlayer;
        v.turned = display_->turned;
        v.state = G.GameState == State::Penalty ? QStringLiteral("penalty")
                  : v.turned >= 0               ? QStringLiteral("turned")
                                                : QStringLiteral("playing");
    }
    return v;
}

void Table::Sync() {
    // A deal not yet open, and the card show after a game: nothing for the players.
    if (display_->ended || global_.Game.GameState == State::Dealt)
        return;
    TableView now = View();
    if (now == sent_)
        return;
    std::vector<QJsonObject> events = DiffEvents(sent_, now);
    sent_ = std::move(now);
    Broadcast(events);
}

void Table::Broadcast(const std::vector<QJsonObject>& events) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        QJsonObject e = events[i];
        e["seq"] = static_cast<qint64>(++seq_);
        if (tap_)
            tap_(seq_, e, i + 1 == events.size(), sent_, global_.Game);
        pending_.push_back(std::move(e));
    }
}

void Table::Flush() {
    if (pending_.empty())
        return;
    // A connection holding several seats hears each event once.
    std::vector<ClientId> to;
    for (const Seat& s : seats_)
        if (s.client != 0 && s.welcomed && std::find(to.begin(), to.end(), s.client) == to.end())
            to.push_back(s.client);
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        QJsonObject& e = pending_[i];
        // More events of the same request follow: a client should not act on the view yet.
        if (i + 1 < pending_.size())
            e["more"] = true;
        const QByteArray bytes = Encode(e);
        for (const ClientId c : to)
            out_.Send(c, bytes);
    }
    pending_.clear();
}

void Table::Penalty(const PenaltyNote& note) {
    Sync();
    QJsonArray places;
    for (const PenaltyNote::Place& p : note.places)
        places.append(QJsonObject{{"pile", PileToJson(p.pile)},
                                  {"top", p.top == NoCard ? QJsonValue() : QJsonValue(p.top)}});
    Broadcast({{{"type", "penalty"},
                {"seat", note.seat},
                {"deed", PenaltyDeed(note.deed)},
                {"card", note.card == NoCard ? QJsonValue() : QJsonValue(note.card)},
                {"places", places},
                {"cards", note.cards}}});
}

void Table::GameOver(const std::string& message) {
    Sync();
    const GameInfo& G = global_.Game;
    const bool lost = G.Player[G.CurrentPlayer].HoldsCards();
    QJsonArray lostCounts;
    for (std::size_t i = 0; i < seats_.size(); ++i) {
        seats_[i].lost = G.Player[i].Lost;
        seats_[i].computer = G.Player[i].Computer;
        lostCounts.append(seats_[i].lost);
    }
    phase_ = Phase::Over;
    display_->ended = true;
    display_->turned = -1;
    sent_ = View();
    Broadcast({{{"type", "game_over"},
                {"loser", lost ? QJsonValue(G.CurrentPlayer) : QJsonValue()},
                {"message", FromLatin1(message)},
                {"lost", lostCounts}}});
    out_.Log(QStringLiteral("table %1 game over: %2").arg(code_, FromLatin1(message)));
}

} // namespace korvane::net
