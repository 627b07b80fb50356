#include "vpcserver/BoardState.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

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

class UniqueFile {
 public:
  explicit UniqueFile(int fd) : fd_(fd) {}
  ~UniqueFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Reads up to `most` bytes into `bytes`; answers what went wrong, or an empty text.
std::string ReadAtMost(int fd, std::size_t most, std::vector<std::uint8_t>& bytes) {
  std::uint8_t chunk[16384];
  while (bytes.size() < most) {
    const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, most - bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return "cannot be read: " + ErrorText(errno);
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return {};
}

// Moves a damaged file aside under a name no earlier one has; answers 0 and
// the name, or the error.
int MoveAside(const std::filesystem::path& path, std::string& aside) {
  constexpr int kMostAside = 100;
  for (int number = 1; number <= kMostAside; ++number) {
    aside = path.string() + ".damaged";
    if (number > 1) aside += '-' + std::to_string(number);
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
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
  if (format > kFormat)
    throw StateFromNewerVersion("it has format " + std::to_string(format) + ", this program reads format " +
                                std::to_string(kFormat));
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
  const std::string name = path.string();
  const auto leftAlone = [&](const std::string& why) {
    return LoadedState{{}, "the saved board state " + name + " " + why +
                               "; it is left as it is, and the board's memories last only while this machine runs",
                       false};
  };
  // Non-blocking, so that a pipe put there cannot hold the server before it serves.
  UniqueFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file) {
    if (errno == ENOENT) return {};
    return leftAlone("cannot be read: " + ErrorText(errno));
  }
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) return leftAlone("cannot be read: " + ErrorText(errno));
  if (!S_ISREG(status.st_mode)) return leftAlone("is not a file");
  std::vector<std::uint8_t> bytes;
  std::string damage;
  if (const auto read = ReadAtMost(file.Get(), kMostStateBytes + 1, bytes); !read.empty()) return leftAlone(read);
  try {
    if (bytes.size() > kMostStateBytes)
      throw StateDamaged("it is larger than any state file (more than " + std::to_string(kMostStateBytes) +
                         " bytes)");
    return {DecodeState(bytes), {}};
  } catch (const StateFromNewerVersion& newer) {
    return leftAlone(std::string("comes from a newer version of this software (") + newer.what() + ")");
  } catch (const StateDamaged& damaged) {
    damage = damaged.what();
  }
  std::string note = "the saved board state " + name + " cannot be used: " + damage + ". The board starts clean";
  std::string aside;
  const int failure = MoveAside(path, aside);
  note += failure != 0 ? " (the file stays where it is: " + ErrorText(failure) + ")" : "; the file is kept as " + aside;
  return {{}, note};
}

std::string SaveStateFile(const std::filesystem::path& path, const BoardState& state) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return "cannot create " + path.parent_path().string() + ": " + error.message();
  std::filesystem::path temporary = path;
  temporary += ".new-" + std::to_string(::getpid());
  const std::vector<std::uint8_t> bytes = EncodeState(state);
  // A new file of this server's own, never one that was there already: a
  // file left by a crashed server of the same number goes first.
  constexpr int kFresh = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(temporary.c_str(), kFresh, 0600);
  if (fd < 0 && errno == EEXIST && ::unlink(temporary.c_str()) == 0) fd = ::open(temporary.c_str(), kFresh, 0600);
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
