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
QSize DeviceSize(qreal dpr) {
    return QSize(CardLibrary::CardWidth, CardLibrary::CardHeight) * dpr;
}

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
    cache_.clear();
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

QString CardLibrary::BackName(int code) const {
    if (!IsBack(code)) {
        return {};
    }
    const Deck& deck = backs_[code - DrawCode::FirstBack];
    return deck.name.isEmpty() ? deck.folder : deck.name;
}

QPixmap CardLibrary::Image(int code, int mode, QColor colour, qreal dpr) {
    if (!ready_ || !IsDrawable(code) || mode < DrawMode::Face || mode > DrawMode::Highlight ||
        !(dpr > 0) || !std::isfinite(dpr)) {
        return {};
    }
    const QSize size = DeviceSize(dpr);
    if (size.isEmpty()) {
        return {};
    }
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
        QImage inverted = Image(code, DrawMode::Face, colour, dpr).toImage();
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
        // The classic deck gives a back as well as the faces; it is read once for both.
        Deck& back = backs_[index];
        QSvgRenderer* deck = back.folder == faces_.folder ? Renderer(faces_) : Renderer(back);
        if (deck != nullptr && deck->elementExists(QStringLiteral("back"))) {
            deck->render(&p, QStringLiteral("back"), r);
        } else {
            PaintPlainBack(p, r, index);
        }
    } else if (code == DrawCode::EmptyPlace) {
        PaintEmptyPlace(p, r, colour);
    } else {
        PaintMarker(p, r, code == DrawCode::Cross);
    }
}

QPixmap CardLibrary::Render(int code, QColor colour, qreal dpr, QSize deviceSize) {
    ++renderCount_;
    // Rendered in device pixels of the target's own scale, so that drawing it there copies
    // pixels one to one.
    QImage image(deviceSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(static_cast<qreal>(deviceSize.width()) / CardWidth,
                static_cast<qreal>(deviceSize.height()) / CardHeight);
        PaintImage(p, code, colour, QRectF(0, 0, CardWidth, CardHeight));
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

void CardLibrary::cdtDraw(QPainter& painter, int x, int y, int code, int mode, QColor colour) {
    const QPaintDevice* device = painter.device();
    const qreal dpr = device != nullptr ? device->devicePixelRatioF() : 1.0;
    const QPixmap image = Image(code, mode, colour, dpr);
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

void DrawCard(CardLibrary& lib, PictureBox* target, float X, float Y, uint8_t Code, bool Inverse) {
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
    target->paintImage([&](QPainter& p) { lib.cdtDraw(p, x, y, Code, mode, colour); });
}

} // namespace korvane
