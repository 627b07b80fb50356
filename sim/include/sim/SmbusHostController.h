#pragma once

#include <cstdint>

#include "sim/Chipset.h"
#include "sim/PortSpace.h"

namespace sim {

class Clock;
class PciFunction;
class SmbusBus;

// The SMBus protocols a host controller runs as one transaction.
enum class HostProtocol { Quick, Byte, ByteData, WordData, Unsupported };

// Both register layouts number the protocols alike (0 quick, 1 byte, 2 byte
// data, 3 word data); they differ only in where the code sits.
HostProtocol ProtocolFromCode(std::uint8_t code);

struct HostTransfer {
  HostProtocol protocol;
  std::uint8_t addressByte;  // 7-bit address shifted left, bit 0 set for a read
  std::uint8_t command;      // register code; the byte itself for a send byte
  std::uint8_t data0;
  std::uint8_t data1;
};

struct HostResult {
  bool supported;      // false: a protocol the controller model does not run
  bool completed;      // false: the device did not acknowledge (or the protocol is not supported)
  std::uint8_t data0;  // what a read brought back; unchanged otherwise
  std::uint8_t data1;
  std::uint64_t nanoseconds;  // the transfer's time on the wire
};

// Runs one whole transaction on `bus` in bus order, at 100 kHz. Not
// acknowledged address or command bytes end it with a stop condition.
HostResult RunHostTransfer(SmbusBus& bus, const HostTransfer& transfer);

// What the two register layouts share: the I/O range that follows the
// configuration registers (base and enable bits), and a transaction engine
// that is busy on the machine's clock for the transfer's time.
//
// Decisions and known differences from real hardware:
// - The registers are bytes, and wider accesses reach them as a chipset
//   splits them: a word read returns the addressed register and the one
//   above it, a word write puts its high byte into the register above (a
//   control word 0x0048 starts the transaction and then clears the command).
// - The transaction's effect on the devices happens when it starts; its
//   results (status flags, read data) appear once its time has passed.
// - The range is decoded only while every enable bit is set and the base is
//   not 0; ports another device already answers stay with that device.
// - With the stays-busy fault the controller ignores every start and shows
//   itself busy for good.
class SmbusHostController : public PortDevice {
 public:
  static constexpr std::uint16_t kPortCount = 16;

  SmbusHostController(const Clock& clock, PortSpace& ports, PciFunction& configuration, const ChipsetModel& model,
                      SmbusBus& bus, bool staysBusy);
  ~SmbusHostController() override;

  SmbusHostController(const SmbusHostController&) = delete;
  SmbusHostController& operator=(const SmbusHostController&) = delete;

  // The decoded I/O base; 0 while the range is not decoded.
  std::uint16_t IoBase() const { return mappedBase_; }
  std::uint64_t Transactions() const { return transactions_; }

  std::uint8_t Read8(std::uint16_t port) final;
  void Write8(std::uint16_t port, std::uint8_t value) final;

 protected:
  virtual std::uint8_t ReadRegister(std::uint8_t offset) = 0;
  virtual void WriteRegister(std::uint8_t offset, std::uint8_t value) = 0;
  // The transaction has run its time.
  virtual void Finished(const HostResult& result) = 0;

  // Starts a transaction unless one runs (or the controller is stuck busy).
  void Begin(const HostTransfer& transfer);
  bool Busy() const { return busy_ || staysBusy_; }

 private:
  void CatchUp();
  void FollowConfiguration();
  void Unmap();

  const Clock& clock_;
  PortSpace& ports_;
  PciFunction& configuration_;
  const ChipsetModel& model_;
  SmbusBus& bus_;
  bool staysBusy_;
  std::uint16_t mappedBase_ = 0;
  bool busy_ = false;
  std::uint64_t doneAt_ = 0;
  HostResult pending_{};
  std::uint64_t transactions_ = 0;
};

}  // namespace sim
