// libFuzzer over opening a saved game: every record the reader accepts must be safe to play
// from. All seats are handed to the computer and the game is played on (capped, as some deals
// never end) under the sanitizers.
#include "engine/GameRules.h"
#include "savedgame/SavedGameFile.h"
#include "simulator/SilentDisplay.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    LoadResult r = DecodeGame(std::span<const uint8_t>(data, size));
    if (!r)
        return 0;
    for (PlayerInfo& p : r.game->Player)
        p.Computer = true;
    mdlGlobal g(FixedSeed(1));
    SilentDisplay view(g);
    GameRules rules(g, view);
    rules.SetMoveLimit(3000);
    rules.OpenGame(*r.game);
    return 0;
}
