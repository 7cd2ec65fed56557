#include "cards/mdlCardAPI.h"

#include "cards/PictureBox.h"
#include "engine/Rounding.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <future>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <utility>

namespace korvane {

namespace {

// The faces come from the package's classic deck; each back design from a deck of its own,
// leaving out decks whose back repeats another's.
constexpr const char* FaceDeck = "svg-standard";
constexpr std::array<const char*, DrawCode::BackCount> BackDecks = {"svg-standard",
                                                                    "svg-oxygen",
                                                                    "svg-oxygen-air",
                                                                    "svg-oxygen-white",
                                                                    "svg-konqi-modern",
                                                                    "svg-penguins",
                                                                    "svg-nicu-ornamental",
                                                                    "svg-jolly-royal",
                                                                    "svg-ancient-egyptians",
                                                                    "svg-future",
                                                                    "svg-tigullio-international",
                                                                    "svg-xskat-french"};

bool IsFace(int code) {
    return code >= 0 && code < DrawCode::Nothing;
}
bool IsBack(int code) {
    return code >= DrawCode::FirstBack && code <= DrawCode::LastBack;
}
bool IsDrawable(int code) {
    return IsFace(code) || code == DrawCode::EmptyPlace || IsBack(code) ||
           code == DrawCode::Cross || code == DrawCode::Circle;
}

QString FaceElement(int code) {
    static constexpr std::array<const char*, 4> suits = {"club", "diamond", "heart", "spade"};
    static constexpr std::array<const char*, 13> ranks = {
        "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "jack", "queen", "king"};
    return QStringLiteral("%1_%2").arg(QLatin1String(ranks[static_cast<size_t>(code / 4)]),
                                       QLatin1String(suits[static_cast<size_t>(code % 4)]));
}

// The deck's SVG file as its index.desktop names it; failing that, the first SVG in the folder.
QString DeckFile(const QString& folder) {
    QDir dir(folder);
    QFile index(dir.filePath(QStringLiteral("index.desktop")));
    if (index.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&index);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QLatin1String("SVG="))) {
                const QString name = line.mid(4).trimmed();
                // Only a plain file name: the index must not lead us out of the deck's folder.
                if (!name.isEmpty() && !name.contains(QLatin1Char('/')) && name != ".." &&
                    dir.exists(name)) {
                    return dir.filePath(name);
                }
            }
        }
    }
    const QStringList found =
        dir.entryList({QStringLiteral("*.svgz"), QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    return found.isEmpty() ? QString() : dir.filePath(found.first());
}

QString DeckName(const QString& folder, const QString& fallback) {
    QFile index(QDir(folder).filePath(QStringLiteral("index.desktop")));
    if (index.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&index);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QLatin1String("Name="))) {
                return line.mid(5).trimmed();
            }
        }
    }
    return fallback;
}

// Rounded as Qt rounds a widget's size to device pixels, so that a card fills a card picture
// exactly at any scale.
QSize DeviceSize(QSize logical, qreal dpr) {
    return logical * dpr;
}

// How many sizes besides the card's own keep their images: the table's, and the one it had
// just before, so that stepping the zoom back and forth renders nothing.
constexpr std::size_t KeptSizes = 2;

