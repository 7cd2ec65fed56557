#include "table/CardInHand.h"

#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "engine/GameRecord.h"
#include "table/StatusText.h"

#include <QMouseEvent>

namespace korvane {

CardInHand::CardInHand(QWidget& table, CardLibrary& cards, const QColor& cloth)
    : QObject(&table), cards_(cards), pic_(new PictureBox(&table)), code_(DrawCode::Nothing) {
    pic_->setBackground(cloth);
    pic_->hide();
    pic_->installEventFilter(this);
    Describe();
}

bool CardInHand::Shown() const {
    return !pic_->isHidden();
}

void CardInHand::Show(QPoint at, uint8_t code, QSize size, Pile from) {
    pic_->move(at);
    pic_->show();
    code_ = code;
    from_ = from;
    Resize(size);
    pic_->raise();
    Describe();
}

void CardInHand::Hide() {
    pic_->hide();
    pic_->clearImage();
    code_ = DrawCode::Nothing;
    from_ = Pile::None();
    Describe();
}

void CardInHand::Resize(QSize size) {
    pic_->resize(size);
    if (Shown())
        DrawCard(cards_, pic_, 0, 0, code_, false, size);
}

void CardInHand::Describe() {
    // A back is a card face down: its face is not the listener's to know.
    pic_->SetAccessibleValue(!Shown()              ? tr("none")
                             : code_ < CardsInPack ? QString::fromLatin1(status::CardName(code_))
                                                   : tr("a card face down"));
}

bool CardInHand::eventFilter(QObject* watched, QEvent* event) {
    if (watched != pic_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        emit pressed();
        if (mayTake && mayTake()) {
            dragging_ = true;
            grab_ = static_cast<QMouseEvent*>(event)->position();
        }
        return true;
    case QEvent::MouseMove:
        if (dragging_) {
            pic_->move(pic_->pos() +
                       (static_cast<QMouseEvent*>(event)->position() - grab_).toPoint());
            emit carried();
        }
        return true;
    case QEvent::MouseButtonRelease:
        // A game replaced while the card was held has forgotten the drag.
        if (dragging_) {
            dragging_ = false;
            emit dropped();
        }
        return true;
    case QEvent::MouseButtonDblClick:
        // The second press of a double click starts no drag; its release then does nothing.
        return true;
    default:
        return false;
    }
}

} // namespace korvane
