// What a screen reader hears through whole games, checked against the table as it is drawn: it
// must learn nothing a sighted player cannot see.
#include "TestWindow.h"
#include "table/StatusLine.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QStatusBar>

#include <random>
#include <set>

using namespace korvane;
using test::Rig;

namespace {

const QString Ranks = QStringLiteral("Ace|2|3|4|5|6|7|8|9|10|Jack|Queen|King");
const QStringList RankList = Ranks.split('|');
const QStringList SuitList{"clubs", "diamonds", "hearts", "spades"};

// Every card a text names, read back into card codes.
std::vector<uint8_t> Named(const QString& text) {
    static const QRegularExpression card("\\b(" + Ranks + ") of (clubs|diamonds|hearts|spades)");
    std::vector<uint8_t> out;
    for (auto it = card.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out.push_back(test::Card(static_cast<int>(RankList.indexOf(m.captured(1))),
                                 static_cast<int>(SuitList.indexOf(m.captured(2)))));
    }
    return out;
}

QString Text(QObject* o, QAccessible::Text t) {
    return QAccessible::queryAccessibleInterface(o)->text(t);
}

// Hears every announcement as it is made, with the table's accessible texts at that moment, and
// keeps what it hears that names a card lying face down.
class Listener {
public:
    explicit Listener(Rig& r) : r_(r) {
        QObject::connect(r.w->statusBar()->findChild<StatusLine*>(), &StatusLine::announced,
                         r.w.get(), [this](const QString& text) { Heard(text); });
    }

    // The card the person turned up last, face up while it is in his hand.
    uint8_t turned = NoCard;
    QStringList faults;
    int heard = 0;

    // The cards whose faces the rules have uncovered: those on open and suit piles, and the
    // one turned up.
    std::set<uint8_t> FaceUp() const {
        std::set<uint8_t> up{turned};
        const GameInfo& G = r_.G();
        for (const CardDeck& d : G.SuitDeck)
            up.insert(d.Card.begin(), d.Card.begin() + d.Count);
        for (const PlayerInfo& p : G.Player)
            up.insert(p.OpenDeck.Card.begin(), p.OpenDeck.Card.begin() + p.OpenDeck.Count);
        return up;
    }
    // Every card named in `text` is face up; an explanation of a penalty may name a card as it
    // lay when the mistake was made.
    void Check(const QString& where, const QString& text) {
        const std::set<uint8_t> up = FaceUp();
        seen_.insert(up.begin(), up.end());
        for (const QString& line : text.split('\n'))
            for (const uint8_t c : Named(line))
                if (!(line.startsWith("Penalty for") ? seen_ : up).contains(c))
                    faults << where + " names a face-down card: " + line;
    }

private:
    void Heard(const QString& text) {
        ++heard;
        Check("an announcement", text);
        for (PictureBox* pic : r_.w->findChildren<PictureBox*>())
            Check(Text(pic, QAccessible::Name), Text(pic, QAccessible::Value));
    }

