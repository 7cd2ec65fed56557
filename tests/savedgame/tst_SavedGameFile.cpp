// The saved-game codec: the byte layout, round trips and the records a file may not bring in.
#include "TestGames.h"
#include "savedgame/SavedGameFile.h"

#include <QTest>

#include <functional>

using namespace korvane;
using namespace korvane::testing;

Q_DECLARE_METATYPE(std::function<void(std::vector<uint8_t>&)>)

namespace {

using Mutation = std::function<void(std::vector<uint8_t>&)>;

// Offsets into a file, for tests that poke single fields.
constexpr std::size_t PlayerCountAt = 216;
constexpr std::size_t CurrentPlayerAt = 217;
constexpr std::size_t DeckBackAt = 218;
constexpr std::size_t MoveStepAt = 219;
constexpr std::size_t MoveSpeedAt = 223;
constexpr std::size_t GameStateAt = 227;
constexpr std::size_t SuitCanTakeAt = 228;
constexpr std::size_t MoveAvailableAt = 236;
constexpr std::size_t TotalKorvaneAt = 238;
constexpr std::size_t KorvanePerTurnAt = 239;
constexpr std::size_t MistakeMadeAt = 241;
constexpr std::size_t OutlineDragAt = 243;
constexpr std::size_t ShowTipAt = 245;
constexpr std::size_t LastChanceAt = 247;
constexpr std::size_t StraightPathAt = 249;
constexpr std::size_t PathPointsAt = 251;
constexpr std::size_t DimensionsAt = 252;
constexpr std::size_t ElementsAt = 254;
constexpr std::size_t LowerBoundAt = 258;
constexpr std::size_t PlayerAt(std::size_t p) {
    return 262 + 371 * p;
}
constexpr std::size_t CloseDeckOf(std::size_t p) {
    return PlayerAt(p) + 255;
}
constexpr std::size_t OpenDeckOf(std::size_t p) {
    return PlayerAt(p) + 309;
}
constexpr std::size_t SuitDeckAt(std::size_t i) {
    return 54 * i;
}
constexpr std::size_t CountOf(std::size_t deckAt) {
    return deckAt + 53;
}

QByteArray Hex(const std::vector<uint8_t>& b, std::size_t from, std::size_t to) {
    return QByteArray(reinterpret_cast<const char*>(b.data() + from),
                      static_cast<qsizetype>(to - from))
        .toHex(' ');
}

} // namespace

class SavedGameFileTest : public QObject {
    Q_OBJECT

private slots:
    void threePlayersLayout() {
        const std::vector<uint8_t> b = EncodeGame(MidGame(3));
        QCOMPARE(b.size(), std::size_t{1375});
        QCOMPARE(b[PlayerCountAt], uint8_t{3});
        QCOMPARE(Hex(b, 252, 262), QByteArray("01 00 03 00 00 00 00 00 00 00"));
        // The suit pile of hearts: Ace, Two, then empty slots and the count.
        QCOMPARE(b[SuitDeckAt(1)], uint8_t{1});
        QCOMPARE(b[SuitDeckAt(1) + 1], uint8_t{5});
        QCOMPARE(b[SuitDeckAt(1) + 2], EmptySlot);
        QCOMPARE(b[CountOf(SuitDeckAt(1))], uint8_t{2});
        // Defaults of the options, Booleans as -1 / 0.
        QCOMPARE(Hex(b, MoveStepAt, GameStateAt + 1), QByteArray("0f 00 0f 00 01 00 01 00 00"));
        QCOMPARE(Hex(b, OutlineDragAt, PathPointsAt + 1), QByteArray("ff ff ff ff ff ff ff ff 02"));
        // A name is padded with blanks.
        QCOMPARE(Hex(b, PlayerAt(0), PlayerAt(0) + 10),
                 QByteArray("50 6c 61 79 65 72 20 31 20 20"));
        QCOMPARE(b[PlayerAt(0) + 254], uint8_t{' '});
    }

