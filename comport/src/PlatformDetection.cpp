#include <string>

#include "comport/CommunicationsProcedures.h"
#include "platform/Current.h"

namespace comport::CommunicationsProcedures {

namespace {

platform::OsVersionInfoA QueryVersion() {
  platform::OsVersionInfoA info;
  info.dwOSVersionInfoSize = sizeof info;
  platform::Current().GetVersionExA(info);
  return info;
}

}  // namespace

std::string GetWindowsBuildText() {
  const auto info = QueryVersion();
  switch (info.dwPlatformId) {
    case platform::VerPlatformWin32Windows:
      // The 95 family keeps the version in the high word of the build field.
      return std::to_string(info.dwBuildNumber & 0xFFF);
    case platform::VerPlatformWin32Nt:
      return std::to_string(info.dwBuildNumber);
    default:
      if (info.dwPlatformId >= 3 && info.dwPlatformId <= 10)
        return "Unrecognised Build Number (" + std::to_string(info.dwBuildNumber) + ")";
      return {};
  }
}

std::int16_t GetWindowsVersionCode() {
  const auto info = QueryVersion();
  if (info.dwPlatformId == platform::VerPlatformWin32Windows) {
    if (info.dwMinorVersion == 0) return 95;
    if (info.dwMinorVersion == 10) return 98;
    return 0;
  }
  if (info.dwPlatformId == platform::VerPlatformWin32Nt) {
    switch (info.dwMajorVersion) {
      case 3:
        return 351;
      case 4:
        return 400;
      case 5:
        return 2000;
      default:
        return 0;
    }
  }
  return -1;
}

}  // namespace comport::CommunicationsProcedures
