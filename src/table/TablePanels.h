// The panels the table is made of: one per seat, and the band of suit piles.
#pragma once

#include "table/TableLayout.h"

#include <QWidget>

#include <array>

class QLabel;

namespace korvane {

class PictureBox;

// One seat at the table: its closed and open piles and the label with the player's name. The
// label of the player whose turn it is stands on a light plate, so that the turn shows to
// someone who cannot tell its red from the green cloth.
class SeatPanel : public QWidget {
    Q_OBJECT
public:
    // The plate behind the current player's label: red on it has a contrast of 4:1.
    static QColor Plate() { return {255, 255, 240}; }
    static QColor CurrentInk() { return {255, 0, 0}; }

    SeatPanel(QWidget* table, const QColor& cloth);

    PictureBox* Closed() const { return closed_; }
    PictureBox* Open() const { return open_; }
    QLabel* Label() const { return label_; }

    // Places the piles and the label as p lays them out.
    void Arrange(const layout::PanelLayout& p);
    // The label's text, and whether it is this player's turn.
    void ShowLabel(const QString& text, bool current, bool italic);
    // The label takes the table's font at a new zoom, keeping its own weight and slant.
    void ZoomLabel(const QFont& font);

signals:
    void closedClicked();
    void labelDoubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor cloth_;
    PictureBox* closed_;
    PictureBox* open_;
    QLabel* label_;
};

// The band of suit piles across the middle of the table. An Ace laid on another suit's empty
// place swaps the two pictures, so each picture remembers the place it occupies.
class SuitBand : public QWidget {
    Q_OBJECT
public:
    SuitBand(QWidget* table, const QColor& cloth);

    PictureBox* Pile(int suit) const { return piles_.at(static_cast<std::size_t>(suit)); }
    // The suits in their places, left to right.
    std::array<uint8_t, layout::SuitPiles> InPlaceOrder() const;
    // Sizes the band and its piles for piles of size pile.
    void Arrange(layout::Size pile, int spacing);
    // Puts the band and its piles where t says.
    void Place(const layout::TablePlacement& t);
    void Swap(uint8_t a, uint8_t b);
    // Every suit back in its own place, as at the start of a game.
    void ResetPlaces();

private:
    std::array<PictureBox*, layout::SuitPiles> piles_{};
    std::array<int, layout::SuitPiles> slot_{0, 1, 2, 3};
};

} // namespace korvane
