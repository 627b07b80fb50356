// The shared virtual PC against broken or hostile local programs: peers that
// crowd the server, never read, flood it, keep the machine busy without
// pause, or belong to another user; and state files that are no such thing.
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "SharedMachine.h"
#include "vpc/Channel.h"
#include "vpc/FrameStream.h"
#include "vpc/Wire.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vpctest::Finished;

std::vector<std::uint8_t> Request(vpc::Op op) {
  std::vector<std::uint8_t> bytes;
  vpc::FrameWriter writer(bytes);
  writer.Begin(op);
  writer.End();
  return bytes;
}

std::vector<std::uint8_t> Hello(vpc::Role role, std::string_view name) {
  std::vector<std::uint8_t> bytes;
  vpc::FrameWriter writer(bytes);
  writer.Begin(vpc::Op::Hello).U32(vpc::kProtocolVersion).U8(static_cast<std::uint8_t>(role)).Text(name).U32(1).Text("");
  writer.End();
  return bytes;
}

bool SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t part = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (part <= 0) return false;
    sent += static_cast<std::size_t>(part);
  }
  return true;
}

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// A figure of /proc/PID/status, in KiB.
long StatusKiB(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// The processor time a process has used so far.
std::chrono::milliseconds ProcessorTime(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number)
    if (number >= 14) ticks += std::stol(field);
  return std::chrono::milliseconds(ticks * 1000 / ::sysconf(_SC_CLK_TCK));
}

class HostileProgram : public vpctest::SharedMachineTest {
 protected:
  fs::path Socket() const { return RuntimeDirectory() / "qtseval" / "vpc.sock"; }

  // A fresh control tool's hello and status request: the status, or nothing
  // when no answer comes within `patience`.
  std::optional<std::vector<std::uint8_t>> Status(std::chrono::milliseconds patience = 5s) {
    vpc::UniqueFd socket = vpc::ConnectTo(Socket());
    if (!socket) return std::nullopt;
    vpc::FrameStream stream(std::move(socket));
    auto both = Hello(vpc::Role::Control, "test");
    const auto status = Request(vpc::Op::Status);
    both.insert(both.end(), status.begin(), status.end());
    if (!stream.Send(both) || !stream.Receive(nullptr, patience)) return std::nullopt;
    const auto answer = stream.Receive(nullptr, patience);
    return answer ? std::optional(std::vector<std::uint8_t>(answer->begin(), answer->end())) : std::nullopt;
  }

  std::optional<Clock::duration> StatusTime(std::chrono::milliseconds patience) {
    const auto start = Clock::now();
    return Status(patience) ? std::optional(Clock::now() - start) : std::nullopt;
  }

  pid_t ServerPid() {
    const auto status = Status();
    return status ? static_cast<pid_t>(vpc::FrameReader(*status).U32()) : -1;
  }

  std::string ServerLog() { return testsupport::ReadFile((RuntimeDirectory() / "qtseval" / "vpc.log").string()); }
};

TEST_F(HostileProgram, AServerOutOfDescriptorsStillAnswersAndDoesNotSpin) {
  // The server runs in the foreground here, with few descriptors.
  constexpr rlim_t kDescriptors = 32;
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
  rlimit few = before;
  few.rlim_cur = kDescriptors;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
  vpctest::Child server = Start({QTSVPC_PATH, "serve"});
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &before), 0);
  const auto until = Clock::now() + 10s;
  pid_t pid = -1;
  while ((pid = ServerPid()) < 0 && Clock::now() < until) std::this_thread::sleep_for(20ms);
  ASSERT_EQ(pid, server.Pid()) << server.Wait().err;

  // Connections that never say hello, more than the server has descriptors.
  std::vector<vpc::UniqueFd> silent;
  for (int i = 0; i < 200; ++i) {
    vpc::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, Socket().c_str(), sizeof address.sun_path - 1);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
      silent.push_back(std::move(fd));
    else
      std::this_thread::sleep_for(1ms);  // the server's queue of new connections is full
  }
  ASSERT_GE(silent.size(), kDescriptors);
  const auto open = std::distance(fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd"), {});
  ASSERT_GE(open, static_cast<long>(kDescriptors) - 1) << "the server has descriptors left";

  const auto cpuBefore = ProcessorTime(pid);
  const auto answered = StatusTime(1s);
  ASSERT_TRUE(answered) << "no status within a second among " << silent.size() << " silent connections";
  std::this_thread::sleep_for(1s);
  const auto cpu = ProcessorTime(pid) - cpuBefore;
  EXPECT_LT(cpu, 500ms) << "the server spins";
  std::cout << "status among " << silent.size() << " silent connections: " << Milliseconds(*answered)
            << " ms; server processor time over the next second: " << cpu.count() << " ms\n";

  // Once they have gone, programs attach as ever.
  silent.clear();
  const Finished read = Qtsctl({"read", "0x4C", "0xFE"});
  EXPECT_EQ(read.out, "0x41\n") << read.err;
  EXPECT_EQ(Qtsvpc({"stop"}).status, 0);
  EXPECT_EQ(server.Wait().status, 0);
}

