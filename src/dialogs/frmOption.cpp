#include "dialogs/frmOption.h"

#include "dialogs/DialogLook.h"
#include "engine/Rounding.h"
#include "engine/mdlGlobal.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <limits>

namespace korvane {

namespace {

constexpr int BoxLength = 2;

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The longest prefix of s (from pos) that reads as sign, digits, point, digits; digits counts
// the digits in it.
qsizetype ScanNumber(const QString& s, qsizetype pos, int& digits) {
    digits = 0;
    if (pos < s.size() && (s[pos] == QLatin1Char('+') || s[pos] == QLatin1Char('-')))
        ++pos;
    bool point = false;
    for (; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    return pos;
}

int16_t ToInt16(long long v) {
    if (v > std::numeric_limits<int16_t>::max())
        return std::numeric_limits<int16_t>::max();
    if (v < std::numeric_limits<int16_t>::min())
        return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(v);
}

} // namespace

bool frmOption::IsNumber(const QString& text) {
    qsizetype pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    int digits = 0;
    pos = ScanNumber(text, pos, digits);
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return digits > 0 && pos == text.size();
}

int frmOption::TextValue(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    int digits = 0;
    const qsizetype end = ScanNumber(text, start, digits);
    if (digits == 0)
        return 0;
    bool ok = false;
    const double v = text.mid(start, end - start).toDouble(&ok);
    if (!ok)
        return 0;
    return RoundHalfEven(v);
}

frmOption::frmOption(GameInfo& game, QWidget* owner) : QDialog(owner), game_(game) {
    setWindowTitle(QStringLiteral("Option"));
    setModal(true);
    ApplyWindowFont(this);
    const int S = mdlGlobal::CardSpacing;

    // Left column.
    auto* fraKorvaneCards = new QGroupBox(QStringLiteral("Total Korvane"), this);
    auto* cardsRow = new QHBoxLayout(fraKorvaneCards);
    const char* counts[] = {"One", "Two", "Three"};
    for (std::size_t i = 0; i < optKorvane_.size(); ++i) {
        optKorvane_[i] = new QRadioButton(QString::fromLatin1(counts[i]), fraKorvaneCards);
        cardsRow->addWidget(optKorvane_[i]);
    }
    auto* fraKorvaneType = new QGroupBox(QStringLiteral("Korvane Type"), this);
    auto* typeColumn = new QVBoxLayout(fraKorvaneType);
    optType_[0] = new QRadioButton(QStringLiteral("Korvane per Turn"), fraKorvaneType);
    optType_[1] = new QRadioButton(QStringLiteral("Korvane per Mistake"), fraKorvaneType);
    typeColumn->addWidget(optType_[0]);
    typeColumn->addWidget(optType_[1]);

    auto* fraPath = new QGroupBox(this);
    auto* pathColumn = new QVBoxLayout(fraPath);
    chkPath_ = new QCheckBox(QStringLiteral("Funny Card Movement Path"), fraPath);
    lblPoints_ = new QLabel(QStringLiteral("Path Points:"), fraPath);
    sldPoints_ = new QSlider(Qt::Horizontal, fraPath);
    sldPoints_->setRange(0, 99);
    sldPoints_->setSingleStep(1);
    sldPoints_->setPageStep(5);
    sldPoints_->setTickPosition(QSlider::TicksBelow);
    sldPoints_->setTickInterval(10);
    lblPoints_->setBuddy(sldPoints_);
    pathColumn->addWidget(chkPath_);
    pathColumn->addWidget(lblPoints_);
    pathColumn->addWidget(sldPoints_);
    chkTip_ = new QCheckBox(QStringLiteral("Show Tip everytime"), this);

    // Right column.
    auto* fraCardMove = new QGroupBox(QStringLiteral("Card Animation"), this);
    auto* moveGrid = new QGridLayout(fraCardMove);
    const char* labels[] = {"Step Distance", "Speed", "Computer Step Distance", "Computer Speed"};
    for (std::size_t i = 0; i < 2; ++i) {
        txtStep_[i] = new QLineEdit(fraCardMove);
        txtTime_[i] = new QLineEdit(fraCardMove);
        for (QLineEdit* box : {txtStep_[i], txtTime_[i]}) {
            box->setMaxLength(BoxLength);
            box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + S);
            SelectAllOnFocus(box); // typing replaces the value
        }
        auto* lblStep = new QLabel(QString::fromLatin1(labels[2 * i]), fraCardMove);
        auto* lblTime = new QLabel(QString::fromLatin1(labels[2 * i + 1]), fraCardMove);
        lblStep->setBuddy(txtStep_[i]);
        lblTime->setBuddy(txtTime_[i]);
        const int row = static_cast<int>(2 * i);
        moveGrid->addWidget(lblStep, row, 0);
        moveGrid->addWidget(txtStep_[i], row, 1);
        moveGrid->addWidget(lblTime, row + 1, 0);
        moveGrid->addWidget(txtTime_[i], row + 1, 1);
        const int index = static_cast<int>(i);
        connect(txtStep_[i], &QLineEdit::textChanged, this,
                [this, index] { txtStep_Change(index); });
        connect(txtTime_[i], &QLineEdit::textChanged, this,
                [this, index] { txtTime_Change(index); });
    }
    auto* lblInfo = new QLabel(
        QStringLiteral("Step Distance: 1(slow) to 99(fast) Speed: -9 (slow) to 99(fast)"),
        fraCardMove);
    lblInfo->setWordWrap(true);
    moveGrid->addWidget(lblInfo, 4, 0, 1, 2);
    chkChance_ = new QCheckBox(QStringLiteral("Give a last chance at the end"), this);
    chkOutline_ = new QCheckBox(QStringLiteral("Outline Dragging"), this);

