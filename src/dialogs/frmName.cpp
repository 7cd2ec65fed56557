#include "dialogs/frmName.h"

#include "dialogs/DialogLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

// Names keep inner blanks; only the padding around them goes, as on the table's labels.
QString TrimBlanks(const QString& s) {
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s[first] == QLatin1Char(' '))
        ++first;
    while (last > first && s[last - 1] == QLatin1Char(' '))
        --last;
    return s.mid(first, last - first);
}

} // namespace

QString frmName::DefaultName(int row) {
    static constexpr std::array<const char*, Seats> names{"Tovan",  "Rilka",  "Dunet",  "Gorvi",
                                                          "Kelsta", "Bramon", "Quenly", "Lusa"};
    return QString::fromLatin1(names.at(static_cast<std::size_t>(row)));
}

frmName::frmName(mdlGlobal& g, GameInfo& game, QWidget* owner) : frmName(g, game, nullptr, owner) {}

frmName::frmName(mdlGlobal& g, GameInfo& game, std::vector<bool>& remote, QWidget* owner)
    : frmName(g, game, &remote, owner) {}

frmName::frmName(mdlGlobal& g, GameInfo& game, std::vector<bool>* remote, QWidget* owner)
    : QDialog(owner), g_(g), game_(game), remote_(remote) {
    // Hosting says what the dialog is for: the seats of a table others will join.
    setWindowTitle(remote ? QStringLiteral("Host Network Table") : QStringLiteral("Names"));
    setModal(true);
    ApplyWindowFont(this);
    const int S = mdlGlobal::CardSpacing;

    lblPlayer_ = new QLabel(QStringLiteral("Number of Players:"), this);
    lblPlayer_->setFont(WindowFontBold());
    cmbPlayer_ = new QComboBox(this);
    lblManPlayer_ = new QLabel(QStringLiteral("Number of Human Player:"), this);
    lblManPlayer_->setFont(WindowFontBold());
    cmbManPlayer_ = new QComboBox(this);
    lblPlayer_->setBuddy(cmbPlayer_);
    lblManPlayer_->setBuddy(cmbManPlayer_);

    fraName_ = new QGroupBox(QStringLiteral("Players' Names:"), this);
    fraName_->setFont(WindowFontBold());
    auto* grid = new QGridLayout(fraName_);
    grid->setContentsMargins(S, S, S, S);
    grid->setHorizontalSpacing(S);
    grid->setVerticalSpacing(S);
    for (int i = 0; i < Seats; ++i) {
        auto* chk = new QCheckBox(QString::number(i + 1) + QLatin1Char('.'), fraName_);
        auto* txt = new QLineEdit(fraName_);
        chk->setFont(WindowFont());
        txt->setFont(WindowFont());
        // Read aloud, "1." says nothing; the name boxes have no label of their own.
        chk->setAccessibleName(QStringLiteral("Player %1 is a person").arg(i + 1));
        txt->setAccessibleName(QStringLiteral("Player %1's name").arg(i + 1));
        // Hidden seats keep their place, so the frame does not jump as the count changes.
        for (QWidget* w : {static_cast<QWidget*>(chk), static_cast<QWidget*>(txt)}) {
            QSizePolicy sp = w->sizePolicy();
            sp.setRetainSizeWhenHidden(true);
            w->setSizePolicy(sp);
        }
        SelectAllOnFocus(txt); // typing replaces the name
        const int col = (i / 4) * (remote_ ? 3 : 2);
        grid->addWidget(chk, i % 4, col);
        grid->addWidget(txt, i % 4, col + 1);
        chkName_[static_cast<std::size_t>(i)] = chk;
        txtName_[static_cast<std::size_t>(i)] = txt;
        connect(chk, &QCheckBox::clicked, this, [this, i] { chkName_Click(i); });
        if (remote_) {
            auto* where = new QComboBox(fraName_);
            where->setFont(WindowFont());
            where->addItem(QStringLiteral("At this computer"));
            where->addItem(QStringLiteral("Remote"));
            where->setAccessibleName(QStringLiteral("Where player %1 plays").arg(i + 1));
            QSizePolicy sp = where->sizePolicy();
            sp.setRetainSizeWhenHidden(true);
            where->setSizePolicy(sp);
            const std::size_t at = static_cast<std::size_t>(i);
            where->setCurrentIndex(at < remote_->size() && (*remote_)[at] ? 1 : 0);
            // Wide enough for a name, and for the hint a remote seat shows in its place.
            txt->setMinimumWidth(
                txt->fontMetrics().horizontalAdvance(QStringLiteral("(joins over the network)")) +
                2 * S);
            grid->addWidget(where, i % 4, col + 2);
            cmbWhere_[at] = where;
            connect(where, &QComboBox::activated, this, [this, i] { cmbWhere_Click(i); });
        }
    }
    if (remote_) {
        lblHostOnly_ = new QLabel(this);
        lblHostOnly_->setFont(WindowFont());
        lblHostOnly_->setTextFormat(Qt::PlainText);
        lblHostOnly_->setWordWrap(true);
        lblHostOnly_->hide();
    }

    cmdOK_ = MakeButton(QStringLiteral("OK"), this);
    cmdCancel_ = MakeButton(QStringLiteral("Cancel"), this);
    cmdOK_->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(lblPlayer_);
    top->addWidget(cmbPlayer_);
    top->addStretch(1);
    top->addWidget(lblManPlayer_);
    top->addWidget(cmbManPlayer_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(S);
    buttons->addWidget(cmdOK_, 1);
    buttons->addWidget(cmdCancel_, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(S, S, S, S);
    outer->setSpacing(S);
    outer->addLayout(top);
    outer->addWidget(fraName_);
    if (lblHostOnly_)
        outer->addWidget(lblHostOnly_);
    outer->addLayout(buttons);

    // activated is the user's choice only (and also a choice of the same item again).
    connect(cmbPlayer_, &QComboBox::activated, this, [this] { cmbPlayer_Click(); });
    connect(cmbManPlayer_, &QComboBox::activated, this, [this] { cmbManPlayer_Click(); });
    connect(cmdOK_, &QPushButton::clicked, this, &frmName::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmName::cmdCancel_Click);
}

bool frmName::Run(QWidget* owner, mdlGlobal& g, GameInfo& game) {
    return RunModal<frmName>(owner, g, game);
}

bool frmName::RunForHost(QWidget* owner, mdlGlobal& g, GameInfo& game, std::vector<bool>& remote) {
    return RunModal<frmName>(owner, g, game, remote);
}

void frmName::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the first showing: a dialog that lost and regained activation keeps what the user
    // has chosen so far.
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

void frmName::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button (with its consequences), not a silent close.
    if (event->matches(QKeySequence::Cancel)) {
        cmdCancel_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmName::SelectPlayers(int position) {
    cmbPlayer_->setCurrentIndex(position);
    cmbPlayer_Click();
}

void frmName::SelectHumans(int position) {
    cmbManPlayer_->setCurrentIndex(position);
    cmbManPlayer_Click();
}

void frmName::SetTicked(int row, bool ticked) {
    QCheckBox* chk = chkName(row);
    if (chk->isChecked() == ticked)
        return;
    chk->setChecked(ticked);
    chkName_Click(row);
}

void frmName::Form_Activate() {
    cmbPlayer_->clear();
    cmbManPlayer_->clear();
    for (int v = MinPlayers; v <= Seats; ++v) {
        cmbPlayer_->addItem(QString::number(v));
        cmbManPlayer_->addItem(QString::number(v));
    }
    // Filled lists start with nothing selected.
    cmbPlayer_->setCurrentIndex(-1);
    cmbManPlayer_->setCurrentIndex(-1);

    GameInfo& game = game_;
    const int count = game.PlayerCount;
    const int known = std::min<int>(count, static_cast<int>(game.Player.size()));
    if (count >= MinPlayers && count <= Seats) {
        SelectPlayers(count - MinPlayers);
        SelectHumans(cmbManPlayer_->count() - 1);
        for (int i = 0; i < known; ++i) {
            if (game.Player[static_cast<std::size_t>(i)].Computer)
                SelectHumans(cmbManPlayer_->currentIndex() - 1);
        }
    } else {
        SelectPlayers(g_.RandomInt(0, cmbPlayer_->count() - 1));
        SelectHumans(g_.RandomInt(0, cmbManPlayer_->count() - 1));
    }
    freeHumanSlots_ = 0;

    for (int i = 0; i < Seats; ++i) {
        chkName(i)->setText(QString::number(i + 1) + QLatin1Char('.'));
        txtName(i)->setText(QString());
    }
    const int named = count >= MinPlayers && count <= Seats ? known : 0;
    for (int i = 0; i < Seats; ++i) {
        if (i < named) {
            const std::string name = game.Player[static_cast<std::size_t>(i)].TrimmedName();
            txtName(i)->setText(
                QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        } else {
            txtName(i)->setText(DefaultName(i));
        }
    }
    ShowWhere();
}

void frmName::cmbPlayer_Click() {
    const int k = cmbManPlayer_->currentIndex();
    const int n = cmbPlayer_->currentIndex() + MinPlayers;

    cmbManPlayer_->clear();
    for (int v = 0; v <= n; ++v)
        cmbManPlayer_->addItem(QString::number(v));
    cmbManPlayer_->setCurrentIndex(-1);

    const int items = cmbManPlayer_->count();
    if (k < 0)
        SelectHumans(g_.RandomInt(0, items - 1));
    else if (k >= items)
        SelectHumans(items - 1);
    else
        SelectHumans(k);

    for (int i = 0; i < Seats; ++i) {
        chkName(i)->setVisible(i < n);
        txtName(i)->setVisible(i < n);
    }
    ShowWhere();
}

void frmName::cmbManPlayer_Click() {
    const int n = cmbPlayer_->currentIndex() + MinPlayers;
    const int k = cmbManPlayer_->currentIndex();
    for (int i = 0; i < n; ++i) {
        chkName(i)->setEnabled(true);
        txtName(i)->setEnabled(true);
        SetTicked(i, false);
    }
    freeHumanSlots_ = k;
    for (int i = 0; i < k; ++i) {
        chkName(i)->setEnabled(true);
        txtName(i)->setEnabled(true);
        SetTicked(i, true);
    }
    freeHumanSlots_ = 0;
    ShowWhere();
}

void frmName::chkName_Click(int Index) {
    QCheckBox* chk = chkName(Index);
    bool& busy = chkBusy_[static_cast<std::size_t>(Index)];
    if (busy || !chk->isEnabled())
        return;
    busy = true;
    if (chk->isChecked()) {
        if (freeHumanSlots_ < 1)
            SetTicked(Index, false); // every human seat is taken
        else
            --freeHumanSlots_;
    } else if (freeHumanSlots_ < cmbManPlayer_->currentIndex()) {
        ++freeHumanSlots_;
    }
    busy = false;
    ShowWhere();
}

void frmName::cmdOK_Click() {
    GameInfo& game = game_;
    const int n = cmbPlayer_->currentIndex() + MinPlayers;
    if (freeHumanSlots_ > 0) {
        for (int i = 0; i < n && freeHumanSlots_ > 0; ++i) {
            if (!chkName(i)->isChecked())
                SetTicked(i, true);
        }
    }
    // Refused before anything is written: the game in play, if any, stays as it is.
    if (remote_ && !SomebodyHere()) {
        lblHostOnly_->setText(
            QStringLiteral("At least one person must play at this computer: you, the host."));
        lblHostOnly_->show();
        return;
    }
    if (n != game.PlayerCount || static_cast<int>(game.Player.size()) != n) {
        game.PlayerCount = static_cast<uint8_t>(n);
        game.Player.assign(static_cast<std::size_t>(n), PlayerInfo{});
    }
    game.GameState = State::Dealt;
    for (int i = 0; i < n; ++i) {
        PlayerInfo& p = game.Player[static_cast<std::size_t>(i)];
        p.SetName(TrimBlanks(txtName(i)->text()).toLatin1().toStdString());
        p.Computer = !chkName(i)->isChecked();
    }
    if (remote_) {
        remote_->assign(static_cast<std::size_t>(n), false);
        for (int i = 0; i < n; ++i)
            (*remote_)[static_cast<std::size_t>(i)] = Remote(i);
    }
    accept();
}

bool frmName::Remote(int row) const {
    const QComboBox* where = cmbWhere(row);
    return where && !chkName(row)->isHidden() && chkName(row)->isChecked() &&
           where->currentIndex() == 1;
}

bool frmName::SomebodyHere() const {
    for (int i = 0; i < Seats; ++i)
        if (!chkName(i)->isHidden() && chkName(i)->isChecked() && !Remote(i))
            return true;
    return false;
}

void frmName::cmbWhere_Click(int Index) {
    if (Remote(Index) && !SomebodyHere()) {
        cmbWhere(Index)->setCurrentIndex(0);
        lblHostOnly_->setText(QStringLiteral(
            "At least one person must play at this computer: you, the host. That seat stays "
            "here."));
        lblHostOnly_->show();
    } else {
        lblHostOnly_->hide();
    }
    ShowWhere();
}

void frmName::ShowWhere() {
    if (!remote_)
        return;
    for (int i = 0; i < Seats; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QLineEdit* txt = txtName(i);
        cmbWhere(i)->setVisible(!chkName(i)->isHidden() && chkName(i)->isChecked());
        const bool remote = Remote(i);
        if (remote && !nameKept_[at]) {
            keptName_[at] = txt->text();
            nameKept_[at] = true;
            txt->clear();
        } else if (!remote && nameKept_[at]) {
            txt->setText(keptName_[at]);
            nameKept_[at] = false;
        }
        txt->setPlaceholderText(remote ? QStringLiteral("(joins over the network)") : QString());
        if (remote)
            txt->setEnabled(false);
        else if (!txt->isEnabled())
            txt->setEnabled(true);
    }
}

void frmName::cmdCancel_Click() {
    if (game_.GameState >= State::Dealt) {
        game_.GameState = State::NoGame;
        ResetGame(game_);
        game_.PlayerCount = 0;
    }
    reject();
}

} // namespace korvane
