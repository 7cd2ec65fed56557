// The table window: one panel per seat, the suit band, the card in hand and the menu bar. It
// shows the game record it is given and hands the user's actions to the rules.
#pragma once

#include "engine/SeatRoles.h"
#include "engine/TableDisplay.h"
#include "movement/Pause.h"
#include "table/CardInHand.h"
#include "table/TableKeys.h"
#include "table/TableLayout.h"
#include "table/TablePanels.h"
#include "table/TableSurface.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace korvane {

class CardLibrary;
class GameRules;
class NetworkPlay;
class PlayerActions;
class PictureBox;
class StatusLine;
class TableMenu;
class mdlGlobal;

class frmKorvane : public QMainWindow, public TableDisplay, private KeyTable {
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
    // A table played over the network takes the person's actions instead of the rules while it
    // lasts (nullptr: the rules again).
    void SetRemote(PlayerActions* remote);
    // Where the person's actions go now.
    PlayerActions* Actions() const;
    // Who plays each seat at a network table; a local table has the default.
    void SetRoles(const SeatRoles& roles);
    const SeatRoles& Roles() const { return roles_; }
    // A line from the network under the turn (empty: none).
    void Notice(const QString& text);
    // How a game ended, on the status line, without the question of another.
    void ShowGameOver(const std::string& message);
    // Hosting and joining tables over the network.
    NetworkPlay& Network() const { return *network_; }
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
    static constexpr double MinZoom = layout::MinZoom;
    static constexpr double MaxZoom = layout::MaxZoom;
    double Zoom() const override { return zoom_; }
    // Draws the table at zoom z (clamped to MinZoom..MaxZoom) and grows the window to hold it.
    void SetZoom(double z);
    // Zoom In (direction > 0), Zoom Out (< 0) or Actual Size (0). Zoom In stops where the
    // screen could no longer hold the table.
    void StepZoom(int direction);
    // Which zoom steps the screen allows from here.
    layout::ZoomReach ZoomReach() const;
    // Whether the zoom follows the window's size (View > Fit to Window).
    bool FitsToWindow() const { return fit_; }
    void SetFitToWindow(bool on);
    // The gap between piles and panels at the zoom.
    int Spacing() const { return spacing_; }
    QSize PileSize() const;
    QSize PanelSize() const;
    QSize MinimumClientSize() const;
    // The table's client area (below the menu bar).
    QWidget* Table() const { return table_; }

    // ---- Widgets ----
    QWidget* fraPlayer(int i) const { return table_->Seat(i); }
    PictureBox* picCloseDeck(int i) const { return table_->Seat(i)->Closed(); }
    PictureBox* picOpenDeck(int i) const { return table_->Seat(i)->Open(); }
    QLabel* lblPlayer(int i) const { return table_->Seat(i)->Label(); }
    QWidget* fraSuit() const { return table_->Band(); }
    PictureBox* picSuit(int i) const { return table_->Band()->Pile(i); }
    PictureBox* picDrag() const { return picDrag_; }
    // The picture of a pile; None names the card in hand.
    PictureBox* PileWidget(Pile pile) const { return table_->PileWidget(pile); }
    // The status line below the table.
    QLabel* lblStatus() const;
    const TableMenu& Menu() const { return *menu_; }
    // A saved game named outside the window (the command line): opened as Game > Open would.
    void OpenFile(const QString& path);

    // Where a pile lies on the table; None names the pile the card in hand came from.
    QPoint PilePosition(Pile pile) const;

    // ---- The card in hand ----
    // The pile the card in hand would be dropped on now, or None.
    Pile OverLap() const;
    bool Dragging() const { return hand_->Dragging(); }
    // The drawing code the drag picture shows (Nothing while it is hidden).
    uint8_t DragCode() const { return hand_->Code(); }
    // The pile drawn with the drop highlight, or None.
    Pile HighlightedPile() const { return highlighted_; }
    // The drawing code a pile picture was last drawn with (Nothing before its first drawing).
    uint8_t DrawnCode(const PictureBox* pic) const {
        const auto it = shown_.find(pic);
        return it == shown_.end() ? DrawCode::Nothing : it->second.first;
    }
    // ---- The keyboard ----
    // The pile the focus frame is on, or None.
    Pile FocusedPile() const { return keys_->Focused(); }
    // The focus frame: shown from the start of a person's turn, and after his keys; hidden
    // once he plays with the mouse.
    QWidget* FocusFrame() const { return keys_->Frame(); }

