// One served table driven by a script of lines, as the fuzz target and its corpus writer share
// it. No sockets: four client slots stand for connections, and every message the table sends
// is read back as a client would read it, with the checks a client could make.
//
// A script line is one of
//   <slot><json>   slot 0-3 sends one message (decoded as the server decodes it); a rejoin token
//                  "#N" stands for the token seat N was welcomed with
//   -<slot>        that slot's connection drops; its next message comes from a new connection
//   e              the grace period of an empty table is over: it ends
// After each line the table gets the computer slice it asked for, as the event loop would.
//
// Checked after every message and line: what the table sends is one JSON object; events come
// in order with nothing missed; every event fits the client's view, and after every change the
// view equals the table's; no card face down at that moment is named; nothing is sent to a
// connection that has gone.
#pragma once

#include "net/Table.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string_view>

namespace korvane::net::fuzz {

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

struct Slot {
    ClientId id = 0;
    bool welcomed = false;
    int seat = -1;
    int64_t seq = 0;
    TableView view;
};

class TableHarness : private TableOutput {
public:
    static constexpr int Slots = 4;

    explicit TableHarness(uint32_t seed, uint64_t computerSlice = 25)
        : seed_(seed), slice_(computerSlice) {
        for (Slot& s : slots_)
            s.id = nextId_++;
    }
    ~TableHarness() override { table_.reset(); }

    const Slot& At(int slot) const { return slots_.at(static_cast<std::size_t>(slot)); }
    Table* table() { return table_.get(); }

    void Line(std::string_view line) {
        if (line.empty())
            return;
        const char op = line.front();
        if (op >= '0' && op < '0' + Slots) {
            const auto decoded =
                Decode(QByteArrayView(line.data() + 1, static_cast<qsizetype>(line.size() - 1)));
            if (const Message* m = std::get_if<Message>(&decoded))
                Receive(SlotAt(op - '0'), *m);
        } else if (op == '-' && line.size() > 1 && line[1] >= '0' && line[1] < '0' + Slots) {
            Slot& s = SlotAt(line[1] - '0');
            if (table_)
                table_->Disconnected(s.id);
            s = {};
            s.id = nextId_++;
        } else if (op == 'e' && table_ && !table_->HasPeople()) {
            EndTable();
        }
        if (continueDue_ && table_) {
            continueDue_ = false;
            table_->ContinueComputer();
        }
        CheckInStep();
    }

private:
    Slot& SlotAt(int i) { return slots_.at(static_cast<std::size_t>(i)); }

    void Receive(Slot& s, Message m) {
        using T = Message::Type;
        if (table_ && table_->Seated(s.id)) {
            table_->Handle(s.id, m);
            return;
        }
        if (m.type == T::Create && !table_) {
            TableSettings settings;
            settings.seeds = SeedSequence(seed_);
            settings.computerSlice = slice_;
            auto made = Table::Create(QStringLiteral("FUZZTABLE234"), m, s.id, *this, settings);
            if (auto* t = std::get_if<std::unique_ptr<Table>>(&made)) {
                table_ = std::move(*t);
                table_->SetTap([this](int64_t seq, const QJsonObject&, bool last,
                                      const TableView& view,
                                      const GameInfo& record) { Tapped(seq, last, view, record); });
                table_->Welcome(s.id);
            }
        } else if (m.type == T::Join && table_) {
            table_->Join(s.id, m.name);
        } else if (m.type == T::Rejoin && table_) {
            if (m.token.startsWith(QLatin1Char('#'))) {
                const auto known = tokens_.find(m.token.mid(1).toInt());
                if (known != tokens_.end())
                    m.token = known->second;
            }
            table_->Rejoin(s.id, m.token);
        }
    }

    void EndTable() {
        table_.reset();
        views_.clear();
        hidden_.clear();
        tokens_.clear();
        seen_.clear();
        lastSeq_ = 0;
        turned_ = -1;
        continueDue_ = false;
        for (Slot& s : slots_) {
            s = {};
            s.id = nextId_++;
        }
    }

