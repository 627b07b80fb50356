#include "sim/ServiceManager.h"

#include <algorithm>
#include <cctype>

#include "platform/WinTypes.h"

namespace sim {

void ServiceManager::SetHooks(StartHook start, StopHook stop) {
  start_ = std::move(start);
  stop_ = std::move(stop);
}

std::string ServiceManager::Key(const std::string& name) {
  std::string key = name;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
  return key;
}

Service* ServiceManager::Find(const std::string& name) {
  auto found = services_.find(Key(name));
  return found == services_.end() ? nullptr : &found->second;
}

const Service* ServiceManager::Find(const std::string& name) const {
  auto found = services_.find(Key(name));
  return found == services_.end() ? nullptr : &found->second;
}

std::uint32_t ServiceManager::Create(const Service& service) {
  if (Service* existing = Find(service.name))
    return existing->markedForDelete ? platform::ErrorServiceMarkedForDelete : platform::ErrorServiceExists;
  Service fresh = service;
  fresh.running = false;
  fresh.markedForDelete = false;
  fresh.openHandles = 0;
  services_.emplace(Key(service.name), std::move(fresh));
  return 0;
}

std::uint32_t ServiceManager::Start(const std::string& name) {
  Service* service = Find(name);
  if (!service) return platform::ErrorServiceDoesNotExist;
  if (service->markedForDelete) return platform::ErrorServiceMarkedForDelete;
  if (service->running) return platform::ErrorServiceAlreadyRunning;
  const std::uint32_t error = start_ ? start_(*service) : platform::ErrorFileNotFound;
  if (error == 0) service->running = true;
  return error;
}

std::uint32_t ServiceManager::Stop(const std::string& name) {
  Service* service = Find(name);
  if (!service) return platform::ErrorServiceDoesNotExist;
  if (!service->running) return platform::ErrorServiceNotActive;
  service->running = false;
  if (stop_) stop_(*service);
  RemoveIfDone(name);
  return 0;
}

std::uint32_t ServiceManager::MarkForDelete(const std::string& name) {
  Service* service = Find(name);
  if (!service) return platform::ErrorServiceDoesNotExist;
  if (service->markedForDelete) return platform::ErrorServiceMarkedForDelete;
  service->markedForDelete = true;
  RemoveIfDone(name);
  return 0;
}

void ServiceManager::HandleOpened(const std::string& name) {
  if (Service* service = Find(name)) ++service->openHandles;
}

void ServiceManager::HandleClosed(const std::string& name) {
  if (Service* service = Find(name)) {
    if (service->openHandles > 0) --service->openHandles;
    RemoveIfDone(name);
  }
}

void ServiceManager::RemoveIfDone(const std::string& name) {
  Service* service = Find(name);
  if (service && service->markedForDelete && service->openHandles == 0 && !service->running)
    services_.erase(Key(name));
}

}  // namespace sim
