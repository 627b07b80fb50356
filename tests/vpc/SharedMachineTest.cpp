// The shared virtual PC with real processes: qtsctl programs, the program's
// link in this test process, and the machine's server, all at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "LptBridge.h"
#include "SharedMachine.h"
#include "comport/KORComPort.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "platform/PortAccessFault.h"
#include "platform/SharedBackend.h"
#include "vpc/Protocol.h"
#include "vpc/Wire.h"

namespace {

using namespace std::chrono_literals;
using namespace LinkNewComPort;
using vpctest::Finished;
using vpctest::Lines;
using vpctest::SharedMachineTest;

constexpr std::uint8_t kChipByte = 0x98;    // the board's chip at 0x4C
constexpr std::uint8_t kEepromByte = 0xA0;  // the board's EEPROM at 0x50

// Register codes of the chip.
constexpr std::int16_t kLocalHighRead = 0x05, kRemoteHighRead = 0x07, kRemoteHighWrite = 0x0D,
                       kManufacturerId = 0xFE;

std::uint8_t ReadRegister(std::int16_t code) {
  RegisterPointer = code;
  ReadDeviceRegister();
  return static_cast<std::uint8_t>(ReadValue);
}

void WriteRegister(std::int16_t code, std::int32_t value) {
  RegisterPointer = code;
  WriteValue = value;
  WriteDeviceRegister();
}

// The link of this test process to the board's chip on LPT1.
void LinkToTheBoard() { LinkPrinterPort(0, comport::kTrue, kChipByte); }

// Waits until `done` holds, for a few seconds at most.
template <typename Condition>
bool Eventually(Condition done, std::chrono::milliseconds patience = 10s) {
  const auto until = std::chrono::steady_clock::now() + patience;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST_F(SharedMachineTest, TwoToolsAndTheProgramsLinkWorkOnOneBoardAtOnce) {
  Attach();
  LinkToTheBoard();
  WriteRegister(kRemoteHighWrite, 70);

  auto monitor = StartQtsctl({"monitor", "--interval", "0", "--count", "40", "0x4C"});
  auto writer = StartQtsctl({"write", "0x4C", "0x0B", "60"});
  // The link polls all the while: the port's claims keep the three
  // programs' transfers apart, so every read is whole.
  int reads = 0;
  while (monitor.Running() || writer.Running()) {
    ASSERT_EQ(ReadRegister(kRemoteHighRead), 70) << "read " << reads;
    ++reads;
  }
  const Finished monitored = monitor.Wait();
  const Finished written = writer.Wait();
  EXPECT_EQ(written.status, 0) << written.err;
  ASSERT_EQ(monitored.status, 0) << monitored.err;
  const auto lines = Lines(monitored.out);
  ASSERT_EQ(lines.size(), 40u) << monitored.out;
  const std::regex sample(R"(\d\d:\d\d:\d\d  local +(\d+)(\.\d+)? C  remote +(\d+)(\.\d+)? C  .*)");
  for (const auto& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, sample)) << line;
    EXPECT_NEAR(std::stoi(match[1]), 25, 2) << line;  // the board's ambient
  }
  EXPECT_GT(reads, 0);

  // What one program wrote, the others read.
  const Finished read = Qtsctl({"read", "0x4C", "0x07"});
  EXPECT_EQ(read.out, "0x46\n") << read.err;
  EXPECT_EQ(ReadRegister(kLocalHighRead), 60);
}

TEST_F(SharedMachineTest, AClaimWaitsForTheProgramThatHoldsThePortThenProceeds) {
  Attach();
  LinkToTheBoard();
  auto printerPort = ComPort().PrinterPort();
  printerPort->LockPortOpen(comport::kTrue);
  ASSERT_EQ(printerPort->LockPortOpen(), comport::kTrue);

  auto reader = StartQtsctl({"read", "0x4C", "0xFE"});
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(reader.Running()) << "the read went ahead while this program held the port";
  printerPort->LockPortOpen(comport::kFalse);
  const Finished read = reader.Wait();
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, "0x41\n");

  // The other way round: this program's claim waits for qtsctl's transfers.
  auto monitor = StartQtsctl({"monitor", "--interval", "0", "--count", "20", "0x4C"});
  while (monitor.Running()) ASSERT_EQ(ReadRegister(kManufacturerId), 0x41);
  EXPECT_EQ(monitor.Wait().status, 0);
}