    void everyPlayerCountWritesTheWholeRecord() {
        for (uint8_t n = 3; n <= 8; ++n)
            QCOMPARE(EncodeGame(MidGame(n)).size(), std::size_t{262} + 371 * n);
        QCOMPARE(EncodeGame(MidGame(8)).size(), std::size_t{3230});
        // With no game and no players only the fixed part is written.
        QCOMPARE(EncodeGame(GameInfo{}).size(), std::size_t{262});
    }

    // A file put together here from the table of offsets, not by the writer.
    void handWrittenFileLoads() {
        std::vector<uint8_t> b(PlayerAt(3), EmptySlot);
        for (std::size_t i = 0; i < 4; ++i)
            b[CountOf(SuitDeckAt(i))] = 0;
        b[SuitDeckAt(0)] = 0; // the Ace of suit 0
        b[CountOf(SuitDeckAt(0))] = 1;
        b[PlayerCountAt] = 3;
        b[CurrentPlayerAt] = 2;
        b[DeckBackAt] = 57;
        Put16(b, MoveStepAt, 20);
        Put16(b, MoveStepAt + 2, 7);
        Put16(b, MoveSpeedAt, 30);
        Put16(b, MoveSpeedAt + 2, 109);
        b[GameStateAt] = State::Turned;
        for (std::size_t i = 0; i < 4; ++i)
            Put16(b, SuitCanTakeAt + 2 * i, i == 1 ? -1 : 0);
        Put16(b, MoveAvailableAt, -1);
        b[TotalKorvaneAt] = 3;
        Put16(b, KorvanePerTurnAt, -1);
        Put16(b, MistakeMadeAt, 1); // any non-zero value is True
        Put16(b, OutlineDragAt, 0);
        Put16(b, ShowTipAt, 0);
        Put16(b, LastChanceAt, 0);
        Put16(b, StraightPathAt, 0);
        b[PathPointsAt] = 42;
        Put16(b, DimensionsAt, 1);
        Put32(b, ElementsAt, 3);
        Put32(b, LowerBoundAt, 0);
        const char* names[] = {"Ann", "  Bob", "C\xe9line"};
        for (std::size_t p = 0; p < 3; ++p) {
            const std::string name = names[p];
            std::fill_n(b.begin() + static_cast<long>(PlayerAt(p)), 255, uint8_t{' '});
            std::copy(name.begin(), name.end(), b.begin() + static_cast<long>(PlayerAt(p)));
            // Cards 1..51 round the table: 15 closed, 2 open each.
            uint8_t k = 0;
            for (uint8_t c = static_cast<uint8_t>(1 + p); c < 52; c += 3, ++k) {
                if (k < 15)
                    b[CloseDeckOf(p) + k] = c;
                else
                    b[OpenDeckOf(p) + k - 15] = c;
            }
            b[CountOf(CloseDeckOf(p))] = 15;
            b[CountOf(OpenDeckOf(p))] = 2;
            Put32(b, PlayerAt(p) + 363, p == 2 ? 70000 : static_cast<int32_t>(p));
            Put16(b, PlayerAt(p) + 367, p == 2 ? -1 : 0);
            Put16(b, PlayerAt(p) + 369, p == 0 ? -1 : 0);
        }

        const LoadResult r = DecodeGame(b);
        QVERIFY2(r, r.reason.c_str());
        const GameInfo& g = *r.game;
        QCOMPARE(g.PlayerCount, uint8_t{3});
        QCOMPARE(g.CurrentPlayer, uint8_t{2});
        QCOMPARE(g.DeckBack, uint8_t{57});
        QCOMPARE(g.MoveStep[0], int16_t{20});
        QCOMPARE(g.MoveStep[1], int16_t{7});
        QCOMPARE(g.MoveSpeed[0], int16_t{30});
        QCOMPARE(g.MoveSpeed[1], int16_t{109});
        QCOMPARE(g.GameState, State::Turned);
        QVERIFY(!g.SuitCanTake[0] && g.SuitCanTake[1] && !g.SuitCanTake[2] && !g.SuitCanTake[3]);
        QVERIFY(g.MoveAvailable);
        QCOMPARE(g.TotalKorvane, uint8_t{3});
        QVERIFY(g.KorvanePerTurn);
        QVERIFY(g.MistakeMade);
        QVERIFY(!g.OutlineDrag && !g.ShowTip && !g.LastChance && !g.StraightPath);
        QCOMPARE(g.PathPoints, uint8_t{42});
        QCOMPARE(g.SuitDeck[0].Count, uint8_t{1});
        QCOMPARE(g.SuitDeck[0].Top(), uint8_t{0});
        QCOMPARE(g.SuitDeck[3].Count, uint8_t{0});
        QCOMPARE(g.Player.size(), std::size_t{3});
        QCOMPARE(g.Player[0].TrimmedName(), std::string("Ann"));
        QCOMPARE(g.Player[1].TrimmedName(), std::string("Bob"));
        QCOMPARE(g.Player[2].TrimmedName(), std::string("C\xe9line"));
        QCOMPARE(g.Player[2].Name.size(), NameLength);
        QCOMPARE(g.Player[1].CloseDeck.Count, uint8_t{15});
        QCOMPARE(g.Player[1].CloseDeck.Card[0], uint8_t{2});
        QCOMPARE(g.Player[1].OpenDeck.Top(), uint8_t{50});
        QCOMPARE(g.Player[2].Lost, int32_t{70000});
        QVERIFY(g.Player[2].Computer && !g.Player[0].Computer);
        QVERIFY(g.Player[0].CanTake && !g.Player[1].CanTake);
        // The turned card is in hand: the first of player 2's closed pile.
        QCOMPARE(g.CardInHand(), uint8_t{3});
        // And the writer puts every byte back where it was.
        QVERIFY(EncodeGame(g) == b);
    }

