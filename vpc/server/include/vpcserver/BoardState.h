#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {
class Machine;
}

namespace vpcserver {

// The memories of the shared machine that outlive it: the evaluation
// board's EEPROM and the memory modules' presence-detect EEPROMs, as named
// sections. Sections of parts the running machine lacks are carried along,
// so that a run without a board does not wipe the board's memory.
struct BoardState {
  std::map<std::string, std::vector<std::uint8_t>> sections;
  bool operator==(const BoardState&) const = default;
};

// The memories of `machine` now, over the sections of `carried`.
BoardState CaptureBoard(sim::Machine& machine, const BoardState& carried = {});
// Puts saved memories into `machine`'s parts. A section of the wrong size
// never gets this far: decoding refuses it.
void RestoreBoard(sim::Machine& machine, const BoardState& state);

// The state file: the text "QTSVPC-STATE", a format number, the file's
// length and the number of sections, the sections (name, length, bytes), and
// a CRC-32 of everything before it.
std::vector<std::uint8_t> EncodeState(const BoardState& state);

// Why a state file cannot be used.
class StateDamaged : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// A state file of a later format, which a newer version of the server
// wrote: not damaged, only not for this server.
class StateFromNewerVersion : public StateDamaged {
 public:
  using StateDamaged::StateDamaged;
};
BoardState DecodeState(std::span<const std::uint8_t> bytes);

// No state file is larger; a larger one is damaged.
inline constexpr std::size_t kMostStateBytes = 4u << 20;

// What the machine starts from: the saved memories, or none and a note
// saying why. A damaged file is moved aside to `path` + ".damaged" (then
// ".damaged-2" and on, never over an earlier one), so that the next save
// does not destroy what may still be rescued. A file of a newer version, or
// something that is not a file, is left where it is, and the machine must
// not save over it.
struct LoadedState {
  BoardState state;
  std::string note;  // empty when there is nothing to say
  bool mayReplace = true;
};
LoadedState LoadStateFile(const std::filesystem::path& path);

// Writes the file so that a crash at any moment leaves either the old or
// the new file whole: a new file beside it, flushed to the disk, then
// renamed over it. Answers what went wrong, or an empty text.
std::string SaveStateFile(const std::filesystem::path& path, const BoardState& state);

}  // namespace vpcserver
