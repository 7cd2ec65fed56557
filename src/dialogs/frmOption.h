// The options dialog: the penalty rules, the play aids and the card-flight animation. OK
// writes every setting at once; Cancel and the close box write nothing.
#pragma once

#include "engine/GameRecord.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace korvane {

class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(GameInfo& game, QWidget* owner);

    static bool Run(QWidget* owner, GameInfo& game);

    // A number: optional blanks around it, an optional sign, digits with at most one decimal
    // point and at least one digit ("5", "-9", "5.", ".5").
    static bool IsNumber(const QString& text);
    // The leading number of a text (0 when there is none), rounded to the nearest whole
    // number, an exact half to the even neighbour; held within the range of an int.
    static int TextValue(const QString& text);

    // ---- Operations ----
    void Form_Activate();
    void chkPath_Click();
    void txtStep_Change(int Index);
    void txtTime_Change(int Index);
    void cmdOK_Click();

    // ---- Widgets ----
    QRadioButton* optKorvane(int i) const { return optKorvane_.at(static_cast<std::size_t>(i)); }
    QRadioButton* optType(int i) const { return optType_.at(static_cast<std::size_t>(i)); }
    QCheckBox* chkOutline() const { return chkOutline_; }
    QCheckBox* chkTip() const { return chkTip_; }
    QCheckBox* chkChance() const { return chkChance_; }
    QCheckBox* chkPath() const { return chkPath_; }
    QSlider* sldPoints() const { return sldPoints_; }
    QLineEdit* txtStep(int i) const { return txtStep_.at(static_cast<std::size_t>(i)); }
    QLineEdit* txtTime(int i) const { return txtTime_.at(static_cast<std::size_t>(i)); }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Shows a value from the record; a value wider than a box still shows whole, so that OK
    // gives back what was there.
    static void ShowValue(QLineEdit* box, int value);

    GameInfo& game_;
    bool activated_ = false;

    std::array<QRadioButton*, 3> optKorvane_{};
    std::array<QRadioButton*, 2> optType_{};
    QCheckBox* chkOutline_;
    QCheckBox* chkTip_;
    QCheckBox* chkChance_;
    QCheckBox* chkPath_;
    QLabel* lblPoints_;
    QSlider* sldPoints_;
    std::array<QLineEdit*, 2> txtStep_{};
    std::array<QLineEdit*, 2> txtTime_{};
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

} // namespace korvane
