#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace platform {

// Which Windows the process runs on.
class Version {
 public:
  virtual ~Version() = default;
  // Packed version: on the 95 family the high bit is set.
  virtual std::uint32_t GetVersion() = 0;
  // Fills the record whose size field the caller set; false when that size is wrong.
  virtual bool GetVersionExA(OsVersionInfoA& info) = 0;
  // The system-information object's build number, as decimal text.
  virtual std::string BuildNumberText() = 0;
  // System directory into a caller's buffer; the length of the text, or the
  // size needed (with the terminating zero) when the buffer is too small.
  virtual std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) = 0;
};

}  // namespace platform