    void roundTripKeepsEverything() {
        GameInfo g = MidGame(5);
        g.GameState = State::Turned;
        g.CurrentPlayer = 4;
        g.Player[4].Computer = true;
        g.Player[1].Computer = true;
        g.Player[0].SetName("Ann");
        g.Player[3].SetName(std::string(300, 'x')); // cut to the field
        g.Player[2].SetName("  M\xfcller ");
        g.Player[0].Lost = 3;
        g.Player[3].Lost = 123456789;
        g.Player[2].CanTake = true;
        g.DeckBack = 65;
        g.MoveStep = {1, 99};
        g.MoveSpeed = {0, 109};
        g.SuitCanTake = {Bool16(true), Bool16(false), Bool16(true), Bool16(false)};
        g.MoveAvailable = true;
        g.TotalKorvane = 2;
        g.KorvanePerTurn = true;
        g.MistakeMade = true;
        g.OutlineDrag = false;
        g.ShowTip = false;
        g.LastChance = false;
        g.StraightPath = false;
        g.PathPoints = 99;
        const uint8_t inHand = g.CardInHand();

        const std::vector<uint8_t> bytes = EncodeGame(g);
        // The name field holds the name and blanks, nothing else.
        const std::size_t name2 = PlayerAt(2);
        QCOMPARE(Hex(bytes, name2, name2 + 9), QByteArray("20 20 4d fc 6c 6c 65 72 20"));
        QCOMPARE(std::count(bytes.begin() + static_cast<long>(name2),
                            bytes.begin() + static_cast<long>(name2 + 255), uint8_t{' '}),
                 long{255 - 6});

        const LoadResult r = DecodeGame(bytes);
        QVERIFY2(r, r.reason.c_str());
        QCOMPARE(Difference(*r.game, g), std::string());
        QCOMPARE(r.game->CardInHand(), inHand);
        QCOMPARE(r.game->Player[2].TrimmedName(), std::string("M\xfcller"));
        QCOMPARE(r.game->Player[3].TrimmedName(), std::string(255, 'x'));
    }

