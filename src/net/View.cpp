#include "net/View.h"

#include <QJsonArray>

namespace korvane::net {

namespace {

QJsonValue CardOrNull(int card) {
    return card < 0 ? QJsonValue() : QJsonValue(card);
}

int CardOf(const QJsonValue& v) {
    return v.isDouble() ? v.toInt() : -1;
}

QJsonObject SeatJson(const SeatView& s) {
    return {{"name", s.name},         {"person", s.person},
            {"computer", s.computer}, {"connected", s.connected},
            {"lost", s.lost},         {"closed", s.closed},
            {"open", s.open},         {"openTop", CardOrNull(s.openTop)}};
}

SeatView SeatFromJson(const QJsonObject& o) {
    SeatView s;
    s.name = o["name"].toString();
    s.person = o["person"].toBool();
    s.computer = o["computer"].toBool();
    s.connected = o["connected"].toBool();
    s.lost = o["lost"].toInt();
    s.closed = o["closed"].toInt();
    s.open = o["open"].toInt();
    s.openTop = CardOf(o["openTop"]);
    return s;
}

// A pile's card count in the view, and a way to change it.
int* CountOf(TableView& v, Pile p) {
    if (p.IsSuit() && p.index < SuitPiles)
        return &v.suits[p.index].count;
    if (p.index >= v.seats.size())
        return nullptr;
    if (p.IsOpen())
        return &v.seats[p.index].open;
    if (p.IsClosed())
        return &v.seats[p.index].closed;
    return nullptr;
}

int* TopOf(TableView& v, Pile p) {
    if (p.IsSuit() && p.index < SuitPiles)
        return &v.suits[p.index].top;
    if (p.IsOpen() && p.index < v.seats.size())
        return &v.seats[p.index].openTop;
    return nullptr;
}

struct Delta {
    Pile pile;
    int by;
};

std::vector<Delta> PileDeltas(const TableView& a, const TableView& b) {
    std::vector<Delta> d;
    for (uint8_t s = 0; s < SuitPiles; ++s)
        if (a.suits[s].count != b.suits[s].count)
            d.push_back({Pile::Suit(s), b.suits[s].count - a.suits[s].count});
    for (uint8_t p = 0; p < a.seats.size(); ++p) {
        if (a.seats[p].open != b.seats[p].open)
            d.push_back({Pile::Open(p), b.seats[p].open - a.seats[p].open});
        if (a.seats[p].closed != b.seats[p].closed)
            d.push_back({Pile::Closed(p), b.seats[p].closed - a.seats[p].closed});
    }
    return d;
}

// The tops that a move left as they were must not have changed either.
bool TopsAgree(const TableView& a, const TableView& b) {
    for (std::size_t s = 0; s < SuitPiles; ++s)
        if (a.suits[s] != b.suits[s])
            return false;
    for (std::size_t p = 0; p < a.seats.size(); ++p)
        if (a.seats[p].openTop != b.seats[p].openTop)
            return false;
    return true;
}

bool SameSeatMeta(const SeatView& a, const SeatView& b) {
    return a.name == b.name && a.person == b.person && a.computer == b.computer &&
           a.connected == b.connected && a.lost == b.lost;
}

QJsonObject Snapshot(const TableView& v) {
    return {{"type", "table"}, {"view", ToJson(v)}};
}

// The one pile event that turns a's piles into b's (an empty object: the piles are the same);
// nullopt when the changes are not one move.
std::optional<QJsonObject> MoveEvent(const TableView& a, const TableView& b) {
    const std::vector<Delta> d = PileDeltas(a, b);
    if (d.empty())
        return QJsonObject{};
    if (d.size() != 2)
        return std::nullopt;
    const Delta& from = d[0].by < 0 ? d[0] : d[1];
    const Delta& to = d[0].by < 0 ? d[1] : d[0];
    if (from.by + to.by != 0 || to.by <= 0)
        return std::nullopt;
    // A whole open pile turned over into the empty closed pile of the same seat.
    if (from.pile.IsOpen() && to.pile.IsClosed() && from.pile.index == to.pile.index &&
        b.seats[from.pile.index].open == 0 && a.seats[to.pile.index].closed == 0)
        return QJsonObject{{"type", "turned_over"}, {"seat", from.pile.index}, {"cards", to.by}};
    if (to.by != 1)
        return std::nullopt;
    QJsonObject e{{"type", "move"}, {"from", PileToJson(from.pile)}, {"to", PileToJson(to.pile)}};
    if (to.pile.IsSuit())
        e["card"] = b.suits[to.pile.index].top;
    else if (to.pile.IsOpen())
        e["card"] = b.seats[to.pile.index].openTop;
    if (from.pile.IsOpen())
        e["fromTop"] = CardOrNull(b.seats[from.pile.index].openTop);
    return e;
}

} // namespace

namespace {

void ForEachNumberUnder(const QJsonValue& v, const QString& key,
                        const std::function<void(const QString&, int)>& f) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            ForEachNumberUnder(it.value(), it.key(), f);
    } else if (v.isArray()) {
        for (const QJsonValue& e : v.toArray())
            ForEachNumberUnder(e, key, f);
    } else if (v.isDouble()) {
        f(key, v.toInt());
    }
}

} // namespace

