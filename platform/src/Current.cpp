#include "platform/Current.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/HostBackend.h"
#include "platform/SharedBackend.h"

namespace platform {

namespace {

struct Registry {
  std::recursive_mutex mutex;
  std::shared_ptr<Process> current;
  std::vector<ProcessObserver*> observers;
};

Registry& TheRegistry() {
  // Never destroyed: libraries detach from the process in their own
  // finalisers, which may run after this library's static destructors.
  static auto* registry = new Registry;
  return *registry;
}

std::string EnvOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value ? value : fallback;
}

// The simulator sits beside this library and is loaded by name, so that the
// platform layer does not depend on it.
void* SimLibrary() {
  Dl_info self{};
  std::filesystem::path directory;
  if (dladdr(reinterpret_cast<void*>(&SimLibrary), &self) != 0 && self.dli_fname)
    directory = std::filesystem::path(self.dli_fname).parent_path();
  const std::string file = (directory / "libqts_sim.so").string();
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!library) library = dlopen("libqts_sim.so", RTLD_NOW | RTLD_GLOBAL);
  if (!library) throw BackendUnavailable(std::string("the virtual PC library cannot be loaded: ") + dlerror());
  return library;
}

template <typename Function>
Function SimEntryPoint(const char* name) {
  auto entry = reinterpret_cast<Function>(dlsym(SimLibrary(), name));
  if (!entry) throw BackendUnavailable(std::string("the virtual PC library lacks its entry point ") + name);
  return entry;
}

std::shared_ptr<Process> CreateSimProcess(const std::string& options) {
  using Factory = Process* (*)(const char* options, char* error, std::size_t errorSize);
  using Deleter = void (*)(Process*);
  auto create = SimEntryPoint<Factory>("qts_sim_create_process");
  auto destroy = SimEntryPoint<Deleter>("qts_sim_destroy_process");
  char error[512] = {};
  Process* process = create(options.c_str(), error, sizeof error);
  if (!process) throw BackendUnavailable(error);
  return std::shared_ptr<Process>(process, destroy);
}

}  // namespace

std::shared_ptr<Process> CreateBackendProcess(const std::string& machine, const std::string& options) {
  if (machine == "host") return CreateHostProcess(options);
  if (machine.empty() || machine == "sim") return CreateSimProcess(options);
  if (machine == "shared") return CreateSharedProcess(options);
  throw BackendUnavailable("unknown machine \"" + machine +
                           "\": choose sim (the virtual PC), shared (the virtual PC that every program shares) or host");
}

std::string VirtualPcOptionHelp() {
  using Help = const char* (*)();
  return SimEntryPoint<Help>("qts_sim_option_help")();
}

Process& Current() {
  auto& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (!registry.current) {
    try {
      const std::string machine = EnvOr("QTS_MACHINE", "");
      registry.current = CreateBackendProcess(machine, EnvOr(machine == "host" ? "QTS_HOST" : "QTS_SIM", ""));
    } catch (const BackendUnavailable& unavailable) {
      std::fprintf(stderr, "QTS_MACHINE=%s: %s\n", EnvOr("QTS_MACHINE", "sim").c_str(), unavailable.what());
      std::exit(2);
    }
  }
  return *registry.current;
}

void StartProcess(std::shared_ptr<Process> next) {
  auto& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  auto observers = registry.observers;
  if (registry.current) {
    for (auto it = observers.rbegin(); it != observers.rend(); ++it) (*it)->ProcessEnding(*registry.current);
  }
  registry.current = std::move(next);
  if (registry.current) {
    for (auto* observer : observers) observer->ProcessStarted(*registry.current);
  }
}

void AddObserver(ProcessObserver& observer) {
  auto& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  Process& process = Current();
  registry.observers.push_back(&observer);
  observer.ProcessStarted(process);
}

void RemoveObserver(ProcessObserver& observer) {
  auto& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  auto& list = registry.observers;
  auto found = std::find(list.begin(), list.end(), &observer);
  if (found == list.end()) return;
  list.erase(found);
  if (registry.current) observer.ProcessEnding(*registry.current);
}

}  // namespace platform
