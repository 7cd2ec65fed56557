// The saved-game codec: the byte layout, round trips and the records a file may not bring in.
#include "Cards.h"
#include "savedgame/SavedGameFile.h"

#include <QTest>

#include <functional>

using namespace korvane;
using namespace korvane::test;

using Mutation = std::function<void(std::vector<uint8_t>&)>;

namespace {

constexpr std::size_t PlayerCountAt = 216, CurrentPlayerAt = 217, DeckBackAt = 218;
constexpr std::size_t MoveStepAt = 219, MoveSpeedAt = 223, GameStateAt = 227;
constexpr std::size_t TotalKorvaneAt = 238, PathPointsAt = 251;
constexpr auto PlayerAt = [](std::size_t p) { return 262 + 371 * p; };
constexpr auto CloseDeckOf = [](std::size_t p) { return PlayerAt(p) + 255; };
constexpr auto OpenDeckOf = [](std::size_t p) { return PlayerAt(p) + 309; };
constexpr auto CountOf = [](std::size_t deckAt) { return deckAt + 53; };

// Little-endian stores into a file image: consecutive 16-bit words, or one 32-bit word.
void Put16(std::vector<uint8_t>& b, std::size_t at, std::initializer_list<int> words) {
    for (int v : words) {
        b[at++] = static_cast<uint8_t>(v);
        b[at++] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    }
}
void Put32(std::vector<uint8_t>& b, std::size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

} // namespace

class TestSavedGameFile : public QObject {
    Q_OBJECT

private slots:
    // A file put together here from the table of offsets, not by the writer, read and written
    // again byte for byte.
    void handWrittenFileLoads() {
        std::vector<uint8_t> b(PlayerAt(3), EmptySlot);
        for (std::size_t i = 0; i < 4; ++i)
            b[CountOf(54 * i)] = 0;
        b[0] = 0; // the Ace of suit 0 on its pile
        b[CountOf(0)] = 1;
        b[PlayerCountAt] = 3;
        b[CurrentPlayerAt] = 2;
        b[DeckBackAt] = 57;
        Put16(b, MoveStepAt, {20, 7, 30, 109}); // steps, then pauses
        b[GameStateAt] = State::Turned;
        Put16(b, 228, {0, -1, 0, 0, -1}); // SuitCanTake 0..3, MoveAvailable
        b[TotalKorvaneAt] = 3;
        Put16(b, 239, {-1, 0x0100, 0, 0, 0, 0}); // KorvanePerTurn .. StraightPath
        b[PathPointsAt] = 42;
        Put16(b, 252, {1});
        Put32(b, 254, 3);
        Put32(b, 258, 0);
        const std::string names[] = {"Ann", "  Bob", "C\xe9line"};
        for (std::size_t p = 0; p < 3; ++p) {
            std::fill_n(b.begin() + static_cast<long>(PlayerAt(p)), 255, uint8_t{' '});
            std::copy(names[p].begin(), names[p].end(), b.begin() + static_cast<long>(PlayerAt(p)));
            // Cards 1..51 round the table: 15 closed, then 2 open each.
            uint8_t k = 0;
            for (uint8_t c = static_cast<uint8_t>(1 + p); c < 52; c += 3, ++k)
                b[k < 15 ? CloseDeckOf(p) + k : OpenDeckOf(p) + k - 15] = c;
            b[CountOf(CloseDeckOf(p))] = 15;
            b[CountOf(OpenDeckOf(p))] = 2;
            Put32(b, PlayerAt(p) + 363, p == 2 ? 70000 : static_cast<int32_t>(p));
            Put16(b, PlayerAt(p) + 367, {p == 2 ? -1 : 0, p == 0 ? -1 : 0}); // Computer, CanTake
        }

        const LoadResult r = DecodeGame(b);
        QVERIFY2(r, r.reason.c_str());
        const GameInfo& g = *r.game;
        QCOMPARE(std::make_tuple(g.PlayerCount, g.CurrentPlayer, g.DeckBack, g.GameState),
                 std::make_tuple(uint8_t{3}, uint8_t{2}, uint8_t{57}, State::Turned));
        QVERIFY(g.MoveStep == (std::array<int16_t, 2>{20, 7}) && g.MoveSpeed[1] == 109);
        QVERIFY(!g.SuitCanTake[0] && g.SuitCanTake[1] && !g.SuitCanTake[3] && g.MoveAvailable);
        QVERIFY(g.KorvanePerTurn && g.MistakeMade); // any non-zero value is True, and is kept
        QVERIFY(!g.OutlineDrag && !g.ShowTip && !g.LastChance && !g.StraightPath);
        QVERIFY(g.TotalKorvane == 3 && g.PathPoints == 42);
        QCOMPARE(g.Player[1].TrimmedName() + '|' + g.Player[2].TrimmedName(), "Bob|C\xe9line");
        QCOMPARE(g.Player[2].Lost, int32_t{70000});
        QVERIFY(g.Player[2].Computer && !g.Player[0].Computer && g.Player[0].CanTake &&
                !g.Player[1].CanTake);
        QCOMPARE(g.CardInHand(), uint8_t{3}); // the turned card: player 2's first closed card
        QVERIFY(EncodeGame(g) == b);
    }

