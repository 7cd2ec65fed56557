#include "Table.h"
#include "TableCheck.h"

#include <QTest>

#include <functional>
#include <optional>

using namespace korvane;
using namespace korvane::test;

namespace {
// Player 0 to move with a playable open top (a Two onto player 1's Ace) and cards to turn.
void MistakePosition(Table& t) {
    Put(t.P(0).OpenDeck, {Card(1, 0)});
    Put(t.P(0).CloseDeck, {Card(9, 1), Card(10, 1)});
    Put(t.P(1).OpenDeck, {Card(0, 2)});
    Put(t.P(1).CloseDeck, {Card(4, 0), Card(4, 1), Card(4, 2)});
    Put(t.P(2).CloseDeck, {Card(5, 0), Card(5, 1)});
}

} // namespace

class TestPenalties : public QObject {
    Q_OBJECT
private slots:
    void handOverOrderAndCounts() {
        Table t(4);
        t.G().TotalKorvane = MaxPenaltyCards;
        t.G().CurrentPlayer = 2;
        Put(t.P(2).CloseDeck, {Card(12, 3)});
        Put(t.P(0).CloseDeck, {Card(1, 0), Card(1, 1), Card(1, 2), Card(1, 3), Card(2, 0)});
        Put(t.P(1).CloseDeck, {Card(3, 0), Card(3, 1)});
        Put(t.P(3).OpenDeck, {Card(8, 0)}); // holds only an open pile: gives nothing
        t.rules.GiveKorvane();

        // The offender turns the received cards after his own, in the order received: each
        // giver's last card first.
        QCOMPARE(t.P(2).CloseDeck.Count, 6);
        const std::vector<int> got(t.P(2).CloseDeck.Card.begin(),
                                   t.P(2).CloseDeck.Card.begin() + 6);
        QCOMPARE(got, (std::vector<int>{Card(12, 3), Card(2, 0), Card(1, 3), Card(1, 2), Card(3, 1),
                                        Card(3, 0)}));
        QCOMPARE(t.P(0).CloseDeck.Count, 2);

        // Each card flies face down from the giver's closed pile to the offender's.
        const auto drags = t.view.Calls("SetDragPic");
        const auto flights = t.view.Calls("AnimateMove");
        QCOMPARE(flights.size(), std::size_t(5));
        const std::vector<uint8_t> givers{0, 0, 0, 1, 1};
        for (std::size_t i = 0; i < 5; ++i) {
            QCOMPARE(drags[i].args,
                     (std::vector<int>{Pile::Closed(givers[i]).Code(), t.G().DeckBack}));
            QCOMPARE(flights[i].args, std::vector<int>{Pile::Closed(2).Code()});
        }
        QCOMPARE(t.G().GameState, State::Playing);
        QCOMPARE(t.rules.Stats().penalties, 1u);

        // The offender's closed pile is repainted as each card lands, never showing a used-up
        // marker while it holds cards; the giver whose closed pile emptied is repainted too.
        int flying = 0, landed = 0;
        for (const Call& c : t.view.log) {
            if (c.op == "AnimateMove")
                ++flying;
            else if (c == Call{"PaintCloseDeck", {2}} && flying > landed)
                landed = flying; // the card in the air has landed and shows
        }
        QCOMPARE(landed, 5);
        QVERIFY(t.P(1).CloseDeck.Empty());
        QVERIFY(std::count(t.view.log.begin(), t.view.log.end(), Call{"PaintCloseDeck", {1}}) > 0);
    }

