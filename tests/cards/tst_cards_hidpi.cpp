// Runs under a screen scale factor (set by the test's environment): card pictures store and
// show their images at the screen's own scale.
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"

#include <QPainter>
#include <QtTest>

using namespace korvane;

class TestCardsHiDpi : public QObject {
    Q_OBJECT

private slots:
    void cardPictureAtScreenScale() {
        PictureBox box;
        box.resize(71, 96);
        box.setBackground(QColor(0, 128, 0));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const qreal dpr = box.devicePixelRatioF();
        QVERIFY2(dpr > 1.0, "run with a scale factor above 1");

        CardLibrary lib;
        int32_t w = 0, h = 0;
        QVERIFY(lib.cdtInit(w, h));
        DrawCard(lib, &box, 0, 0, 38, false);

        const QSize device = QSize(71, 96) * dpr;
        const QImage stored = box.image().toImage().convertToFormat(QImage::Format_RGB32);

        // Rendered afresh at this scale: the pixels of the card drawn at the device size on a
        // plain screen, not a scaled-up image of the plain card.
        QImage expected(device, QImage::Format_RGB32);
        expected.fill(QColor(0, 128, 0));
        QPainter p(&expected);
        p.drawImage(0, 0, lib.Image(38, 0, Qt::white, 1.0, device).toImage());
        p.end();
        expected.setDevicePixelRatio(dpr);
        QCOMPARE(stored, expected);

        // What the widget shows is the stored image, pixel for pixel.
        box.repaint();
        QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), stored);
    }
};

QTEST_MAIN(TestCardsHiDpi)
#include "tst_cards_hidpi.moc"