    // The cards face down as the event is made and never seen face up in this deal: a pile
    // turned over holds cards everybody has seen. The turned card is the first closed card as
    // the player turns it up; it stays in the pile until laid, and is not hidden meanwhile.
    void Tapped(int64_t seq, bool last, const TableView& view, const GameInfo& record) {
        Require(seq == lastSeq_ + 1, "events numbered in order");
        lastSeq_ = seq;
        if (view.phase != QLatin1String("playing"))
            seen_.clear();
        seen_.insert(view.turned);
        for (const SeatView& s : view.seats)
            seen_.insert(s.openTop);
        for (const SuitView& s : view.suits)
            seen_.insert(s.top);
        if (record.GameState != State::Turned && record.GameState != State::Penalty)
            turned_ = view.turned >= 0 && !record.Player.empty()
                          ? record.Player[record.CurrentPlayer].CloseDeck.Card[0]
                          : -1;
        std::set<int>& hidden = hidden_[seq];
        for (const PlayerInfo& p : record.Player)
            for (int i = 0; i < p.CloseDeck.Count; ++i)
                if (const int card = p.CloseDeck.Card[static_cast<std::size_t>(i)];
                    card != turned_ && !seen_.count(card))
                    hidden.insert(card);
        if (last)
            views_[seq] = view;
    }

    void Send(ClientId client, const QByteArray& bytes) override {
        Slot* to = nullptr;
        for (Slot& s : slots_)
            if (s.id == client)
                to = &s;
        Require(to != nullptr, "sent only to open connections");
        QJsonParseError parse{};
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
        Require(parse.error == QJsonParseError::NoError && doc.isObject(), "one JSON object");
        const QJsonObject m = doc.object();
        const QString type = m["type"].toString();
        if (type == QLatin1String("error"))
            return;
        Require(m.contains("seq"), "everything else numbered");
        const int64_t seq = m["seq"].toInteger();
        if (const auto at = hidden_.find(seq); at != hidden_.end())
            Scan(m, at->second);
        if (type == QLatin1String("welcome")) {
            const std::optional<TableView> view = ViewFromJson(m["view"].toObject());
            Require(view.has_value(), "welcome holds a view");
            to->view = *view;
            to->welcomed = true;
            to->seat = m["seat"].toInt();
            to->seq = seq;
            tokens_[to->seat] = m["token"].toString();
            Require(seq == lastSeq_, "welcome at the latest event");
            if (seq > 0)
                Require(to->view == views_.at(seq), "welcome view is the table's");
            return;
        }
        Require(to->welcomed, "events only after the welcome");
        Require(seq == to->seq + 1, "every event, in order");
        to->seq = seq;
        Require(ApplyEvent(to->view, m), "event fits the view");
        if (const auto at = views_.find(seq); at != views_.end() && !m["more"].toBool())
            Require(to->view == at->second, "view after a change is the table's");
    }

    static void Scan(const QJsonValue& m, const std::set<int>& hidden) {
        ForEachNumber(m, [&](const QString& key, int n) {
            if (IsCardKey(key))
                Require(!hidden.count(n), "no face-down card sent");
        });
    }

    // Every request is flushed before it returns: each welcomed client has all events.
    void CheckInStep() const {
        if (!table_)
            return;
        for (const Slot& s : slots_) {
            if (!s.welcomed || !table_->Seated(s.id))
                continue;
            Require(s.seq == lastSeq_, "nothing held back");
            if (lastSeq_ > 0)
                Require(s.view == views_.at(lastSeq_), "view is the table's");
        }
    }

    void Log(const QString&) override {}
    void ContinueLater(Table&) override { continueDue_ = true; }

    uint32_t seed_;
    uint64_t slice_;
    std::unique_ptr<Table> table_;
    std::array<Slot, Slots> slots_{};
    ClientId nextId_ = 1;
    std::map<int64_t, TableView> views_;
    std::map<int64_t, std::set<int>> hidden_;
    std::map<int, QString> tokens_;
    std::set<int> seen_;
    int64_t lastSeq_ = 0;
    int turned_ = -1;
    bool continueDue_ = false;
};

} // namespace korvane::net::fuzz
