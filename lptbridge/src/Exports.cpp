// The exported functions and the load and unload notifications. The library
// attaches to the running process when it is loaded (and to each new virtual
// process a test starts) and detaches when it is unloaded.
#include <cstdio>
#include <memory>

#include "LptBridge.h"
#include "lptbridge/Library.h"
#include "platform/Current.h"

namespace {

// Stands in for the port instructions while no process is attached, so that
// the In/Out path never has to test for one.
class NoPorts : public platform::PortIo {
 public:
  std::uint8_t In8(std::uint16_t) override { return 0xFF; }
  std::uint16_t In16(std::uint16_t) override { return 0xFFFF; }
  std::uint32_t In32(std::uint16_t) override { return 0xFFFFFFFFu; }
  void Out8(std::uint16_t, std::uint8_t) override {}
  void Out16(std::uint16_t, std::uint16_t) override {}
  void Out32(std::uint16_t, std::uint32_t) override {}
};

NoPorts noPorts;
platform::PortIo* ports = &noPorts;

class ProcessBinding : public platform::ProcessObserver {
 public:
  void ProcessStarted(platform::Process& process) override {
    library_ = std::make_unique<lptbridge::Library>(process);
    loaded_ = library_->Attach();
    if (!loaded_) {
      // The loader answers a refused attach with a detach. ELF cannot refuse
      // the load itself, so the library stays mapped with every export
      // answering 0, which is what a caller of an unloadable library sees.
      library_->Detach();
      std::fprintf(stderr,
                   "LptBridge: the port driver could neither be opened nor installed and started; "
                   "parallel ports are unavailable to this process\n");
    }
    ports = &process;
  }

  void ProcessEnding(platform::Process&) override {
    ports = &noPorts;
    if (loaded_) library_->Detach();
    library_.reset();
    loaded_ = false;
  }

  lptbridge::Library* Loaded() { return loaded_ ? library_.get() : nullptr; }

 private:
  std::unique_ptr<lptbridge::Library> library_;
  bool loaded_ = false;
};

ProcessBinding* binding = nullptr;

lptbridge::Library* Attached() { return binding ? binding->Loaded() : nullptr; }

__attribute__((constructor)) void ProcessAttach() {
  binding = new ProcessBinding;
  platform::AddObserver(*binding);
}

__attribute__((destructor)) void ProcessDetach() {
  platform::RemoveObserver(*binding);
  delete binding;
  binding = nullptr;
}

}  // namespace

extern "C" {

int32_t ClaimParallelPort(int32_t port, int32_t value) {
  auto* library = Attached();
  return library ? library->ClaimParallelPort(port, value) : 0;
}

int32_t ClaimParallelPortEx(uint32_t process, int32_t port, int32_t value) {
  auto* library = Attached();
  return library ? library->ClaimParallelPortEx(process, port, value) : 0;
}

int32_t EnableIOPortRange(uint32_t process, int32_t first, int32_t second) {
  auto* library = Attached();
  return library ? library->EnableIOPortRange(process, first, second) : 0;
}

int32_t GetParallelPortCount(void) {
  auto* library = Attached();
  return library ? library->GetParallelPortCount() : 0;
}

int32_t GetParallelPortInfo(int32_t port, ParallelPortInfo* record) {
  auto* library = Attached();
  return library ? library->GetParallelPortInfo(port, record) : 0;
}

int32_t ReleaseParallelPort(int32_t port) {
  auto* library = Attached();
  return library ? library->ReleaseParallelPort(port) : 0;
}

int32_t InByte(int32_t port) { return static_cast<int8_t>(ports->In8(static_cast<uint16_t>(port))); }
int32_t InWord(int32_t port) { return ports->In16(static_cast<uint16_t>(port)); }
int32_t InDWord(int32_t port) { return static_cast<int32_t>(ports->In32(static_cast<uint16_t>(port))); }
void OutByte(int32_t port, int32_t value) {
  ports->Out8(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
}
void OutWord(int32_t port, int32_t value) {
  ports->Out16(static_cast<uint16_t>(port), static_cast<uint16_t>(value));
}
void OutDWord(int32_t port, int32_t value) {
  ports->Out32(static_cast<uint16_t>(port), static_cast<uint32_t>(value));
}
}
