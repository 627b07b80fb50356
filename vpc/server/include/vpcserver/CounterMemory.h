#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "vpc/Socket.h"

namespace vpcserver {

// The machine-wide counters (the port access library's attach count): a
// memory file that every program maps, so that a program changes a counter
// with one atomic instruction, as in a shared data section. The server only
// hands out the slots by name and never touches the values.
//
// Like a shared data section, a counter keeps what a program did to it when
// that program is killed before it could undo it.
class CounterMemory {
 public:
  // Throws std::runtime_error when the memory file cannot be made.
  CounterMemory();
  ~CounterMemory();
  CounterMemory(const CounterMemory&) = delete;
  CounterMemory& operator=(const CounterMemory&) = delete;

  int Descriptor() const { return file_.Get(); }
  // The slot of counter `name`, a new one (0) on first use; vpc::kCounterSlots
  // when every slot is taken.
  std::uint32_t Slot(const std::string& name);

 private:
  vpc::UniqueFd file_;
  std::map<std::string, std::uint32_t> slots_;
};

}  // namespace vpcserver
