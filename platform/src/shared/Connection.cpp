#include "Connection.h"

#include <cstdio>
#include <cstdlib>
#include <set>

namespace platform::shared {

namespace {

// Connections of this process, so that an exiting program's writes are
// carried out before it goes (another program may look at once). Never
// destroyed: exit handlers may run after static destructors.
struct Live {
  std::mutex mutex;
  std::set<Connection*> connections;
};

Live& LiveConnections() {
  static auto* live = new Live;
  return *live;
}

extern "C" void SyncAtExit() {
  auto& live = LiveConnections();
  std::lock_guard lock(live.mutex);
  for (Connection* connection : live.connections) connection->Sync();
}

}  // namespace

Connection::Connection(vpc::FrameStream stream, vpc::ChannelMapping channel)
    : stream_(std::move(stream)), channel_(std::move(channel), stream_.Descriptor()) {
  static const bool registered = std::atexit(SyncAtExit) == 0;
  (void)registered;
  auto& live = LiveConnections();
  std::lock_guard lock(live.mutex);
  live.connections.insert(this);
}

Connection::~Connection() {
  {
    auto& live = LiveConnections();
    std::lock_guard lock(live.mutex);
    live.connections.erase(this);
  }
  Sync();
}

void Connection::Sync() {
  Request([](vpc::FrameWriter& writer) { writer.U8(static_cast<std::uint8_t>(vpc::Op::Sync)); });
}

std::optional<std::span<const std::uint8_t>> Connection::AwaitLocked() {
  if (auto answer = channel_.AwaitAnswer()) return answer;
  Lost();
  return std::nullopt;
}

void Connection::Lost() {
  if (!alive_) return;
  alive_ = false;
  std::fprintf(stderr,
               "shared virtual PC: the machine has gone away; this program no longer sees its ports and devices\n");
}

}  // namespace platform::shared
