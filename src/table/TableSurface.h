// The cloth and what lies on it: a panel per seat, the band of suit piles and the card in hand,
// sized for a zoom and placed for a number of seats. It knows where every pile lies; what the
// piles show is the window's to decide.
#pragma once

#include "engine/Pile.h"
#include "table/TableLayout.h"

#include <QWidget>

#include <array>
#include <vector>

namespace korvane {

class CardInHand;
class CardLibrary;
class PictureBox;
class SeatPanel;
class SuitBand;

class TableSurface : public QWidget {
    Q_OBJECT
public:
    TableSurface(QWidget* parent, CardLibrary& cards, const QColor& cloth);

    SeatPanel* Seat(int i) const { return seats_.at(static_cast<std::size_t>(i)); }
    SuitBand* Band() const { return band_; }
    CardInHand* Hand() const { return hand_; }

    // The picture of a pile; None names the card in hand.
    PictureBox* PileWidget(Pile pile) const;
    // Where a pile of the first `seats` seats lies on the cloth; where the card in hand lies for
    // any other.
    QPoint PilePosition(Pile pile, int seats) const;
    // Every pile shown, in the order Tab visits them: seat by seat, then the suit places left to
    // right. Empty while no table is shown.
    std::vector<Pile> PilesInOrder(int seats) const;

    // The labels' font at zoom z, and a label's height in it: two lines.
    static QFont LabelFont(double z);
    static int LabelHeight(double z);
    // Every label takes the font of zoom z, keeping its own weight and slant.
    void ZoomLabels(double z);
    // Sizes every panel, the band and the card in hand for piles of size pile.
    void Arrange(int seats, layout::Size pile, int labelHeight, int spacing);
    // Puts the panels of `seats` seats and the band where t says.
    void Place(int seats, const layout::TablePlacement& t);

private:
    std::array<SeatPanel*, layout::MaxSeats> seats_{};
    SuitBand* band_;
    CardInHand* hand_;
};

} // namespace korvane
