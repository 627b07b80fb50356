#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vpcserver {

// `text` as it may go into the log: control characters as \xNN, so that a
// name cannot forge lines or steer a terminal, and at most a line's worth.
std::string Printable(std::string_view text);

// Lets one line through per interval and counts the others, so that what a
// program does over and over cannot fill the log.
class LogLimit {
 public:
  explicit LogLimit(std::chrono::milliseconds interval = std::chrono::seconds(1)) : interval_(interval) {}

  void Log(const std::string& line);

 private:
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point last_{};
  bool logged_ = false;
  std::uint64_t heldBack_ = 0;
};

}  // namespace vpcserver
