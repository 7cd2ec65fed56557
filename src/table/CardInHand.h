// The card in hand: the picture over its pile that a person drags with the mouse, and that the
// keys and the rules send flying. It says to a screen reader only what a sighted player sees.
#pragma once

#include "engine/Pile.h"

#include <QObject>
#include <QPoint>
#include <QSize>

#include <cstdint>
#include <functional>

class QWidget;

namespace korvane {

class CardLibrary;
class PictureBox;

class CardInHand : public QObject {
    Q_OBJECT
public:
    CardInHand(QWidget& table, CardLibrary& cards, const QColor& cloth);

    PictureBox* Picture() const { return pic_; }
    // The drawing code shown: a card, a back, or DrawCode::Nothing while hidden.
    uint8_t Code() const { return code_; }
    bool Shown() const;
    // Taken up by the mouse and not yet let go.
    bool Dragging() const { return dragging_; }
    // The pile it was taken from, and belongs to until it is laid or hidden; None for a card
    // on its way off the table.
    Pile From() const { return from_; }
    // Shows `code` at `at`, drawn at `size`, over every pile.
    void Show(QPoint at, uint8_t code, QSize size, Pile from);
    void Hide();
    // Draws what it shows at a new size.
    void Resize(QSize size);
    // A new table or game: no drag under way.
    void Forget() { dragging_ = false; }

    // Whether a press may take the card up now.
    std::function<bool()> mayTake;

signals:
    // Any press on the card: the mouse is in use.
    void pressed();
    // Moved while taken up.
    void carried();
    // Let go after being taken up.
    void dropped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Describe();

    CardLibrary& cards_;
    PictureBox* pic_;
    uint8_t code_;
    Pile from_;
    bool dragging_ = false;
    QPointF grab_;
};

} // namespace korvane
