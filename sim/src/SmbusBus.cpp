#include "sim/SmbusBus.h"

namespace sim {

void SmbusBus::Attach(std::uint8_t address, SmbusDevice& device) { devices_[address & 0x7F] = &device; }

void SmbusBus::Detach(std::uint8_t address) {
  if (active_ == devices_[address & 0x7F]) active_ = nullptr;
  devices_[address & 0x7F] = nullptr;
}

void SmbusBus::SetNeverAcknowledges(std::uint8_t address, bool never) { neverAcknowledges_[address & 0x7F] = never; }

void SmbusBus::SetRefusesReads(std::uint8_t address, bool refuses) { refusesReads_[address & 0x7F] = refuses; }

bool SmbusBus::Start(std::uint8_t address, bool read) {
  address &= 0x7F;
  const bool silent = neverAcknowledges_[address] || (read && refusesReads_[address]);
  SmbusDevice* next = silent ? nullptr : devices_[address];
  if (active_ && active_ != next) active_->Stop();
  active_ = nullptr;
  if (!next || !next->Start(read)) return false;
  active_ = next;
  return true;
}

bool SmbusBus::WriteByte(std::uint8_t value) { return active_ && active_->WriteByte(value); }

std::uint8_t SmbusBus::ReadByte() { return active_ ? active_->ReadByte() : 0xFF; }

void SmbusBus::Stop() {
  if (active_) active_->Stop();
  active_ = nullptr;
}

}  // namespace sim