    // What the hand-written file leaves out: True written as -1, a name cut to its length, and
    // whatever follows the record in a longer file ignored.
    void roundTripKeepsEverything() {
        GameInfo g = MidGame(5);
        g.Player[3].SetName(std::string(300, 'x'));
        g.KorvanePerTurn = true;

        std::vector<uint8_t> bytes = EncodeGame(g);
        QCOMPARE(bytes[239] & bytes[240], 0xFF);
        const std::size_t size = bytes.size();
        bytes.resize(3230, 0xAB); // as if a longer game had been saved here before
        const LoadResult r = DecodeGame(bytes);
        QVERIFY2(r, r.reason.c_str());
        bytes.resize(size);
        QVERIFY(EncodeGame(*r.game) == bytes);
        QCOMPARE(r.game->Player[3].TrimmedName(), std::string(255, 'x'));
    }

    // Games at the edges of what a file may hold are taken in.
    void accepted() {
        GameInfo ended, low = MidGame(3), high = MidGame(6), on = MidGame(4);
        ended.Player.resize(4); // an ended game's players stay behind
        low.DeckBack = 54;
        low.PathPoints = 0;
        low.MoveStep = {1, 32767};
        low.MoveSpeed = {109, 0};
        high.DeckBack = 65;
        high.TotalKorvane = 3;
        high.PathPoints = 99;
        MoveTopCard(on.Player[3].OpenDeck, on.Player[0].OpenDeck);
        on.GameState = State::PlayedOn;
        for (const GameInfo& g : {GameInfo{}, ended, low, high, on})
            QCOMPARE(DecodeGame(EncodeGame(g)).reason, std::string());
    }

