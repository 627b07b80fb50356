// The board's memories on disk: what the state file holds, what it refuses,
// and how it is written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <numeric>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "vpcserver/BoardState.h"

namespace {

using vpcserver::BoardState;
using vpcserver::DecodeState;
using vpcserver::EncodeState;
using vpcserver::StateDamaged;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  std::iota(bytes.begin(), bytes.end(), seed);
  return bytes;
}

BoardState SomeState() {
  BoardState state;
  state.sections["board-eeprom"] = Pattern(8192, 3);
  state.sections["spd-0"] = Pattern(256, 7);
  state.sections["spd-1"] = Pattern(256, 9);
  state.sections["from-a-later-version"] = {1, 2, 3};  // kept, not understood
  return state;
}

std::string Refusal(const std::vector<std::uint8_t>& bytes) {
  try {
    DecodeState(bytes);
  } catch (const StateDamaged& damage) {
    return damage.what();
  }
  return "accepted";
}

TEST(StateFile, GivesBackWhatWasWritten) {
  const BoardState state = SomeState();
  EXPECT_EQ(DecodeState(EncodeState(state)), state);
  EXPECT_EQ(DecodeState(EncodeState({})), BoardState{});
}

// A file cut short anywhere, or with any byte changed, is refused: the
// machine never starts from memories that are not the ones saved. Every
// place in the header and in the first section's name and length, then
// places spread over the rest.
TEST(StateFile, RefusesEveryCutAndEveryChangedByte) {
  const auto bytes = EncodeState(SomeState());
  constexpr std::size_t kEveryByteUpTo = 96;
  for (std::size_t at = 0; at < bytes.size(); at += at < kEveryByteUpTo ? 1 : 41) {
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    ASSERT_NE(Refusal(cut), "accepted") << "cut to " << at << " bytes";
    auto changed = bytes;
    changed[at] ^= 0x01;
    ASSERT_NE(Refusal(changed), "accepted") << "byte " << at << " changed";
  }
  auto lastChanged = bytes;
  lastChanged.back() ^= 0x01;
  EXPECT_NE(Refusal(lastChanged), "accepted");
}

struct DamageRow {
  const char* name;
  std::vector<std::uint8_t> (*damage)(std::vector<std::uint8_t>);
  const char* says;
};

class StateFileDamage : public ::testing::TestWithParam<DamageRow> {};

TEST_P(StateFileDamage, SaysWhatIsWrong) {
  EXPECT_EQ(Refusal(GetParam().damage(EncodeState(SomeState()))), GetParam().says);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StateFileDamage,
    ::testing::Values(DamageRow{"Empty", [](std::vector<std::uint8_t>) { return std::vector<std::uint8_t>{}; },
                                "it is cut short (0 bytes)"},
                      DamageRow{"CutInTheMiddle",
                                [](std::vector<std::uint8_t> b) {
                                  b.resize(5000);
                                  return b;
                                },
                                "it is cut short (5000 of 8809 bytes)"},
                      DamageRow{"ALongerFile",
                                [](std::vector<std::uint8_t> b) {
                                  b.push_back(0);
                                  return b;
                                },
                                "its length does not match its header"},
                      DamageRow{"ADataByteChanged",
                                [](std::vector<std::uint8_t> b) {
                                  b[4000] ^= 0x80;
                                  return b;
                                },
                                "its checksum does not match its contents"},
                      DamageRow{"AnotherFile",
                                [](std::vector<std::uint8_t>) {
                                  const std::string text = "[state]\neeprom=...\n";
                                  return std::vector<std::uint8_t>(text.begin(), text.end());
                                },
                                "it is not a state file of the shared virtual PC"},
                      DamageRow{"ALaterFormat",
                                [](std::vector<std::uint8_t> b) {
                                  b[12] = 2;
                                  return b;
                                },
                                "it has format 2, this program reads format 1"},
                      DamageRow{"ASectionOfTheWrongSize",
                                [](std::vector<std::uint8_t>) {
                                  BoardState state;
                                  state.sections["board-eeprom"] = Pattern(100, 0);
                                  return EncodeState(state);
                                },
                                "its section \"board-eeprom\" holds 100 bytes instead of 8192"}),
    [](const ::testing::TestParamInfo<DamageRow>& info) { return std::string(info.param.name); });

TEST(BoardMemories, GoFromOneMachineToTheNextAndSurviveAMachineWithoutBoard) {
  auto first = sim::Machine::Create();
  first->Board()->Eeprom().Restore(Pattern(8192, 40));
  const BoardState saved = vpcserver::CaptureBoard(*first);
  ASSERT_EQ(saved.sections.at("board-eeprom"), Pattern(8192, 40));
  EXPECT_EQ(saved.sections.at("spd-1").size(), 256u);

  // A machine without the board keeps the board's memory along.
  auto boardless = sim::Machine::Create(sim::MachineOptions::Parse("board-port=0"));
  vpcserver::RestoreBoard(*boardless, saved);
  const BoardState carried = vpcserver::CaptureBoard(*boardless, saved);
  EXPECT_EQ(carried, saved);

  auto next = sim::Machine::Create();
  vpcserver::RestoreBoard(*next, carried);
  EXPECT_EQ(next->Board()->Eeprom().At(0x0001), 41);
  EXPECT_EQ(next->OnBoard().Spd(0).At(63), first->OnBoard().Spd(0).At(63));
}

class StateFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::path(::testing::TempDir()) / ("state-" + std::to_string(::getpid()));
    std::filesystem::remove_all(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::filesystem::path File() const { return directory_ / "qtseval" / "virtual-pc.state"; }

  std::filesystem::path directory_;
};

TEST_F(StateFileOnDisk, IsReplacedWholeAndLeavesNothingElseBehind) {
  ASSERT_EQ(vpcserver::SaveStateFile(File(), {}), "");
  ASSERT_EQ(vpcserver::SaveStateFile(File(), SomeState()), "");
  const auto loaded = vpcserver::LoadStateFile(File());
  EXPECT_EQ(loaded.state, SomeState());
  EXPECT_EQ(loaded.note, "");
  const auto entries = std::distance(std::filesystem::directory_iterator(File().parent_path()), {});
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(std::filesystem::status(File()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// A save that the disk stops half-way (here the file size limit) leaves the
// state saved before it whole.
TEST_F(StateFileOnDisk, ASaveStoppedHalfWayLeavesTheSavedStateWhole) {
  BoardState before;
  before.sections["spd-0"] = Pattern(256, 1);
  ASSERT_EQ(vpcserver::SaveStateFile(File(), before), "");
  ASSERT_GT(EncodeState(SomeState()).size(), 4096u);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(vpcserver::SaveStateFile(File(), SomeState()).empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the stopped save was not reported";

  const auto loaded = vpcserver::LoadStateFile(File());
  EXPECT_EQ(loaded.note, "");
  EXPECT_EQ(loaded.state, before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(File().parent_path()), {}), 1);
}

TEST_F(StateFileOnDisk, AMissingFileIsAFirstStartAndADamagedOneIsPutAside) {
  auto loaded = vpcserver::LoadStateFile(File());
  EXPECT_EQ(loaded.state, BoardState{});
  EXPECT_EQ(loaded.note, "");

  std::filesystem::create_directories(File().parent_path());
  std::ofstream(File()) << "not a state";
  loaded = vpcserver::LoadStateFile(File());
  EXPECT_EQ(loaded.state, BoardState{});
  EXPECT_EQ(loaded.note, "the saved board state " + File().string() +
                             " cannot be used: it is not a state file of the shared virtual PC. The board starts "
                             "clean; the file is kept as " +
                             File().string() + ".damaged");
  EXPECT_FALSE(std::filesystem::exists(File()));
  EXPECT_TRUE(std::filesystem::exists(File().string() + ".damaged"));
}

// Each damaged file is kept: the second (here one larger than any state
// file) does not replace the first.
TEST_F(StateFileOnDisk, ASecondDamagedFileIsKeptBesideTheFirst) {
  std::filesystem::create_directories(File().parent_path());
  std::ofstream(File()) << "first";
  vpcserver::LoadStateFile(File());
  const std::string huge(vpcserver::kMostStateBytes + 1, 'x');
  std::ofstream(File()) << huge;
  const auto loaded = vpcserver::LoadStateFile(File());
  EXPECT_EQ(loaded.note, "the saved board state " + File().string() +
                             " cannot be used: it is larger than any state file (more than 4194304 bytes). The "
                             "board starts clean; the file is kept as " +
                             File().string() + ".damaged-2");
  std::ifstream first(File().string() + ".damaged");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(first), {}), "first");
  EXPECT_EQ(std::filesystem::file_size(File().string() + ".damaged-2"), huge.size());
}

// The new file is the server's own: a link standing where it goes is not
// followed into another file.
TEST_F(StateFileOnDisk, ALinkWhereTheNewFileGoesIsNotFollowed) {
  std::filesystem::create_directories(File().parent_path());
  const auto elsewhere = directory_ / "elsewhere";
  std::ofstream(elsewhere) << "someone else's";
  std::filesystem::create_symlink(elsewhere, File().string() + ".new-" + std::to_string(::getpid()));
  ASSERT_EQ(vpcserver::SaveStateFile(File(), SomeState()), "");
  std::ifstream other(elsewhere);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(other), {}), "someone else's");
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(File())));
  EXPECT_EQ(vpcserver::LoadStateFile(File()).state, SomeState());
}

TEST_F(StateFileOnDisk, AnUnwritablePlaceIsReportedNotIgnored) {
  std::filesystem::create_directories(directory_);
  std::ofstream(directory_ / "qtseval") << "a file where the directory should be";
  EXPECT_NE(vpcserver::SaveStateFile(File(), SomeState()), "");
}

}  // namespace
