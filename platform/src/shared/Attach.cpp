#include "Attach.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/Current.h"
#include "vpc/Places.h"

extern char** environ;

namespace platform::shared {

namespace {

using namespace std::chrono_literals;

// How long a program waits for a machine that is starting or ending.
constexpr auto kAttachPatience = 10s;
constexpr auto kRetryPause = 20ms;

enum class Launch { Ready, Running };

std::filesystem::path ServerProgram() {
  Dl_info self{};
  std::filesystem::path directory;
  if (dladdr(reinterpret_cast<void*>(&ServerProgram), &self) != 0 && self.dli_fname)
    directory = std::filesystem::path(self.dli_fname).parent_path();
  return directory / "qtsvpc";
}

// The server reports on the descriptor it was given, one line each:
// "note: ..." (any number), then "ready", "running" (another server has the
// machine) or "error: ...".
Launch ReadReport(int report, const std::filesystem::path& program) {
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + kAttachPatience;
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready{report, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0)
      throw BackendUnavailable("the shared virtual PC (" + program.string() + ") did not report that it started");
    char buffer[512];
    const ssize_t got = ::read(report, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (line.starts_with("note: ")) std::fprintf(stderr, "shared virtual PC: %s\n", line.c_str() + 6);
    if (line == "ready") return Launch::Ready;
    if (line == "running") return Launch::Running;
    if (line.starts_with("error: ")) throw BackendUnavailable(line.substr(7));
  }
  throw BackendUnavailable("the shared virtual PC (" + program.string() + ") ended without starting");
}

Launch LaunchServer(const std::string& options) {
  const auto program = ServerProgram();
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
    throw BackendUnavailable(std::string("cannot start the shared virtual PC: ") + std::strerror(errno));
  vpc::UniqueFd reading(pipeEnds[0]);
  vpc::UniqueFd writing(pipeEnds[1]);

  const std::string path = program.string();
  const std::string optionsArgument = "--options=" + options;
  std::vector<char*> argv{const_cast<char*>(path.c_str()), const_cast<char*>("serve"),
                          const_cast<char*>("--report-fd=3")};
  if (!options.empty()) argv.push_back(const_cast<char*>(optionsArgument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writing.Get(), 3);
  pid_t child = 0;
  const int failure = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writing.Reset();
  if (failure != 0)
    throw BackendUnavailable("cannot start the shared virtual PC " + path + ": " + std::strerror(failure));
  // The server leaves its first process at once and lives on in a child of
  // it, so that it is nobody's child here.
  const Launch outcome = [&] {
    try {
      return ReadReport(reading.Get(), program);
    } catch (...) {
      int status = 0;
      ::waitpid(child, &status, 0);
      throw;
    }
  }();
  int status = 0;
  ::waitpid(child, &status, 0);
  return outcome;
}

}  // namespace

Attachment Attach(const std::string& options) {
  vpc::Places places = vpc::UserPlaces();
  const vpc::SettledRuntime runtime = vpc::SettleRuntimeDirectory(places);
  if (!runtime.refusal.empty()) throw BackendUnavailable(runtime.refusal);
  if (!runtime.note.empty()) std::fprintf(stderr, "shared virtual PC: %s\n", runtime.note.c_str());
  const auto deadline = std::chrono::steady_clock::now() + kAttachPatience;
  while (true) {
    if (vpc::UniqueFd socket = vpc::ConnectTo(places.Socket())) {
      vpc::FrameStream stream(std::move(socket));
      auto introduction = vpc::Introduce(stream, vpc::Role::Program, program_invocation_short_name, options);
      if (introduction.outcome == vpc::Introduction::Outcome::Accepted)
        return {std::move(stream), std::move(introduction)};
      if (introduction.outcome == vpc::Introduction::Outcome::Refused)
        throw BackendUnavailable("the shared virtual PC refused this program: " + introduction.refusal);
      // Dropped: the server is ending; the next attempt starts another.
    } else if (errno == ENOENT || errno == ECONNREFUSED) {
      if (LaunchServer(options) == Launch::Ready) continue;
    } else {
      throw BackendUnavailable("cannot reach the shared virtual PC at " + places.Socket().string() + ": " +
                               std::strerror(errno));
    }
    if (std::chrono::steady_clock::now() > deadline)
      throw BackendUnavailable("the shared virtual PC at " + places.Socket().string() + " does not answer");
    std::this_thread::sleep_for(kRetryPause);
  }
}

}  // namespace platform::shared
