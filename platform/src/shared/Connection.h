#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "vpc/Channel.h"
#include "vpc/FrameStream.h"
#include "vpc/Wire.h"

namespace platform::shared {

// A program's connection to the shared virtual PC: its channel for the
// requests, and its socket, which stays open for as long as the program is
// attached.
//
// A request without an answer (a port write) is written into the channel and
// the program goes on at once; the server carries it out in order with the
// rest, so a read always sees every write made before it. At program exit
// everything written is carried out before the process goes.
//
// When the server goes away the connection says so once on stderr and from
// then on answers nothing: the machine is gone for this program.
class Connection {
 public:
  Connection(vpc::FrameStream stream, vpc::ChannelMapping channel);
  ~Connection();

  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Writes one request that has no answer; `fill` writes its fields.
  template <typename Fill>
  void Post(Fill&& fill) {
    std::lock_guard lock(mutex_);
    if (!alive_) return;
    Publish(fill, false);
  }

  // Writes one request and waits for its answer: the answer's bytes (valid
  // until the next request), or nothing when the machine has gone.
  template <typename Fill>
  std::optional<std::span<const std::uint8_t>> Request(Fill&& fill) {
    std::lock_guard lock(mutex_);
    if (!alive_ || !Publish(fill, true)) return std::nullopt;
    return AwaitLocked();
  }

  // Returns once the server has carried out everything written before.
  void Sync();

 private:
  template <typename Fill>
  bool Publish(Fill& fill, bool answered) {
    frame_.clear();
    vpc::FrameWriter writer(frame_);
    fill(writer.Begin());
    writer.End();
    if (channel_.Publish(frame_, answered)) return true;
    Lost();
    return false;
  }
  std::optional<std::span<const std::uint8_t>> AwaitLocked();
  void Lost();

  std::mutex mutex_;
  vpc::FrameStream stream_;
  vpc::ProgramChannel channel_;
  std::vector<std::uint8_t> frame_;
  bool alive_ = true;
};

}  // namespace platform::shared
