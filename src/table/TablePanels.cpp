#include "table/TablePanels.h"

#include "cards/PictureBox.h"
#include "table/StatusText.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

namespace korvane {

namespace {

QRect ToQRect(const layout::Rect& r) {
    return {r.x, r.y, r.w, r.h};
}

void Fill(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

SeatPanel::SeatPanel(QWidget* table, const QColor& cloth)
    : QWidget(table), cloth_(cloth), closed_(new PictureBox(this)), open_(new PictureBox(this)),
      label_(new QLabel(this)) {
    Fill(this, cloth);
    hide();
    closed_->setBackground(cloth);
    open_->setBackground(cloth);
    label_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label_->setWordWrap(true);
    // A name is shown as typed: never read as markup.
    label_->setTextFormat(Qt::PlainText);
    Fill(label_, cloth);
    label_->installEventFilter(this);
    label_->setToolTip(QString::fromLatin1(status::LabelTip()));
    connect(closed_, &PictureBox::clicked, this, &SeatPanel::closedClicked);
}

void SeatPanel::Arrange(const layout::PanelLayout& p) {
    resize(p.panel.w, p.panel.h);
    closed_->setGeometry(ToQRect(p.closed));
    open_->setGeometry(ToQRect(p.open));
    label_->setGeometry(ToQRect(p.label));
}

void SeatPanel::ShowLabel(const QString& text, bool current, bool italic) {
    QFont font = label_->font();
    font.setBold(current);
    font.setItalic(italic);
    label_->setFont(font);
    QPalette pal = label_->palette();
    pal.setColor(QPalette::WindowText,
                 current ? CurrentInk() : QApplication::palette().color(QPalette::ButtonText));
    pal.setColor(QPalette::Window, current ? Plate() : cloth_);
    label_->setPalette(pal);
    label_->setText(text);
}

void SeatPanel::ZoomLabel(const QFont& font) {
    QFont own = font;
    own.setBold(label_->font().bold());
    own.setItalic(label_->font().italic());
    label_->setFont(own);
}

bool SeatPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label_ && event->type() == QEvent::MouseButtonDblClick) {
        emit labelDoubleClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

SuitBand::SuitBand(QWidget* table, const QColor& cloth) : QWidget(table) {
    Fill(this, cloth);
    hide();
    for (PictureBox*& pile : piles_) {
        pile = new PictureBox(this);
        pile->setBackground(cloth);
    }
}

std::array<uint8_t, layout::SuitPiles> SuitBand::InPlaceOrder() const {
    std::array<uint8_t, layout::SuitPiles> order{};
    for (uint8_t s = 0; s < layout::SuitPiles; ++s)
        order.at(static_cast<std::size_t>(slot_[s])) = s;
    return order;
}

void SuitBand::Arrange(layout::Size pile, int spacing) {
    for (PictureBox* p : piles_)
        p->setGeometry(p->x(), spacing, pile.w, pile.h);
    resize(width(), layout::SuitBandHeight(pile, spacing));
}

void SuitBand::Place(const layout::TablePlacement& t) {
    setGeometry(ToQRect(t.band));
    for (std::size_t i = 0; i < piles_.size(); ++i)
        piles_[i]->move(t.suitLeft.at(static_cast<std::size_t>(slot_[i])), t.suitTop);
}

void SuitBand::Swap(uint8_t a, uint8_t b) {
    const QPoint at = piles_.at(a)->pos();
    piles_[a]->move(piles_.at(b)->pos());
    piles_[b]->move(at);
    std::swap(slot_[a], slot_[b]);
}

void SuitBand::ResetPlaces() {
    slot_ = {0, 1, 2, 3};
}

} // namespace korvane