QPainterPath CardOutline(const QRectF& r) {
    QPainterPath path;
    const qreal radius = r.width() * 0.06;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// The hatched place: the given colour, crossed by lines of a slightly different shade so the
// place reads as empty on any table colour.
void PaintEmptyPlace(QPainter& p, const QRectF& r, QColor colour) {
    const QPainterPath outline = CardOutline(r.adjusted(0.5, 0.5, -0.5, -0.5));
    p.fillPath(outline, colour);
    const QColor line = colour.lightness() > 160 ? colour.darker(125) : colour.lighter(150);
    p.save();
    p.setClipPath(outline);
    // Crisp lines, wide apart: the place keeps the table's colour and still reads as a place.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(line, 1.0));
    const qreal step = 8.0;
    for (qreal d = -r.height(); d < r.width(); d += step) {
        p.drawLine(QPointF(r.left() + d, r.top()), QPointF(r.left() + d + r.height(), r.bottom()));
        p.drawLine(QPointF(r.left() + d, r.bottom()), QPointF(r.left() + d + r.height(), r.top()));
    }
    p.restore();
    p.setPen(QPen(line, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

// The empty-pile markers: an outlined place with a cross (nothing left to play) or a circle
// (the closed pile can be turned over again).
void PaintMarker(QPainter& p, const QRectF& r, bool cross) {
    const QRectF inner = r.adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(QColor(255, 255, 255, 200), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(CardOutline(inner));
    const qreal side = r.width() * 0.6;
    const QRectF mark(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    if (cross) {
        p.setPen(QPen(QColor(220, 30, 30), r.width() * 0.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(mark.topLeft(), mark.bottomRight());
        p.drawLine(mark.topRight(), mark.bottomLeft());
    } else {
        p.setPen(QPen(QColor(60, 200, 60), r.width() * 0.1));
        p.drawEllipse(mark);
    }
}

// A back of our own for a design whose deck is not installed, so that the game still shows
// twelve different backs.
void PaintPlainBack(QPainter& p, const QRectF& r, int index) {
    const QPainterPath outline = CardOutline(r.adjusted(0.5, 0.5, -0.5, -0.5));
    p.fillPath(outline, Qt::white);
    const QPainterPath field = CardOutline(r.adjusted(4, 4, -4, -4));
    const QColor base = QColor::fromHsv((index * 30) % 360, 200, 170);
    p.fillPath(field, base);
    p.save();
    p.setClipPath(field);
    p.setPen(QPen(base.lighter(140), 1.0));
    for (qreal d = -r.height(); d < r.width(); d += 5.0) {
        p.drawLine(QPointF(r.left() + d, r.top()), QPointF(r.left() + d + r.height(), r.bottom()));
    }
    p.restore();
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

void PaintBack(QPainter& p, QSvgRenderer* deck, const QRectF& r, int index) {
    if (deck != nullptr && deck->elementExists(QStringLiteral("back"))) {
        deck->render(&p, QStringLiteral("back"), r);
    } else {
        PaintPlainBack(p, r, index);
    }
}

// An image of deviceSize pixels for device pixel ratio dpr; paint draws one card into the
// card's own logical rectangle, scaled to fill the image.
template <typename Paint> QImage RenderImage(QSize deviceSize, const Paint& paint) {
    QImage image(deviceSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(static_cast<qreal>(deviceSize.width()) / CardLibrary::CardWidth,
            static_cast<qreal>(deviceSize.height()) / CardLibrary::CardHeight);
    paint(p, QRectF(0, 0, CardLibrary::CardWidth, CardLibrary::CardHeight));
    return image;
}

} // namespace

QString CardLibrary::DefaultDeckFolder() {
    return QStringLiteral("/usr/share/carddecks");
}

CardLibrary::CardLibrary(QString deckFolder) : folder_(std::move(deckFolder)) {
    faces_.folder = QLatin1String(FaceDeck);
    for (int i = 0; i < DrawCode::BackCount; ++i) {
        backs_[i].folder = QLatin1String(BackDecks[static_cast<size_t>(i)]);
    }
}

// Waits for the worker, if it still runs: it reads nothing of the library.
CardLibrary::~CardLibrary() = default;

bool CardLibrary::cdtInit(int32_t& width, int32_t& height) {
    width = CardWidth;
    height = CardHeight;
    if (ready_) {
        return true;
    }
    faces_.tried = false;
    QSvgRenderer* faces = Renderer(faces_);
    if (faces == nullptr) {
        return false;
    }
    for (int code = 0; code < DrawCode::Nothing; ++code) {
        if (!faces->elementExists(FaceElement(code))) {
            faces_.renderer.reset();
            return false;
        }
    }
    for (Deck& back : backs_) {
        back.name = DeckName(QDir(folder_).filePath(back.folder), back.folder);
    }
    ready_ = true;
    return true;
}

void CardLibrary::cdtTerm() {
    if (preparing_.valid()) {
        preparing_.wait();
        preparing_ = {};
    }
    preparedDpr_ = 0;
    cache_.clear();
    recentSizes_.clear();
    parsedBack_ = -1;
    faces_.renderer.reset();
    faces_.tried = false;
    for (Deck& back : backs_) {
        back.renderer.reset();
        back.tried = false;
    }
    ready_ = false;
}

QSvgRenderer* CardLibrary::Renderer(Deck& deck) {
    if (deck.renderer) {
        return deck.renderer.get();
    }
    if (deck.tried) {
        return nullptr;
    }
    deck.tried = true;
    const QString file = DeckFile(QDir(folder_).filePath(deck.folder));
    if (file.isEmpty()) {
        return nullptr;
    }
    auto renderer = std::make_unique<QSvgRenderer>(file);
    ++decksLoaded_;
    if (!renderer->isValid()) {
        return nullptr;
    }
    deck.renderer = std::move(renderer);
    return deck.renderer.get();
}

QSvgRenderer* CardLibrary::BackRenderer(int index) {
    Deck& back = backs_[index];
    // The classic deck gives a back as well as the faces; it is read once for both.
    if (back.folder == faces_.folder) {
        return Renderer(faces_);
    }
    if (parsedBack_ != index && parsedBack_ >= 0) {
        // A parsed deck is many times the size of its images: keep only the latest one.
        backs_[parsedBack_].renderer.reset();
        backs_[parsedBack_].tried = false;
    }
    parsedBack_ = index;
    return Renderer(back);
}

void CardLibrary::PrepareBacks(qreal dpr) {
    if (!ready_ || !(dpr > 0) || !std::isfinite(dpr) || dpr == preparedDpr_) {
        return;
    }
    CollectBacks();
    preparedDpr_ = dpr;
    // The worker gets file names and a size, hands back images and shares nothing else with
    // this thread: each deck is parsed, rendered and released there. One thread is the house
    // design; this one only renders QImages, which Qt allows off the window's thread, and
    // saves the window's thread from reading eleven decks when the dialog first opens.
    std::array<QString, DrawCode::BackCount> files;
    for (int i = 0; i < DrawCode::BackCount; ++i) {
        const Deck& back = backs_[i];
        const QSize logical = BaseSize();
        const Key key{DrawCode::FirstBack + i, DrawMode::Face,   0,
                      logical.width(),         logical.height(), std::llround(dpr * 4096)};
        // The classic deck is parsed here already, and a kept image needs no second one.
        if (back.folder != faces_.folder && cache_.count(key) == 0) {
            files[i] = DeckFile(QDir(folder_).filePath(back.folder));
            if (files[i].isEmpty()) {
                files[i] = QStringLiteral("-"); // no deck: the plain back, still off this thread
            }
        }
    }
    const QSize deviceSize = DeviceSize(BaseSize(), dpr);
    preparing_ = std::async(std::launch::async, [files, deviceSize] {
        PreparedBacks out;
        for (int i = 0; i < DrawCode::BackCount; ++i) {
            if (files[i].isEmpty()) {
                continue;
            }
            std::unique_ptr<QSvgRenderer> deck;
            if (files[i] != QLatin1String("-")) {
                deck = std::make_unique<QSvgRenderer>(files[i]);
                ++out.decksRead;
                if (!deck->isValid()) {
                    deck.reset();
                }
            }
            out.images[i] = RenderImage(
                deviceSize, [&](QPainter& p, const QRectF& r) { PaintBack(p, deck.get(), r, i); });
        }
#ifdef __GLIBC__
        // The parsed decks were freed into this thread's own heap, which glibc keeps for a
        // thread that never allocates again: hand the pages back to the system.
        malloc_trim(0);
#endif
        return out;
    });
}

void CardLibrary::CollectBacks() {
    if (!preparing_.valid()) {
        return;
    }
    PreparedBacks done = preparing_.get();
    decksLoaded_ += done.decksRead;
    for (int i = 0; i < DrawCode::BackCount; ++i) {
        QImage& image = done.images[i];
        if (image.isNull()) {
            continue;
        }
        ++renderCount_;
        QPixmap pixmap = QPixmap::fromImage(std::move(image));
        pixmap.setDevicePixelRatio(preparedDpr_);
        const Key key{DrawCode::FirstBack + i,          DrawMode::Face, 0, CardWidth, CardHeight,
                      std::llround(preparedDpr_ * 4096)};
        cache_.emplace(key, std::move(pixmap));
    }
}

void CardLibrary::NoteSize(QSize size) {
    if (size == BaseSize()) {
        return;
    }
    const auto at = std::find(recentSizes_.begin(), recentSizes_.end(), size);
    if (at != recentSizes_.end()) {
        recentSizes_.erase(at);
    }
    recentSizes_.push_back(size);
    if (recentSizes_.size() <= KeptSizes) {
        return;
    }
    const QSize gone = recentSizes_.front();
    recentSizes_.erase(recentSizes_.begin());
    std::erase_if(cache_, [gone](const auto& entry) {
        return std::get<3>(entry.first) == gone.width() &&
               std::get<4>(entry.first) == gone.height();
    });
}

QString CardLibrary::BackName(int code) const {
    if (!IsBack(code)) {
        return {};
    }
    const Deck& deck = backs_[code - DrawCode::FirstBack];
    return deck.name.isEmpty() ? deck.folder : deck.name;
}

QPixmap CardLibrary::Image(int code, int mode, QColor colour, qreal dpr, QSize size) {
    if (!ready_ || !IsDrawable(code) || mode < DrawMode::Face || mode > DrawMode::Highlight ||
        !(dpr > 0) || !std::isfinite(dpr) || size.isEmpty() || size.width() > 4096 ||
        size.height() > 4096) {
        return {};
    }
    if (DeviceSize(size, dpr).isEmpty()) {
        return {};
    }
    if (IsBack(code)) {
        CollectBacks();
    }
    NoteSize(size);
    // Faces and backs look the same for either plain mode; only the highlight differs.
    const int look = mode == DrawMode::Highlight ? DrawMode::Highlight : DrawMode::Face;
    const QRgb rgb = code == DrawCode::EmptyPlace ? colour.rgba() : 0;
    const Key key{code, look, rgb, size.width(), size.height(), std::llround(dpr * 4096)};
    auto found = cache_.find(key);
    if (found != cache_.end()) {
        return found->second;
    }
    QPixmap image;
    if (look == DrawMode::Highlight) {
        // From the plain image, so that the first highlight during a drag reads no deck.
        QImage inverted = Image(code, DrawMode::Face, colour, dpr, size).toImage();
        inverted.invertPixels(QImage::InvertRgb);
        ++renderCount_;
        image = QPixmap::fromImage(std::move(inverted));
        image.setDevicePixelRatio(dpr);
    } else {
        image = Render(code, colour, dpr, size);
    }
    cache_.emplace(key, image);
    return image;
}

void CardLibrary::PaintImage(QPainter& p, int code, QColor colour, QRectF r) {
    if (IsFace(code)) {
        if (QSvgRenderer* faces = Renderer(faces_)) {
            faces->render(&p, FaceElement(code), r);
        }
    } else if (IsBack(code)) {
        const int index = code - DrawCode::FirstBack;
        PaintBack(p, BackRenderer(index), r, index);
    } else if (code == DrawCode::EmptyPlace) {
        PaintEmptyPlace(p, r, colour);
    } else {
        PaintMarker(p, r, code == DrawCode::Cross);
    }
}

QPixmap CardLibrary::Render(int code, QColor colour, qreal dpr, QSize size) {
    ++renderCount_;
    // Rendered in device pixels of the target's own size and scale, from the drawing itself,
    // so that drawing it there copies pixels one to one and a large card stays sharp.
    QImage image = RenderImage(DeviceSize(size, dpr), [&](QPainter& p, const QRectF& r) {
        PaintImage(p, code, colour, r);
    });
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

void CardLibrary::cdtDraw(QPainter& painter, int x, int y, int code, int mode, QColor colour,
                          QSize size) {
    const QPaintDevice* device = painter.device();
    const qreal dpr = device != nullptr ? device->devicePixelRatioF() : 1.0;
    const QPixmap image = Image(code, mode, colour, dpr, size);
    if (!image.isNull()) {
        painter.drawPixmap(QPointF(x, y), image);
    }
}

namespace {

// A drawing position in whole pixels; positions far off any screen are clamped first, so that
// the painter never sees them.
int PixelPosition(float v) {
    return RoundHalfEven(std::clamp(static_cast<double>(v), -1.0e6, 1.0e6));
}

} // namespace

void DrawCard(CardLibrary& lib, PictureBox* target, float X, float Y, uint8_t Code, bool Inverse,
              QSize size) {
    if (target == nullptr) {
        return;
    }
    target->clearImage();
    if (!IsDrawable(Code) || !std::isfinite(X) || !std::isfinite(Y)) {
        return;
    }
    const int mode = Inverse ? DrawMode::Highlight : (Code < 52 ? DrawMode::Face : DrawMode::Back);
    const QColor colour = Code == DrawCode::EmptyPlace ? target->background() : QColor(Qt::white);
    const int x = PixelPosition(X);
    const int y = PixelPosition(Y);
    target->paintImage([&](QPainter& p) { lib.cdtDraw(p, x, y, Code, mode, colour, size); });
}

} // namespace korvane
