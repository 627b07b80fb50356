#pragma once

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
class Session {
 public:
  // A connection with a `refusal` (another user's) gets it in answer to its hello.
  Session(Server& server, vpc::UniqueFd socket, std::string refusal = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  int Descriptor() const { return socket_.Get(); }
  // Null for a control tool or before the hello.
  const Program* GetProgram() const { return program_.get(); }

  // Takes what has arrived and answers it. False when the connection is over.
  bool Receive();

 private:
  enum class Outcome { Done, Close };

  Outcome CarryOut(std::span<const std::uint8_t> frame);
  Outcome Hello(vpc::FrameReader& request);
  Outcome Control(vpc::Op op);
  vpc::FrameWriter Answer();

  Server& server_;
  vpc::UniqueFd socket_;
  std::string refusal_;
  bool introduced_ = false;
  std::unique_ptr<Program> program_;
  std::vector<std::uint8_t> in_;
  std::size_t consumed_ = 0;
  std::vector<std::uint8_t> out_;
  bool stopAfterAnswer_ = false;
};

}  // namespace vpcserver
