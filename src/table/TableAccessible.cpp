#include "table/TableAccessible.h"

#include "cards/PictureBox.h"
#include "table/StatusText.h"
#include "table/TablePanels.h"
#include "table/TableSurface.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace korvane::access {

namespace {

std::string Name(const GameInfo& g, uint8_t seat) {
    return seat < g.Player.size() ? g.Player[seat].TrimmedName() : std::string();
}

std::string Count(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A card picture reads as its pile's name and, as its value, what lies on it. The value is its
// description too, the text that AT-SPI carries to Linux screen readers.
class PictureAccessible : public QAccessibleWidget {
public:
    explicit PictureAccessible(PictureBox* pic) : QAccessibleWidget(pic, QAccessible::Graphic) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value ||
            (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()))
            return picture()->AccessibleValue();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        s.focused = picture()->HasKeyFocus();
        return s;
    }

private:
    const PictureBox* picture() const { return static_cast<const PictureBox*>(widget()); }
};

QAccessibleInterface* PictureFactory(const QString& className, QObject* object) {
    if (auto* pic = qobject_cast<PictureBox*>(object);
        pic != nullptr && className == QLatin1String(PictureBox::staticMetaObject.className()))
        return new PictureAccessible(pic);
    return nullptr;
}

} // namespace

std::string PileName(const GameInfo& g, Pile pile) {
    switch (pile.kind) {
    case Pile::Kind::Suit: {
        std::string suit = status::SuitName(pile.index);
        suit[0] = static_cast<char>(suit[0] - 'a' + 'A');
        return suit;
    }
    case Pile::Kind::Open:
        return Name(g, pile.index) + "'s open pile";
    case Pile::Kind::Closed:
        return Name(g, pile.index) + "'s closed pile";
    case Pile::Kind::None:
        break;
    }
    return "Card in hand";
}

std::string PileValue(const GameInfo& g, Pile pile, uint8_t seen) {
    if (pile.IsClosed() && pile.index < g.Player.size()) {
        const CardDeck& d = g.Player[pile.index].CloseDeck;
        return d.Empty() ? "empty" : Count(d.Count, "card", "cards");
    }
    // A pile seen empty, crossed out or face down tells nothing of a card.
    if (seen >= CardsInPack)
        return "empty";
    return pile.IsSuit() ? "up to " + status::RankName(Rank(seen)) : status::CardName(seen);
}

std::string SeatSummary(const GameInfo& g, uint8_t seat, const SeatRoles& roles) {
    if (seat >= g.Player.size())
        return {};
    if (roles.Waiting(seat))
        return "Waiting for a player";
    const PlayerInfo& p = g.Player[seat];
    const char* who = p.Computer              ? ", computer, "
                      : roles.Elsewhere(seat) ? ", person at another computer, "
                      : roles.Own(seat)       ? ", person, your seat, "
                                              : ", person, ";
    return p.TrimmedName() + who + Count(p.CardsHeld(), "card", "cards") + ", " +
           (p.Lost == 0 ? std::string("no games lost") : Count(p.Lost, "game lost", "games lost"));
}

std::string FlightSentence(const GameInfo& g, uint8_t card, Pile to) {
    const std::string mover = Name(g, g.CurrentPlayer);
    if (g.GameState == State::Penalty)
        return "A penalty card flies to " + mover + ".";
    if (to.IsNone())
        return "The " + status::CardName(card) + " goes back.";
    std::string onto =
        to.IsSuit() ? "the " + status::SuitName(to.index) + " pile" : PileName(g, to);
    if (to == Pile::Open(g.CurrentPlayer))
        onto = "his own open pile";
    return mover + " plays the " + status::CardName(card) + " onto " + onto + ".";
}

void DescribeTable(const TableSurface& table, const GameInfo& g, int seats,
                   const std::function<uint8_t(Pile)>& seen, const SeatRoles& roles) {
    for (const Pile pile : table.PilesInOrder(seats)) {
        PictureBox* pic = table.PileWidget(pile);
        pic->setAccessibleName(QString::fromLatin1(PileName(g, pile)));
        pic->SetAccessibleValue(QString::fromLatin1(PileValue(g, pile, seen(pile))));
    }
    for (uint8_t i = 0; i < seats; ++i) {
        const QString seat = QString::fromLatin1(SeatSummary(g, i, roles));
        table.Seat(i)->setAccessibleName(seat);
        table.Seat(i)->Label()->setAccessibleName(seat);
    }
}

void InstallPictureAccessibility() {
    QAccessible::installFactory(PictureFactory);
}

} // namespace korvane::access