    // Both mistakes cost two penalties, or one under "Korvane per Turn", noted at the first and
    // charged at the second; a penalty for mistake 1 leaves the turned card in hand, shown again
    // over the closed pile once the cards have come. A person is told what he did, the card he
    // overlooked with the piles that could have taken it, and how many cards came to him; under
    // "Korvane per Turn", about the mistake he was charged for first. A computer seat is never
    // told.
    void bothMistakesAndTheirExplanations() {
        using Deed = PenaltyNote::Deed;
        const std::vector<PenaltyNote::Place> ontoTheAce{{Pile::Open(1), uint8_t(Card(0, 2))}};
        auto check = [&](const PenaltyNote& n, Deed deed, int card) {
            QCOMPARE(n.seat, 0);
            QCOMPARE(n.deed, deed);
            QCOMPARE(int(n.card), card);
            QCOMPARE(n.places, card == NoCard ? std::vector<PenaltyNote::Place>{} : ontoTheAce);
            QCOMPARE(n.cards, 2);
        };
        for (const bool perTurn : {false, true}) {
            Table t;
            t.G().KorvanePerTurn = perTurn;
            MistakePosition(t);
            Put(t.P(0).CloseDeck, {Card(1, 1), Card(10, 1)}); // the turned card is another Two
            t.rules.picCloseDeck_Click(0);
            QCOMPARE(t.rules.Stats().penalties, perTurn ? 0u : 1u);
            QCOMPARE(bool(t.G().MistakeMade), perTurn);
            QCOMPARE(t.view.Calls("SetDragPic").back().args,
                     (std::vector<int>{Pile::Closed(0).Code(), Card(1, 1)}));
            // Mistake 2: it could have gone on player 1's Ace.
            QVERIFY(t.rules.TransferCard(Pile::Open(0).Code()));
            QCOMPARE(t.rules.Stats().penalties, perTurn ? 1u : 2u);
            QVERIFY(!t.G().MistakeMade);
            QCOMPARE(t.view.penalties.size(), std::size_t(perTurn ? 1 : 2));
            check(t.view.penalties[0], Deed::TurnedCard, Card(1, 0));
            if (!perTurn)
                check(t.view.penalties[1], Deed::LaidOnOwnPile, Card(1, 1));
            // Told as the cards start to fly, and again once they are all handed over.
            const auto shown = t.view.Calls("ShowPenalty");
            QCOMPARE(shown.size(), 2 * t.view.penalties.size());
            QCOMPARE(shown.back().args, (std::vector<int>{0, 0}));
        }

        // A game opened with a mistake noted: what it was is not known.
        Table file;
        file.G().KorvanePerTurn = true;
        MistakePosition(file);
        file.rules.OpenGame(file.G());
        ClearDeck(file.P(0).OpenDeck);
        file.G().MistakeMade = true;
        file.rules.CloseDeckClick(0);
        QVERIFY(file.rules.TransferCard(Pile::Open(0).Code()));
        QCOMPARE(file.view.penalties.size(), std::size_t(1));
        check(file.view.penalties[0], Deed::Unknown, NoCard);

        Table computer(3, {1, 2});
        MistakePosition(computer);
        computer.rules.CloseDeckClick(0);
        QCOMPARE(computer.rules.Stats().penalties, 1u);
        QCOMPARE(computer.view.Count("ShowPenalty"), 0);
    }
    void aNotedMistakeIsChargedWhenItsMakerLaysATurnedCardOnAnOpenPile() {
        Table t;
        t.G().KorvanePerTurn = true;
        MistakePosition(t);
        Put(t.P(0).CloseDeck, {Card(0, 1), Card(7, 3)});
        // Mistake 1, noted; the turned Ace to its suit pile: not charged yet.
        t.rules.picCloseDeck_Click(0);
        QVERIFY(t.rules.TransferCard(Pile::Suit(1).Code()));
        QVERIFY(!t.rules.NextPlayer(Pile::Suit(1).Code()));
        QCOMPARE(t.rules.Stats().penalties, 0u);
        QVERIFY(t.G().MistakeMade);

        t.rules.CloseDeckClick(0); // an Eight, laid on his own pile: no mistake 2
        QVERIFY(t.rules.TransferCard(Pile::Open(0).Code()));
        QCOMPARE(t.rules.Stats().penalties, 1u);
        QCOMPARE(t.rules.Stats().penaltiesBySeat[0], 1u);
    }

