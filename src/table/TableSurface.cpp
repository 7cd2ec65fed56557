#include "table/TableSurface.h"

#include "cards/PictureBox.h"
#include "table/CardInHand.h"
#include "table/TablePanels.h"

#include <QFontMetrics>
#include <QLabel>

namespace korvane {

TableSurface::TableSurface(QWidget* parent, CardLibrary& cards, const QColor& cloth)
    : QWidget(parent) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, cloth);
    setPalette(pal);
    setAutoFillBackground(true);
    for (SeatPanel*& seat : seats_)
        seat = new SeatPanel(this, cloth);
    band_ = new SuitBand(this, cloth);
    // Made last, so that it lies over every pile.
    hand_ = new CardInHand(*this, cards, cloth);
}

QFont TableSurface::LabelFont(double z) {
    // Arial's metric twin stands in where Arial is absent.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(layout::LabelPointsAt(z));
    return font;
}

int TableSurface::LabelHeight(double z) {
    return QFontMetrics(LabelFont(z))
        .boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft, QStringLiteral("M\nM"))
        .height();
}

void TableSurface::ZoomLabels(double z) {
    const QFont font = LabelFont(z);
    setFont(font);
    for (SeatPanel* seat : seats_)
        seat->ZoomLabel(font);
}

PictureBox* TableSurface::PileWidget(Pile pile) const {
    switch (pile.kind) {
    case Pile::Kind::Suit:
        return pile.index < layout::SuitPiles ? band_->Pile(pile.index) : nullptr;
    case Pile::Kind::Open:
        return pile.index < layout::MaxSeats ? seats_[pile.index]->Open() : nullptr;
    case Pile::Kind::Closed:
        return pile.index < layout::MaxSeats ? seats_[pile.index]->Closed() : nullptr;
    case Pile::Kind::None:
        break;
    }
    return hand_->Picture();
}

QPoint TableSurface::PilePosition(Pile pile, int seats) const {
    const PictureBox* pic = PileWidget(pile);
    // A pile within the table: its panel's place plus its own.
    if (pile.IsSuit() || ((pile.IsOpen() || pile.IsClosed()) && pile.index < seats))
        return pic->parentWidget()->pos() + pic->pos();
    return hand_->Picture()->pos();
}

std::vector<Pile> TableSurface::PilesInOrder(int seats) const {
    std::vector<Pile> order;
    if (band_->isHidden())
        return order;
    for (uint8_t i = 0; i < seats; ++i) {
        if (seats_[i]->isHidden())
            continue;
        order.push_back(Pile::Closed(i));
        order.push_back(Pile::Open(i));
    }
    for (const uint8_t s : band_->InPlaceOrder())
        order.push_back(Pile::Suit(s));
    return order;
}

void TableSurface::Arrange(int seats, layout::Size pile, int labelHeight, int spacing) {
    for (int i = 0; i < layout::MaxSeats; ++i)
        seats_[static_cast<std::size_t>(i)]->Arrange(
            layout::SizeFrames(layout::SeatOnTop(i, seats), pile, labelHeight, spacing));
    band_->Arrange(pile, spacing);
    hand_->Resize({pile.w, pile.h});
}

void TableSurface::Place(int seats, const layout::TablePlacement& t) {
    band_->Place(t);
    for (int i = 0; i < seats && i < layout::MaxSeats; ++i)
        seats_[static_cast<std::size_t>(i)]->move(t.panel[static_cast<std::size_t>(i)].x,
                                                  t.panel[static_cast<std::size_t>(i)].y);
}

} // namespace korvane