    // The clock flights and the tip wait by; tests give one that runs ahead to fly at once.
    void SetFlightClock(TickSource ticks) { flightClock_ = std::move(ticks); }

signals:
    // The focus frame went to another pile (FocusedPile), or off the table.
    void FocusMoved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The end when the table cannot fit the screen; tests replace the ending.
    virtual void NotEnoughResolution();
    // The screen's room for the window, frame included; tests give a screen of their own.
    virtual QSize ScreenRoom() const;
    // The "play again?" box, once the status line tells how the game ended; tests answer it.
    virtual bool PlayAgainBox(const std::string& message);

private:
    // ---- KeyTable ----
    std::vector<Pile> PilesInOrder() const override { return table_->PilesInOrder(SeatsShown()); }
    QRect PileRect(Pile pile) const override;
    void KeyClick(Pile closed) override;
    void KeyDrop(Pile to) override;

    void Form_Load();
    void ApplyLayout(const layout::Size& client);
    // Sizes the panels, piles and labels for the zoom.
    void SizePictures();
    // What the table needs at zoom z.
    layout::Size MinimumClientAt(double z) const;
    // The client area the window could give the table on its screen.
    layout::Size LargestClient() const;
    // Maximised or full screen: the window cannot grow.
    bool FixedSize() const { return isMaximized() || isFullScreen(); }

    // Takes zoom z: sizes, fonts and every picture drawn again at the new size.
    void ApplyZoom(double z);
    // Draws into a pile picture at the zoom, noting what it shows for a later zoom.
    void Draw(PictureBox* pic, uint8_t code, bool inverse);
    void Form_Unload();

    void picCloseDeck_Click(int Index);

    void Highlight(Pile pile, bool on);
    // Notes the highlight a pile was just drawn with.
    void MarkHighlight(Pile pile, bool on);
    // A new table or a new game: no drag under way and nothing highlighted.
    void ForgetHand();
    // Flies the card in hand; false when the game was replaced while it flew.
    bool FlyDragPic(QPointF from, QPointF to);
    bool SeatShown(uint8_t I) const;
    // The person whose turn it is may act now, and holds no card with the mouse.
    bool MayAct() const;
    // A key on `pile`: says why it cannot act, if it cannot.
    bool KeyMayAct(Pile pile);
    // A click or a press on the card in hand: the keys' frame steps aside, the line words the
    // mouse first.
    void MouseUsed();
    // The status line for the table as it stands, and every pile described for screen readers.
    void UpdateStatus();
    // Names and values of every pile and seat for screen readers: a pile reads as it is drawn.
    void DescribeTable();
    // The explanation of a penalty stays until its player acts again.
    void ExplanationSeen(int seat);
    // The seats the table shows.
    int SeatsShown() const;

    mdlGlobal& g_;
    CardLibrary& cards_;
    GameRules* rules_ = nullptr;
    PlayerActions* remote_ = nullptr;
    SeatRoles roles_;
    TableMenu* menu_ = nullptr;
    NetworkPlay* network_ = nullptr;

    TableSurface* table_ = nullptr;
    CardInHand* hand_ = nullptr;
    PictureBox* picDrag_ = nullptr;
    std::unique_ptr<StatusLine> status_;
    TableKeys* keys_ = nullptr;

    int labelHeight_ = 0;
    double zoom_ = 1.0;
    int spacing_ = layout::Spacing;
    bool fit_ = false;
    // What each pile picture shows: drawing code and highlight.
    std::map<const PictureBox*, std::pair<uint8_t, bool>> shown_;
    Pile highlighted_;
    TickSource flightClock_ = SystemTicks;
    bool resizing_ = false;
    bool tooSmall_ = false;
    bool unloaded_ = false;
};

} // namespace korvane
