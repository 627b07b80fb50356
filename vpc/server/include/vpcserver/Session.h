#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vpc/Protocol.h"
#include "vpc/Socket.h"
#include "vpc/Wire.h"

namespace vpcserver {

class Program;
class Server;

// One connection to the server, as the server's main thread sees it: the
// hello, then either a control tool's requests, or a program (whose requests
// go through its channel; its socket only says when it has gone).
//
// The main thread serves everyone, so a session never makes it wait: it
// takes a bounded amount of what has arrived per turn, holds at most one
// frame that is still arriving, and queues its answers for when the peer
// takes them. A peer that lets more answers pile up than kMostQueued is
// dropped.
class Session {
 public:
  // What a session holds of answers not yet taken, at most.
  static constexpr std::size_t kMostQueued = 64 * 1024;

  // A connection with a `refusal` (another user's) gets it in answer to its hello.
  Session(Server& server, vpc::UniqueFd socket, std::string refusal = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  int Descriptor() const { return socket_.Get(); }
  // Null for a control tool or before the hello.
  const Program* GetProgram() const { return program_.get(); }
  // The program, for the server to let it go once its thread has ended.
  std::unique_ptr<Program> TakeProgram();
  // A connection that has not said hello yet is kept only for a while.
  bool Introduced() const { return introduced_; }
  std::chrono::steady_clock::time_point Opened() const { return opened_; }
  // Answers wait for the peer to take them.
  bool Sending() const { return !out_.empty(); }

  // Takes what has arrived and answers it. False when the connection is over.
  bool Receive();
  // Sends what the peer takes now of the answers. False when the connection is over.
  bool Flush();

 private:
  enum class Outcome { Done, Close };

  Outcome CarryOut(std::span<const std::uint8_t> frame);
  Outcome Hello(vpc::FrameReader& request);
  Outcome Control(vpc::Op op);
  vpc::FrameWriter Answer();

  Server& server_;
  vpc::UniqueFd socket_;
  std::string refusal_;
  std::chrono::steady_clock::time_point opened_;
  bool introduced_ = false;
  std::unique_ptr<Program> program_;
  std::vector<std::uint8_t> in_;
  std::vector<std::uint8_t> out_;
  std::vector<int> passing_;  // descriptors that go with the first byte of out_
  bool stopAfterAnswer_ = false;
};

}  // namespace vpcserver
