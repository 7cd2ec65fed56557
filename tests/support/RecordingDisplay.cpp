#include "RecordingDisplay.h"

#include <algorithm>

namespace korvane::test {

std::vector<Call> RecordingDisplay::Calls(const std::string& op) const {
    std::vector<Call> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                 [&](const Call& c) { return c.op == op; });
    return out;
}

void RecordingDisplay::Record(std::string op, std::vector<int> args) {
    log.push_back({std::move(op), std::move(args)});
    if (onCall)
        onCall(Call(log.back())); // a copy: the test may log more calls from here
}

bool RecordingDisplay::AnimateMove(uint8_t toPly) {
    Record("AnimateMove", {toPly});
    return toPly != Target::None;
}

Seating RecordingDisplay::AskPlayers() {
    Record("AskPlayers", {});
    // The dialog works on a copy; its answer is what it would have written.
    GameInfo chosen = g_.Game;
    if (players)
        players(chosen);
    else
        SeatPlayers(chosen, defaultPlayers);
    return Seating::FromDialog(chosen, chosen.GameState == State::Dealt);
}

bool RecordingDisplay::AskPlayAgain(const std::string& message) {
    messages.push_back(message);
    Record("AskPlayAgain", {});
    const bool answer = !playAgain.empty() && playAgain.front();
    if (!playAgain.empty())
        playAgain.pop_front();
    return answer;
}

TableDisplay::Answer RecordingDisplay::AskSwitchMode(uint8_t Index, bool toComputer) {
    Record("AskSwitchMode", {Index, toComputer ? 1 : 0});
    return switchAnswer;
}

} // namespace korvane::test
