#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vpc/Protocol.h"
#include "vpc/Socket.h"

namespace vpc {

// One end of a connection that waits for whole frames: a program's, or a
// control tool's. Not for the server, which never waits for one peer.
class FrameStream {
 public:
  explicit FrameStream(UniqueFd socket) : socket_(std::move(socket)) {}

  int Descriptor() const { return socket_.Get(); }
  bool Send(std::span<const std::uint8_t> bytes) { return WriteAll(socket_.Get(), bytes.data(), bytes.size()); }
  // Waits for the next frame, for `patience` at most: its bytes (valid until
  // the next Receive), or nothing when the peer has gone or kept silent.
  // Descriptors passed along with it are added to `descriptors`. Throws
  // ProtocolError for a frame no peer sends.
  std::optional<std::span<const std::uint8_t>> Receive(std::vector<UniqueFd>* descriptors = nullptr,
                                                       std::chrono::milliseconds patience = kServerPatience);

  // How long a server that answers at all takes at most; one that takes
  // longer is stuck or is not what it claims to be.
  static constexpr std::chrono::milliseconds kServerPatience{10'000};

 private:
  UniqueFd socket_;
  std::vector<std::uint8_t> in_;
  std::size_t consumed_ = 0;
};

// The server's answer to a program's or control tool's Hello.
struct Introduction {
  enum class Outcome { Accepted, Refused, Dropped };
  Outcome outcome = Outcome::Dropped;
  std::string refusal;                // why, when refused
  std::vector<std::uint8_t> rest;     // the answer's fields after the verdict
  std::vector<UniqueFd> descriptors;  // passed along with the answer
};

// Says hello and waits for the verdict. Dropped: the connection closed first
// (a server that is ending does that) or no verdict came in time.
Introduction Introduce(FrameStream& stream, Role role, std::string_view programName, std::string_view options);

// The options of a machine in one spelling: items sorted, empty ones dropped,
// so that "a=1,b" and "b,a=1" name the same machine.
std::string CanonicalOptions(std::string_view options);

}  // namespace vpc
