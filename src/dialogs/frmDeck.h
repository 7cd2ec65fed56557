// The card-back dialog: the twelve back designs side by side; a click selects one and OK puts
// it on every face-down card. Cancel and the close box leave the back as it was.
#pragma once

#include "engine/mdlGlobal.h"

#include <QDialog>

#include <array>

class QPushButton;

namespace korvane {

class CardLibrary;
class PictureBox;

class frmDeck : public QDialog {
    Q_OBJECT
public:
    static constexpr int Designs = LastBack - FirstBack + 1;
    // The width of a preview's border, in pixels.
    static constexpr int Border = 2;

    frmDeck(mdlGlobal& g, CardLibrary& cards, QWidget* owner);

    // Shows the dialog modally over owner; true when closed with OK. The caller repaints the
    // closed piles afterwards when a game is on the table.
    static bool Run(QWidget* owner, mdlGlobal& g, CardLibrary& cards);

    // ---- Operations ----
    void picDeck_Click(int Index);
    void cmdOK_Click();

    // Position 0..11 of the selected design, or -1 when the game's back is none of them.
    int SelectedBack() const { return selectedBack_; }
    bool Highlighted(int i) const;

    // ---- Widgets ----
    PictureBox* picDeck(int i) const { return picDeck_.at(static_cast<std::size_t>(i)); }
    // The coloured frame behind preview i; a button that is never enabled.
    QPushButton* cmdDeck(int i) const { return cmdDeck_.at(static_cast<std::size_t>(i)); }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void SetFrameColour(int i, bool highlighted);

    mdlGlobal& g_;
    int selectedBack_ = -1;
    std::array<PictureBox*, Designs> picDeck_{};
    std::array<QPushButton*, Designs> cmdDeck_{};
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

} // namespace korvane
