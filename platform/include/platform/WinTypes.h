// Types, constants and error codes of the Windows services that the
// deliverables were written against. Values are the ones those services use,
// because they cross interfaces (driver buffers, last-error values) unchanged.
#pragma once

#include <cstdint>

namespace platform {

// Handles are 32-bit values: they travel inside 32-bit driver request fields.
using Handle = std::uint32_t;
using ScHandle = std::uint32_t;
using ModuleHandle = std::uint32_t;

inline constexpr Handle InvalidHandleValue = 0xFFFFFFFFu;
// GetCurrentProcess() answers this pseudo handle; it names the calling process.
inline constexpr Handle CurrentProcessHandle = 0xFFFFFFFFu;
inline constexpr ScHandle NullScHandle = 0;
inline constexpr ModuleHandle NullModule = 0;

// Platform identifiers of the version record.
inline constexpr std::uint32_t VerPlatformWin32s = 0;
inline constexpr std::uint32_t VerPlatformWin32Windows = 1;
inline constexpr std::uint32_t VerPlatformWin32Nt = 2;

// The 148-byte version record (size field, major, minor, build, platform,
// service-pack text). The caller sets the size field before the query.
struct OsVersionInfoA {
  std::uint32_t dwOSVersionInfoSize = 148;
  std::uint32_t dwMajorVersion = 0;
  std::uint32_t dwMinorVersion = 0;
  std::uint32_t dwBuildNumber = 0;
  std::uint32_t dwPlatformId = 0;
  char szCSDVersion[128] = {};
};
static_assert(sizeof(OsVersionInfoA) == 148);

// CreateFileA
inline constexpr std::uint32_t GenericRead = 0x80000000u;
inline constexpr std::uint32_t GenericWrite = 0x40000000u;
inline constexpr std::uint32_t FileShareRead = 0x1;
inline constexpr std::uint32_t FileShareWrite = 0x2;
inline constexpr std::uint32_t OpenExisting = 3;
inline constexpr std::uint32_t FileAttributeNormal = 0x80;
inline constexpr std::uint32_t FileFlagDeleteOnClose = 0x04000000u;

// DuplicateHandle
inline constexpr std::uint32_t ProcessAllAccess = 0x1F0FFF;

// Service control manager
inline constexpr std::uint32_t ScManagerAllAccess = 0xF003F;
inline constexpr std::uint32_t ServiceAllAccess = 0xF01FF;
inline constexpr std::uint32_t ServiceKernelDriver = 0x1;
inline constexpr std::uint32_t ServiceDemandStart = 0x3;
inline constexpr std::uint32_t ServiceErrorNormal = 0x1;
inline constexpr std::uint32_t ServiceControlStop = 0x1;
inline constexpr std::uint32_t ServiceStopped = 0x1;
inline constexpr std::uint32_t ServiceRunning = 0x4;

struct ServiceStatus {
  std::uint32_t dwServiceType = 0;
  std::uint32_t dwCurrentState = 0;
  std::uint32_t dwControlsAccepted = 0;
  std::uint32_t dwWin32ExitCode = 0;
  std::uint32_t dwServiceSpecificExitCode = 0;
  std::uint32_t dwCheckPoint = 0;
  std::uint32_t dwWaitHint = 0;
};

// Last-error values.
inline constexpr std::uint32_t ErrorSuccess = 0;
inline constexpr std::uint32_t ErrorFileNotFound = 2;
inline constexpr std::uint32_t ErrorAccessDenied = 5;
inline constexpr std::uint32_t ErrorInvalidHandle = 6;
inline constexpr std::uint32_t ErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t ErrorGenFailure = 31;
inline constexpr std::uint32_t ErrorNotSupported = 50;
inline constexpr std::uint32_t ErrorInvalidParameter = 87;
inline constexpr std::uint32_t ErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t ErrorModNotFound = 126;
inline constexpr std::uint32_t ErrorProcNotFound = 127;
inline constexpr std::uint32_t ErrorBusy = 170;
inline constexpr std::uint32_t ErrorServiceAlreadyRunning = 1056;
inline constexpr std::uint32_t ErrorServiceDoesNotExist = 1060;
inline constexpr std::uint32_t ErrorServiceNotActive = 1062;
inline constexpr std::uint32_t ErrorServiceMarkedForDelete = 1072;
inline constexpr std::uint32_t ErrorServiceExists = 1073;

}  // namespace platform
