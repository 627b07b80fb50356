#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace sim {

struct Service {
  std::string name;
  std::string displayName;
  std::uint32_t type = 0;
  std::uint32_t startType = 0;
  std::uint32_t errorControl = 0;
  std::string imagePath;
  bool running = false;
  bool markedForDelete = false;
  int openHandles = 0;
};

// The machine's service database. Names compare without regard to case.
// Starting and stopping a service goes through the hooks, which the machine
// uses to load and unload the driver that the image holds.
class ServiceManager {
 public:
  // Answers a Windows error code, 0 when the driver started.
  using StartHook = std::function<std::uint32_t(const Service&)>;
  using StopHook = std::function<void(const Service&)>;

  void SetHooks(StartHook start, StopHook stop);

  Service* Find(const std::string& name);
  const Service* Find(const std::string& name) const;

  // Each answers 0 or the Windows error code of the failure.
  std::uint32_t Create(const Service& service);
  std::uint32_t Start(const std::string& name);
  std::uint32_t Stop(const std::string& name);
  std::uint32_t MarkForDelete(const std::string& name);

  // Service handles: a service marked for deletion goes when its last handle closes.
  void HandleOpened(const std::string& name);
  void HandleClosed(const std::string& name);

  bool Exists(const std::string& name) const { return Find(name) != nullptr; }

 private:
  static std::string Key(const std::string& name);
  void RemoveIfDone(const std::string& name);

  std::map<std::string, Service> services_;
  StartHook start_;
  StopHook stop_;
};

}  // namespace sim