// Something that listens at the machine's place and never answers: a
// program gives up after a while instead of waiting for ever.
TEST_F(HostileProgram, AProgramGivesUpOnAServerThatNeverAnswers) {
  fs::create_directories(Socket().parent_path());
  fs::permissions(Socket().parent_path(), fs::perms::owner_all);
  vpc::UniqueFd mute(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, Socket().c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(mute.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(mute.Get(), 8), 0);
  const Finished read = Qtsctl({"read", "0x4C", "0xFE"});
  EXPECT_EQ(read.status, 2);
  EXPECT_NE(read.err.find("the shared virtual PC at " + Socket().string() + " does not answer"), std::string::npos)
      << read.err;
  mute.Reset();
  fs::remove(Socket());
}

TEST_F(HostileProgram, AClientThatNeverReadsDoesNotHoldUpAnother) {
  Attach();
  vpc::FrameStream greedy(vpc::ConnectTo(Socket()));
  ASSERT_EQ(vpc::Introduce(greedy, vpc::Role::Control, "greedy", "").outcome, vpc::Introduction::Outcome::Accepted);
  std::vector<std::uint8_t> requests;
  const auto status = Request(vpc::Op::Status);
  for (int i = 0; i < 20'000; ++i) requests.insert(requests.end(), status.begin(), status.end());
  // The server may drop it before it has sent everything.
  SendAll(greedy.Descriptor(), requests);

  Clock::duration slowest{};
  for (int i = 0; i < 20; ++i) {
    const auto answered = StatusTime(5s);
    ASSERT_TRUE(answered) << "request " << i;
    slowest = std::max(slowest, *answered);
  }
  std::cout << "slowest status beside a client that never reads: " << Milliseconds(slowest) << " ms\n";
  EXPECT_LT(slowest, 300ms);
}

struct Flood {
  const char* name;
  std::uint32_t frameLength;  // each frame: this length, the operation and zeros
  vpc::Op op;
};

class FloodTest : public HostileProgram, public ::testing::WithParamInterface<Flood> {};

// The server holds at most one frame of a connection at a time, however
// much has arrived: here the whole flood waits in the socket while the
// server is stopped, as when it is busy or the flood is faster than it.
TEST_P(FloodTest, DoesNotGrowTheServer) {
  constexpr std::size_t kFloodBytes = 100u << 20;
  constexpr long kMostGrowthKiB = 8 * 1024;
  Attach();
  const pid_t pid = ServerPid();
  ASSERT_GT(pid, 0);
  vpc::FrameStream flood(vpc::ConnectTo(Socket()));
  ASSERT_EQ(vpc::Introduce(flood, vpc::Role::Control, "flood", "").outcome, vpc::Introduction::Outcome::Accepted);
  const int room = 2 * kFloodBytes;
  if (::setsockopt(flood.Descriptor(), SOL_SOCKET, SO_SNDBUFFORCE, &room, sizeof room) != 0)
    GTEST_SKIP() << "needs the right to queue the whole flood in the socket";
  const long before = StatusKiB(pid, "VmHWM");

  std::vector<std::uint8_t> frame(sizeof(std::uint32_t) + GetParam().frameLength, 0);
  std::memcpy(frame.data(), &GetParam().frameLength, sizeof(std::uint32_t));
  frame[sizeof(std::uint32_t)] = static_cast<std::uint8_t>(GetParam().op);
  // Answers are taken as they come, so that the flood is not dropped for
  // not reading; the server closes the connection once it is through.
  std::thread reader([&] {
    std::uint8_t sink[65536];
    while (::recv(flood.Descriptor(), sink, sizeof sink, 0) > 0) {
    }
  });
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);
  std::size_t sent = 0;
  while (sent < kFloodBytes && SendAll(flood.Descriptor(), frame)) sent += frame.size();
  ::shutdown(flood.Descriptor(), SHUT_WR);
  ASSERT_EQ(::kill(pid, SIGCONT), 0);
  reader.join();

  const long growth = StatusKiB(pid, "VmHWM") - before;
  std::cout << GetParam().name << ": " << (sent >> 20) << " MiB sent, peak resident memory grew by " << growth
            << " KiB (from " << before << " KiB)\n";
  EXPECT_GE(sent, kFloodBytes);
  EXPECT_LT(growth, kMostGrowthKiB);
  EXPECT_TRUE(StatusTime(5s)) << "the server no longer answers";
}

INSTANTIATE_TEST_SUITE_P(Floods, FloodTest,
                         ::testing::Values(Flood{"TheLongestLengthThenZeros", vpc::kMaxFrameBytes, vpc::Op{}},
                                           Flood{"StatusRequestsOfTheLongestHelloLength", 128 * 1024,
                                                 vpc::Op::Status}),
                         [](const ::testing::TestParamInfo<Flood>& info) { return std::string(info.param.name); });

// A program (here this test, writing straight into its channel) whose
// requests come faster than the machine carries them out.
TEST_F(HostileProgram, AProgramThatNeverPausesCannotKeepAnotherFromAttaching) {
  Attach();  // starts the machine
  vpc::FrameStream streamer(vpc::ConnectTo(Socket()));
  auto introduction = vpc::Introduce(streamer, vpc::Role::Program, "streamer", "");
  ASSERT_EQ(introduction.descriptors.size(), 2u);
  vpc::ProgramChannel channel(vpc::ChannelMapping(introduction.descriptors[1].Get()), streamer.Descriptor());
  std::vector<std::uint8_t> write;
  vpc::FrameWriter writer(write);
  writer.Begin(vpc::Op::Out8).U16(0x80).U32(0);
  writer.End();
  std::atomic<bool> stop{false};
  std::thread streaming([&] {
    while (!stop && channel.Publish(write, false)) {
    }
  });
  std::this_thread::sleep_for(200ms);  // its ring is full by now

  const auto start = Clock::now();
  vpc::FrameStream other(vpc::ConnectTo(Socket()));
  const auto outcome = vpc::Introduce(other, vpc::Role::Program, "other", "").outcome;
  const auto took = Clock::now() - start;
  stop = true;
  streaming.join();
  EXPECT_EQ(outcome, vpc::Introduction::Outcome::Accepted);
  std::cout << "attached beside a program that never pauses in " << Milliseconds(took) << " ms\n";
  EXPECT_LT(took, 1s);
}

TEST_F(HostileProgram, AProgramsNameAndItsFaultsCannotForgeOrFloodTheLog) {
  Attach();  // starts the machine
  vpc::FrameStream forger(vpc::ConnectTo(Socket()));
  const auto introduction =
      vpc::Introduce(forger, vpc::Role::Program, "evil\n2001-01-01 00:00:00 forged line\x1b[31m", "");
  ASSERT_EQ(introduction.outcome, vpc::Introduction::Outcome::Accepted);
  ASSERT_EQ(introduction.descriptors.size(), 2u);
  vpc::ProgramChannel channel(vpc::ChannelMapping(introduction.descriptors[1].Get()), forger.Descriptor());
  std::vector<std::uint8_t> write;
  vpc::FrameWriter writer(write);
  writer.Begin(vpc::Op::Out8).U16(0x378).U32(0);
  writer.End();
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(channel.Publish(write, false));
  ASSERT_TRUE(channel.Publish(Request(vpc::Op::Sync), true));
  ASSERT_TRUE(channel.AwaitAnswer()) << ServerLog();

  const auto log = vpctest::Lines(ServerLog());
  const auto forged = std::count_if(log.begin(), log.end(), [](const auto& l) { return l.starts_with("2001-01-01"); });
  const auto faults = std::count_if(log.begin(), log.end(),
                                    [](const auto& l) { return l.find("which is not open to it") != l.npos; });
  EXPECT_EQ(forged, 0);
  EXPECT_GE(faults, 1);
  EXPECT_LE(faults, 5);
  EXPECT_NE(ServerLog().find("program evil\\x0A2001-01-01 00:00:00 forged line\\x1B[31m (pid "), std::string::npos);
}

// Another user takes the machine's place in /tmp first: the user's programs
// go elsewhere, say where, and the other user's directory stays as it is.
TEST_F(HostileProgram, AnotherUsersDirectoryInTmpDoesNotKeepTheUserFromTheMachine) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
  const uid_t user = 60000 + static_cast<uid_t>(::getpid() % 5000);
  const fs::path taken = "/tmp/qtseval-" + std::to_string(user);
  fs::remove_all(taken);
  const pid_t intruder = ::fork();
  if (intruder == 0) {
    const bool made = ::setgid(65534) == 0 && ::setuid(65534) == 0 && ::mkdir(taken.c_str(), 0777) == 0 &&
                      ::chmod(taken.c_str(), 0777) == 0;
    ::_exit(made ? 0 : 1);
  }
  int status = 0;
  ::waitpid(intruder, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const fs::path home = RuntimeDirectory().parent_path() / "home";
  fs::create_directories(home);
  ASSERT_EQ(::chown(home.c_str(), user, user), 0);
  for (auto parent = home.parent_path(); parent != parent.root_path(); parent = parent.parent_path())
    fs::permissions(parent, fs::perms::others_exec, fs::perm_options::add);
  const auto asTheUser = [&](std::vector<std::string> command) {
    std::vector<std::string> argv{"setpriv", "--reuid=" + std::to_string(user), "--regid=" + std::to_string(user),
                                  "--clear-groups", "--", "env", "-u", "XDG_RUNTIME_DIR", "-u", "XDG_STATE_HOME",
                                  "HOME=" + home.string()};
    argv.insert(argv.end(), command.begin(), command.end());
    return Run(argv);
  };

  const Finished read = asTheUser({QTSCTL_PATH, "--machine", "shared", "read", "0x4C", "0xFE"});
  const fs::path fallback = home / ".local" / "state" / "qtseval" / "run";
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, "0x41\n");
  EXPECT_NE(read.err.find(taken.string() + " belongs to user nobody, so this user's shared virtual PC lives in " +
                          fallback.string() + " instead"),
            std::string::npos)
      << read.err;
  EXPECT_TRUE(fs::exists(fallback / "vpc.sock"));
  EXPECT_EQ(asTheUser({QTSVPC_PATH, "stop"}).status, 0);
  struct stat left {};
  ASSERT_EQ(::stat(taken.c_str(), &left), 0);
  EXPECT_EQ(left.st_uid, 65534u);
  fs::remove_all(taken);
}