    void aNotedMistakeLapsesWhenItsMakersTurnPasses() {
        Table t;
        t.G().KorvanePerTurn = true;
        MistakePosition(t);
        Put(t.P(0).CloseDeck, {Card(0, 1)});
        t.rules.picCloseDeck_Click(0); // mistake 1 noted; the Ace of suit 1 turned
        QVERIFY(t.G().MistakeMade);
        QVERIFY(t.rules.TransferCard(Pile::Suit(1).Code()));
        QVERIFY(!t.rules.NextPlayer(Pile::Suit(1).Code()));
        // His last card, the Two, onto player 1's Ace; out of cards, the turn passes.
        QVERIFY(t.rules.TransferCard(Pile::Open(1).Code()));
        QVERIFY(t.rules.NextPlayer(Pile::Open(1).Code()));
        QCOMPARE(t.G().CurrentPlayer, 1);
        QVERIFY(!t.G().MistakeMade);

        // Player 1 made no mistake: laying his turned card on his own pile costs nothing.
        t.rules.CloseDeckClick(1);
        QVERIFY(t.rules.TransferCard(Pile::Open(1).Code()));
        QCOMPARE(t.rules.Stats().penalties, 0u);
    }

    // A save made while penalty cards fly, or at the end-of-game question, holds the game as it
    // stands once the running move is complete. After mistake 1 the turned card is still in
    // hand. Mistake 2 with the last card of the closed pile: the card has left it before the
    // cards fly, and the turn passes. Under "Korvane per Turn", the noted mistake 1 charged as
    // the turned card goes on another's open pile: the player goes on with state 2. A penalty
    // that takes the last card of the only other player holding any ends the game: no game.
    void aSaveDuringAPenaltyHoldsTheMoveCompleted() {
        const struct {
            bool perTurn;
            std::function<void(Table&)> lay; // over the mistake position
            Pile to;                         // where the turned card goes, if anywhere
            uint8_t saved;
        } cases[] = {
            {false, [](Table&) {}, Pile::None(), State::Turned},
            {false,
             [](Table& t) {
                 ClearDeck(t.P(0).OpenDeck);
                 Put(t.P(0).CloseDeck, {Card(1, 1)}); // a Two that could go on player 1's Ace
             },
             Pile::Open(0), State::Playing},
            {true,
             [](Table& t) {
                 Put(t.P(0).CloseDeck, {Card(1, 1), Card(10, 1)});
             },
             Pile::Open(1), State::PlayedOn},
            {false,
             [](Table& t) {
                 ClearDeck(t.P(0).OpenDeck);
                 ClearDeck(t.P(1).OpenDeck);
                 ClearDeck(t.P(2).CloseDeck);
                 Put(t.P(0).CloseDeck, {Card(0, 0), Card(5, 3)}); // an Ace, for its suit pile
                 Put(t.P(1).CloseDeck, {Card(7, 1)});
             },
             Pile::Open(0), State::NoGame},
        };
        for (const auto& c : cases) {
            Table t;
            t.G().KorvanePerTurn = c.perTurn;
            MistakePosition(t);
            c.lay(t);
            std::vector<GameInfo> saves;   // at each penalty card's flight and at the question
            std::optional<GameInfo> ended; // the game once it ended, as a save keeps it
            t.view.onCall = [&](const Call& call) {
                if (call.op == "AskPlayAgain")
                    ended = PlayersKept(t.G());
                if (call.op == "AnimateMove" || call.op == "AskPlayAgain")
                    saves.push_back(t.rules.SaveableRecord());
            };
            t.rules.picCloseDeck_Click(0);
            if (!c.to.IsNone()) {
                QVERIFY(t.rules.TransferCard(c.to.Code()));
                t.rules.NextPlayer(c.to.Code());
            }
            QCOMPARE(saves.size(), std::size_t(2));
            for (const GameInfo& s : saves) {
                QCOMPARE(s.GameState, c.saved);
                QCOMPARE(Difference(s, ended ? *ended : t.G()), std::string());
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestPenalties)
#include "tst_penalties.moc"