    void anyNonZeroBooleanReadsTrueAndIsKept() {
        std::vector<uint8_t> b = EncodeGame(MidGame(3));
        Put16(b, ShowTipAt, 0);
        Put16(b, StraightPathAt, 0x0100);
        Put16(b, PlayerAt(1) + 367, 7);
        const LoadResult r = DecodeGame(b);
        QVERIFY2(r, r.reason.c_str());
        QVERIFY(!r.game->ShowTip);
        QVERIFY(r.game->StraightPath);
        QVERIFY(r.game->Player[1].Computer);
        QVERIFY(EncodeGame(*r.game) == b);
    }

    void bytesAfterTheRecordAreIgnored() {
        const GameInfo g = MidGame(3);
        std::vector<uint8_t> b = EncodeGame(g);
        // As if an eight-player game had been saved here before.
        b.resize(3230, 0xAB);
        const LoadResult r = DecodeGame(b);
        QVERIFY2(r, r.reason.c_str());
        QCOMPARE(Difference(*r.game, g), std::string());
    }

    void recordsWithoutAGameLoad_data() {
        QTest::addColumn<int>("players");
        QTest::newRow("fresh start") << 0;
        QTest::newRow("an ended game's players stay behind") << 4;
    }
    void recordsWithoutAGameLoad() {
        QFETCH(int, players);
        GameInfo g;
        g.Player.resize(static_cast<std::size_t>(players));
        const LoadResult r = DecodeGame(EncodeGame(g));
        QVERIFY2(r, r.reason.c_str());
        QCOMPARE(r.game->Player.size(), static_cast<std::size_t>(players));
        QVERIFY(!r.game->InProgress());
    }

    void dealtGameLoads() {
        GameInfo g = MidGame(6);
        g.GameState = State::Dealt;
        QVERIFY2(DecodeGame(EncodeGame(g)), "a game just dealt");
    }

    void optionRangeEdgesLoad() {
        GameInfo g = MidGame(3);
        g.DeckBack = 54;
        g.TotalKorvane = 1;
        g.PathPoints = 0;
        g.MoveStep = {1, 32767};
        g.MoveSpeed = {109, 0};
        QCOMPARE(CheckGame(g), std::string());
        g.DeckBack = 65;
        g.TotalKorvane = 3;
        g.PathPoints = 99;
        QCOMPARE(CheckGame(g), std::string());
    }

