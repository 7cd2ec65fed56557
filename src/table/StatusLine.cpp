#include "table/StatusLine.h"

#include "table/TablePaint.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>
#include <QStatusBar>

#include <algorithm>

namespace korvane {

StatusLine::StatusLine(QStatusBar& bar, const GameInfo& game, const SeatRoles& roles)
    : QObject(&bar), bar_(bar), game_(game), roles_(roles), label_(new QLabel(&bar)) {
    label_->setObjectName(QStringLiteral("lblStatus"));
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Fit();
    label_->installEventFilter(this);
    bar_.addWidget(label_, 1);
    bar_.setSizeGripEnabled(false);
    bar_.setAccessibleName(QObject::tr("Table events"));
}

void StatusLine::Fit() {
    // Four lines hold the turn and a penalty's explanation, each of which may wrap, so that the
    // table keeps its size as they come and go. A refused key's note beside them, or a narrow
    // window, may need more: the line grows rather than cut the explanation off. Measured from
    // the text itself: a label's own height for a width never falls below its present height.
    const QFontMetrics metrics = label_->fontMetrics();
    const int lines =
        label_->isVisible()
            ? metrics
                  .boundingRect(QRect(0, 0, std::max(1, label_->contentsRect().width()), 1 << 20),
                                Qt::AlignLeft | Qt::TextWordWrap, label_->text())
                  .height()
            : 0;
    const int height = std::max(4 * metrics.lineSpacing(), lines) + 4;
    if (height != label_->minimumHeight() || height != label_->maximumHeight())
        label_->setFixedHeight(height);
}

bool StatusLine::eventFilter(QObject* watched, QEvent* event) {
    // A new width may wrap the text anew; a new height alone changes nothing.
    if (watched == label_ && (event->type() == QEvent::Show ||
                              (event->type() == QEvent::Resize &&
                               static_cast<QResizeEvent*>(event)->size().width() !=
                                   static_cast<QResizeEvent*>(event)->oldSize().width())))
        Fit();
    return false;
}

int StatusLine::Height() const {
    return bar_.sizeHint().height();
}

int StatusLine::Room() const {
    return bar_.isHidden() ? 0 : Height();
}

void StatusLine::Show(bool on) {
    bar_.setHidden(!on);
}

void StatusLine::Refresh() {
    // A seat handed over to the computer has nobody left to read its explanation.
    if (note_ && paint::SeatExists(game_, note_->seat) && game_.Player[note_->seat].Computer)
        note_.reset();
    std::string text = status::TurnLine(game_, lastResult_, input_, roles_);
    // Appended piece by piece: GCC 12's optimiser takes "\n" + a temporary for an overlapping
    // copy (-Wrestrict).
    const auto line = [&text](const std::string& more) {
        if (!text.empty())
            text.append("\n");
        text.append(more);
    };
    if (!notice_.empty())
        line(notice_);
    // Why a key did nothing belongs to the turn it was pressed in: once the turn has passed (a
    // computer's turn ending, a player at another computer moving) it would contradict the line.
    if (refusedInTurnOf_ != game_.CurrentPlayer)
        refusal_.clear();
    if (!refusal_.empty())
        line(refusal_);
    if (note_)
        line(status::PenaltyText(game_, *note_, flying_, roles_));
    const QString shown = QString::fromLatin1(text);
    if (shown != label_->text()) {
        label_->setText(shown);
        Fit();
        Announce(shown);
    }
}

void StatusLine::Announce(const QString& text) {
    // Qt 6.4 has no announcement of its own: the status bar carries the sentence as its
    // description and raises an alert, which screen readers speak.
    bar_.setAccessibleDescription(text);
    QAccessibleEvent event(&bar_, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
    emit announced(text);
}

void StatusLine::Explain(const PenaltyNote& note, bool cardsFlying) {
    note_ = note;
    flying_ = cardsFlying;
    Refresh();
}

void StatusLine::Seen(int seat, bool moveRunning) {
    if (!note_ || note_->seat != seat || moveRunning)
        return;
    note_.reset();
    Refresh();
}

void StatusLine::GameOver(const std::string& message) {
    lastResult_ = message;
    Refresh();
}

void StatusLine::SetInput(status::Input way) {
    input_ = way;
    Refresh();
}

void StatusLine::Refuse(const std::string& why) {
    refusal_ = why;
    refusedInTurnOf_ = game_.CurrentPlayer;
    Refresh();
}

void StatusLine::Notice(const std::string& text) {
    notice_ = text;
    Refresh();
}

void StatusLine::NewTable(bool withGame) {
    note_.reset();
    refusal_.clear();
    if (withGame)
        lastResult_.clear();
    Refresh();
}

} // namespace korvane
