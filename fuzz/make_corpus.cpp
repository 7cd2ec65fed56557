// Writes the fuzzer's seed corpus: saved games as the program itself writes them, taken from
// all-computer games at several moments, and the records with no game.
#include "engine/GameRules.h"
#include "savedgame/SavedGameFile.h"
#include "simulator/SilentDisplay.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace korvane;

namespace {

void Write(const std::string& folder, const std::string& name, const GameInfo& g) {
    const std::vector<uint8_t> bytes = EncodeGame(g);
    if (!DecodeGame(bytes)) {
        std::fprintf(stderr, "%s would be refused\n", name.c_str());
        std::exit(1);
    }
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Keeps the record a save would hold at chosen flights of a game.
class Snapshots : public SilentDisplay {
public:
    using SilentDisplay::SilentDisplay;
    GameRules* game = nullptr;
    uint64_t at = 0;
    std::vector<GameInfo> taken;
    std::vector<uint64_t> when;

    bool AnimateMove(uint8_t toPly) override {
        ++at;
        for (uint64_t w : when)
            if (w == at)
                taken.push_back(game->SaveableRecord());
        return SilentDisplay::AnimateMove(toPly);
    }
};

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";

    Write(folder, "no-game.kvn", GameInfo{});
    GameInfo ended;
    ended.Player.resize(4);
    ended.Player[2].SetName("Left behind");
    Write(folder, "ended-game.kvn", ended);

    const uint8_t seats[] = {3, 5, 8};
    for (uint8_t players : seats) {
        mdlGlobal g(FixedSeed(players));
        Snapshots view(g);
        GameRules rules(g, view);
        view.players = players;
        view.game = &rules;
        rules.SetMoveLimit(5000);
        view.when = {1, 40, 120};
        g.Game.TotalKorvane = static_cast<uint8_t>(1 + players % 3);
        g.Game.StraightPath = players != 5;
        rules.mnGameNew_Click();
        int k = 0;
        for (GameInfo& s : view.taken) {
            // One of them a human seat with a turned card in hand.
            if (k == 1 && s.GameState == State::Playing &&
                !s.Player[s.CurrentPlayer].CloseDeck.Empty()) {
                s.GameState = State::Turned;
                s.Player[s.CurrentPlayer].Computer = false;
            }
            Write(folder, std::to_string(players) + "-players-" + std::to_string(k++) + ".kvn", s);
        }
    }
    return 0;
}
