#include "cards/PictureBox.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace korvane {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), background_(Qt::white) {
    // The stored image covers the whole widget, so nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void PictureBox::setBackground(const QColor& colour) {
    background_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
    clearImage();
}

void PictureBox::SyncImage() {
    const qreal dpr = devicePixelRatioF();
    const QSize logical = size().expandedTo(QSize(1, 1));
    // Rounded as Qt rounds the widget itself, so the image maps onto it pixel for pixel.
    const QSize device = logical * dpr;
    if (!image_.isNull() && image_.size() == device && image_.devicePixelRatio() == dpr) {
        return;
    }
    QPixmap grown(device);
    grown.setDevicePixelRatio(dpr);
    grown.fill(background_);
    if (!image_.isNull()) {
        // What was drawn stays at its place; the new part shows the background.
        QPainter p(&grown);
        p.drawPixmap(QPointF(0, 0), image_);
    }
    image_ = std::move(grown);
}

void PictureBox::clearImage() {
    SyncImage();
    image_.fill(background_);
    update();
}

void PictureBox::paintImage(const std::function<void(QPainter&)>& draw) {
    SyncImage();
    {
        QPainter p(&image_);
        draw(p);
    }
    update();
}

const QPixmap& PictureBox::image() {
    SyncImage();
    return image_;
}

void PictureBox::SetAccessibleValue(const QString& value) {
    if (value == accessibleValue_)
        return;
    accessibleValue_ = value;
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
    // Linux screen readers get no text value over AT-SPI; the description carries it there.
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void PictureBox::SetKeyFocus(bool focused) {
    if (focused == keyFocus_)
        return;
    keyFocus_ = focused;
    QAccessible::State changed;
    changed.focused = true;
    QAccessibleStateChangeEvent state(this, changed);
    QAccessible::updateAccessibility(&state);
    if (focused) {
        QAccessibleEvent event(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    SyncImage();
    // Same scale on both sides: the stored pixels are copied one to one, clipped by Qt to the
    // region that needs it.
    QPainter p(this);
    p.drawPixmap(QPointF(0, 0), image_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncImage();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QWidget::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

} // namespace korvane