    // One row for each check, mostly on a good three-player file.
    void refused_data() {
        QTest::addColumn<std::vector<uint8_t>>("bytes");
        auto row = [](const char* name, const Mutation& damage) {
            std::vector<uint8_t> b = EncodeGame(MidGame(3));
            damage(b);
            QTest::newRow(name) << b;
        };
        row("shorter than the fixed part", [](auto& b) { b.resize(261); });
        row("one byte short of its players", [](auto& b) { b.resize(1374); });
        row("two dimensions", [](auto& b) { Put16(b, 252, {2}); });
        row("lower bound 1", [](auto& b) { Put32(b, 258, 1); });
        row("-1 players", [](auto& b) { Put32(b, 254, -1); });
        row("nine players", [](auto& b) { Put32(b, 254, 9), b.resize(PlayerAt(9)); });
        row("huge number of players", [](auto& b) { Put32(b, 254, 0x7fffffff); });
        row("header says two of three", [](auto& b) { Put32(b, 254, 2); });
        row("PlayerCount 2", [](auto& b) { b[PlayerCountAt] = 2; });
        row("PlayerCount 4 of three", [](auto& b) { b[PlayerCountAt] = 4; });
        row("current player beyond the table", [](auto& b) { b[CurrentPlayerAt] = 3; });
        row("state 128", [](auto& b) { b[GameStateAt] = State::Penalty; });
        row("state 254, play never opened", [](auto& b) { b[GameStateAt] = State::Dealt; });
        row("no game, players seated", [](auto& b) { b[GameStateAt] = State::NoGame; });
        row("pile count 53", [](auto& b) { b[CountOf(CloseDeckOf(0))] = 53; });
        row("empty slot below the count", [](auto& b) { b[CloseDeckOf(1) + 3] = EmptySlot; });
        row("card code 60", [](auto& b) { b[OpenDeckOf(2)] = 60; });
        row("card beyond the count", [](auto& b) { b[CloseDeckOf(0) + 52] = 9; });
        row("a card lost", [](auto& b) { --b[CountOf(OpenDeckOf(0))]; });
        row("a card twice", [](auto& b) { b[CloseDeckOf(1)] = b[CloseDeckOf(0)]; });
        row("suit pile of another suit", [](auto& b) { std::swap(b[54], b[CloseDeckOf(0)]); });
        row("suit pile not from the Ace", [](auto& b) { std::swap(b[54], b[55]); });
        row("card back 53", [](auto& b) { b[DeckBackAt] = 53; });
        row("card back 66", [](auto& b) { b[DeckBackAt] = 66; });
        row("no penalty cards", [](auto& b) { b[TotalKorvaneAt] = MinPenaltyCards - 1; });
        row("four penalty cards", [](auto& b) { b[TotalKorvaneAt] = MaxPenaltyCards + 1; });
        row("path points 100", [](auto& b) { b[PathPointsAt] = 100; });
        row("human step 0", [](auto& b) { Put16(b, MoveStepAt, {0}); });
        row("computer step -3", [](auto& b) { Put16(b, MoveStepAt + 2, {-3}); });
        row("human pause -1", [](auto& b) { Put16(b, MoveSpeedAt, {-1}); });
        row("computer pause 110", [](auto& b) { Put16(b, MoveSpeedAt + 2, {110}); });
        GameInfo g = MidGame(3); // player 0 to move turns a card, all of his on his open pile
        while (!g.Player[0].CloseDeck.Empty())
            MoveFirstCard(g.Player[0].CloseDeck, g.Player[0].OpenDeck);
        g.GameState = State::Turned;
        QTest::newRow("turned card with an empty closed pile") << EncodeGame(g);
        while (!g.Player[0].OpenDeck.Empty())
            MoveTopCard(g.Player[0].OpenDeck, g.Player[1].CloseDeck);
        g.GameState = State::Playing;
        QTest::newRow("the player to move holds nothing") << EncodeGame(g);
        g = GameInfo{};
        g.Player.resize(3);
        g.Player[0].CloseDeck.Card[0] = g.Player[2].OpenDeck.Card[0] = 7;
        g.Player[0].CloseDeck.Count = g.Player[2].OpenDeck.Count = 1;
        QTest::newRow("no game, a card twice") << EncodeGame(g);
        g.Player.assign(9, PlayerInfo{});
        QTest::newRow("no game, nine players") << EncodeGame(g);
    }
    void refused() {
        QFETCH(std::vector<uint8_t>, bytes);
        const LoadResult r = DecodeGame(bytes);
        QVERIFY(!r);
        QVERIFY(!r.reason.empty());
    }
};

QTEST_APPLESS_MAIN(TestSavedGameFile)
#include "tst_SavedGameFile.moc"
