#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "vpc/Socket.h"

namespace vpc {

// The path of a program's requests: a memory file that the program and the
// server both map. The program writes its request frames into a ring and
// goes on; the server takes them in order and puts the answer to a request
// that needs one into the answer area, which the program waits for.
//
// Waiting is on futexes, never by spinning: on a busy computer a spinning
// side only keeps the other from the processor. After a batch the server
// naps (kNap at a time, for kNappingAtMost in all) before it sleeps: a program that
// only writes does not wake a napping server, whose next nap ends soon
// enough to take the writes, so the writes of a transfer cost no system
// call; a request that needs an answer wakes it at once. A sleeping server
// is woken by anything. The program's socket stays open beside the channel,
// so that each side notices when the other has gone.
//
// Each side keeps its own copy of where it is, so that nothing the other
// side writes into the memory makes it read or write outside the memory.
struct ChannelMemory {
  static constexpr std::uint32_t kRequestBytes = 256 * 1024;  // a power of two
  static constexpr std::uint32_t kAnswerBytes = 160 * 1024;

  // What the server does while it waits for requests.
  enum ServerWaiting : std::uint32_t { kBusy = 0, kNapping = 1, kAsleep = 2 };
  static constexpr std::chrono::microseconds kNap{200};
  static constexpr std::chrono::milliseconds kNappingAtMost{5};

  alignas(64) std::atomic<std::uint32_t> requestTail{0};  // bytes the program has written, ever
  std::atomic<std::uint32_t> serverWaiting{kBusy};
  alignas(64) std::atomic<std::uint32_t> requestHead{0};  // bytes the server has taken, ever
  std::atomic<std::uint32_t> programAsleep{0};
  alignas(64) std::atomic<std::uint32_t> answers{0};  // answers given, ever
  std::atomic<std::uint32_t> answerLength{0};
  std::atomic<std::uint32_t> closed{0};
  alignas(64) std::uint8_t requests[kRequestBytes];
  std::uint8_t answer[kAnswerBytes];
};

// Maps a channel's memory file (of sizeof(ChannelMemory) bytes).
class ChannelMapping {
 public:
  ChannelMapping() = default;
  explicit ChannelMapping(int fd);
  ~ChannelMapping();
  ChannelMapping(ChannelMapping&& other) noexcept;
  ChannelMapping& operator=(ChannelMapping&&) = delete;
  ChannelMapping(const ChannelMapping&) = delete;
  ChannelMapping& operator=(const ChannelMapping&) = delete;

  ChannelMemory* operator->() const { return memory_; }
  explicit operator bool() const { return memory_ != nullptr; }

 private:
  ChannelMemory* memory_ = nullptr;
};

// The program's end.
class ProgramChannel {
 public:
  // `socket` is the program's connection to the server.
  ProgramChannel(ChannelMapping memory, int socket);

  // Writes one request frame (length included); `answered` when the program
  // will wait for its answer. False when the server has gone.
  bool Publish(std::span<const std::uint8_t> frame, bool answered);
  // Waits for the answer to the request published last: its bytes (valid
  // until the next request), or nothing when the server has gone.
  std::optional<std::span<const std::uint8_t>> AwaitAnswer();

 private:
  bool ServerGone() const;

  ChannelMapping memory_;
  int socket_;
  std::uint32_t tail_ = 0;
  std::uint32_t answersAwaited_ = 0;
  std::vector<std::uint8_t> answer_;
};

// The server's end.
class ServerChannel {
 public:
  // Throws std::runtime_error when the memory file cannot be made.
  ServerChannel();

  int Descriptor() const { return file_.Get(); }
  // Waits until a request is there: false once the program has gone and
  // everything it wrote has been taken.
  bool AwaitRequests();
  // The next whole request frame (without its length), valid until the next
  // call, or nothing. Throws ProtocolError for a ring that makes no sense.
  std::optional<std::span<const std::uint8_t>> Next();
  // Hands the program the answer to its request and wakes it if it sleeps.
  void Answer(std::span<const std::uint8_t> answer);
  // The program has gone (its socket closed): wakes the server's side.
  void Close();

 private:
  std::uint32_t Available() const;

  UniqueFd file_;
  ChannelMapping memory_;
  std::uint32_t head_ = 0;
  std::vector<std::uint8_t> frame_;
};

}  // namespace vpc
