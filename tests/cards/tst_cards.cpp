#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <set>

using namespace korvane;

namespace {

const QColor Table(0, 128, 0);

// The pixels alone, whatever the scale they were made for.
QImage Pixels(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.0);
    return image;
}

bool Filled(const QImage& image, QColor colour) {
    QImage filled(image.size(), image.format());
    filled.fill(colour);
    return image == filled;
}

QByteArray Bytes(const QPixmap& pixmap) {
    const QImage image = Pixels(pixmap);
    return {reinterpret_cast<const char*>(image.constBits()),
            static_cast<qsizetype>(image.sizeInBytes())};
}

// What a card picture should hold after the library drew (code, mode) onto its background.
QImage Composite(CardLibrary& lib, int code, int mode, QColor colour) {
    QPixmap expected(CardLibrary::CardWidth, CardLibrary::CardHeight);
    expected.fill(Table);
    QPainter p(&expected);
    lib.cdtDraw(p, 0, 0, code, mode, colour);
    p.end();
    return Pixels(expected);
}

bool Init(CardLibrary& lib) {
    int32_t w = 0;
    int32_t h = 0;
    return lib.cdtInit(w, h) && w == 71 && h == 96;
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT

private slots:
    void init() {
        lib_ = std::make_unique<CardLibrary>();
        QVERIFY(Init(*lib_));
        box_ = std::make_unique<PictureBox>();
        box_->resize(71, 96);
        box_->setBackground(Table);
    }

    // The mode follows the code and Inverse, the highlight is never the plain image, and the
    // hatched place takes the picture's background. Codes with no image clear the picture and
    // render nothing.
    void drawCardChoosesTheMode() {
        const int cases[][3] = {{0, false, 0},  {51, false, 0}, {37, true, 2},
                                {53, false, 1}, {53, true, 2},  {54, false, 1},
                                {65, false, 1}, {67, false, 1}, {68, true, 2}};
        for (const auto& [code, inverse, mode] : cases) {
            DrawCard(*lib_, box_.get(), 0, 0, static_cast<uint8_t>(code), inverse);
            const QColor colour = code == 53 ? Table : QColor(Qt::white);
            const QImage drawn = Pixels(box_->image());
            QCOMPARE(drawn, Composite(*lib_, code, mode, colour));
            QVERIFY(drawn != Composite(*lib_, code, mode == 2 ? 1 : 2, colour));
        }
        for (int code : {52, 66, 69, 200, 255}) {
            for (bool inverse : {false, true}) {
                DrawCard(*lib_, box_.get(), 0, 0, 12, false);
                const int rendered = lib_->RenderCount();
                DrawCard(*lib_, box_.get(), 0, 0, static_cast<uint8_t>(code), inverse);
                QVERIFY2(Filled(Pixels(box_->image()), Table), qPrintable(QString::number(code)));
                QCOMPARE(lib_->RenderCount(), rendered);
            }
        }
    }

    void everyImageIsDistinctAndSuitsRunClubsDiamondsHeartsSpades() {
        std::set<QByteArray> images;
        for (int code = 0; code <= DrawCode::Circle; ++code) {
            if (code != 52 && code != 53 && code != 66)
                images.insert(Bytes(lib_->Image(code, code < 52 ? 0 : 1, Qt::white, 1.0)));
        }
        QCOMPARE(images.size(), size_t{52 + 12 + 2});
        // The number cards of diamonds and hearts are red.
        for (int code = 4; code < 40; ++code) {
            const QImage face = Pixels(lib_->Image(code, 0, Qt::white, 1.0));
            int red = 0;
            for (int y = 0; y < face.height(); ++y)
                for (int x = 0; x < face.width(); ++x) {
                    const QColor c = face.pixelColor(x, y);
                    red += c.red() > 180 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
                }
            const bool redSuit = code % 4 == 1 || code % 4 == 2;
            QVERIFY2(redSuit ? red > 30 : red == 0, qPrintable(QString::number(code)));
        }
    }

    void imagesAreKeptAndDecksReadWhenFirstNeeded() {
        const int before = lib_->RenderCount();
        const qint64 first = lib_->Image(7, 0, Qt::white, 1.0).cacheKey();
        // The colour only matters to the hatched place; both plain modes look the same.
        QCOMPARE(lib_->Image(7, 0, Qt::red, 1.0).cacheKey(), first);
        QCOMPARE(lib_->Image(7, 1, Qt::white, 1.0).cacheKey(), first);
        QVERIFY(lib_->Image(7, 2, Qt::white, 1.0).cacheKey() != first);
        QVERIFY(lib_->Image(7, 0, Qt::white, 2.0).cacheKey() != first);
        const qint64 green = lib_->Image(53, 1, Table, 1.0).cacheKey();
        QVERIFY(lib_->Image(53, 1, Qt::red, 1.0).cacheKey() != green);
        QCOMPARE(lib_->RenderCount(), before + 5);
        DrawCard(*lib_, box_.get(), 0, 0, 7, true);
        DrawCard(*lib_, box_.get(), 0, 0, 53, false);
        QCOMPARE(lib_->RenderCount(), before + 5);

        CardLibrary lib;
        QCOMPARE(lib.DecksLoaded(), 0);
        QVERIFY(Init(lib));
        lib.Image(51, 0, Qt::white, 1.0);
        lib.Image(54, 1, Qt::white, 1.0); // the face deck's own back
        QCOMPARE(lib.DecksLoaded(), 1);
        lib.Image(60, 1, Qt::white, 1.0);
        lib.Image(60, 2, Qt::white, 2.0);
        QCOMPARE(lib.DecksLoaded(), 2);
    }

    void missingFacesFailInit() {
        const QByteArray backOnly = "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'>"
                                    "<rect id='back' width='9' height='9'/></svg>";
        for (const QByteArray& content : {QByteArray(), QByteArray("not a picture"), backOnly}) {
            QTemporaryDir dir;
            if (!content.isEmpty()) {
                QVERIFY(QDir().mkpath(dir.filePath("svg-standard")));
                QFile file(dir.filePath("svg-standard/standard.svg"));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(content);
            }
            for (const QString& folder : {dir.path(), dir.filePath("nowhere")}) {
                CardLibrary lib(folder);
                int32_t w = 0;
                int32_t h = 0;
                QVERIFY(!lib.cdtInit(w, h));
                QCOMPARE(QSize(w, h), QSize(71, 96));
                QVERIFY(lib.Image(0, 0, Qt::white, 1.0).isNull());
            }
        }
    }

    // With the face deck alone the game still has twelve different backs.
    void missingBackDecksStillGiveTwelveBacks() {
        QTemporaryDir dir;
        const QDir from(QDir(CardLibrary::DefaultDeckFolder()).filePath("svg-standard"));
        QVERIFY(QDir().mkpath(dir.filePath("svg-standard")));
        for (const QString& name : from.entryList(QDir::Files))
            QVERIFY(QFile::copy(from.filePath(name), dir.filePath("svg-standard/" + name)));
        // A deck whose index points out of its folder is not followed there.
        QVERIFY(QDir().mkpath(dir.filePath("svg-oxygen")));
        QFile index(dir.filePath("svg-oxygen/index.desktop"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[KDE Backdeck]\nName=Elsewhere\nSVG=../svg-standard/standard.svgz\n");
        index.close();

        CardLibrary lib(dir.path());
        QVERIFY(Init(lib));
        std::set<QByteArray> backs;
        for (int code = 54; code <= 65; ++code) {
            QVERIFY(!Filled(Pixels(lib.Image(code, 1, Qt::white, 1.0)), Qt::transparent));
            backs.insert(Bytes(lib.Image(code, 1, Qt::white, 1.0)));
        }
        QCOMPARE(backs.size(), size_t{12});
        QCOMPARE(Bytes(lib.Image(54, 1, Qt::white, 1.0)),
                 Bytes(lib_->Image(54, 1, Qt::white, 1.0)));
        QCOMPARE(lib.BackName(55), QString("Elsewhere"));

        // Backs prepared aside are the very images drawn here, installed decks or not.
        CardLibrary prepared(dir.path());
        QVERIFY(Init(prepared));
        prepared.PrepareBacks(1.0);
        for (int code = 54; code <= 65; ++code)
            QCOMPARE(Bytes(prepared.Image(code, 1, Qt::white, 1.0)),
                     Bytes(lib.Image(code, 1, Qt::white, 1.0)));
    }

    // At a screen's scale: those at the plain scale are checked with the missing decks.
    void preparedBacksAreTheOnesDrawnHere() {
        const qreal dpr = 2.0;
        CardLibrary prepared;
        QVERIFY(Init(prepared));
        prepared.PrepareBacks(dpr);
        const int rendered = prepared.RenderCount();
        for (int code = 54; code <= 65; ++code)
            QCOMPARE(Bytes(prepared.Image(code, 1, Qt::white, dpr)),
                     Bytes(lib_->Image(code, 1, Qt::white, dpr)));
        // Eleven came from the worker; the classic deck's own back is drawn here.
        QCOMPARE(prepared.RenderCount(), rendered + 12);
        QCOMPARE(prepared.DecksLoaded(), 12);
        // Asking again renders nothing, and a term drops what the worker made.
        prepared.PrepareBacks(dpr);
        prepared.Image(60, 1, Qt::white, dpr);
        QCOMPARE(prepared.RenderCount(), rendered + 12);
        prepared.cdtTerm();
        QVERIFY(prepared.Image(60, 1, Qt::white, dpr).isNull());
    }

    // Under a screen scale factor (set by the environment of the hidpi runs) a card picture
    // stores and shows its image at the screen's own scale: the card rendered afresh at the
    // device size, not a scaled-up image of the plain card.
    void cardPictureAtScreenScale() {
        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
        const qreal dpr = box_->devicePixelRatioF();
        QCOMPARE(dpr > 1.0, qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
        DrawCard(*lib_, box_.get(), 0, 0, 38, false);
        const QSize device = QSize(71, 96) * dpr;
        QImage expected(device, QImage::Format_RGB32);
        expected.fill(Table);
        QPainter p(&expected);
        p.drawImage(0, 0, lib_->Image(38, 0, Qt::white, 1.0, device).toImage());
        p.end();
        expected.setDevicePixelRatio(dpr);
        const QImage stored = box_->image().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(stored, expected);
        box_->repaint();
        QCOMPARE(box_->grab().toImage().convertToFormat(QImage::Format_RGB32), stored);
    }

    void positionsRoundHalfToEven() {
        box_->resize(80, 100);
        auto at = [&](float x, float y) {
            DrawCard(*lib_, box_.get(), x, y, 9, false);
            return Pixels(box_->image());
        };
        const QImage origin = at(0, 0);
        const QImage two = at(2, 2);
        QVERIFY(origin != two);
        QCOMPARE(at(0.5f, -0.5f), origin);
        QCOMPARE(at(1.5f, 2.5f), two);
        QVERIFY(at(3.5f, 3.5f) != two);
        // Positions that are no number, or far off the picture, draw nothing and do no harm.
        QVERIFY(Filled(at(std::numeric_limits<float>::quiet_NaN(), 0), Table));
        QVERIFY(Filled(at(0, std::numeric_limits<float>::infinity()), Table));
        QVERIFY(Filled(at(3.0e30f, -3.0e30f), Table));
    }

    // A shown picture outlives the library; a new start draws the same cards afresh.
    void pictureKeepsItsImageAcrossTerm() {
        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
        DrawCard(*lib_, box_.get(), 0, 0, 44, false);
        const QImage drawn = Pixels(box_->image());
        lib_->cdtTerm();
        box_->hide();
        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
        box_->repaint();
        QCOMPARE(Pixels(box_->grab()), drawn);

        DrawCard(*lib_, box_.get(), 0, 0, 44, false);
        QVERIFY(Filled(Pixels(box_->image()), Table));
        QVERIFY(Init(*lib_));
        const int rendered = lib_->RenderCount();
        DrawCard(*lib_, box_.get(), 0, 0, 44, false);
        QCOMPARE(Pixels(box_->image()), drawn);
        QCOMPARE(lib_->RenderCount(), rendered + 1);
    }

    void pictureResizeClearBackgroundAndClicks() {
        DrawCard(*lib_, box_.get(), 0, 0, 30, false);
        const QImage card = Pixels(box_->image());
        box_->resize(100, 120);
        const QImage grown = Pixels(box_->image());
        QCOMPARE(grown.copy(0, 0, 71, 96), card);
        QVERIFY(Filled(grown.copy(71, 0, 29, 120), Table));
        QVERIFY(Filled(grown.copy(0, 96, 100, 24), Table));
        box_->resize(40, 50);
        QCOMPARE(Pixels(box_->image()), card.copy(0, 0, 40, 50));
        box_->clearImage();
        QVERIFY(Filled(Pixels(box_->image()), Table));
        DrawCard(*lib_, box_.get(), 0, 0, 1, false);
        box_->setBackground(Qt::blue);
        QVERIFY(Filled(Pixels(box_->image()), Qt::blue));

        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
        QSignalSpy clicks(box_.get(), &PictureBox::clicked);
        QTest::mouseClick(box_.get(), Qt::LeftButton, {}, QPoint(30, 40));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(box_.get(), Qt::RightButton, {}, QPoint(30, 40));
        QTest::mousePress(box_.get(), Qt::LeftButton, {}, QPoint(30, 40));
        QTest::mouseRelease(box_.get(), Qt::LeftButton, {}, QPoint(150, 40)); // dragged off
        QCOMPARE(clicks.count(), 1);
    }

private:
    std::unique_ptr<CardLibrary> lib_;
    std::unique_ptr<PictureBox> box_;
};

QTEST_MAIN(TestCards)
#include "tst_cards.moc"
