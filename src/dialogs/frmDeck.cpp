#include "dialogs/frmDeck.h"

#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/DialogLook.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace korvane {

frmDeck::frmDeck(mdlGlobal& g, CardLibrary& cards, QWidget* owner) : QDialog(owner), g_(g) {
    setWindowTitle(QStringLiteral("Select Deck Background"));
    setModal(true);
    ApplyWindowFont(this);

    const int back = g_.Game.DeckBack;
    selectedBack_ = back >= FirstBack && back <= LastBack ? back - FirstBack : -1;

    const int S = mdlGlobal::CardSpacing;
    const int W = g_.CardWidth;
    const int H = g_.CardHeight;
    const int cw = W + 6 * Border;
    const int ch = H + 6 * Border;
    const QColor border = QApplication::palette().color(QPalette::Dark);
    for (int i = 0; i < Designs; ++i) {
        const int x = S + (i % 6) * (S + cw);
        const int y = S + (i / 6) * (S + ch);
        auto* frame = new QPushButton(this);
        frame->setFlat(true);
        frame->setAutoFillBackground(true);
        frame->setEnabled(false);
        frame->setFocusPolicy(Qt::NoFocus);
        frame->setGeometry(x, y, cw, ch);
        cmdDeck_[static_cast<std::size_t>(i)] = frame;
        SetFrameColour(i, false);

        auto* pic = new PictureBox(this);
        pic->setGeometry(x + 2 * Border, y + 2 * Border, W + 2 * Border, H + 2 * Border);
        pic->setBackground(border);
        pic->setToolTip(cards.BackName(FirstBack + i));
        pic->setCursor(Qt::PointingHandCursor);
        // The border is the picture's own background left round the design.
        DrawCard(cards, pic, Border, Border, static_cast<uint8_t>(FirstBack + i), false);
        picDeck_[static_cast<std::size_t>(i)] = pic;
        connect(pic, &PictureBox::clicked, this, [this, i] { picDeck_Click(i); });
    }

    const int innerWidth = 6 * cw + 7 * S;
    const int buttonWidth = (innerWidth - 3 * S) / 2;
    cmdOK_ = MakeButton(QStringLiteral("OK"), this);
    cmdCancel_ = MakeButton(QStringLiteral("Cancel"), this);
    cmdOK_->setDefault(true);
    const int buttonHeight = cmdOK_->sizeHint().height();
    const QRect last = picDeck(Designs - 1)->geometry();
    const int top = last.y() + last.height() + 2 * S;
    cmdOK_->setGeometry(S, top, buttonWidth, buttonHeight);
    cmdCancel_->setGeometry(2 * S + buttonWidth, top, buttonWidth, buttonHeight);
    connect(cmdOK_, &QPushButton::clicked, this, &frmDeck::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(innerWidth, 2 * ch + 5 * S + buttonHeight);
    if (selectedBack_ >= 0)
        SetFrameColour(selectedBack_, true);
}

bool frmDeck::Run(QWidget* owner, mdlGlobal& g, CardLibrary& cards) {
    const bool accepted = RunModal<frmDeck>(owner, g, cards);
#ifdef __GLIBC__
    // The dialog's widgets and pictures are freed by now; glibc would keep about 2 MB of that
    // heap for a dialog seldom opened twice: give it back.
    malloc_trim(0);
#endif
    return accepted;
}

void frmDeck::SetFrameColour(int i, bool highlighted) {
    QPushButton* frame = cmdDeck(i);
    QPalette pal = frame->palette();
    const QPalette& app = QApplication::palette();
    // The same colour in every state: the frame is never enabled.
    pal.setColor(QPalette::Button, highlighted ? app.color(QPalette::Active, QPalette::Highlight)
                                               : app.color(QPalette::Active, QPalette::Button));
    frame->setPalette(pal);
    frame->update();
}

bool frmDeck::Highlighted(int i) const {
    return cmdDeck(i)->palette().color(QPalette::Disabled, QPalette::Button) ==
           QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void frmDeck::picDeck_Click(int Index) {
    if (selectedBack_ >= 0)
        SetFrameColour(selectedBack_, false);
    selectedBack_ = Index;
    SetFrameColour(Index, true);
}

void frmDeck::cmdOK_Click() {
    // A game whose back is none of the designs keeps it unless the user picked one.
    if (selectedBack_ >= 0)
        g_.Game.DeckBack = static_cast<uint8_t>(FirstBack + selectedBack_);
    accept();
}

} // namespace korvane
