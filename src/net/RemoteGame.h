// A table served over the network, shown in a game window as if it were played there. The
// server holds the game; this keeps what anyone at the table may see, writes it into the
// window's game record so that everything drawn, said and offered reads as in local play, and
// replays the server's events through the window's flights at the window's pace. A person's
// action is sent only when local play would take it, and the server's answer holds.
//
// Events keep coming while a flight runs: they wait in a queue and are shown in order, one at
// a time, by whichever call is showing them (a show in progress takes the new ones in turn).
#pragma once

#include "engine/PlayerActions.h"
#include "engine/SeatRoles.h"
#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"
#include "net/Client.h"
#include "net/View.h"

#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <optional>
#include <vector>

namespace korvane::net {

// Each seat's open pile as this client saw it built, bottom first. A client that came in
// mid-game knows only the tops, and keeps the top in the slots beneath.
using OpenStacks = std::vector<std::vector<int>>;

// Writes the table's view into a game record: counts, tops, suit piles, whose turn, and the open
// piles from `stacks` wherever they agree with the view (`stacks` is brought into line). A
// face-down card is never known: its slot holds a stand-in that nothing shows. The user's own
// settings in the record (tips, flight speeds, card back) are kept.
void MirrorRecord(const TableView& view, OpenStacks& stacks, GameInfo& record);
// Who plays each seat, for a connection that holds `own`.
SeatRoles RolesOf(const TableView& view, const std::vector<int>& own);
// A penalty event as the note the status line explains.
PenaltyNote NoteFromJson(const QJsonObject& penalty);

class RemoteGame : public QObject, public PlayerActions {
    Q_OBJECT
public:
    RemoteGame(mdlGlobal& global, TableDisplay& display, QObject* parent = nullptr);
    ~RemoteGame() override;

    // Takes a seat at a table of `server`: `first` is the create or join message.
    void Connect(const QUrl& server, const QJsonObject& first);
    // Gets up from the table: the server is told, the connection closed, nothing more shown.
    void Leave();
    // The creator's commands: the first deal, and the next one after a game.
    void Start();
    void PlayAgain();

    bool Seated() const { return seated_; }
    bool Creator() const;
    // Who deals the games at this table.
    QString CreatorName() const;
    const TableView& View() const { return view_; }
    const QString& Code() const { return code_; }
    const std::vector<int>& OwnSeats() const { return own_; }
    // Every event received has been shown.
    bool CaughtUp() const;
    // Pauses before each attempt to reach the table again once the connection went; after the
    // last, the table is given up.
    void SetRetryPauses(std::vector<int> ms) { pauses_ = std::move(ms); }
    // Drops the connection as a failing network would (tests).
    void DropConnection();

    // ---- PlayerActions ----
    void picCloseDeck_Click(int Index) override;
    void lblPlayer_DblClick(int Index) override;
    void HumanDrop(Pile to) override;
    void HumanChoose(Pile to) override;
    bool PersonMayAct() const override;
    bool MoveInProgress() const override;
    bool RunningMoveAbandoned() const override { return activeEpoch_ != epoch_; }

signals:
    // Seated: the welcome came (also after reaching the table again).
    void welcomed();
    // The create or join was refused, or the server could not be reached; nothing is seated.
    void refused(const QString& message, const QString& code);
    void rolesChanged(const korvane::SeatRoles& roles);
    // A line for the status line (empty: none).
    void notice(const QString& text);
    // Seats were taken or left before the first deal, or a deal put an end to the gathering.
    void lobbyChanged();
    // The game shown ended with this message.
    void gameOver(const QString& message);
    // The table is gone or could not be reached again; the record is the window's to clear.
    void ended(const QString& why);
    // Every event received has been shown.
    void caughtUp();

private:
    class Busy;
    void Received(const QJsonObject& m);
    void Lost(const QString& why);
    void Retry();
    void End(const QString& why);
    // Shows the queued events, then the tip when a person here is to move.
    void Pump();
    void Show(const QJsonObject& e);
    void ShowMove(const QJsonObject& e);
    void ShowSeat(const TableView& before, int seat);
    // The whole table drawn afresh from the view.
    void ShowWhole();
    // The card in hand as the record has it.
    void ShowHand();
    void PaintPile(Pile p);
    void Mirror();
    // The card in hand put to pile `to`: laid there when local play would take it, else sent
    // back. `seen`: it was only chosen (the keys), so it flies there first.
    void Place(Pile to, bool seen);
    // Lays the card in hand on `target`, which takes it: it flies there, and the server is asked.
    void Lay(Pile target);
    bool OwnSeat(int seat) const;
    // The seat the card in hand belongs to, while a person here may act.
    int ActingSeat() const;
    void Send(const QJsonObject& m);

    mdlGlobal& g_;
    TableDisplay& d_;
    Client client_;
    QUrl server_;
    QString code_;
    QString token_;
    std::vector<int> own_;
    TableView view_;
    OpenStacks stacks_;
    SeatRoles roles_;
    int64_t seq_ = 0;
    std::deque<QJsonObject> queue_;
    bool seated_ = false;
    bool moreComing_ = false;
    bool showing_ = false;
    bool tipDue_ = false;
    // An action was sent and its answer has not come yet.
    bool awaiting_ = false;
    // Where the person's own card already flew before the server confirmed it.
    std::optional<Pile> landed_;
    std::optional<PenaltyNote> penalty_;
    int penaltyCardsLeft_ = 0;
    uint64_t epoch_ = 1;
    uint64_t activeEpoch_ = 1;
    // Reaching the table again.
    QTimer retry_;
    std::vector<int> pauses_{1000, 2000, 4000, 8000, 15000, 30000, 30000, 30000};
    std::size_t attempt_ = 0;
    bool reconnecting_ = false;
};

} // namespace korvane::net
