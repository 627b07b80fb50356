#include "vpcserver/LogLimit.h"

#include <cstdio>

#include "vpcserver/Server.h"

namespace vpcserver {

namespace {
constexpr std::size_t kMostPrintable = 200;
}

std::string Printable(std::string_view text) {
  std::string printable;
  for (const char c : text.substr(0, kMostPrintable)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      printable += escaped;
    } else {
      printable += c;
    }
  }
  if (text.size() > kMostPrintable) printable += "...";
  return printable;
}

void LogLimit::Log(const std::string& line) {
  const auto now = std::chrono::steady_clock::now();
  if (logged_ && now - last_ < interval_) {
    ++heldBack_;
    return;
  }
  vpcserver::Log(heldBack_ == 0 ? line : line + " (and " + std::to_string(heldBack_) + " such lines held back)");
  logged_ = true;
  last_ = now;
  heldBack_ = 0;
}

}  // namespace vpcserver
