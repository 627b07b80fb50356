#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "vpc/FrameStream.h"
#include "vpc/Places.h"
#include "vpcserver/Commands.h"
#include "vpcserver/Server.h"

namespace vpcserver {

namespace {

constexpr std::chrono::seconds kDefaultLinger{30};

// Tells the program that started the server how the start went.
class Report {
 public:
  explicit Report(int fd) : fd_(fd) {}
  ~Report() { Close(); }

  bool Foreground() const { return fd_ < 0; }
  void Line(const std::string& line) {
    if (fd_ < 0) return;
    const std::string text = line + "\n";
    // A pipe: one write of a short line arrives whole.
    while (::write(fd_, text.data(), text.size()) < 0 && errno == EINTR) {
    }
  }
  void Note(const std::string& note) {
    Log(note);
    Line("note: " + note);
  }
  int Error(const std::string& error) {
    if (Foreground()) std::fprintf(stderr, "qtsvpc: %s\n", error.c_str());
    Line("error: " + error);
    return 1;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Keeps no descriptor of the program that started the server, except the report.
void CloseInherited(int reportFd) {
  const auto closeRange = [](unsigned first, unsigned last) {
    if (first > last || ::close_range(first, last, 0) == 0) return;
    // A kernel without close_range: one by one, as far as descriptors go.
    const long most = std::min(::sysconf(_SC_OPEN_MAX), 65536L);
    for (long fd = first; fd <= std::min<long>(last, most); ++fd) ::close(static_cast<int>(fd));
  };
  if (reportFd < 3) {
    closeRange(3, ~0u);
    return;
  }
  if (reportFd > 3) closeRange(3, static_cast<unsigned>(reportFd) - 1);
  closeRange(static_cast<unsigned>(reportFd) + 1, ~0u);
}

// Leaves the program that started the server: the server runs on in a new
// session of its own (a Ctrl-C in a terminal does not reach it), as nobody's
// child, with its output in the log file.
bool Detach(const vpc::Places& places) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child > 0) ::_exit(0);
  ::setsid();
  const int log = ::open(places.Log().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (log >= 0) {
    ::dup2(log, STDOUT_FILENO);
    ::dup2(log, STDERR_FILENO);
    ::close(log);
  }
  return true;
}

vpc::UniqueFd Listen(const std::filesystem::path& path, std::string& error) {
  vpc::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  // A socket left behind by a server that died: the lock says it is nobody's.
  ::unlink(path.c_str());
  if (!fd || ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.Get(), 64) != 0) {
    error = "cannot listen on " + path.string() + ": " + std::strerror(errno);
    return {};
  }
  return fd;
}

}  // namespace

int Serve(const std::string& optionsText, int reportFd) {
  CloseInherited(reportFd);
  // A program that started the server and went before reading its report
  // must not end the server.
  ::signal(SIGPIPE, SIG_IGN);
  Report report(reportFd);
  ::umask(077);
  vpc::Places places = vpc::UserPlaces();
  // The program that starts the server has told its user where the machine went.
  const vpc::SettledRuntime runtime = vpc::SettleRuntimeDirectory(places);
  if (!runtime.refusal.empty()) return report.Error(runtime.refusal);
  const std::string effective = Server::EffectiveOptions(optionsText);
  sim::MachineOptions options;
  try {
    options = sim::MachineOptions::Parse(effective, sim::MachineOptions::Scope::Shared);
  } catch (const std::invalid_argument& bad) {
    return report.Error(bad.what());
  }

  // One server per user: whoever holds the lock has the machine.
  vpc::UniqueFd lock(::open(places.Lock().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock) return report.Error("cannot open " + places.Lock().string() + ": " + std::strerror(errno));
  if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK)
      return report.Error("cannot lock " + places.Lock().string() + ": " + std::strerror(errno));
    report.Line("running");
    return 0;
  }
  if (!report.Foreground() && !Detach(places))
    return report.Error(std::string("cannot go into the background: ") + std::strerror(errno));
  if (!runtime.note.empty()) Log(runtime.note);

  Server::Setup setup;
  setup.places = places;
  setup.options = effective;
  setup.linger = options.lingerSeconds ? std::chrono::seconds(*options.lingerSeconds) : kDefaultLinger;
  setup.keepState = places.stateFile.has_value();
  if (!places.stateFile) {
    report.Note("there is no home directory, so the board's memories end with the machine");
  } else if (!options.cleanBoard) {
    LoadedState loaded = LoadStateFile(*places.stateFile);
    if (!loaded.note.empty()) report.Note(loaded.note);
    setup.saved = std::move(loaded.state);
    setup.keepState = loaded.mayReplace;
  }
  std::shared_ptr<sim::Machine> machine;
  try {
    machine = sim::Machine::Create(options);
  } catch (const std::exception& failure) {
    return report.Error(std::string("the virtual PC cannot be built: ") + failure.what());
  }
  RestoreBoard(*machine, setup.saved);

  std::string error;
  vpc::UniqueFd listener = Listen(places.Socket(), error);
  if (!listener) return report.Error(error);
  Server server(std::move(setup), machine, std::move(listener));
  report.Line("ready");
  report.Close();
  return server.Run();
}

}  // namespace vpcserver
