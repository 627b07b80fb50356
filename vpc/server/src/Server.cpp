#include "vpcserver/Server.h"

#include <signal.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "sim/Machine.h"
#include "vpc/FrameStream.h"
#include "vpc/Wire.h"
#include "vpcserver/Program.h"
#include "vpcserver/Session.h"

namespace vpcserver {

namespace {

using namespace std::chrono_literals;

// While programs run, the board's memories go to disk this often when they changed.
constexpr auto kSaveInterval = 5s;

std::int64_t SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Watch(int epoll, int fd, std::uint32_t events = EPOLLIN, int operation = EPOLL_CTL_ADD) {
  epoll_event event{};
  event.events = events;
  event.data.fd = fd;
  ::epoll_ctl(epoll, operation, fd, &event);
}

// New connections taken per turn, so that a crowd at the door does not keep
// the server from those inside.
constexpr int kAcceptsPerTurn = 64;

}  // namespace

std::string Server::EffectiveOptions(std::string_view asked) {
  const std::string canonical = vpc::CanonicalOptions(asked);
  const bool chosen = ("," + canonical).find(",personality=") != std::string::npos;
  return vpc::CanonicalOptions(chosen ? canonical : canonical + ",personality=xp");
}

void Log(const std::string& line) {
  const std::time_t now = std::time(nullptr);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  std::fprintf(stderr, "%s qtsvpc[%d]: %s\n", stamp, static_cast<int>(::getpid()), line.c_str());
  std::fflush(stderr);
}

Server::Server(Setup setup, std::shared_ptr<sim::Machine> machine, vpc::UniqueFd listener)
    : setup_(std::move(setup)),
      machine_(std::move(machine)),
      listener_(std::move(listener)),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      programsEnded_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      machineStart_(SteadyNanoseconds() - static_cast<std::int64_t>(machine_->GetClock().Now())),
      started_(std::chrono::steady_clock::now()),
      idleSince_(started_),
      nextSave_(started_ + kSaveInterval) {
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stops, signal);
  ::sigprocmask(SIG_BLOCK, &stops, nullptr);
  signals_.Reset(::signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK));
  Watch(epoll_.Get(), listener_.Get());
  Watch(epoll_.Get(), signals_.Get());
  Watch(epoll_.Get(), programsEnded_.Get());
}

Server::~Server() = default;

std::chrono::seconds Server::Uptime() const {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_);
}

std::vector<const Program*> Server::Programs() const {
  std::vector<const Program*> programs;
  for (const auto& [fd, session] : sessions_)
    if (const Program* program = session->GetProgram()) programs.push_back(program);
  return programs;
}

int Server::Run() {
  Log("serving the virtual PC with options \"" + setup_.options + "\"");
  std::vector<epoll_event> events(64);
  while (!stopping_) {
    const int ready = ::epoll_wait(epoll_.Get(), events.data(), static_cast<int>(events.size()),
                                   Timeout(std::chrono::steady_clock::now()));
    if (ready < 0 && errno != EINTR) {
      Log(std::string("waiting for programs failed: ") + std::strerror(errno));
      break;
    }
    const auto now = std::chrono::steady_clock::now();
    for (int i = 0; i < std::max(ready, 0); ++i) {
      const epoll_event& event = events[static_cast<std::size_t>(i)];
      const int fd = event.data.fd;
      if (fd == listener_.Get()) {
        Accept(now);
      } else if (fd == signals_.Get()) {
        signalfd_siginfo info{};
        if (::read(signals_.Get(), &info, sizeof info) > 0) Log("ending on signal " + std::to_string(info.ssi_signo));
        stopping_ = true;
      } else if (fd == programsEnded_.Get()) {
        std::uint64_t count = 0;
        if (::read(programsEnded_.Get(), &count, sizeof count) < 0) count = 0;
      } else if (auto found = sessions_.find(fd); found != sessions_.end()) {
        Serve(*found->second, event.events);
      }
    }
    LetProgramsGo();
    DropSilentStrangers(now);
    if (listenerPausedUntil_ && now >= *listenerPausedUntil_) {
      listenerPausedUntil_.reset();
      Watch(epoll_.Get(), listener_.Get());
    }
    const bool programs = !Programs().empty();
    if (programs) idleSince_ = now;
    if (!programs && now - idleSince_ >= setup_.linger) {
      Log("no program has been attached for " + std::to_string(setup_.linger.count()) + " s");
      stopping_ = true;
    }
    if (now >= nextSave_) {
      SaveIfChanged();
      nextSave_ = now + kSaveInterval;
    }
  }
  // Nobody may reach the machine any more once its memories are saved, and
  // a control tool that asked for the end hears of it only after that.
  ::unlink(setup_.places.Socket().c_str());
  listener_.Reset();
  SaveIfChanged();
  sessions_.clear();
  leaving_.clear();
  Log("ended");
  return 0;
}

