#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace platform {

// The service control manager, as far as installing a kernel driver needs it.
class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  virtual ScHandle OpenSCManagerA(const char* machine, const char* database,
                                  std::uint32_t access) = 0;
  virtual ScHandle CreateServiceA(ScHandle manager, const std::string& name,
                                  const std::string& displayName, std::uint32_t access,
                                  std::uint32_t serviceType, std::uint32_t startType,
                                  std::uint32_t errorControl, const std::string& imagePath) = 0;
  virtual ScHandle OpenServiceA(ScHandle manager, const std::string& name,
                                std::uint32_t access) = 0;
  virtual bool StartServiceA(ScHandle service) = 0;
  virtual bool ControlService(ScHandle service, std::uint32_t control, ServiceStatus& status) = 0;
  virtual bool DeleteService(ScHandle service) = 0;
  virtual bool CloseServiceHandle(ScHandle handle) = 0;
};

}  // namespace platform