void ForEachNumber(const QJsonValue& message, const std::function<void(const QString&, int)>& f) {
    ForEachNumberUnder(message, QString(), f);
}

bool IsCardKey(const QString& key) {
    return key == QLatin1String("card") || key == QLatin1String("top") ||
           key == QLatin1String("openTop") || key == QLatin1String("fromTop") ||
           key == QLatin1String("turned");
}

Pile TakingPile(const TableView& v, int card) {
    if (card < 0 || card >= CardsInPack)
        return Pile::None();
    const auto c = static_cast<uint8_t>(card);
    const SuitView& suit = v.suits.at(Suit(c));
    if ((suit.count == 0 && Rank(c) == 0) || (suit.top >= 0 && card == suit.top + 4))
        return Pile::Suit(Suit(c));
    for (std::size_t p = 0; p < v.seats.size(); ++p)
        if (static_cast<int>(p) != v.current && v.seats[p].openTop >= 0 &&
            Rank(static_cast<uint8_t>(v.seats[p].openTop)) == Rank(c) - 1)
            return Pile::Open(static_cast<uint8_t>(p));
    return Pile::None();
}

QJsonObject PileToJson(Pile pile) {
    switch (pile.kind) {
    case Pile::Kind::Suit:
        return {{"kind", "suit"}, {"index", pile.index}};
    case Pile::Kind::Open:
        return {{"kind", "open"}, {"index", pile.index}};
    case Pile::Kind::Closed:
        return {{"kind", "closed"}, {"index", pile.index}};
    case Pile::Kind::None:
        break;
    }
    return {};
}

std::optional<Pile> PileFromJson(const QJsonValue& json) {
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject o = json.toObject();
    const QJsonValue kind = o["kind"];
    const QJsonValue index = o["index"];
    if (!kind.isString() || !index.isDouble())
        return std::nullopt;
    const double i = index.toDouble();
    if (i < 0 || i >= MaxPlayers || i != static_cast<int>(i))
        return std::nullopt;
    const auto n = static_cast<uint8_t>(i);
    if (kind.toString() == QLatin1String("suit") && n < SuitPiles)
        return Pile::Suit(n);
    if (kind.toString() == QLatin1String("open"))
        return Pile::Open(n);
    if (kind.toString() == QLatin1String("closed"))
        return Pile::Closed(n);
    return std::nullopt;
}

QJsonObject ToJson(const TableView& v) {
    QJsonArray suits;
    for (const SuitView& s : v.suits)
        suits.append(QJsonObject{{"count", s.count}, {"top", CardOrNull(s.top)}});
    QJsonArray seats;
    for (const SeatView& s : v.seats)
        seats.append(SeatJson(s));
    return {{"phase", v.phase},
            {"creator", v.creator},
            {"totalKorvane", v.totalKorvane},
            {"korvanePerTurn", v.korvanePerTurn},
            {"lastChance", v.lastChance},
            {"current", v.current < 0 ? QJsonValue() : QJsonValue(v.current)},
            {"state", v.state},
            {"turned", CardOrNull(v.turned)},
            {"suits", suits},
            {"seats", seats}};
}

std::optional<TableView> ViewFromJson(const QJsonObject& o) {
    if (!o["seats"].isArray() || !o["suits"].isArray() || o["suits"].toArray().size() != SuitPiles)
        return std::nullopt;
    TableView v;
    v.phase = o["phase"].toString();
    v.creator = o["creator"].toInt();
    v.totalKorvane = o["totalKorvane"].toInt();
    v.korvanePerTurn = o["korvanePerTurn"].toBool();
    v.lastChance = o["lastChance"].toBool();
    v.current = o["current"].isDouble() ? o["current"].toInt() : -1;
    v.state = o["state"].toString();
    v.turned = CardOf(o["turned"]);
    const QJsonArray suits = o["suits"].toArray();
    for (qsizetype s = 0; s < SuitPiles; ++s) {
        const QJsonObject js = suits[s].toObject();
        v.suits[static_cast<std::size_t>(s)] = {js["count"].toInt(), CardOf(js["top"])};
    }
    for (const QJsonValue& s : o["seats"].toArray())
        v.seats.push_back(SeatFromJson(s.toObject()));
    return v;
}

