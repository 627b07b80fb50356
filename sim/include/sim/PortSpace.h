#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace sim {

// Something that answers I/O port accesses. Wider accesses default to byte
// accesses in little-endian order, as an 8-bit ISA device sees them.
class PortDevice {
 public:
  virtual ~PortDevice() = default;
  virtual std::uint8_t Read8(std::uint16_t port) = 0;
  virtual void Write8(std::uint16_t port, std::uint8_t value) = 0;
  virtual std::uint16_t Read16(std::uint16_t port);
  virtual void Write16(std::uint16_t port, std::uint16_t value);
  virtual std::uint32_t Read32(std::uint16_t port);
  virtual void Write32(std::uint16_t port, std::uint32_t value);
};

struct PortAccess {
  enum class Direction { In, Out };
  Direction direction;
  std::uint8_t width;  // 8, 16 or 32
  std::uint16_t port;
  std::uint32_t value;
};

// Sees every access of the machine's port space (a logic analyser on the bus).
class PortObserver {
 public:
  virtual ~PortObserver() = default;
  virtual void Accessed(const PortAccess& access) = 0;
};

// The 64 KiB I/O space. Unclaimed ports read all ones, as a floating ISA bus.
class PortSpace {
 public:
  PortSpace();

  void Map(std::uint16_t first, std::uint16_t count, PortDevice& device);
  void Unmap(std::uint16_t first, std::uint16_t count);
  PortDevice* DeviceAt(std::uint16_t port) const { return devices_[port]; }

  std::uint8_t Read8(std::uint16_t port);
  std::uint16_t Read16(std::uint16_t port);
  std::uint32_t Read32(std::uint16_t port);
  void Write8(std::uint16_t port, std::uint8_t value);
  void Write16(std::uint16_t port, std::uint16_t value);
  void Write32(std::uint16_t port, std::uint32_t value);

  // At most one observer; null removes it.
  void SetObserver(PortObserver* observer) { observer_ = observer; }

 private:
  void Notify(PortAccess::Direction direction, std::uint8_t width, std::uint16_t port, std::uint32_t value) {
    if (observer_) observer_->Accessed({direction, width, port, value});
  }

  std::vector<PortDevice*> devices_;
  PortObserver* observer_ = nullptr;
};

}  // namespace sim
