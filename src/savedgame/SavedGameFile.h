// The KVN saved-game file: the game record written field by field, little-endian, with no
// signature. This half needs nothing but the standard library, so the fuzzer and the tests can
// run it without a window.
#pragma once

#include "engine/GameRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvane {

// Everything before the players: the fixed fields and the players array's header.
inline constexpr std::size_t SavedHeaderSize = 262;
// One PlayerInfo in the file.
inline constexpr std::size_t SavedPlayerSize = 371;
// A file never holds more players than can sit at the table.
inline constexpr std::size_t MaxSavedPlayers = MaxPlayers;

// Bytes a record with `players` players takes.
constexpr std::size_t SavedGameSize(std::size_t players) {
    return SavedHeaderSize + SavedPlayerSize * players;
}

// The record as a file holds it, every element of Player included whatever PlayerCount says.
// Booleans keep their raw value; a name longer than NameLength is cut, a shorter one padded.
std::vector<uint8_t> EncodeGame(const GameInfo& game);

// The outcome of reading a file: the game when it may replace the one on the table, otherwise
// why it may not.
struct LoadResult {
    std::optional<GameInfo> game;
    std::string reason;

    explicit operator bool() const { return game.has_value(); }
};

// Reads the record at the start of `bytes` (whatever follows it is ignored) and checks it with
// CheckGame. Booleans keep their raw value, so an accepted record encodes to the same bytes.
LoadResult DecodeGame(std::span<const uint8_t> bytes);

// Why `game` may not be played from, or "" when it may: ranges of every option, the piles'
// shape, each card at most once (and, while a game is in progress, the whole pack on the
// table), and the players agreeing with PlayerCount and CurrentPlayer.
std::string CheckGame(const GameInfo& game);

} // namespace korvane
