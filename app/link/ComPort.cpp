// The component object and the per-run life of the link variables.
#include <memory>

#include "link/LinkNewComPort.h"
#include "platform/Current.h"

namespace LinkNewComPort {

namespace {

// Holds ComPort for the current process. It starts observing only once the
// component exists, so that its end-of-process notice comes before the
// component's own per-process state goes away.
class ComPortHolder : public platform::ProcessObserver {
 public:
  comport::KORComPort& Get() {
    if (!comPort_) {
      comPort_ = std::make_unique<comport::KORComPort>();
      if (!observing_) {
        observing_ = true;
        platform::AddObserver(*this);
      }
    }
    return *comPort_;
  }

  void ProcessStarted(platform::Process&) override {}

  void ProcessEnding(platform::Process&) override {
    comPort_.reset();
    UsePrinterPort = 0;
    I2cAdapter = -1;
    PrinterPortAddress = 0;
    CurrentDeviceAddress = 0;
    RegisterPointer = 0;
    ReadValue = 0;
    WriteValue = 0;
  }

 private:
  std::unique_ptr<comport::KORComPort> comPort_;
  bool observing_ = false;
};

ComPortHolder& Holder() {
  // Never destroyed: the component's per-process state is a static of its
  // library and may be gone by the time static destructors reach this one.
  // The object lives until the program ends, as the component expects.
  static auto* holder = new ComPortHolder;
  return *holder;
}

}  // namespace

comport::KORComPort& ComPort() { return Holder().Get(); }

}  // namespace LinkNewComPort
