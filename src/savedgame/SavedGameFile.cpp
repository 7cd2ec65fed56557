#include "savedgame/SavedGameFile.h"

#include <array>
#include <string_view>

namespace korvane {

namespace {

// The players array's header as the file format carries it.
constexpr int16_t ArrayDimensions = 1;
constexpr int32_t ArrayLowerBound = 0;

class Writer {
public:
    explicit Writer(std::size_t size) { bytes_.reserve(size); }

    void Byte(uint8_t v) { bytes_.push_back(v); }
    void Int16(int16_t v) { Unsigned(static_cast<uint16_t>(v), 2); }
    void Int32(int32_t v) { Unsigned(static_cast<uint32_t>(v), 4); }
    void Bool(Bool16 b) { Int16(b.Raw()); }
    void Deck(const CardDeck& d) {
        bytes_.insert(bytes_.end(), d.Card.begin(), d.Card.end());
        Byte(d.Count);
    }
    void Name(const std::string& name) {
        const std::string_view kept = std::string_view(name).substr(0, NameLength);
        bytes_.insert(bytes_.end(), kept.begin(), kept.end());
        bytes_.insert(bytes_.end(), NameLength - kept.size(), static_cast<uint8_t>(' '));
    }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    void Unsigned(uint32_t v, int width) {
        for (int i = 0; i < width; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }

    std::vector<uint8_t> bytes_;
};

// Reads fields in order; the caller has made sure the bytes are there.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t Byte() { return bytes_[pos_++]; }
    int16_t Int16() { return static_cast<int16_t>(Unsigned(2)); }
    int32_t Int32() { return static_cast<int32_t>(Unsigned(4)); }
    Bool16 Bool() { return Bool16::FromRaw(Int16()); }
    void Deck(CardDeck& d) {
        for (uint8_t& c : d.Card)
            c = Byte();
        d.Count = Byte();
    }
    std::string Name() {
        std::string name(NameLength, ' ');
        for (char& c : name)
            c = static_cast<char>(Byte());
        return name;
    }

private:
    uint32_t Unsigned(int width) {
        uint32_t v = 0;
        for (int i = 0; i < width; ++i)
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }

    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
};

std::string CheckDeck(const CardDeck& d, const std::string& what) {
    if (d.Count > CardsInPack)
        return what + " holds more than 52 cards";
    for (std::size_t k = 0; k < d.Card.size(); ++k) {
        const bool isCard = d.Card[k] < CardsInPack;
        if (k < d.Count && !isCard)
            return what + " holds an unknown card";
        if (k >= d.Count && d.Card[k] != EmptySlot)
            return what + " holds a card beyond its count";
    }
    return {};
}

} // namespace

std::vector<uint8_t> EncodeGame(const GameInfo& game) {
    Writer w(SavedGameSize(game.Player.size()));
    for (const CardDeck& d : game.SuitDeck)
        w.Deck(d);
    w.Byte(game.PlayerCount);
    w.Byte(game.CurrentPlayer);
    w.Byte(game.DeckBack);
    for (int16_t v : game.MoveStep)
        w.Int16(v);
    for (int16_t v : game.MoveSpeed)
        w.Int16(v);
    w.Byte(game.GameState);
    for (Bool16 b : game.SuitCanTake)
        w.Bool(b);
    w.Bool(game.MoveAvailable);
    w.Byte(game.TotalKorvane);
    w.Bool(game.KorvanePerTurn);
    w.Bool(game.MistakeMade);
    w.Bool(game.OutlineDrag);
    w.Bool(game.ShowTip);
    w.Bool(game.LastChance);
    w.Bool(game.StraightPath);
    w.Byte(game.PathPoints);
    w.Int16(ArrayDimensions);
    w.Int32(static_cast<int32_t>(game.Player.size()));
    w.Int32(ArrayLowerBound);
    for (const PlayerInfo& p : game.Player) {
        w.Name(p.Name);
        w.Deck(p.CloseDeck);
        w.Deck(p.OpenDeck);
        w.Int32(p.Lost);
        w.Bool(p.Computer);
        w.Bool(p.CanTake);
    }
    return w.Take();
}

LoadResult DecodeGame(std::span<const uint8_t> bytes) {
    LoadResult result;
    if (bytes.size() < SavedHeaderSize) {
        result.reason = "the file is too short to hold a game";
        return result;
    }
    Reader r(bytes);
    GameInfo game;
    for (CardDeck& d : game.SuitDeck)
        r.Deck(d);
    game.PlayerCount = r.Byte();
    game.CurrentPlayer = r.Byte();
    game.DeckBack = r.Byte();
    for (int16_t& v : game.MoveStep)
        v = r.Int16();
    for (int16_t& v : game.MoveSpeed)
        v = r.Int16();
    game.GameState = r.Byte();
    for (Bool16& b : game.SuitCanTake)
        b = r.Bool();
    game.MoveAvailable = r.Bool();
    game.TotalKorvane = r.Byte();
    game.KorvanePerTurn = r.Bool();
    game.MistakeMade = r.Bool();
    game.OutlineDrag = r.Bool();
    game.ShowTip = r.Bool();
    game.LastChance = r.Bool();
    game.StraightPath = r.Bool();
    game.PathPoints = r.Byte();

    const int16_t dimensions = r.Int16();
    const int32_t players = r.Int32();
    const int32_t lowerBound = r.Int32();
    if (dimensions != ArrayDimensions || lowerBound != ArrayLowerBound) {
        result.reason = "the list of players is damaged";
        return result;
    }
    if (players < 0 || static_cast<std::size_t>(players) > MaxSavedPlayers) {
        result.reason = "the file claims an impossible number of players";
        return result;
    }
    const auto n = static_cast<std::size_t>(players);
    if (bytes.size() < SavedGameSize(n)) {
        result.reason = "the file is shorter than its " + std::to_string(n) + " players need";
        return result;
    }
    game.Player.resize(n);
    for (PlayerInfo& p : game.Player) {
        p.Name = r.Name();
        r.Deck(p.CloseDeck);
        r.Deck(p.OpenDeck);
        p.Lost = r.Int32();
        p.Computer = r.Bool();
        p.CanTake = r.Bool();
    }

    result.reason = CheckGame(game);
    if (result.reason.empty())
        result.game = std::move(game);
    return result;
}

std::string CheckGame(const GameInfo& game) {
    const std::size_t n = game.Player.size();
    if (n > MaxSavedPlayers)
        return "more than eight players";

    const uint8_t s = game.GameState;
    // The program never saves a deal before play opens: nothing could be played from it.
    if (s == State::Dealt)
        return "a deal saved before play began";
    if (s != State::Playing && s != State::Turned && s != State::PlayedOn && s != State::NoGame)
        return "unknown state of play " + std::to_string(s);

    if (game.DeckBack < FirstBack || game.DeckBack > LastBack)
        return "unknown card back";
    if (game.TotalKorvane < 1 || game.TotalKorvane > 3)
        return "penalty size out of range";
    if (game.PathPoints > 99)
        return "path points out of range";
    for (std::size_t i = 0; i < 2; ++i) {
        if (game.MoveStep[i] < 1)
            return "step distance out of range";
        // The options dialog stores 100 minus a speed of -9..99, and 0 for a speed of 100.
        if (game.MoveSpeed[i] < 0 || game.MoveSpeed[i] > 109)
            return "card speed out of range";
    }

    // Every pile in turn: its shape, then where its cards may lie.
    std::array<int, CardsInPack> seen{};
    auto tally = [&seen](const CardDeck& d) {
        for (std::size_t k = 0; k < d.Count; ++k)
            ++seen[d.Card[k]];
    };
    for (std::size_t i = 0; i < game.SuitDeck.size(); ++i) {
        const CardDeck& d = game.SuitDeck[i];
        if (std::string why = CheckDeck(d, "a suit pile"); !why.empty())
            return why;
        for (std::size_t k = 0; k < d.Count; ++k)
            if (d.Card[k] != k * 4 + i)
                return "a suit pile is out of order";
        tally(d);
    }
    for (const PlayerInfo& p : game.Player) {
        if (std::string why = CheckDeck(p.CloseDeck, "a closed pile"); !why.empty())
            return why;
        if (std::string why = CheckDeck(p.OpenDeck, "an open pile"); !why.empty())
            return why;
        tally(p.CloseDeck);
        tally(p.OpenDeck);
    }
    for (int count : seen)
        if (count > 1)
            return "a card is on the table twice";

    if (s == State::NoGame) {
        // Players of an ended game may stay behind, but none of them is seated.
        if (game.PlayerCount != 0)
            return "players are seated with no game in progress";
        return {};
    }

    if (game.PlayerCount < MinPlayers || game.PlayerCount > MaxSavedPlayers)
        return "the number of players is out of range";
    if (game.PlayerCount != n)
        return "the number of players disagrees with the players saved";
    if (game.CurrentPlayer >= n)
        return "the player to move does not exist";
    for (int count : seen)
        if (count == 0)
            return "cards are missing from the pack";
    // The card in hand of a turned card is the first of the closed pile.
    if (s == State::Turned && game.Player[game.CurrentPlayer].CloseDeck.Empty())
        return "the turned card is missing";
    // The turn only ever passes to a player who holds cards; a seat with nothing to play
    // would leave a person with no way to go on.
    if (!game.Player[game.CurrentPlayer].HoldsCards())
        return "the player to move holds no cards";
    return {};
}

} // namespace korvane
