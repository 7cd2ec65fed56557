#include "table/TablePaint.h"

namespace korvane::paint {

bool SeatExists(const GameInfo& g, uint8_t I) {
    return I < g.PlayerCount && I < g.Player.size();
}

uint8_t CloseDeckCode(const GameInfo& g, uint8_t I, const DragState& drag) {
    const PlayerInfo& p = g.Player[I];
    // Seats with no game dealt yet (a network table gathering) have nothing to cross out.
    if (g.GameState == State::NoGame)
        return DrawCode::EmptyPlace;
    if (p.CloseDeck.Empty())
        return p.OpenDeck.Empty() ? DrawCode::Cross : DrawCode::Circle;
    // The last closed card is in hand: the pile already looks empty.
    if (I == g.CurrentPlayer && p.CloseDeck.Count == 1 && drag.visible && drag.card &&
        *drag.card == p.CloseDeck.Card[0])
        return DrawCode::Circle;
    return g.DeckBack;
}

Look OpenDeckLook(const GameInfo& g, uint8_t I, bool Inverse) {
    const PlayerInfo& p = g.Player[I];
    const bool h = Inverse && g.OutlineDrag;
    if (!p.OpenDeck.Empty())
        return {p.OpenDeck.Top(), h};
    if (!p.CloseDeck.Empty() || g.GameState == State::NoGame)
        return {DrawCode::EmptyPlace, h};
    return {DrawCode::Cross, false};
}

Look BeneathTopLook(const GameInfo& g, uint8_t I, bool Inverse) {
    const CardDeck& d = g.Player[I].OpenDeck;
    if (d.Count >= 2)
        return {d.Card[d.Count - 2], Inverse};
    return {DrawCode::EmptyPlace, Inverse};
}

Look SuitLook(const GameInfo& g, uint8_t I, bool Inverse) {
    const CardDeck& d = g.SuitDeck[I];
    return {d.Empty() ? DrawCode::EmptyPlace : d.Top(), Inverse};
}

LabelLook PlayerLabel(const GameInfo& g, uint8_t I, const SeatRoles& roles) {
    const PlayerInfo& p = g.Player[I];
    LabelLook l;
    l.current = g.GameState != State::NoGame && I == g.CurrentPlayer;
    l.italic = p.Computer;
    if (roles.Waiting(I)) {
        l.text = "Waiting for a player";
        return l;
    }
    // At a network table the seats played here are the user's: he finds his own at a glance.
    l.text = p.TrimmedName() + (roles.Own(I) ? " (you)" : "") + " (" +
             std::to_string(p.CardsHeld()) + ")";
    if (p.Lost > 0)
        l.text += " [" + std::to_string(p.Lost) + "]";
    return l;
}

std::string Caption(const std::string& FileTitle) {
    std::string c = std::string(AppTitle) + " (v" + std::to_string(VersionMajor) + "." +
                    (VersionMinor < 10 ? "0" : "") + std::to_string(VersionMinor) + ")";
    const auto first = FileTitle.find_first_not_of(' ');
    if (first != std::string::npos)
        c += " - " + FileTitle;
    return c;
}

} // namespace korvane::paint
