#pragma once

#include <cstdint>
#include <map>

namespace sim {

// Who holds which parallel port (numbered from 1) on the machine.
class PortArbiter {
 public:
  enum class Outcome { Granted, HeldByOther, NoSuchPort };

  // Process id of "another program" that a fault option lets hold a port.
  static constexpr std::uint32_t kOtherProgram = 4;

  explicit PortArbiter(int portCount) : portCount_(portCount) {}

  // A holder that claims its own port again keeps it.
  Outcome Claim(int port, std::uint32_t holder);
  bool Release(int port, std::uint32_t holder);
  void ReleaseAll(std::uint32_t holder);
  // 0 when the port is free.
  std::uint32_t Holder(int port) const;

 private:
  int portCount_;
  std::map<int, std::uint32_t> holders_;
};

}  // namespace sim