std::vector<QJsonObject> DiffEvents(const TableView& a, const TableView& b) {
    if (a.phase != b.phase || a.creator != b.creator || a.seats.size() != b.seats.size())
        return {Snapshot(b)};
    std::vector<QJsonObject> events;
    const std::optional<QJsonObject> move = MoveEvent(a, b);
    if (!move)
        return {Snapshot(b)};
    if (!move->isEmpty())
        events.push_back(*move);
    // What the move event carries must account for every top that changed.
    TableView check = a;
    for (const QJsonObject& e : events)
        ApplyEvent(check, e);
    if (!TopsAgree(check, b))
        return {Snapshot(b)};
    for (std::size_t p = 0; p < a.seats.size(); ++p) {
        const SeatView& s = b.seats[p];
        if (!SameSeatMeta(a.seats[p], s))
            events.push_back({{"type", "seat"},
                              {"seat", static_cast<int>(p)},
                              {"name", s.name},
                              {"person", s.person},
                              {"computer", s.computer},
                              {"connected", s.connected},
                              {"lost", s.lost}});
    }
    if (a.current != b.current || a.state != b.state || a.turned != b.turned)
        events.push_back({{"type", "turn"},
                          {"seat", b.current < 0 ? QJsonValue() : QJsonValue(b.current)},
                          {"state", b.state},
                          {"turned", CardOrNull(b.turned)}});
    return events;
}

bool ApplyEvent(TableView& v, const QJsonObject& e) {
    const QString type = e["type"].toString();
    if (type == QLatin1String("table")) {
        const std::optional<TableView> view = ViewFromJson(e["view"].toObject());
        if (!view)
            return false;
        v = *view;
        return true;
    }
    if (type == QLatin1String("move")) {
        const std::optional<Pile> from = PileFromJson(e["from"]);
        const std::optional<Pile> to = PileFromJson(e["to"]);
        int* fromCount = from ? CountOf(v, *from) : nullptr;
        int* toCount = to ? CountOf(v, *to) : nullptr;
        if (!fromCount || !toCount || *fromCount == 0)
            return false;
        --*fromCount;
        ++*toCount;
        if (int* top = TopOf(v, *to))
            *top = CardOf(e["card"]);
        if (int* top = TopOf(v, *from))
            *top = CardOf(e["fromTop"]);
        return true;
    }
    if (type == QLatin1String("turned_over")) {
        const int seat = e["seat"].toInt(-1);
        if (seat < 0 || static_cast<std::size_t>(seat) >= v.seats.size())
            return false;
        SeatView& s = v.seats[static_cast<std::size_t>(seat)];
        s.closed += s.open;
        s.open = 0;
        s.openTop = -1;
        return true;
    }
    if (type == QLatin1String("seat")) {
        const int seat = e["seat"].toInt(-1);
        if (seat < 0 || static_cast<std::size_t>(seat) >= v.seats.size())
            return false;
        SeatView& s = v.seats[static_cast<std::size_t>(seat)];
        s.name = e["name"].toString();
        s.person = e["person"].toBool();
        s.computer = e["computer"].toBool();
        s.connected = e["connected"].toBool();
        s.lost = e["lost"].toInt();
        return true;
    }
    if (type == QLatin1String("turn")) {
        v.current = e["seat"].isDouble() ? e["seat"].toInt() : -1;
        v.state = e["state"].toString();
        v.turned = CardOf(e["turned"]);
        return true;
    }
    if (type == QLatin1String("game_over")) {
        v.phase = QStringLiteral("over");
        v.current = -1;
        v.state.clear();
        v.turned = -1;
        v.suits = {};
        const QJsonArray lost = e["lost"].toArray();
        if (lost.size() != static_cast<qsizetype>(v.seats.size()))
            return false;
        for (std::size_t p = 0; p < v.seats.size(); ++p) {
            SeatView& s = v.seats[p];
            s.lost = lost[static_cast<qsizetype>(p)].toInt();
            s.closed = s.open = 0;
            s.openTop = -1;
        }
        return true;
    }
    // A penalty explains; the cards it hands over arrive as moves.
    return type == QLatin1String("penalty");
}

} // namespace korvane::net
