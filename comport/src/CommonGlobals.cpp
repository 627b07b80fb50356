#include "comport/CommonGlobals.h"

#include <memory>

#include "platform/Current.h"

namespace comport::CommonGlobals {

namespace {

// Follows the platform's current process: the component's module-level state
// lives as long as the process it belongs to.
class ProcessState : public platform::ProcessObserver {
 public:
  ProcessState() { platform::AddObserver(*this); }
  ~ProcessState() override { platform::RemoveObserver(*this); }

  void ProcessStarted(platform::Process&) override { Reset(std::make_unique<Globals>()); }
  void ProcessEnding(platform::Process&) override { Reset(nullptr); }

  Globals& Get() {
    // Only between the end of one process and the start of the next is there
    // none; a call from there gets a fresh set rather than a crash.
    if (!globals_) Reset(std::make_unique<Globals>());
    return *globals_;
  }

 private:
  void Reset(std::unique_ptr<Globals> globals) {
    globals_ = std::move(globals);
    detail::current = globals_.get();
  }

  std::unique_ptr<Globals> globals_;
};

}  // namespace

namespace detail {

Globals* current = nullptr;

Globals& StartState() {
  static ProcessState state;
  return state.Get();
}

}  // namespace detail

}  // namespace comport::CommonGlobals
