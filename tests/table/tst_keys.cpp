// Playing at the table with the keyboard alone, offscreen over the real rules.
#include "TestWindow.h"
#include "cards/PictureBox.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>

using namespace korvane;
using test::Card;
using test::Rig;

namespace {

void Key(Rig& r, Qt::Key k) {
    QTest::keyClick(r.w->Table(), k);
}

// Tabs round the table to `pile`.
bool Go(Rig& r, Pile pile) {
    for (int i = 0; i < 20 && r.w->FocusedPile() != pile; ++i)
        Key(r, Qt::Key_Tab);
    return r.w->FocusedPile() == pile;
}

} // namespace

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    // The turn starts with the frame on the card in hand, where the first Tab goes too; then
    // it goes round the piles in seat order.
    void focusMovesOverThePiles() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        QVERIFY(r.exposed);
        QCOMPARE(r.w->FocusedPile(), Pile::Open(0));
        QVERIFY(r.w->FocusFrame()->isVisible());
        QSignalSpy moved(r.w.get(), &frmKorvane::FocusMoved);
        Key(r, Qt::Key_Tab);
        QCOMPARE(r.w->FocusedPile(), Pile::Open(0));
        Key(r, Qt::Key_Tab);
        QCOMPARE(r.w->FocusedPile(), Pile::Closed(1));
        QVERIFY(r.w->FocusFrame()->geometry().contains(
            QRect(r.w->PilePosition(Pile::Closed(1)), r.w->PileSize())));
        Key(r, Qt::Key_Backtab);
        Key(r, Qt::Key_Backtab);
        QCOMPARE(r.w->FocusedPile(), Pile::Closed(0));
        QCOMPARE(moved.count(), 3);
        {
            // A card in hand that fits nowhere: the turn starts on the closed pile instead.
            Rig k;
            k.SetUpThree(Card(12, 0));
            QCOMPARE(k.w->FocusedPile(), Pile::Closed(0));
        }
        // A screen reader hears the pile reached, with what lies on it.
        QCOMPARE(
            QAccessible::queryAccessibleInterface(r.w->statusBar())->text(QAccessible::Description),
            QStringLiteral("Player 1's closed pile: 2 cards"));
        // A Linux screen reader follows the focus from picture to picture, and reads what lies
        // on a pile from its description: AT-SPI carries no text value.
        QAccessibleInterface* closed = QAccessible::queryAccessibleInterface(r.w->picCloseDeck(0));
        QVERIFY(closed->state().focused);
        QVERIFY(!QAccessible::queryAccessibleInterface(r.w->picCloseDeck(1))->state().focused);
        QCOMPARE(closed->text(QAccessible::Description), QStringLiteral("2 cards"));
        // The arrows follow the rows as drawn: along the top row, down into the suit row, down
        // again into the bottom row, and no further.
        Key(r, Qt::Key_Right);
        QCOMPARE(r.w->FocusedPile(), Pile::Open(0));
        Key(r, Qt::Key_Down);
        QVERIFY(r.w->FocusedPile().IsSuit());
        const QPoint band = r.w->FocusFrame()->geometry().center();
        Key(r, Qt::Key_Right);
        QVERIFY(r.w->FocusedPile().IsSuit());
        QVERIFY(r.w->FocusFrame()->geometry().center().x() > band.x());
        Key(r, Qt::Key_Down);
        QCOMPARE(r.w->FocusedPile().index, 2);
        Key(r, Qt::Key_Down);
        QCOMPARE(r.w->FocusedPile().index, 2);
        Key(r, Qt::Key_Up);
        QVERIFY(r.w->FocusedPile().IsSuit());
        Key(r, Qt::Key_Escape);
        QCOMPARE(r.w->FocusedPile(), Pile::Open(0));
    }

    // Enter drops the card in hand on a pile that takes it; one that cannot sends it back. On
    // the closed pile it turns a card, which Enter lays on the own pile. What a mistake costs
    // is the rules' business, tested with them.
    void enterPlaysTheFocusedPile() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        QVERIFY(Go(r, Pile::Open(2)));
        Key(r, Qt::Key_Return);
        QCOMPARE(r.w->flights, (std::vector<Pile>{Pile::Open(2), Pile::None()}));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 0));
        QCOMPARE(r.P(2).OpenDeck.Count, 1);
        QVERIFY(Go(r, Pile::Open(1)));
        Key(r, Qt::Key_Space);
        QCOMPARE(r.P(1).OpenDeck.Top(), Card(6, 0));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(2, 3));

        QVERIFY(Go(r, Pile::Closed(0)));
        Key(r, Qt::Key_Enter);
        QCOMPARE(r.G().GameState, State::Turned);
        // After a key the line names the keys first; a key that cannot act says why, until
        // the next input.
        const auto status = [&] { return r.w->lblStatus()->text(); };
        QVERIFY(
            status().contains(QStringLiteral("Jack of spades. Play it where it fits by moving")));
        Key(r, Qt::Key_Enter);
        QCOMPARE(r.G().GameState, State::Turned);
        QVERIFY(status().endsWith(QStringLiteral("\nYou already hold the Jack of spades: play it, "
                                                 "or lay it on your own open pile, before you "
                                                 "turn up another card.")));
        QTest::mouseClick(r.w->picCloseDeck(1), Qt::LeftButton);
        QVERIFY(status().contains(QStringLiteral("Jack of spades. Drag it where it fits")));
        QVERIFY(!status().contains('\n'));
        QVERIFY(Go(r, Pile::Open(0)));
        Key(r, Qt::Key_Return);
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(10, 3));
        QCOMPARE(r.G().CurrentPlayer, 1);
        QCOMPARE(r.rules->Stats().penalties, 0u);
    }

    // Keys in the middle of a move are ignored as clicks are: moving the focus to the closed
    // pile and pressing Enter there would have been mistake 1.
    void keysIgnoredDuringFlight() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        QVERIFY(Go(r, Pile::Open(1)));
        r.w->duringFlight = [&] {
            Key(r, Qt::Key_Escape);
            Key(r, Qt::Key_Backtab);
            Key(r, Qt::Key_Return);
            Key(r, Qt::Key_Space);
        };
        Key(r, Qt::Key_Return);
        QCOMPARE(r.w->flights, (std::vector<Pile>{Pile::Open(1)}));
        QCOMPARE(r.P(1).OpenDeck.Top(), Card(6, 0));
        QCOMPARE(r.rules->Stats().penalties, 0u);
        QCOMPARE(r.P(0).CloseDeck.Count, 2);
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