int Server::Timeout(TimePoint now) const {
  TimePoint next = nextSave_;
  if (Programs().empty()) next = std::min(next, idleSince_ + setup_.linger);
  if (listenerPausedUntil_) next = std::min(next, *listenerPausedUntil_);
  for (const auto& [fd, session] : sessions_)
    if (!session->Introduced()) next = std::min(next, session->Opened() + kHelloPatience);
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
  return static_cast<int>(std::clamp<std::int64_t>(wait, 0, 60'000));
}

void Server::Accept(TimePoint now) {
  for (int turn = 0; turn < kAcceptsPerTurn; ++turn) {
    vpc::UniqueFd connection(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!connection) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: a connection that has said nothing makes room.
        // Without one the listener rests a while, because it stays readable
        // and would keep the loop spinning.
        if (DropOldestStranger()) continue;
        ::epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, listener_.Get(), nullptr);
        listenerPausedUntil_ = now + kAcceptPause;
        strangerLog_.Log(std::string("taking no connection for a while: ") + std::strerror(errno));
      }
      return;
    }
    // A connection of another user gets its refusal in answer to its hello, and nothing else.
    ucred peer{};
    socklen_t size = sizeof peer;
    std::string refusal;
    if (::getsockopt(connection.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::geteuid()) {
      strangerLog_.Log("refusing a program of user " + std::to_string(peer.uid) + " (pid " +
                       std::to_string(peer.pid) + ")");
      refusal =
          "this virtual PC belongs to user " + std::to_string(::geteuid()) + "; each user has a machine of their own";
    }
    const int fd = connection.Get();
    Session& session = *sessions_.emplace(fd, std::make_unique<Session>(*this, std::move(connection), refusal))
                            .first->second;
    Watch(epoll_.Get(), fd);
    // Its hello has usually come with it: taken at once, a program or a tool
    // is no stranger that a crowd of silent connections could push out.
    Serve(session, EPOLLIN);
    const auto strangers = std::count_if(sessions_.begin(), sessions_.end(),
                                         [](const auto& entry) { return !entry.second->Introduced(); });
    if (static_cast<std::size_t>(strangers) > kMostStrangers) DropOldestStranger();
  }
}

void Server::Serve(Session& session, std::uint32_t events) {
  const int fd = session.Descriptor();
  bool open = true;
  if (events & EPOLLOUT) open = session.Flush();
  if (open && (events & (EPOLLIN | EPOLLHUP | EPOLLERR))) open = session.Receive();
  if (!open) {
    Drop(fd);
    return;
  }
  Watch(epoll_.Get(), fd, session.Sending() ? EPOLLIN | EPOLLOUT : EPOLLIN, EPOLL_CTL_MOD);
}

bool Server::DropOldestStranger() {
  auto oldest = sessions_.end();
  for (auto entry = sessions_.begin(); entry != sessions_.end(); ++entry)
    if (!entry->second->Introduced() && (oldest == sessions_.end() || entry->second->Opened() < oldest->second->Opened()))
      oldest = entry;
  if (oldest == sessions_.end()) return false;
  Drop(oldest->first);
  return true;
}

void Server::DropSilentStrangers(TimePoint now) {
  std::vector<int> silent;
  for (const auto& [fd, session] : sessions_)
    if (!session->Introduced() && now - session->Opened() >= kHelloPatience) silent.push_back(fd);
  for (const int fd : silent) Drop(fd);
}

void Server::Drop(int fd) {
  auto found = sessions_.find(fd);
  if (found == sessions_.end()) return;
  ::epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, fd, nullptr);
  // The program's thread may be in the middle of a batch or waiting for a
  // port: it is let go once it has ended, never waited for here.
  if (auto program = found->second->TakeProgram()) {
    program->Close();
    leaving_.push_back(std::move(program));
  }
  sessions_.erase(found);
}

void Server::ProgramEnded() {
  const std::uint64_t one = 1;
  // Fails only when the count is at its top: a wake-up is waiting already.
  [[maybe_unused]] const ssize_t written = ::write(programsEnded_.Get(), &one, sizeof one);
}

void Server::LetProgramsGo() {
  // A program whose thread ended on its own broke the protocol.
  std::vector<int> broken;
  for (const auto& [fd, session] : sessions_)
    if (const Program* program = session->GetProgram(); program && program->Ended()) broken.push_back(fd);
  for (const int fd : broken) Drop(fd);
  const auto gone = std::stable_partition(leaving_.begin(), leaving_.end(),
                                          [](const auto& program) { return !program->Ended(); });
  if (gone == leaving_.end()) return;
  leaving_.erase(gone, leaving_.end());
  SaveIfChanged();
}

void Server::SaveIfChanged() {
  if (!setup_.keepState || !setup_.places.stateFile) return;
  BoardState now = [&] {
    std::lock_guard lock(machineLock_);
    return CaptureBoard(*machine_, setup_.saved);
  }();
  if (now == setup_.saved) return;
  const std::string error = SaveStateFile(*setup_.places.stateFile, now);
  if (error.empty()) {
    setup_.saved = std::move(now);
    lastSaveError_.clear();
  } else if (error != lastSaveError_) {
    Log("the board's memories cannot be saved: " + error);
    lastSaveError_ = error;
  }
}

}  // namespace vpcserver