// Whether the port driver's service is installed, asked as a further
// process of the machine that does not load the port access library.
class ServiceQuery {
 public:
  ServiceQuery() : process_(platform::CreateSharedProcess("")) {}
  bool Installed() {
    const auto manager = process_->OpenSCManagerA(nullptr, nullptr, platform::ScManagerAllAccess);
    const auto service = process_->OpenServiceA(manager, "LptBridge", platform::ServiceAllAccess);
    if (service != platform::NullScHandle) process_->CloseServiceHandle(service);
    process_->CloseServiceHandle(manager);
    return service != platform::NullScHandle;
  }
  int Attached() { return process_->SharedCounter("LptBridge.AttachCount").load(); }

 private:
  std::shared_ptr<platform::Process> process_;
};

TEST_F(SharedMachineTest, TheFirstProgramInstallsTheDriverAndTheLastRemovesIt) {
  ServiceQuery machine;
  ASSERT_FALSE(machine.Installed());

  auto monitor = StartQtsctl({"monitor", "--interval", "0.05", "0x4C"});
  ASSERT_TRUE(Eventually([&] { return !monitor.OutputSoFar().empty(); })) << monitor.Wait().err;
  EXPECT_TRUE(machine.Installed());
  EXPECT_EQ(machine.Attached(), 1);

  Attach();  // this program's port access library opens the running driver
  EXPECT_EQ(machine.Attached(), 2);
  monitor.Kill(SIGINT);
  EXPECT_EQ(monitor.Wait().status, 0);
  EXPECT_EQ(machine.Attached(), 1);
  EXPECT_TRUE(machine.Installed()) << "removed while a program still used it";

  Detach();
  EXPECT_EQ(machine.Attached(), 0);
  EXPECT_FALSE(machine.Installed());
}

TEST_F(SharedMachineTest, AProgramKilledInTheMiddleOfATransferLeavesThePortFree) {
  auto holder = StartPortHolder();
  ASSERT_TRUE(Eventually([&] { return holder.OutputSoFar() == "held\n"; })) << holder.Wait().err;
  std::this_thread::sleep_for(50ms);  // well into its transfers
  holder.Kill(SIGKILL);
  holder.Wait();

  Attach();
  LinkToTheBoard();
  auto printerPort = ComPort().PrinterPort();
  printerPort->LockPortOpen(comport::kTrue);
  EXPECT_EQ(printerPort->LockPortOpen(), comport::kTrue) << "the killed program's claim was not given back";
  printerPort->LockPortOpen(comport::kFalse);

  // The killed transfer may have left the chip in the middle of a byte; the
  // next transfer's start condition ends that.
  std::string answers;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const Finished read = Qtsctl({"read", "0x4C", "0xFE"});
    answers += read.out + read.err;
    if (read.out == "0x41\n") break;
  }
  EXPECT_NE(answers.find("0x41\n"), std::string::npos) << answers;
}

void WriteEepromBytes() {
  ComPort().PrinterPort()->DeviceAddress(kEepromByte);
  auto eeprom = ComPort().PrinterPort()->EEPROM();
  ComPort().PrinterPort()->DataInverted(comport::kTrue);  // the EEPROM object loads the inverting patterns too
  eeprom->WriteByte(0x01, 0x20, 0x5A);
  eeprom->WriteByte(0x1F, 0xFF, 0xA5);
}

