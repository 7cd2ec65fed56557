// The table window: one panel per seat, the suit band, the card in hand and the menu bar. It
// shows the game record it is given and hands the user's actions to the rules.
#pragma once

#include "engine/TableDisplay.h"
#include "movement/Pause.h"
#include "table/StatusText.h"
#include "table/TableLayout.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

class QAction;
class QLabel;
class QMenu;

namespace korvane {

class CardLibrary;
class GameRules;
class PictureBox;
class SavedGameCommands;
class TableKeys;
class mdlGlobal;

class frmKorvane : public QMainWindow, public TableDisplay {
    Q_OBJECT
public:
    static constexpr int InitialClientWidth = 794;
    static constexpr int InitialClientHeight = 450;

    frmKorvane(mdlGlobal& global, CardLibrary& cards, QWidget* parent = nullptr);
    ~frmKorvane() override;
    frmKorvane(const frmKorvane&) = delete;
    frmKorvane& operator=(const frmKorvane&) = delete;

    // The rules are built over this window, so they are handed in afterwards.
    void SetRules(GameRules* rules);
    GameRules* Rules() const { return rules_; }
    static QColor TableColour();

    // ---- TableDisplay ----
    void PaintCloseDeck(uint8_t I) override;
    void PaintOpenDeck(uint8_t I, bool Inverse) override;
    void PrintLabel(uint8_t I) override;
    void PaintSuit(uint8_t I, bool Inverse) override;
    void PaintForm() override;
    void SetDragPic(Pile pile, uint8_t dspCard) override;
    void HideDragPic() override;
    void SetCurrentPlayer(bool SetDrag, bool Inverse) override;
    void SwapSuitPlaces(uint8_t a, uint8_t b) override;
    bool AnimateMove(uint8_t toPly) override;
    void GiveTip() override;
    void HidePlayerFrames() override;
    void ShowPenalty(const PenaltyNote& note, bool cardsFlying) override;
    void CardShowFlight(uint8_t suit, uint8_t card) override;
    void SetCaption(bool ShowTable) override;
    void UpdateCaption() override;
    void Form_Resize() override;
    void SetBusyPointer(bool busy) override;
    Seating AskPlayers() override;
    bool AskPlayAgain(const std::string& message) override;
    Answer AskSwitchMode(uint8_t Index, bool toComputer) override;

    // ---- Layout ----
    // Height of two lines of the window's font: the label's height.
    int LabelHeight() const { return labelHeight_; }
    // The zoom: cards, gaps and the labels' font are this many times their designed size. A
    // setting of the window, never of the game.
    static constexpr double MinZoom = 0.5;
    static constexpr double MaxZoom = 4.0;
    double Zoom() const { return zoom_; }
    // Draws the table at zoom z (clamped to MinZoom..MaxZoom) and grows the window to hold it.
    void SetZoom(double z);
    // Whether the zoom follows the window's size (View > Fit to Window).
    bool FitsToWindow() const { return fit_; }
    // The gap between piles and panels at the zoom.
    int Spacing() const { return spacing_; }
    QSize PileSize() const;
    QSize PanelSize() const;
    QSize MinimumClientSize() const;
    // The table's client area (below the menu bar).
    QWidget* Table() const { return table_; }

    // ---- Widgets ----
    QWidget* fraPlayer(int i) const { return fraPlayer_.at(i); }
    PictureBox* picCloseDeck(int i) const { return picCloseDeck_.at(i); }
    PictureBox* picOpenDeck(int i) const { return picOpenDeck_.at(i); }
    QLabel* lblPlayer(int i) const { return lblPlayer_.at(i); }
    QWidget* fraSuit() const { return fraSuit_; }
    PictureBox* picSuit(int i) const { return picSuit_.at(i); }
    PictureBox* picDrag() const { return picDrag_; }
    // The status line below the table.
    QLabel* lblStatus() const { return lblStatus_; }

    // Where a pile lies on the table; None names the pile the card in hand came from.
    QPoint PilePosition(Pile pile) const;

    // ---- The card in hand ----
    // The pile the card in hand would be dropped on now, or None.
    Pile OverLap() const;
    bool Dragging() const { return dragging_; }
    // The drawing code the drag picture shows (Nothing while it is hidden).
    uint8_t DragCode() const { return dragCode_; }
    // The pile drawn with the drop highlight, or None.
    Pile HighlightedPile() const { return highlighted_; }
    // ---- The keyboard ----
    // The pile the focus frame is on, or None.
    Pile FocusedPile() const;
    // The focus frame, hidden until the first key the table takes.
    QWidget* FocusFrame() const;

    // The clock flights and the tip wait by; tests give one that runs ahead to fly at once.
    void SetFlightClock(TickSource ticks) { flightClock_ = std::move(ticks); }

