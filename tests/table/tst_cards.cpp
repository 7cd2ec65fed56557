#include "table/PictureBox.h"
#include "table/mdlCardAPI.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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

QByteArray Bytes(const QImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.constBits()),
                      static_cast<qsizetype>(image.sizeInBytes()));
}

bool AllPixels(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgba() != colour.rgba()) {
                return false;
            }
        }
    }
    return true;
}

// What a picture should hold after the library drew (code, mode) onto its background.
QImage Composite(CardLibrary& lib, QSize size, QColor background, int code, int mode,
                 QColor colour) {
    QPixmap expected(size);
    expected.fill(background);
    QPainter p(&expected);
    lib.cdtDraw(p, 0, 0, code, mode, colour);
    p.end();
    return Pixels(expected);
}

int RedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 180 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
        }
    }
    return n;
}

// A deck folder holding only the package's classic deck, copied from the installed one.
bool CopyClassicDeck(const QString& to) {
    const QDir from(QDir(CardLibrary::DefaultDeckFolder()).filePath("svg-standard"));
    if (!QDir().mkpath(QDir(to).filePath("svg-standard"))) {
        return false;
    }
    for (const QString& name : from.entryList(QDir::Files)) {
        if (!QFile::copy(from.filePath(name), QDir(to).filePath("svg-standard/" + name))) {
            return false;
        }
    }
    return true;
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT

private slots:
    void init() {
        lib_ = std::make_unique<CardLibrary>();
        int32_t w = 0;
        int32_t h = 0;
        QVERIFY(lib_->cdtInit(w, h));
        QCOMPARE(w, 71);
        QCOMPARE(h, 96);
        box_ = std::make_unique<PictureBox>();
        box_->resize(71, 96);
        box_->setBackground(Table);
    }
    void cleanup() {
        box_.reset();
        lib_.reset();
    }

    void undrawableCodesLeaveTheCardBlank_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("inverse");
        QTest::newRow("52") << 52 << false;
        QTest::newRow("52 inverse") << 52 << true;
        QTest::newRow("66") << 66 << false;
        QTest::newRow("69") << 69 << false;
        QTest::newRow("200 inverse") << 200 << true;
        QTest::newRow("255") << 255 << false;
    }
    void undrawableCodesLeaveTheCardBlank() {
        QFETCH(int, code);
        QFETCH(bool, inverse);
        DrawCard(*lib_, box_.get(), 0, 0, 12, false);
        QVERIFY(!AllPixels(Pixels(box_->image()), Table));
        const int rendered = lib_->RenderCount();
        DrawCard(*lib_, box_.get(), 0, 0, static_cast<uint8_t>(code), inverse);
        QVERIFY(AllPixels(Pixels(box_->image()), Table));
        QCOMPARE(lib_->RenderCount(), rendered);
    }

    // The image DrawCard leaves is the library's image for the mode the code and Inverse call
    // for, on the picture's background.
    void drawCardChoosesTheMode_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<int>("mode");
        QTest::newRow("face") << 0 << false << 0;
        QTest::newRow("last face") << 51 << false << 0;
        QTest::newRow("face highlighted") << 37 << true << 2;
        QTest::newRow("empty place") << 53 << false << 1;
        QTest::newRow("empty place highlighted") << 53 << true << 2;
        QTest::newRow("back") << 54 << false << 1;
        QTest::newRow("last back") << 65 << false << 1;
        QTest::newRow("cross") << 67 << false << 1;
        QTest::newRow("circle highlighted") << 68 << true << 2;
    }
    void drawCardChoosesTheMode() {
        QFETCH(int, code);
        QFETCH(bool, inverse);
        QFETCH(int, mode);
        DrawCard(*lib_, box_.get(), 0, 0, static_cast<uint8_t>(code), inverse);
        const QColor colour = code == 53 ? Table : QColor(Qt::white);
        const QImage drawn = Pixels(box_->image());
        QCOMPARE(drawn, Composite(*lib_, QSize(71, 96), Table, code, mode, colour));
        // And the highlight is unmistakable: it is not the plain image.
        const int other = mode == 2 ? (code < 52 ? 0 : 1) : 2;
        QVERIFY(drawn != Composite(*lib_, QSize(71, 96), Table, code, other, colour));
    }

    void emptyPlaceShowsThePictureBackground() {
        PictureBox red;
        red.resize(71, 96);
        red.setBackground(QColor(200, 30, 30));
        DrawCard(*lib_, &red, 0, 0, 53, false);
        DrawCard(*lib_, box_.get(), 0, 0, 53, false);
        const QImage onRed = Pixels(red.image());
        const QImage onGreen = Pixels(box_->image());
        // Hatched, so not blank, but mostly its own background colour in the inner area.
        QVERIFY(!AllPixels(onGreen, Table));
        int same = 0;
        for (int y = 10; y < 86; ++y) {
            for (int x = 10; x < 61; ++x) {
                same += onGreen.pixelColor(x, y) == Table ? 1 : 0;
            }
        }
        QVERIFY2(same > 51 * 76 / 2, qPrintable(QString::number(same)));
        QVERIFY(onRed.pixelColor(35, 48).red() > onRed.pixelColor(35, 48).green());
        QVERIFY(onGreen.pixelColor(35, 48).green() > onGreen.pixelColor(35, 48).red());
    }

    void everyImageIsDistinct() {
        std::set<QByteArray> faces;
        for (int code = 0; code < 52; ++code) {
            faces.insert(Bytes(Pixels(lib_->Image(code, 0, Qt::white, 1.0))));
        }
        QCOMPARE(faces.size(), size_t{52});
        std::set<QByteArray> backs;
        for (int code = 54; code <= 65; ++code) {
            const QByteArray back = Bytes(Pixels(lib_->Image(code, 1, Qt::white, 1.0)));
            QVERIFY2(faces.count(back) == 0, qPrintable(lib_->BackName(code)));
            backs.insert(back);
        }
        QCOMPARE(backs.size(), size_t{12});
        const QImage cross = Pixels(lib_->Image(67, 1, Qt::white, 1.0));
        const QImage circle = Pixels(lib_->Image(68, 1, Qt::white, 1.0));
        QVERIFY(!cross.isNull());
        QVERIFY(cross != circle);
        QVERIFY(!AllPixels(cross, Qt::transparent));
        QVERIFY(!AllPixels(circle, Qt::transparent));
    }

    // Suits run clubs, diamonds, hearts, spades: the number cards of the middle two are red.
    void suitOrder() {
        for (int code = 4; code < 40; ++code) {
            const int red = RedPixels(Pixels(lib_->Image(code, 0, Qt::white, 1.0)));
            const bool redSuit = code % 4 == 1 || code % 4 == 2;
            QVERIFY2(redSuit ? red > 30 : red == 0, qPrintable(QString::number(code)));
        }
    }

    void renderedAtTheTargetsScale_data() {
        QTest::addColumn<double>("dpr");
        QTest::addColumn<QSize>("device");
        QTest::newRow("1") << 1.0 << QSize(71, 96);
        QTest::newRow("1.1") << 1.1 << QSize(78, 106);
        QTest::newRow("1.25") << 1.25 << QSize(89, 120);
        QTest::newRow("1.5") << 1.5 << QSize(107, 144);
        QTest::newRow("2") << 2.0 << QSize(142, 192);
    }
    void renderedAtTheTargetsScale() {
        QFETCH(double, dpr);
        QFETCH(QSize, device);
        for (int code : {0, 54, 53, 67}) {
            const QPixmap image = lib_->Image(code, 0, Table, dpr);
            QCOMPARE(image.size(), device);
            QCOMPARE(image.devicePixelRatio(), dpr);
        }
        // cdtDraw picks the scale up from the painter's device and copies pixels one to one.
        QPixmap target(device);
        target.setDevicePixelRatio(dpr);
        target.fill(Table);
        QPainter p(&target);
        lib_->cdtDraw(p, 0, 0, 5, 0, Qt::white);
        p.end();
        QPixmap expected(device);
        expected.fill(Table);
        QPainter q(&expected);
        q.drawImage(0, 0, Pixels(lib_->Image(5, 0, Qt::white, dpr)));
        q.end();
        QCOMPARE(Pixels(target), Pixels(expected));
    }

    void imagesAreKept() {
        const int before = lib_->RenderCount();
        const QPixmap first = lib_->Image(7, 0, Qt::white, 1.0);
        QCOMPARE(lib_->RenderCount(), before + 1);
        // The colour only matters to the hatched place.
        QCOMPARE(lib_->Image(7, 0, Qt::red, 1.0).cacheKey(), first.cacheKey());
        QCOMPARE(lib_->Image(7, 1, Qt::white, 1.0).cacheKey(), first.cacheKey());
        QCOMPARE(lib_->RenderCount(), before + 1);

        QVERIFY(lib_->Image(7, 2, Qt::white, 1.0).cacheKey() != first.cacheKey());
        QVERIFY(lib_->Image(7, 0, Qt::white, 2.0).cacheKey() != first.cacheKey());
        const QPixmap green = lib_->Image(53, 1, Table, 1.0);
        QVERIFY(lib_->Image(53, 1, Qt::red, 1.0).cacheKey() != green.cacheKey());
        QCOMPARE(lib_->RenderCount(), before + 5);

        DrawCard(*lib_, box_.get(), 0, 0, 7, false);
        QCOMPARE(lib_->RenderCount(), before + 5);
        DrawCard(*lib_, box_.get(), 0, 0, 53, false);
        QCOMPARE(lib_->RenderCount(), before + 5);
    }

    void decksAreReadWhenFirstNeeded() {
        CardLibrary lib;
        int32_t w = 0;
        int32_t h = 0;
        QCOMPARE(lib.DecksLoaded(), 0);
        QVERIFY(lib.cdtInit(w, h));
        QCOMPARE(lib.DecksLoaded(), 1);
        lib.Image(51, 0, Qt::white, 1.0);
        lib.Image(54, 1, Qt::white, 1.0); // the classic deck's own back
        QCOMPARE(lib.DecksLoaded(), 1);
        lib.Image(60, 1, Qt::white, 1.0);
        QCOMPARE(lib.DecksLoaded(), 2);
        lib.Image(60, 2, Qt::white, 1.0);
        QCOMPARE(lib.DecksLoaded(), 2);
    }

    void termReleasesAndInitStartsAfresh() {
        CardLibrary lib;
        int32_t w = 0;
        int32_t h = 0;
        QVERIFY(lib.cdtInit(w, h));
        const QImage before = Pixels(lib.Image(20, 0, Qt::white, 1.0));
        lib.cdtTerm();
        QVERIFY(!lib.Ready());
        QVERIFY(lib.Image(20, 0, Qt::white, 1.0).isNull());
        PictureBox box;
        box.resize(71, 96);
        box.setBackground(Table);
        DrawCard(lib, &box, 0, 0, 20, false);
        QVERIFY(AllPixels(Pixels(box.image()), Table));

        QVERIFY(lib.cdtInit(w, h));
        const int rendered = lib.RenderCount();
        QCOMPARE(Pixels(lib.Image(20, 0, Qt::white, 1.0)), before);
        QCOMPARE(lib.RenderCount(), rendered + 1);
    }

    void missingDecksFailInit_data() {
        QTest::addColumn<QString>("content");
        QTest::newRow("empty folder") << "";
        QTest::newRow("no such folder") << "missing";
        QTest::newRow("not an svg") << "garbage";
        QTest::newRow("no faces") << "backonly";
    }
    void missingDecksFailInit() {
        QFETCH(QString, content);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString folder = dir.path();
        if (content == "missing") {
            folder = dir.filePath("nowhere");
        } else if (!content.isEmpty()) {
            QVERIFY(QDir().mkpath(dir.filePath("svg-standard")));
            QFile file(dir.filePath("svg-standard/standard.svg"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content == "garbage" ? QByteArray("not a picture")
                                            : QByteArray("<svg xmlns='http://www.w3.org/2000/svg' "
                                                         "width='10' height='10'><rect id='back' "
                                                         "width='10' height='10'/></svg>"));
        }
        CardLibrary lib(folder);
        int32_t w = 0;
        int32_t h = 0;
        QVERIFY(!lib.cdtInit(w, h));
        QCOMPARE(w, 71);
        QCOMPARE(h, 96);
        QVERIFY(lib.Image(0, 0, Qt::white, 1.0).isNull());
    }

    // With the classic deck alone the game still has twelve different backs.
    void missingBackDecksStillGiveTwelveBacks() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(CopyClassicDeck(dir.path()));
        // A deck whose index points outside its folder is not followed there.
        QVERIFY(QDir().mkpath(dir.filePath("svg-oxygen")));
        QFile index(dir.filePath("svg-oxygen/index.desktop"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[KDE Backdeck]\nName=Elsewhere\nSVG=../svg-standard/standard.svgz\n");
        index.close();

        CardLibrary lib(dir.path());
        int32_t w = 0;
        int32_t h = 0;
        QVERIFY(lib.cdtInit(w, h));
        std::set<QByteArray> backs;
        for (int code = 54; code <= 65; ++code) {
            const QImage back = Pixels(lib.Image(code, 1, Qt::white, 1.0));
            QVERIFY(!AllPixels(back, Qt::transparent));
            backs.insert(Bytes(back));
        }
        QCOMPARE(backs.size(), size_t{12});
        QCOMPARE(Pixels(lib.Image(54, 1, Qt::white, 1.0)),
                 Pixels(lib_->Image(54, 1, Qt::white, 1.0)));
        QVERIFY(Pixels(lib.Image(55, 1, Qt::white, 1.0)) !=
                Pixels(lib_->Image(54, 1, Qt::white, 1.0)));
        QCOMPARE(lib.BackName(55), QString("Elsewhere"));
    }

    void positionsRoundHalfToEven() {
        PictureBox wide;
        wide.resize(80, 100);
        wide.setBackground(Table);
        auto at = [&](float x, float y) {
            DrawCard(*lib_, &wide, x, y, 9, false);
            return Pixels(wide.image());
        };
        const QImage origin = at(0, 0);
        const QImage two = at(2, 2);
        QVERIFY(origin != two);
        QCOMPARE(at(0.5f, 0.5f), origin);
        QCOMPARE(at(-0.5f, 0.4f), origin);
        QCOMPARE(at(1.5f, 1.5f), two);
        QCOMPARE(at(2.5f, 2.5f), two);
        QCOMPARE(at(2.49f, 1.6f), two);
        QVERIFY(at(3.5f, 3.5f) != two);
        // Positions that are no number, or far off the picture, draw nothing and do no harm.
        QVERIFY(AllPixels(at(std::numeric_limits<float>::quiet_NaN(), 0), Table));
        QVERIFY(AllPixels(at(0, std::numeric_limits<float>::infinity()), Table));
        QVERIFY(AllPixels(at(3.0e30f, -3.0e30f), Table));
    }

    void pictureKeepsItsImage() {
        QWidget window;
        window.resize(200, 200);
        PictureBox* box = new PictureBox(&window);
        box->setGeometry(10, 10, 71, 96);
        box->setBackground(Table);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DrawCard(*lib_, box, 0, 0, 44, false);
        const QImage drawn = Pixels(box->image());
        // Released library: whatever shows now can only come from the stored image.
        lib_->cdtTerm();
        box->hide();
        window.hide();
        window.show();
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->repaint();
        QCOMPARE(Pixels(box->grab()), drawn);
        QCOMPARE(Pixels(window.grab(QRect(10, 10, 71, 96))), drawn);
    }

    void pictureResizeKeepsWhatWasDrawn() {
        DrawCard(*lib_, box_.get(), 0, 0, 30, false);
        const QImage card = Pixels(box_->image());
        box_->resize(100, 120);
        const QImage grown = Pixels(box_->image());
        QCOMPARE(grown.size(), QSize(100, 120));
        QCOMPARE(grown.copy(0, 0, 71, 96), card);
        QVERIFY(AllPixels(grown.copy(71, 0, 29, 120), Table));
        QVERIFY(AllPixels(grown.copy(0, 96, 100, 24), Table));
        box_->resize(40, 50);
        QCOMPARE(Pixels(box_->image()), card.copy(0, 0, 40, 50));
    }

    void pictureBackgroundAndTag() {
        DrawCard(*lib_, box_.get(), 0, 0, 1, false);
        box_->clearImage();
        QVERIFY(AllPixels(Pixels(box_->image()), Table));
        DrawCard(*lib_, box_.get(), 0, 0, 1, false);
        box_->setBackground(Qt::blue);
        QCOMPARE(box_->background(), QColor(Qt::blue));
        QVERIFY(AllPixels(Pixels(box_->image()), Qt::blue));

        QVERIFY(box_->Tag.isEmpty());
        box_->setTag("1");
        QCOMPARE(box_->tag(), QString("1"));
        box_->Tag = "17";
        QCOMPARE(box_->tag(), QString("17"));
    }

    void pictureClicks() {
        box_->show();
        QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
        QSignalSpy clicks(box_.get(), &PictureBox::clicked);
        QTest::mouseClick(box_.get(), Qt::LeftButton, {}, QPoint(30, 40));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(box_.get(), Qt::RightButton, {}, QPoint(30, 40));
        QCOMPARE(clicks.count(), 1);
        QTest::mousePress(box_.get(), Qt::LeftButton, {}, QPoint(30, 40));
        QTest::mouseRelease(box_.get(), Qt::LeftButton, {}, QPoint(150, 40));
        QCOMPARE(clicks.count(), 1);
    }

    void drawCardIntoNoPictureDoesNothing() {
        const int rendered = lib_->RenderCount();
        DrawCard(*lib_, nullptr, 0, 0, 3, false);
        QCOMPARE(lib_->RenderCount(), rendered);
    }

private:
    std::unique_ptr<CardLibrary> lib_;
    std::unique_ptr<PictureBox> box_;
};

QTEST_MAIN(TestCards)
#include "tst_cards.moc"