std::pair<int, int> ReadEepromBytes() {
  ComPort().PrinterPort()->DeviceAddress(kEepromByte);
  auto eeprom = ComPort().PrinterPort()->EEPROM();
  ComPort().PrinterPort()->DataInverted(comport::kTrue);
  return {eeprom->ReadByte(0x01, 0x20), eeprom->ReadByte(0x1F, 0xFF)};
}

TEST_F(SharedMachineTest, TheBoardsEepromKeepsItsContentsAcrossMachineRestarts) {
  Attach();
  WriteEepromBytes();
  Detach();
  StopMachine();
  ASSERT_TRUE(std::filesystem::exists(StateFile()));

  Attach();
  EXPECT_EQ(ReadEepromBytes(), std::make_pair(0x5A, 0xA5));
  Detach();
  StopMachine();

  // Unless the machine is asked to start from a clean board.
  Attach("clean-board");
  EXPECT_EQ(ReadEepromBytes(), std::make_pair(0xFF, 0xFF));
}

struct Damage {
  const char* name;
  void (*apply)(std::vector<char>& bytes);
  const char* says;
};

class DamagedStateFile : public SharedMachineTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedStateFile, IsRefusedWithAClearMessageAndTheBoardStartsClean) {
  Attach();
  WriteEepromBytes();
  Detach();
  StopMachine();
  std::vector<char> bytes;
  {
    std::ifstream file(StateFile(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  GetParam().apply(bytes);
  std::ofstream(StateFile(), std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

  // The program that starts the machine tells its user, and goes on.
  const Finished read = Qtsctl({"read", "0x4C", "0xFE"});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, "0x41\n");
  const std::string says =
      "shared virtual PC: the saved board state " + StateFile().string() + " cannot be used: " + GetParam().says;
  EXPECT_NE(read.err.find(says), std::string::npos) << read.err;
  EXPECT_NE(read.err.find(". The board starts clean; the file is kept as " + StateFile().string() + ".damaged\n"),
            std::string::npos)
      << read.err;
  Attach();
  EXPECT_EQ(ReadEepromBytes(), std::make_pair(0xFF, 0xFF));
  EXPECT_TRUE(std::filesystem::exists(StateFile().string() + ".damaged"));
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedStateFile,
    ::testing::Values(Damage{"CutInHalf", [](std::vector<char>& b) { b.resize(b.size() / 2); }, "it is cut short"},
                      Damage{"OneByteFlipped", [](std::vector<char>& b) { b[b.size() / 2] ^= 0x10; },
                             "its checksum does not match its contents"},
                      Damage{"Empty", [](std::vector<char>& b) { b.clear(); }, "it is cut short"},
                      Damage{"SomethingElse", [](std::vector<char>& b) { b.assign(64, 'x'); },
                             "it is not a state file of the shared virtual PC"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(SharedMachineTest, AMachineRunsWithTheOptionsItStartedWith) {
  const Finished driven = Qtsctl({"--sim", "clock=manual", "read", "0x4C", "0x01"});
  EXPECT_EQ(driven.status, 2);
  EXPECT_NE(driven.err.find("\"clock=manual\": the shared virtual PC runs on real time"), std::string::npos)
      << driven.err;

  const Finished hot = Qtsctl({"--sim", "scenario=constant:95,linger=5", "read", "0x4C", "0x01"});
  // The board has been powered for a while: the first read is a measurement.
  EXPECT_EQ(hot.out, "0x5F\n") << hot.err;
  const Finished other = Qtsctl({"--sim", "scenario=constant:40", "read", "0x4C", "0x01"});
  EXPECT_EQ(other.status, 2);
  EXPECT_NE(other.err.find("it runs with the options \"linger=5,personality=xp,scenario=constant:95\""),
            std::string::npos)
      << other.err;
  const Finished asItIs = Qtsctl({"read", "0x4C", "0x01"});
  EXPECT_EQ(asItIs.out, "0x5F\n") << asItIs.err;
}

// Commands typed one after another work on one board unless they describe
// a machine of their own, and then a change says where it went.
TEST_F(SharedMachineTest, CommandsWithoutAMachineChoiceShareOneBoard) {
  const Finished written = QtsctlByDefault({"write", "0x4C", "remote-temp-high-limit", "90"});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.err, "");
  const Finished read = QtsctlByDefault({"read", "0x4C", "remote-temp-high-limit"});
  EXPECT_EQ(read.out, "0x5A\n") << read.err;
  EXPECT_NE(Qtsvpc({"status"}).out.find("programs: none"), std::string::npos);
  // An XP machine: the on-board SMBus is not reached, and the refusal says how to get it.
  const Finished onBoard = QtsctlByDefault({"read", "--smbus", "0x4E", "0xFE"});
  EXPECT_EQ(onBoard.status, 2);
  EXPECT_NE(onBoard.err.find("--sim personality=98se"), std::string::npos) << onBoard.err;

  const Finished own = QtsctlByDefault({"--sim", "scenario=constant:40", "write", "0x4C", "0x0D", "70"});
  EXPECT_EQ(own.status, 0);
  EXPECT_NE(own.err.find("ran on a virtual PC of its own"), std::string::npos) << own.err;
  EXPECT_NE(own.err.find("--machine shared"), std::string::npos) << own.err;
  EXPECT_EQ(QtsctlByDefault({"read", "0x4C", "0x07"}).out, "0x5A\n");
}

TEST_F(SharedMachineTest, TheMachineEndsAWhileAfterTheLastProgram) {
  ASSERT_EQ(Qtsctl({"--sim", "linger=1", "read", "0x4C", "0xFE"}).out, "0x41\n");
  const Finished status = Qtsvpc({"status"});
  EXPECT_EQ(status.status, 0);
  EXPECT_NE(status.out.find("programs: none"), std::string::npos) << status.out;
  EXPECT_TRUE(Eventually([&] { return Qtsvpc({"status"}).status == 3; }));
}

// A port instruction faults in the program itself unless the driver opened
// the port to it, as on the NT family: the program keeps up with what its
// claims opened.
TEST_F(SharedMachineTest, APortIsOpenToAProgramOnlyWhileItHoldsIt) {
  Attach();
  auto& process = platform::Current();
  EXPECT_THROW(process.In8(0x379), platform::PortAccessFault);
  ASSERT_NE(ClaimParallelPort(1, -1), 0);
  EXPECT_NO_THROW(process.Out8(0x378, 0x03));
  EXPECT_NO_THROW(process.In8(0x37A));
  ASSERT_NE(ReleaseParallelPort(1), 0);
  EXPECT_THROW(process.Out8(0x378, 0x00), platform::PortAccessFault);
}

// On the 95 family the port access library enumerates the ports through
// PRTENU32, and the on-board SMBus is searched: both through the machine.
TEST_F(SharedMachineTest, AWindows98MachineServesBothMedia) {
  const Finished search = Qtsctl({"--sim", "personality=98se", "search"});
  EXPECT_EQ(search.status, 0) << search.err;
  EXPECT_EQ(Lines(search.out),
            (std::vector<std::string>{"lpt1   0x378  inverted  0x4C", "smbus  -      -         0x4E"}));
  const Finished onBoard = Qtsctl({"write", "--smbus", "-y", "0x4E", "0x0B", "90"});
  EXPECT_EQ(onBoard.status, 0) << onBoard.err;
  EXPECT_EQ(Qtsctl({"read", "--smbus", "0x4E", "0x05"}).out, "0x5A\n");
}

// Each program that finds no machine starts a server; one of them gets the
// machine and the others attach to it. (What the programs then read is not
// the point here: on the NT family the port access library's first-attach
// installation is not synchronised with a second program's attach, as on
// the original system, so a program that starts in the very same moment may
// find the driver not yet running and no printer port.)
TEST_F(SharedMachineTest, ProgramsThatStartTogetherGetOneMachine) {
  std::vector<vpctest::Child> readers;
  for (int i = 0; i < 4; ++i) readers.push_back(StartQtsctl({"read", "0x4C", "0xFE"}));
  for (auto& reader : readers) reader.Wait();
  std::ifstream log(RuntimeDirectory() / "qtseval" / "vpc.log");
  int servers = 0, attached = 0;
  for (std::string line; std::getline(log, line);) {
    servers += line.find("serving the virtual PC") != std::string::npos;
    attached += line.find(") attached") != std::string::npos;
  }
  EXPECT_EQ(servers, 1);
  EXPECT_EQ(attached, 4);
}

TEST_F(SharedMachineTest, AMachineThatDiesIsGoneForItsProgramsAndTheNextProgramStartsAnother) {
  Attach();
  LinkToTheBoard();
  ASSERT_EQ(ReadRegister(kManufacturerId), 0x41);
  std::smatch pid;
  const std::string status = Qtsvpc({"status"}).out;
  ASSERT_TRUE(std::regex_search(status, pid, std::regex(R"(pid (\d+))"))) << status;
  ASSERT_EQ(::kill(std::stoi(pid[1]), SIGKILL), 0);

  // This program goes on without its machine: the component can no longer
  // claim the port, so it skips the read as for a busy port.
  EXPECT_EQ(ReadRegister(kManufacturerId), 0);
  const Finished read = Qtsctl({"read", "0x4C", "0xFE"});
  EXPECT_EQ(read.out, "0x41\n") << read.err;
}

// Another user's program: its qtsctl refuses the user's machine, and the
// server refuses a connection of another user that gets that far.
TEST_F(SharedMachineTest, AnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a program as another user";
  if (std::system("command -v setpriv >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs setpriv";
  Attach();
  namespace fs = std::filesystem;
  const auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                    fs::perms::others_exec;
  fs::permissions(RuntimeDirectory(), open);
  for (auto parent = RuntimeDirectory().parent_path(); parent != parent.root_path(); parent = parent.parent_path())
    fs::permissions(parent, fs::perms::others_exec, fs::perm_options::add);

  const Finished tool = AsAnotherUser({QTSCTL_PATH, "--machine", "shared", "read", "0x4C", "0xFE"});
  EXPECT_EQ(tool.status, 2);
  EXPECT_NE(tool.err.find("belongs to user root; each user has a machine of their own"), std::string::npos) << tool.err;

  // Past the directory's check, the server itself says no.
  const fs::path socket = RuntimeDirectory() / "qtseval" / "vpc.sock";
  fs::permissions(socket.parent_path(), open);
  fs::permissions(socket, fs::perms::all);
  std::vector<std::uint8_t> hello;
  vpc::FrameWriter writer(hello);
  writer.Begin(vpc::Op::Hello).U32(vpc::kProtocolVersion).U8(1).Text("intruder").U32(1).Text("");
  writer.End();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    std::uint8_t answer[256];
    ssize_t got = -1;
    if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
          ::write(fd, hello.data(), hello.size()) == static_cast<ssize_t>(hello.size()))
        got = ::read(fd, answer, sizeof answer);
    }
    if (got > 0 && ::write(pipeEnds[1], answer, static_cast<std::size_t>(got)) != got) ::_exit(2);
    ::_exit(got > 0 ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  std::vector<std::uint8_t> answer(256);
  const ssize_t got = ::read(pipeEnds[0], answer.data(), answer.size());
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_GT(got, 4) << "no answer";
  answer.resize(static_cast<std::size_t>(got));
  std::size_t offset = 0;
  const auto frame = vpc::NextFrame(answer, offset);
  ASSERT_TRUE(frame);
  vpc::FrameReader reader(*frame);
  EXPECT_EQ(reader.U8(), 0) << "accepted";
  EXPECT_EQ(reader.Text(), "this virtual PC belongs to user 0; each user has a machine of their own");
}

}  // namespace