    // ---- Menu ----
    QAction* mnGameNew = nullptr;
    QAction* mnGameOpen = nullptr;
    QAction* mnGameSave = nullptr;
    QAction* mnGameSaveAs = nullptr;
    QAction* mnGameDeck = nullptr;
    QAction* mnGameOption = nullptr;
    QAction* mnGameExit = nullptr;
    QAction* mnViewZoomIn = nullptr;
    QAction* mnViewZoomOut = nullptr;
    QAction* mnViewActualSize = nullptr;
    QAction* mnViewFit = nullptr;
    QAction* mnGameIndex = nullptr;
    QAction* mnHelpAbout = nullptr;

signals:
    // The focus frame went to another pile (FocusedPile), or off the table.
    void FocusMoved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The end when the table cannot fit the screen; tests replace the ending.
    virtual void NotEnoughResolution();
    // The "play again?" box, once the status line tells how the game ended; tests answer it.
    virtual bool PlayAgainBox(const std::string& message);

private:
    friend class TableKeys;

    void Form_Load();
    void BuildMenu();
    void BuildViewMenu();
    void ApplyLayout(const layout::Size& client);
    // Sizes the panels, piles and labels for the zoom.
    void SizePictures();
    // What the table needs at zoom z: the smallest client area and the label height.
    QSize MinimumClientAt(double z) const;
    // The largest zoom whose table fits a client area of this size (MinZoom when none does).
    double ZoomToFit(QSize client) const;
    // The client area the window could have on its screen.
    QSize LargestClient() const;
    // Takes zoom z: sizes, fonts and every picture drawn again at the new size.
    void ApplyZoom(double z);
    void mnViewZoom_Click(int direction);
    void mnViewFit_Click(bool on);
    // Draws into a pile picture at the zoom, noting what it shows for a later zoom.
    void Draw(PictureBox* pic, uint8_t code, bool inverse);
    void Form_Unload();

    void mnGameNew_Click();
    void mnGameOpen_Click();
    void mnGameSave_Click();
    void mnGameSaveAs_Click();
    void mnGameDeck_Click();
    void mnGameOption_Click();
    void mnGameExit_Click();
    void mnHelpAbout_Click();
    void lblPlayer_DblClick(int Index);
    void picCloseDeck_Click(int Index);
    void picDrag_MouseDown(QPointF pos);
    void picDrag_MouseMove(QPointF pos);
    void picDrag_MouseUp();
    // Enter or Space on a pile: the card in hand goes there, or tries to.
    void picDrag_KeyDrop(Pile to);
    // Why the key just pressed does nothing (empty: it acts), shown until the next input.
    void KeyRefused(const std::string& why);
    // A click or a press on the card in hand: the status line words the mouse first again.
    void MouseUsed();

    void Highlight(Pile pile, bool on);
    // Notes the highlight a pile was just drawn with.
    void MarkHighlight(Pile pile, bool on);
    // A new table or a new game: no drag under way and nothing highlighted.
    void ForgetHand();
    // Flies the card in hand; false when the game was replaced while it flew.
    bool FlyDragPic(QPointF from, QPointF to);
    bool SeatShown(uint8_t I) const;
    // The status line for the table as it stands, with the penalty explained last.
    void UpdateStatus();
    // Names and values of every pile and seat for screen readers, from the record.
    void DescribeTable();
    void DescribeHand();
    // Tells a screen reader what just happened.
    void Announce(const QString& text);
    // The explanation of a penalty stays until its player acts again.
    void ExplanationSeen(int seat);
    // The seats the table shows.
    int SeatsShown() const;

    mdlGlobal& g_;
    CardLibrary& cards_;
    GameRules* rules_ = nullptr;
    std::unique_ptr<SavedGameCommands> files_;

    QWidget* table_ = nullptr;
    std::array<QWidget*, layout::MaxSeats> fraPlayer_{};
    std::array<PictureBox*, layout::MaxSeats> picCloseDeck_{};
    std::array<PictureBox*, layout::MaxSeats> picOpenDeck_{};
    std::array<QLabel*, layout::MaxSeats> lblPlayer_{};
    QWidget* fraSuit_ = nullptr;
    std::array<PictureBox*, layout::SuitPiles> picSuit_{};
    PictureBox* picDrag_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    TableKeys* keys_ = nullptr;

    // Which of the four places in the band each suit pile picture occupies.
    std::array<int, layout::SuitPiles> suitSlot_{0, 1, 2, 3};
    int labelHeight_ = 0;
    double zoom_ = 1.0;
    int spacing_ = layout::Spacing;
    bool fit_ = false;
    // What each pile picture shows: drawing code and highlight.
    std::map<const PictureBox*, std::pair<uint8_t, bool>> shown_;
    bool dragging_ = false;
    QPointF grab_;
    uint8_t dragCode_ = DrawCode::Nothing;
    Pile highlighted_;
    TickSource flightClock_ = SystemTicks;
    bool resizing_ = false;
    bool tooSmall_ = false;
    bool unloaded_ = false;
    // The penalty explained in the status line (Latin-1), the seat it was for (-1: none), and
    // the end-of-game message of the game just over.
    std::string explanation_;
    int explainedSeat_ = -1;
    std::string lastResult_;
    // How the person last played, and the note of a key that could not act.
    status::Input lastInput_ = status::Input::Mouse;
    std::string keyNote_;
};

} // namespace korvane
