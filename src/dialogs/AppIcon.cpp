#include "dialogs/AppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace korvane {

QPixmap AppIconPixmap(int side, qreal dpr) {
    const int device = qMax(1, qRound(side * dpr));
    QPixmap pm(device, device);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QString::fromLatin1(AppIconPath));
    if (svg.isValid()) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p, QRectF(0, 0, device, device));
    }
    pm.setDevicePixelRatio(dpr);
    return pm;
}

QIcon AppIcon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(AppIconPixmap(side));
    return icon;
}

} // namespace korvane
