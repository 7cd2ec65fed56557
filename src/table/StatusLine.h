// The line below the table: whose turn it is and what the person may do, why he was just
// charged a penalty, and how the last game ended. Every change is said to a screen reader.
#pragma once

#include "engine/GameRecord.h"
#include "engine/TableDisplay.h"
#include "table/StatusText.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>

class QLabel;
class QStatusBar;

namespace korvane {

class StatusLine : public QObject {
    Q_OBJECT
public:
    // Puts the line into the window's status bar, among its children (the window destroys it
    // first, before the bar's other children).
    StatusLine(QStatusBar& bar, const GameInfo& game, const SeatRoles& roles);

    QLabel* Label() const { return label_; }
    // What the line takes of the window's height while it is shown; Room(): what it takes now.
    int Height() const;
    int Room() const;
    // A maximised window too small for the table and the line together hides the line.
    void Show(bool on);
    // The line for the table as it stands; said aloud when it changed.
    void Refresh();
    // Tells a screen reader what just happened.
    void Announce(const QString& text);

    // A penalty was charged. Its explanation stays until its player acts again, and goes at once
    // when his seat is handed to the computer.
    void Explain(const PenaltyNote& note, bool cardsFlying);
    // The person of `seat` acted; a move still running keeps the explanation of its penalty.
    void Seen(int seat, bool moveRunning);
    // The end-of-game message, shown until the next game is on the table.
    void GameOver(const std::string& message);
    // A new table: nothing of the game before is explained, and a table with a game on it has
    // no last result either.
    void NewTable(bool withGame);
    // How the person last played: the line names that way first.
    void SetInput(status::Input way);
    // Why the key just pressed could not act (empty: it did), shown until the next input.
    void Refuse(const std::string& why);
    // What the network says (who left, the connection lost, whom the table waits for), shown
    // under the turn until it is replaced; empty: nothing.
    void Notice(const std::string& text);

signals:
    // A sentence was said to a screen reader.
    void announced(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The label's height for its text at its width, never less than four lines.
    void Fit();

    QStatusBar& bar_;
    const GameInfo& game_;
    const SeatRoles& roles_;
    QLabel* label_;
    std::optional<PenaltyNote> note_;
    bool flying_ = false;
    std::string lastResult_;
    status::Input input_ = status::Input::Mouse;
    std::string refusal_;
    uint8_t refusedInTurnOf_ = 0;
    std::string notice_;
};

} // namespace korvane
