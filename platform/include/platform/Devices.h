#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace platform {

// Device handles and the thread's last-error value.
class Devices {
 public:
  virtual ~Devices() = default;
  virtual Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                             std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) = 0;
  virtual bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, const void* inBuffer,
                               std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                               std::uint32_t* bytesReturned) = 0;
  virtual bool CloseHandle(Handle handle) = 0;
  virtual Handle GetCurrentProcess() = 0;
  virtual bool DuplicateHandle(Handle sourceProcess, Handle source, Handle targetProcess,
                               Handle* target, std::uint32_t desiredAccess, bool inheritHandle,
                               std::uint32_t options) = 0;
  virtual std::uint32_t GetLastError() = 0;
  virtual void SetLastError(std::uint32_t error) = 0;
};

}  // namespace platform
