#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "vpc/FrameStream.h"
#include "vpc/Places.h"
#include "vpc/Wire.h"
#include "vpcserver/Commands.h"

namespace vpcserver {

namespace {

using namespace std::chrono_literals;

// The user's places, with the runtime directory where the programs put it;
// nothing (and why on `err`) when another user holds it. A directory of
// this user's own that programs refuse (its mode changed under a running
// machine) is still where that machine is found.
std::optional<vpc::Places> SettledPlaces(std::ostream& err) {
  vpc::Places places = vpc::UserPlaces();
  const vpc::SettledRuntime runtime = vpc::SettleRuntimeDirectory(places);
  struct stat status {};
  const bool own = ::lstat(places.runtimeDirectory.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
                   status.st_uid == ::geteuid();
  if (!runtime.refusal.empty() && !own) {
    err << "qtsvpc: " << runtime.refusal << '\n';
    return std::nullopt;
  }
  if (!runtime.note.empty()) err << "qtsvpc: " << runtime.note << '\n';
  return places;
}

// A control connection, or nothing when no machine runs.
std::optional<vpc::FrameStream> Connect(const vpc::Places& places, std::ostream& err, bool& failed) {
  failed = false;
  vpc::UniqueFd socket = vpc::ConnectTo(places.Socket());
  if (!socket) return std::nullopt;
  vpc::FrameStream stream(std::move(socket));
  const auto introduction = vpc::Introduce(stream, vpc::Role::Control, "qtsvpc", "");
  if (introduction.outcome == vpc::Introduction::Outcome::Accepted) return stream;
  if (introduction.outcome == vpc::Introduction::Outcome::Refused) {
    err << "qtsvpc: the machine refused: " << introduction.refusal << '\n';
    failed = true;
  }
  return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> Ask(vpc::FrameStream& stream, vpc::Op op) {
  std::vector<std::uint8_t> request;
  vpc::FrameWriter writer(request);
  writer.Begin(op);
  writer.End();
  if (!stream.Send(request)) return std::nullopt;
  return stream.Receive();
}

// The server holds its lock until its very end.
bool WaitForTheEnd(const vpc::Places& places) {
  vpc::UniqueFd lock(::open(places.Lock().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock) return false;
  for (auto waited = 0ms; waited < 10s; waited += 10ms) {
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// Asks the running machine `op` and hands the answer to `use`; answers the
// exit status (`notRunning` when no machine runs).
int AskTheMachine(const vpc::Places& places, vpc::Op op, int notRunning, std::ostream& out, std::ostream& err,
                  const std::function<int(vpc::FrameStream&, std::span<const std::uint8_t>)>& use) {
  bool failed = false;
  auto stream = Connect(places, err, failed);
  if (failed) return 1;
  if (!stream) {
    out << "the shared virtual PC is not running\n";
    return notRunning;
  }
  const auto answer = Ask(*stream, op);
  if (!answer) {
    err << "qtsvpc: the machine did not answer\n";
    return 1;
  }
  return use(*stream, *answer);
}

}  // namespace

int StopServer(std::ostream& out, std::ostream& err) {
  const auto settled = SettledPlaces(err);
  if (!settled) return 1;
  const vpc::Places& places = *settled;
  return AskTheMachine(places, vpc::Op::Stop, 0, out, err, [&](vpc::FrameStream& stream, auto) {
    // The machine closes the connection once its memories are saved, and
    // lets go of its lock when its process ends.
    while (stream.Receive()) {
    }
    if (WaitForTheEnd(places)) return 0;
    err << "qtsvpc: the machine has not ended\n";
    return 1;
  });
}

int ShowStatus(std::ostream& out, std::ostream& err) {
  const auto places = SettledPlaces(err);
  if (!places) return 1;
  return AskTheMachine(*places, vpc::Op::Status, 3, out, err, [&](vpc::FrameStream&, auto answer) {
    vpc::FrameReader reader(answer);
    const std::uint32_t pid = reader.U32();
    const std::uint64_t seconds = reader.U64();
    const std::string options = reader.Text();
    const std::uint32_t count = reader.U32();
    out << "running: pid " << pid << ", up " << seconds << " s, options \"" << options << "\"\n";
    out << "programs:";
    if (count == 0) out << " none";
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t programPid = reader.U32();
      out << (i == 0 ? " " : ", ") << reader.Text() << " (pid " << programPid << ")";
    }
    out << '\n';
    return 0;
  });
}

}  // namespace vpcserver
