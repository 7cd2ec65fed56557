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

        // Rendered afresh at this scale, not a scaled-up image of the plain one.
        QPixmap expected(device);
        expected.setDevicePixelRatio(dpr);
        expected.fill(QColor(0, 128, 0));
        QPainter p(&expected);
        p.drawPixmap(QPointF(0, 0), lib.Image(38, 0, Qt::white, dpr));
        p.end();
        QCOMPARE(stored, expected.toImage().convertToFormat(QImage::Format_RGB32));
        const QImage upscaled =
            lib.Image(38, 0, Qt::white, 1.0)
                .toImage()
                .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(lib.Image(38, 0, Qt::white, dpr)
                    .toImage()
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied) !=
                upscaled.convertToFormat(QImage::Format_ARGB32_Premultiplied));

        // What the widget shows is the stored image, pixel for pixel.
        box.repaint();
        QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), stored);
    }
};

QTEST_MAIN(TestCardsHiDpi)
#include "tst_cards_hidpi.moc"
