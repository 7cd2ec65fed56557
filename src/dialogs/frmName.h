// The players dialog: how many players, how many of them human, which seats are human and
// what everybody is called. OK writes the players into the game record (GameState Dealt);
// Cancel with no game in progress clears the players; the close box writes nothing.
//
// Hosting a network table, each person's seat also says where its person plays: at this
// computer, or remote (a friend who joins over the network and brings his own name). At least
// one person plays at this computer: the host.
//
// The two lists and the seat boxes drive one another. The toolkit reports only the user's
// choices (activated, clicked); wherever the dialog itself changes a selection or a tick it
// runs the matching operation at once, so a nested operation always completes before the
// statement that caused it goes on.
#pragma once

#include "engine/mdlGlobal.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class frmName : public QDialog {
    Q_OBJECT
public:
    static constexpr int Seats = MaxPlayers;
    static constexpr int MinPlayers = korvane::MinPlayers;

    // The dialog fills in `game` (the table's own record, or a copy of it); g gives the random
    // choices of the first showing.
    frmName(mdlGlobal& g, GameInfo& game, QWidget* owner);
    frmName(mdlGlobal& g, QWidget* owner) : frmName(g, g.Game, owner) {}
    // Hosting: `remote` gives the seats' first choice (missing entries: at this computer) and,
    // after OK, one entry per seat, true for a remote person's seat. A remote seat's name in
    // `game` stays empty.
    frmName(mdlGlobal& g, GameInfo& game, std::vector<bool>& remote, QWidget* owner);

    // Shows the dialog modally over owner and returns true when it was closed with OK. Safe
    // against the owner going away while the dialog is open.
    static bool Run(QWidget* owner, mdlGlobal& g, GameInfo& game);
    static bool Run(QWidget* owner, mdlGlobal& g) { return Run(owner, g, g.Game); }
    static bool RunForHost(QWidget* owner, mdlGlobal& g, GameInfo& game, std::vector<bool>& remote);

    static QString DefaultName(int row);

    // ---- Operations (each is what the user's action runs) ----
    // Fills the lists and rows from the game record; runs once, when the window first shows.
    void Form_Activate();
    void cmbPlayer_Click();
    void cmbManPlayer_Click();
    void chkName_Click(int Index);
    void cmdOK_Click();
    void cmdCancel_Click();
    // Hosting: the user chose where the seat's person plays.
    void cmbWhere_Click(int Index);

    int FreeHumanSlots() const { return freeHumanSlots_; }

    // ---- Widgets ----
    QComboBox* cmbPlayer() const { return cmbPlayer_; }
    QComboBox* cmbManPlayer() const { return cmbManPlayer_; }
    QCheckBox* chkName(int i) const { return chkName_[static_cast<std::size_t>(i)]; }
    QLineEdit* txtName(int i) const { return txtName_[static_cast<std::size_t>(i)]; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }
    // Hosting only (null otherwise): where each seat's person plays, and why a choice was refused.
    QComboBox* cmbWhere(int i) const { return cmbWhere_[static_cast<std::size_t>(i)]; }
    QLabel* lblHostOnly() const { return lblHostOnly_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmName(mdlGlobal& g, GameInfo& game, std::vector<bool>* remote, QWidget* owner);

    // A selection or tick made by the dialog itself, with the operation the toolkit would not
    // run for it.
    void SelectPlayers(int position);
    void SelectHumans(int position);
    void SetTicked(int row, bool ticked);
    // Hosting: shows each row's choice of place; a remote seat's name box is empty and disabled.
    void ShowWhere();
    bool Remote(int row) const;
    bool SomebodyHere() const;

    mdlGlobal& g_;
    GameInfo& game_;
    int freeHumanSlots_ = 0;
    bool activated_ = false;
    // chkName_Click of a row is running: its own change of the box must not run it again.
    std::array<bool, Seats> chkBusy_{};

    QLabel* lblPlayer_;
    QComboBox* cmbPlayer_;
    QLabel* lblManPlayer_;
    QComboBox* cmbManPlayer_;
    QGroupBox* fraName_;
    std::array<QCheckBox*, Seats> chkName_{};
    std::array<QLineEdit*, Seats> txtName_{};
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;

    std::vector<bool>* remote_ = nullptr;
    std::array<QComboBox*, Seats> cmbWhere_{};
    // A remote seat's name box is emptied; what it held comes back if the seat returns here.
    std::array<QString, Seats> keptName_{};
    std::array<bool, Seats> nameKept_{};
    QLabel* lblHostOnly_ = nullptr;
};

} // namespace korvane
