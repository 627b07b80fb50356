#include "vpcserver/BoardState.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "sim/Machine.h"
#include "vpc/Wire.h"

namespace vpcserver {

namespace {

constexpr std::string_view kMagic = "QTSVPC-STATE";
constexpr std::uint32_t kFormat = 1;
constexpr const char* kBoardEeprom = "board-eeprom";
constexpr const char* kSpd[] = {"spd-0", "spd-1"};

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[i] = c;
    }
    return entries;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

// The size each known section must have.
std::size_t ExpectedSize(const std::string& name) {
  if (name == kBoardEeprom) return sim::Eeprom16::kSize;
  for (const char* spd : kSpd)
    if (name == spd) return sim::SpdEeprom::kSize;
  return 0;
}

std::string ErrorText(int error) { return std::strerror(error); }

bool WriteWhole(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

BoardState CaptureBoard(sim::Machine& machine, const BoardState& carried) {
  BoardState state = carried;
  const auto keep = [&](const char* name, std::span<const std::uint8_t> contents) {
    state.sections[name].assign(contents.begin(), contents.end());
  };
  if (sim::EvaluationBoard* board = machine.Board()) keep(kBoardEeprom, board->Eeprom().Contents());
  for (std::size_t slot = 0; slot < std::size(kSpd); ++slot) keep(kSpd[slot], machine.OnBoard().Spd(slot).Contents());
  return state;
}

void RestoreBoard(sim::Machine& machine, const BoardState& state) {
  const auto find = [&](const char* name) -> const std::vector<std::uint8_t>* {
    auto found = state.sections.find(name);
    return found == state.sections.end() ? nullptr : &found->second;
  };
  if (sim::EvaluationBoard* board = machine.Board())
    if (const auto* contents = find(kBoardEeprom)) board->Eeprom().Restore(*contents);
  for (std::size_t slot = 0; slot < std::size(kSpd); ++slot)
    if (const auto* contents = find(kSpd[slot])) machine.OnBoard().Spd(slot).Restore(*contents);
}

std::vector<std::uint8_t> EncodeState(const BoardState& state) {
  std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
  vpc::FrameWriter writer(bytes);
  writer.U32(kFormat);
  const std::size_t totalAt = bytes.size();
  writer.U32(0).U32(static_cast<std::uint32_t>(state.sections.size()));
  for (const auto& [name, contents] : state.sections) writer.Text(name).Bytes(contents);
  const auto total = static_cast<std::uint32_t>(bytes.size() + sizeof(std::uint32_t));
  std::memcpy(bytes.data() + totalAt, &total, sizeof total);
  writer.U32(Crc32(bytes));
  return bytes;
}

BoardState DecodeState(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kHeaderBytes = kMagic.size() + 3 * sizeof(std::uint32_t);
  constexpr std::size_t kCrcBytes = sizeof(std::uint32_t);
  const std::size_t magicPart = std::min(bytes.size(), kMagic.size());
  if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magicPart), kMagic.begin()))
    throw StateDamaged("it is not a state file of the shared virtual PC");
  if (bytes.size() < kHeaderBytes + kCrcBytes)
    throw StateDamaged("it is cut short (" + std::to_string(bytes.size()) + " bytes)");
  vpc::FrameReader header(bytes.subspan(kMagic.size()));
  const std::uint32_t format = header.U32();
  if (format != kFormat)
    throw StateDamaged("it has format " + std::to_string(format) + ", this program reads format " +
                       std::to_string(kFormat));
  const std::uint32_t total = header.U32();
  if (bytes.size() < total)
    throw StateDamaged("it is cut short (" + std::to_string(bytes.size()) + " of " + std::to_string(total) + " bytes)");
  if (bytes.size() > total || total < kHeaderBytes + kCrcBytes)
    throw StateDamaged("its length does not match its header");
  const auto body = bytes.first(total - kCrcBytes);
  std::uint32_t stored = 0;
  std::memcpy(&stored, bytes.data() + body.size(), sizeof stored);
  if (Crc32(body) != stored) throw StateDamaged("its checksum does not match its contents");

  BoardState state;
  try {
    vpc::FrameReader reader(body.subspan(kHeaderBytes - sizeof(std::uint32_t)));
    const std::uint32_t count = reader.U32();
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name = reader.Text();
      const auto contents = reader.Bytes(vpc::kMaxFrameBytes);
      if (state.sections.count(name)) throw StateDamaged("it holds the section \"" + name + "\" twice");
      state.sections[name].assign(contents.begin(), contents.end());
    }
    if (!reader.AtEnd()) throw StateDamaged("it has bytes after its last section");
  } catch (const vpc::ProtocolError&) {
    throw StateDamaged("its sections do not fit together");
  }
  for (const auto& [name, contents] : state.sections) {
    const std::size_t expected = ExpectedSize(name);
    if (expected != 0 && contents.size() != expected)
      throw StateDamaged("its section \"" + name + "\" holds " + std::to_string(contents.size()) +
                         " bytes instead of " + std::to_string(expected));
  }
  return state;
}

LoadedState LoadStateFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  try {
    return {DecodeState(bytes), {}};
  } catch (const StateDamaged& damage) {
    std::string note =
        "the saved board state " + path.string() + " cannot be used: " + damage.what() + ". The board starts clean";
    std::filesystem::path aside = path;
    aside += ".damaged";
    std::error_code error;
    std::filesystem::rename(path, aside, error);
    note +=
        error ? " (the file stays where it is: " + error.message() + ")" : "; the file is kept as " + aside.string();
    return {{}, note};
  }
}

std::string SaveStateFile(const std::filesystem::path& path, const BoardState& state) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return "cannot create " + path.parent_path().string() + ": " + error.message();
  std::filesystem::path temporary = path;
  temporary += ".new-" + std::to_string(::getpid());
  const std::vector<std::uint8_t> bytes = EncodeState(state);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return "cannot write " + temporary.string() + ": " + ErrorText(errno);
  const bool written = WriteWhole(fd, bytes) && ::fsync(fd) == 0;
  const int writeError = errno;
  ::close(fd);
  if (!written) {
    std::filesystem::remove(temporary, error);
    return "cannot write " + temporary.string() + ": " + ErrorText(writeError);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    std::filesystem::remove(temporary, error);
    return "cannot replace " + path.string() + ": " + ErrorText(renameError);
  }
  // The rename itself lasts only once the directory is on the disk too.
  const int directory = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  return {};
}

}  // namespace vpcserver
