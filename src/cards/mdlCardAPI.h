// Our own card-drawing library: card faces, twelve back designs and the empty-pile looks, drawn
// from the SVG card decks installed with kdegames-card-data-kf5.
//
// Every image is rendered once per look, size and screen scale and then kept as a pixmap, and a
// deck file is read only when one of its images is first asked for: start-up pays for the face
// deck alone, not for all twelve back designs. Of the back decks only the one last drawn stays
// parsed; the twelve previews of the card-back dialog are rendered on a worker thread
// (PrepareBacks) and only their small images are kept.
#pragma once

#include "engine/GameRecord.h"

#include <QColor>
#include <QPixmap>
#include <QString>

#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

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
    // painter's device, size logical pixels large. Codes and modes not listed above draw
    // nothing, as does a library that is not initialised.
    void cdtDraw(QPainter& painter, int x, int y, int code, int mode, QColor colour,
                 QSize size = BaseSize());
    // Releases every deck and every kept image.
    void cdtTerm();

    static QSize BaseSize() { return {CardWidth, CardHeight}; }

    // Starts rendering the twelve backs at the card's own size and device pixel ratio dpr on a
    // worker thread, so that the card-back dialog opens without reading eleven decks. Their
    // images join the kept ones the first time a back is asked for (waiting for the worker if
    // it is still running). Does nothing before cdtInit or when already started for dpr.
    void PrepareBacks(qreal dpr);

    bool Ready() const { return ready_; }
    // The image cdtDraw would draw, size logical pixels large at device pixel ratio dpr; a null
    // pixmap where it would draw nothing. The same pixmap is handed out again while the
    // library stays initialised and the size is among the last few asked for.
    QPixmap Image(int code, int mode, QColor colour, qreal dpr, QSize size = BaseSize());
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
    // code, mode, colour (only for the hatched place), logical width, logical height, scale.
    using Key = std::tuple<int, int, QRgb, int, int, qint64>;
    struct PreparedBacks {
        std::array<QImage, DrawCode::BackCount> images; // null: left to this thread
        int decksRead = 0;
    };

    QSvgRenderer* Renderer(Deck& deck);
    QSvgRenderer* BackRenderer(int index);
    QPixmap Render(int code, QColor colour, qreal dpr, QSize size);
    void PaintImage(QPainter& p, int code, QColor colour, QRectF r);
    // Takes the worker's images into the kept ones; waits for the worker if it still runs.
    void CollectBacks();
    // Keeps the images of the card's own size and of the last few sizes asked for.
    void NoteSize(QSize size);

    QString folder_;
    bool ready_ = false;
    Deck faces_;
    Deck backs_[DrawCode::BackCount];
    std::map<Key, QPixmap> cache_;
    std::vector<QSize> recentSizes_; // other than BaseSize, the latest last
    int parsedBack_ = -1;            // the one back deck kept parsed
    std::future<PreparedBacks> preparing_;
    qreal preparedDpr_ = 0;
    int renderCount_ = 0;
    int decksLoaded_ = 0;
};

// Draws drawing code Code into a card picture at (X, Y): the picture is cleared to its
// background first, whatever the code, so codes that draw nothing (52, 66, above 68) leave it
// blank. Inverse draws the highlighted image, size logical pixels large. The hatched place takes
// the picture's background colour. Runs no events.
void DrawCard(CardLibrary& lib, PictureBox* target, float X, float Y, uint8_t Code, bool Inverse,
              QSize size = CardLibrary::BaseSize());

} // namespace korvane