    Rig& r_;
    std::set<uint8_t> seen_;
};

// With nothing moving: every pile reads as the card seen on its top (the card in hand on the
// pile it lies on), and the status line names only faces drawn on the table.
void CheckTable(Rig& r, Listener& l) {
    const GameInfo& G = r.G();
    frmKorvane& w = *r.w;
    const bool handUp = !w.picDrag()->isHidden() && w.DragCode() < CardsInPack;
    std::set<uint8_t> drawn;
    if (handUp)
        drawn.insert(w.DragCode());
    auto expect = [&](bool ok, const QString& what) {
        if (!ok)
            l.faults << what;
    };
    std::vector<Pile> piles;
    for (uint8_t s = 0; s < SuitPiles; ++s)
        piles.push_back(Pile::Suit(s));
    for (uint8_t i = 0; i < G.PlayerCount; ++i)
        piles.insert(piles.end(), {Pile::Open(i), Pile::Closed(i)});
    for (const Pile p : piles) {
        PictureBox* pic = w.PileWidget(p);
        // A screen reader passes over what is not shown, as the eye does.
        if (!pic->isVisible())
            continue;
        const bool covered = handUp && w.picDrag()->pos() == w.PilePosition(p);
        const uint8_t top = covered && p.IsOpen() ? w.DragCode() : w.DrawnCode(pic);
        if (w.DrawnCode(pic) < CardsInPack)
            drawn.insert(w.DrawnCode(pic));
        const QString value = Text(pic, QAccessible::Value);
        const QString name = Text(pic, QAccessible::Name);
        if (p.IsOpen())
            expect(Named(value) ==
                       (top < CardsInPack ? std::vector<uint8_t>{top} : std::vector<uint8_t>{}),
                   name + " reads " + value);
        if (p.IsSuit())
            expect(value == (top < CardsInPack ? "up to " + RankList[Rank(top)] : "empty"),
                   name + " reads " + value);
        if (p.IsClosed())
            expect(Named(value).empty(), name + " reads " + value);
    }
    expect(Named(Text(w.picDrag(), QAccessible::Value)) ==
               (handUp ? std::vector<uint8_t>{w.DragCode()} : std::vector<uint8_t>{}),
           "the card in hand reads " + Text(w.picDrag(), QAccessible::Value));
    for (const QString& line : Text(w.statusBar(), QAccessible::Description).split('\n'))
        for (const uint8_t c : Named(line))
            expect(line.startsWith("Penalty for") || drawn.contains(c),
                   "the status line names a card not drawn: " + line);
    l.Check("the status line", Text(w.statusBar(), QAccessible::Description));
}

// The person whose turn it is acts, by mouse or keys: he plays where the card fits, turns a
// card when nothing fits, and now and then makes either mistake.
void Act(Rig& r, Listener& l, std::mt19937& rng) {
    const GameInfo& G = r.G();
    frmKorvane& w = *r.w;
    const uint8_t c = G.CurrentPlayer;
    const bool keys = rng() % 2 == 0;
    const bool mistake = rng() % 5 == 0;
    std::vector<Pile> fits;
    for (uint8_t s = 0; s < SuitPiles; ++s)
        if (PileTakes(G, Pile::Suit(s)))
            fits.push_back(Pile::Suit(s));
    for (uint8_t i = 0; i < G.PlayerCount; ++i)
        if (i != c && PileTakes(G, Pile::Open(i)))
            fits.push_back(Pile::Open(i));
    const bool turned = G.GameState == State::Turned;
    Pile to = fits.empty() ? Pile::None() : fits[rng() % fits.size()];
    if (turned && (to.IsNone() || mistake))
        to = Pile::Open(c);
    else if (!turned && (to.IsNone() || mistake || G.CardInHand() == NoCard))
        to = Pile::Closed(c);
    if (to.IsClosed())
        l.turned = G.Player[c].CloseDeck.Empty() ? NoCard : G.Player[c].CloseDeck.Card[0];
    if (keys) {
        for (int i = 0; i < 30 && w.FocusedPile() != to; ++i)
            QTest::keyClick(w.Table(), Qt::Key_Tab);
        QTest::keyClick(w.Table(), Qt::Key_Return);
    } else if (to.IsClosed()) {
        QTest::mouseClick(w.PileWidget(to), Qt::LeftButton);
    } else {
        QWidget* pic = w.picDrag();
        const QPoint grab(20, 30);
        QTest::mousePress(pic, Qt::LeftButton, {}, grab);
        QTest::mouseMove(pic, grab + w.PilePosition(to) - pic->pos());
        QTest::mouseRelease(pic, Qt::LeftButton, {}, grab);
    }
}

} // namespace

class TestSeen : public QObject {
    Q_OBJECT
private slots:
    // Whole games at three to five seats, both ways of charging mistake 1: every announcement
    // and every picture's value as it is made, and the whole table after every action.
    void screenReaderLearnsOnlyWhatIsSeen_data() {
        QTest::addColumn<uint32_t>("seed");
        QTest::addColumn<int>("seats");
        QTest::addColumn<bool>("perTurn");
        QTest::newRow("3 seats") << 5u << 3 << false;
        QTest::newRow("4 seats, per turn") << 8u << 4 << true;
        QTest::newRow("5 seats") << 13u << 5 << false;
    }
    void screenReaderLearnsOnlyWhatIsSeen() {
        QFETCH(uint32_t, seed);
        QFETCH(int, seats);
        QFETCH(bool, perTurn);
        Rig r(seed);
        QVERIFY(r.exposed);
        Listener l(r);
        std::mt19937 rng(seed);
        r.g.Game.KorvanePerTurn = perTurn;
        r.NewGame(seats);
        if (r.G().GameState == State::Turned)
            l.turned = r.G().CardInHand();
        int actions = 0;
        while (r.G().InProgress() && actions < 1500) {
            Act(r, l, rng);
            ++actions;
            QVERIFY(!r.rules->MoveInProgress());
            CheckTable(r, l);
            QVERIFY2(l.faults.isEmpty(),
                     qPrintable(QString("after action %1: ").arg(actions) + l.faults.join('\n')));
        }
        // The games were played out, with penalties charged and much said.
        QVERIFY(!r.G().InProgress());
        QVERIFY(r.rules->Stats().penalties > 2);
        QVERIFY2(l.heard > 500, qPrintable(QString::number(l.heard)));
    }
};

QTEST_MAIN(TestSeen)
#include "tst_seen.moc"