    cmdOK_ = MakeButton(QStringLiteral("OK"), this);
    cmdCancel_ = MakeButton(QStringLiteral("Cancel"), this);
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkPath_, &QCheckBox::toggled, this, [this] { chkPath_Click(); });

    auto* columns = new QGridLayout;
    columns->setSpacing(S);
    columns->addWidget(fraKorvaneCards, 0, 0);
    columns->addWidget(fraKorvaneType, 1, 0);
    columns->addWidget(fraPath, 2, 0);
    columns->addWidget(fraCardMove, 0, 1, 3, 1);
    columns->addWidget(chkTip_, 4, 0);
    columns->addWidget(chkChance_, 3, 1);
    columns->addWidget(chkOutline_, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(S);
    buttons->addWidget(cmdOK_, 1);
    buttons->addWidget(cmdCancel_, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(S, S, S, S);
    outer->setSpacing(S);
    outer->addLayout(columns);
    outer->addLayout(buttons);

    QWidget* const order[] = {txtStep_[0],    txtTime_[0],    txtStep_[1],    txtTime_[1],
                              optKorvane_[0], optKorvane_[1], optKorvane_[2], optType_[0],
                              optType_[1],    chkPath_,       chkTip_,        chkChance_,
                              chkOutline_,    cmdOK_,         cmdCancel_,     sldPoints_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

bool frmOption::Run(QWidget* owner, GameInfo& game) {
    return RunModal<frmOption>(owner, game);
}

void frmOption::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Filled once per opening; coming back from another window keeps the user's edits.
    if (!activated_) {
        activated_ = true;
        Form_Activate();
        txtStep_[0]->setFocus(Qt::TabFocusReason);
    }
}

void frmOption::ShowValue(QLineEdit* box, int value) {
    const QString text = QString::number(value);
    box->setMaxLength(std::max<int>(BoxLength, static_cast<int>(text.size())));
    box->setText(text);
}

void frmOption::Form_Activate() {
    const int total = std::clamp<int>(game_.TotalKorvane, 1, 3);
    optKorvane(total - 1)->setChecked(true);
    optType(game_.KorvanePerTurn ? 0 : 1)->setChecked(true);
    chkOutline_->setChecked(game_.OutlineDrag);
    chkTip_->setChecked(game_.ShowTip);
    chkChance_->setChecked(game_.LastChance);
    chkPath_->setChecked(!game_.StraightPath);
    sldPoints_->setEnabled(chkPath_->isChecked());
    sldPoints_->setValue(game_.PathPoints);
    for (int i = 0; i < 2; ++i) {
        ShowValue(txtStep(i), game_.MoveStep[static_cast<std::size_t>(i)]);
        ShowValue(txtTime(i), 100 - game_.MoveSpeed[static_cast<std::size_t>(i)]);
    }
}

void frmOption::chkPath_Click() {
    sldPoints_->setEnabled(chkPath_->isChecked());
}

void frmOption::txtStep_Change(int Index) {
    QLineEdit* box = txtStep(Index);
    if (!box->text().isEmpty() && !IsNumber(box->text()))
        box->clear();
}

void frmOption::txtTime_Change(int Index) {
    QLineEdit* box = txtTime(Index);
    // A lone minus may stand while a negative speed is being typed.
    if (box->text().trimmed() != QLatin1String("-") && !IsNumber(box->text()))
        box->clear();
}

void frmOption::cmdOK_Click() {
    game_.TotalKorvane = optKorvane(0)->isChecked() ? 1 : optKorvane(1)->isChecked() ? 2 : 3;
    game_.OutlineDrag = chkOutline_->isChecked();
    game_.ShowTip = chkTip_->isChecked();
    game_.LastChance = chkChance_->isChecked();
    game_.StraightPath = !chkPath_->isChecked();
    game_.KorvanePerTurn = optType(0)->isChecked();
    for (std::size_t i = 0; i < 2; ++i) {
        const int index = static_cast<int>(i);
        game_.MoveStep[i] = ToInt16(TextValue(txtStep(index)->text()));
        game_.MoveSpeed[i] = ToInt16(100LL - TextValue(txtTime(index)->text()));
    }
    game_.PathPoints = static_cast<uint8_t>(sldPoints_->value());
    for (int16_t& step : game_.MoveStep) {
        if (step < 1)
            step = 1;
    }
    accept();
}

} // namespace korvane
