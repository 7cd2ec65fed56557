// Our own card-drawing library: card faces, twelve back designs and the empty-pile looks, drawn
// from the SVG card decks installed with kdegames-card-data-kf5.
//
// Every image is rendered once per look and screen scale and then kept as a pixmap, and a deck
// file is read only when one of its images is first asked for: start-up pays for the face deck
// alone, not for all twelve back designs.
#pragma once

#include "engine/GameRecord.h"

#include <QColor>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

class QPainter;
class QSvgRenderer;

namespace korvane {

class PictureBox;

namespace DrawMode {
inline constexpr int Face = 0;
inline constexpr int Back = 1; // a back design or an empty-pile look
inline constexpr int Highlight = 2;
} // namespace DrawMode

class CardLibrary {
public:
    static constexpr int32_t CardWidth = 71;
    static constexpr int32_t CardHeight = 96;

    // Where the card-deck package installs its decks.
    static QString DefaultDeckFolder();

    explicit CardLibrary(QString deckFolder = DefaultDeckFolder());
    ~CardLibrary();
    CardLibrary(const CardLibrary&) = delete;
    CardLibrary& operator=(const CardLibrary&) = delete;

    // Loads the card faces and reports the card size in logical pixels. False when the faces
    // cannot be loaded; nothing is drawn then.
    bool cdtInit(int32_t& width, int32_t& height);
    // Draws one image with its top left corner at logical point (x, y), at the scale of the
    // painter's device. Codes and modes not listed above draw nothing, as does a library that
    // is not initialised.
    void cdtDraw(QPainter& painter, int x, int y, int code, int mode, QColor colour);
    // Releases every deck and every kept image.
    void cdtTerm();

    bool Ready() const { return ready_; }
    // The image cdtDraw would draw, at device pixel ratio dpr; a null pixmap where it would
    // draw nothing. The same pixmap is handed out again while the library stays initialised.
    QPixmap Image(int code, int mode, QColor colour, qreal dpr);
    // The name of the deck a back design comes from, for tooltips and the like.
    QString BackName(int code) const;

    // How many images were rendered and how many deck files were read since construction.
    int RenderCount() const { return renderCount_; }
    int DecksLoaded() const { return decksLoaded_; }

private:
    struct Deck {
        QString folder; // folder name under the deck folder
        QString name;   // shown to the user
        std::unique_ptr<QSvgRenderer> renderer;
        bool tried = false;
    };
    // code, mode, colour (only for the hatched place), device width, device height, scale.
    using Key = std::tuple<int, int, QRgb, int, int, qint64>;

    QSvgRenderer* Renderer(Deck& deck);
    QPixmap Render(int code, QColor colour, qreal dpr, QSize deviceSize);
    void PaintImage(QPainter& p, int code, QColor colour, QRectF r);

    QString folder_;
    bool ready_ = false;
    Deck faces_;
    Deck backs_[DrawCode::BackCount];
    std::map<Key, QPixmap> cache_;
    int renderCount_ = 0;
    int decksLoaded_ = 0;
};

// Draws drawing code Code into a card picture at (X, Y): the picture is cleared to its
// background first, whatever the code, so codes that draw nothing (52, 66, above 68) leave it
// blank. Inverse draws the highlighted image. The hatched place takes the picture's background
// colour. Runs no events.
void DrawCard(CardLibrary& lib, PictureBox* target, float X, float Y, uint8_t Code, bool Inverse);

} // namespace korvane
