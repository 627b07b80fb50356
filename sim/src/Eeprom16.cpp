#include "sim/Eeprom16.h"

namespace sim {

namespace {
constexpr std::uint16_t kAddressMask = Eeprom16::kSize - 1;
constexpr std::uint16_t kPageMask = Eeprom16::kPageSize - 1;
}  // namespace

Eeprom16::Eeprom16() : memory_(kSize, 0xFF) {}

bool Eeprom16::Restore(std::span<const std::uint8_t> contents) {
  if (contents.size() != kSize) return false;
  memory_.assign(contents.begin(), contents.end());
  return true;
}

bool Eeprom16::Start(bool read) {
  page_.fill(std::nullopt);
  pagePending_ = false;
  addressBytes_ = read ? 0 : 2;
  return true;
}

bool Eeprom16::WriteByte(std::uint8_t value) {
  if (addressBytes_ == 2) {
    pointer_ = static_cast<std::uint16_t>((value << 8) & kAddressMask);
    --addressBytes_;
    return true;
  }
  if (addressBytes_ == 1) {
    pointer_ = static_cast<std::uint16_t>((pointer_ | value) & kAddressMask);
    --addressBytes_;
    return true;
  }
  if (!pagePending_) {
    pageBase_ = static_cast<std::uint16_t>(pointer_ & ~kPageMask);
    pagePending_ = true;
  }
  page_[pointer_ & kPageMask] = value;
  pointer_ = static_cast<std::uint16_t>(pageBase_ | ((pointer_ + 1) & kPageMask));
  return true;
}

std::uint8_t Eeprom16::ReadByte() {
  const std::uint8_t value = memory_[pointer_];
  pointer_ = static_cast<std::uint16_t>((pointer_ + 1) & kAddressMask);
  return value;
}

void Eeprom16::Stop() {
  if (pagePending_) {
    for (std::size_t i = 0; i < kPageSize; ++i)
      if (page_[i]) memory_[pageBase_ + i] = *page_[i];
  }
  page_.fill(std::nullopt);
  pagePending_ = false;
  addressBytes_ = 0;
}

}  // namespace sim