    void refused_data() {
        QTest::addColumn<Mutation>("damage");
        auto row = [](const char* name, Mutation m) { QTest::newRow(name) << m; };
        row("empty file", [](auto& b) { b.clear(); });
        row("shorter than the fixed part", [](auto& b) { b.resize(261); });
        row("one byte short of its players", [](auto& b) { b.resize(1374); });
        row("two dimensions", [](auto& b) { Put16(b, DimensionsAt, 2); });
        row("lower bound 1", [](auto& b) { Put32(b, LowerBoundAt, 1); });
        row("negative number of players", [](auto& b) { Put32(b, ElementsAt, -1); });
        row("nine players in the header", [](auto& b) {
            Put32(b, ElementsAt, 9);
            b.resize(PlayerAt(9));
        });
        row("huge number of players", [](auto& b) { Put32(b, ElementsAt, 0x7fffffff); });
        row("header says four, three saved", [](auto& b) { Put32(b, ElementsAt, 4); });
        row("header says two of three", [](auto& b) { Put32(b, ElementsAt, 2); });
        row("PlayerCount 2", [](auto& b) { b[PlayerCountAt] = 2; });
        row("PlayerCount 4 of three", [](auto& b) { b[PlayerCountAt] = 4; });
        row("PlayerCount 0 in play", [](auto& b) { b[PlayerCountAt] = 0; });
        row("current player beyond the table", [](auto& b) { b[CurrentPlayerAt] = 3; });
        row("state 128", [](auto& b) { b[GameStateAt] = State::Penalty; });
        row("state 3", [](auto& b) { b[GameStateAt] = 3; });
        row("no game but players seated", [](auto& b) { b[GameStateAt] = State::NoGame; });
        row("pile count 53", [](auto& b) { b[CountOf(CloseDeckOf(0))] = 53; });
        row("pile count 255", [](auto& b) { b[CountOf(SuitDeckAt(2))] = 255; });
        row("empty slot below the count", [](auto& b) { b[CloseDeckOf(1) + 3] = EmptySlot; });
        row("card code 60", [](auto& b) { b[OpenDeckOf(2)] = 60; });
        row("card beyond the count", [](auto& b) { b[CloseDeckOf(0) + 52] = 9; });
        row("count drops a card", [](auto& b) { --b[CountOf(OpenDeckOf(0))]; });
        row("count takes in an empty slot", [](auto& b) { ++b[CountOf(OpenDeckOf(0))]; });
        row("a card twice", [](auto& b) { b[CloseDeckOf(1)] = b[CloseDeckOf(0)]; });
        row("suit pile of another suit", [](auto& b) {
            // The Ace of hearts swaps places with the Ace of spades.
            std::swap(b[SuitDeckAt(1)], b[CloseDeckOf(0)]);
        });
        row("suit pile not from the Ace",
            [](auto& b) { std::swap(b[SuitDeckAt(1)], b[SuitDeckAt(1) + 1]); });
        row("card back 53", [](auto& b) { b[DeckBackAt] = 53; });
        row("card back 66", [](auto& b) { b[DeckBackAt] = 66; });
        row("no penalty cards", [](auto& b) { b[TotalKorvaneAt] = 0; });
        row("four penalty cards", [](auto& b) { b[TotalKorvaneAt] = 4; });
        row("path points 100", [](auto& b) { b[PathPointsAt] = 100; });
        row("human step 0", [](auto& b) { Put16(b, MoveStepAt, 0); });
        row("computer step -3", [](auto& b) { Put16(b, MoveStepAt + 2, -3); });
        row("human pause -1", [](auto& b) { Put16(b, MoveSpeedAt, -1); });
        row("computer pause 110", [](auto& b) { Put16(b, MoveSpeedAt + 2, 110); });
        row("turned card with an empty closed pile", [](auto& b) {
            // Player 0 to move has turned a card, but his closed cards lie on his open pile.
            b[GameStateAt] = State::Turned;
            const uint8_t closed = b[CountOf(CloseDeckOf(0))];
            std::copy_n(b.begin() + static_cast<long>(CloseDeckOf(0)), closed,
                        b.begin() + static_cast<long>(OpenDeckOf(0) + 2));
            std::fill_n(b.begin() + static_cast<long>(CloseDeckOf(0)), 53, EmptySlot);
            b[CountOf(CloseDeckOf(0))] = 0;
            b[CountOf(OpenDeckOf(0))] = static_cast<uint8_t>(closed + 2);
        });
    }
    void refused() {
        QFETCH(Mutation, damage);
        std::vector<uint8_t> b = EncodeGame(MidGame(3));
        QVERIFY(DecodeGame(b)); // sound before the damage
        damage(b);
        const LoadResult r = DecodeGame(b);
        QVERIFY(!r);
        QVERIFY(!r.reason.empty());
    }

    void refusedWithoutAGame() {
        GameInfo g;
        g.Player.resize(3);
        g.Player[0].CloseDeck.Card[0] = 7;
        g.Player[0].CloseDeck.Count = 1;
        g.Player[2].OpenDeck.Card[0] = 7;
        g.Player[2].OpenDeck.Count = 1;
        QVERIFY(!DecodeGame(EncodeGame(g))); // card 7 twice
        g.Player.resize(9);
        g.Player[2] = PlayerInfo{};
        QVERIFY(!DecodeGame(EncodeGame(g))); // nine players
    }

    void inPlayEveryCardMustBeThere() {
        GameInfo g = MidGame(4);
        g.GameState = State::Dealt;
        MoveTopCard(g.Player[3].OpenDeck, g.Player[0].OpenDeck);
        QCOMPARE(CheckGame(g), std::string()); // moved, not lost
        --g.Player[0].OpenDeck.Count;
        g.Player[0].OpenDeck.Card[g.Player[0].OpenDeck.Count] = EmptySlot;
        QVERIFY(!CheckGame(g).empty());
    }
};

QTEST_APPLESS_MAIN(SavedGameFileTest)
#include "tst_SavedGameFile.moc"
