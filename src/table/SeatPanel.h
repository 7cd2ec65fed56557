// One seat at the table: its closed and open piles and the label with the player's name. The
// label of the player whose turn it is stands on a light plate, so that the turn shows to
// someone who cannot tell its red from the green cloth.
#pragma once

#include "table/TableLayout.h"

#include <QWidget>

class QLabel;

namespace korvane {

class PictureBox;

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

} // namespace korvane
