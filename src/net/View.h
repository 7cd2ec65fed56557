// What anyone watching a served table can see, and the events that carry it from the server to
// the players. The server computes the view from its game record after every change and sends
// the difference as events; a client applies the events to the view it received on joining.
// Both ends use the same two functions, so a client built on this library stays in step.
//
// Nothing here holds a face-down card: closed piles are counts, and the turned card is known
// only while it is shown in hand.
#pragma once

#include "engine/Pile.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace korvane::net {

struct SeatView {
    QString name;
    bool person = true;     // a seat for a person (false: created for the computer)
    bool computer = false;  // the computer plays it now
    bool connected = false; // a person's connection holds it
    int lost = 0;
    int closed = 0; // cards in the closed pile
    int open = 0;   // cards in the open pile
    int openTop = -1;
    friend bool operator==(const SeatView&, const SeatView&) = default;
};

struct SuitView {
    int count = 0;
    int top = -1;
    friend bool operator==(const SuitView&, const SuitView&) = default;
};

struct TableView {
    QString phase = QStringLiteral("lobby"); // lobby, playing, over
    int creator = 0;
    int totalKorvane = 1;
    bool korvanePerTurn = false;
    bool lastChance = true;
    int current = -1;
    QString state; // playing, turned, penalty; empty outside play
    int turned = -1;
    std::array<SuitView, SuitPiles> suits{};
    std::vector<SeatView> seats;
    friend bool operator==(const TableView&, const TableView&) = default;
};

QJsonObject ToJson(const TableView& view);
std::optional<TableView> ViewFromJson(const QJsonObject& json);

QJsonObject PileToJson(Pile pile);
// A pile other than the current player's own that takes `card` (-1: none), as anyone watching
// the table sees it; None when no pile does. What a client plays to.
Pile TakingPile(const TableView& v, int card);

// Calls f with every number in a message, however deep, and the key it stands under (an array's
// items stand under the array's key).
void ForEachNumber(const QJsonValue& message,
                   const std::function<void(const QString& key, int value)>& f);
// Whether a number under `key` is a card ("card", "top", "openTop", "fromTop", "turned").
bool IsCardKey(const QString& key);
// A pile of any kind named in a message; its seat is checked where the table is known.
std::optional<Pile> PileFromJson(const QJsonValue& json);

// The events that turn `before` into `after`, in the order a client applies them.
std::vector<QJsonObject> DiffEvents(const TableView& before, const TableView& after);
// Applies one table event; false when the event does not fit the view (the client should ask
// for the table again by rejoining).
bool ApplyEvent(TableView& view, const QJsonObject& event);

} // namespace korvane::net