// What stands at the state file's place and is no state file of this
// version is left as it is, and the machine starts all the same.
struct Stranger {
  const char* name;
  void (*make)(const fs::path& path);
  const char* says;
};

class StateFilePlace : public HostileProgram, public ::testing::WithParamInterface<Stranger> {};

TEST_P(StateFilePlace, IsLeftAsItIs) {
  fs::create_directories(StateFile().parent_path());
  GetParam().make(StateFile());
  const auto contents = [&] {
    const bool file = fs::is_regular_file(fs::symlink_status(StateFile()));
    return file ? testsupport::ReadFile(StateFile().string()) : std::string("not a file");
  };
  const auto before = fs::symlink_status(StateFile()).type();
  const std::string bytes = contents();
  const Finished read = Qtsctl({"read", "0x4C", "0xFE"});
  EXPECT_EQ(read.out, "0x41\n") << read.err;
  EXPECT_NE(read.err.find("shared virtual PC: the saved board state " + StateFile().string() + " " +
                          GetParam().says + "; it is left as it is"),
            std::string::npos)
      << read.err;
  StopMachine();
  EXPECT_EQ(fs::symlink_status(StateFile()).type(), before);
  EXPECT_EQ(contents(), bytes);
  EXPECT_FALSE(fs::exists(StateFile().string() + ".damaged"));
}

INSTANTIATE_TEST_SUITE_P(
    Strangers, StateFilePlace,
    ::testing::Values(Stranger{"APipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                               "is not a file"},
                      Stranger{"ALinkToAnEndlessDevice", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
                               "is not a file"},
                      Stranger{"AFileOfANewerVersion",
                               [](const fs::path& p) {
                                 std::string bytes = "QTSVPC-STATE";
                                 bytes.append("\x02\0\0\0", 4);
                                 bytes.append(64, '\0');
                                 std::ofstream(p, std::ios::binary) << bytes;
                               },
                               "comes from a newer version of this software (it has format 2, this program reads "
                               "format 1)"}),
    [](const ::testing::TestParamInfo<Stranger>& info) { return std::string(info.param.name); });

}  // namespace
