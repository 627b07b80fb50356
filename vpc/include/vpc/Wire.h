#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vpc/Protocol.h"

namespace vpc {

// A message that breaks the protocol: too short, too long, or unknown.
class ProtocolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends frames to a buffer: Begin, the fields, End.
class FrameWriter {
 public:
  explicit FrameWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  FrameWriter& Begin() {
    start_ = out_.size();
    Raw(std::uint32_t{0});
    return *this;
  }
  FrameWriter& Begin(Op op) { return Begin().U8(static_cast<std::uint8_t>(op)); }
  // Fills in the length of the frame begun last.
  void End() {
    const auto length = static_cast<std::uint32_t>(out_.size() - start_ - sizeof(std::uint32_t));
    std::memcpy(out_.data() + start_, &length, sizeof length);
  }

  FrameWriter& U8(std::uint8_t value) { return Raw(value); }
  FrameWriter& U16(std::uint16_t value) { return Raw(value); }
  FrameWriter& U32(std::uint32_t value) { return Raw(value); }
  FrameWriter& I32(std::int32_t value) { return Raw(value); }
  FrameWriter& U64(std::uint64_t value) { return Raw(value); }
  FrameWriter& I64(std::int64_t value) { return Raw(value); }
  FrameWriter& F64(double value) { return Raw(value); }
  FrameWriter& Bytes(std::span<const std::uint8_t> bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  FrameWriter& Text(std::string_view text) {
    return Bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }

 private:
  template <typename T>
  FrameWriter& Raw(T value) {
    const auto at = out_.size();
    out_.resize(at + sizeof value);
    std::memcpy(out_.data() + at, &value, sizeof value);
    return *this;
  }

  std::vector<std::uint8_t>& out_;
  std::size_t start_ = 0;
};

// Reads the fields of one frame; reading past its end is a ProtocolError.
class FrameReader {
 public:
  explicit FrameReader(std::span<const std::uint8_t> frame) : rest_(frame) {}

  std::uint8_t U8() { return Raw<std::uint8_t>(); }
  std::uint16_t U16() { return Raw<std::uint16_t>(); }
  std::uint32_t U32() { return Raw<std::uint32_t>(); }
  std::int32_t I32() { return Raw<std::int32_t>(); }
  std::uint64_t U64() { return Raw<std::uint64_t>(); }
  std::int64_t I64() { return Raw<std::int64_t>(); }
  double F64() { return Raw<double>(); }
  std::span<const std::uint8_t> Bytes(std::uint32_t limit = kMaxBufferBytes) {
    const std::uint32_t size = U32();
    if (size > limit || size > rest_.size()) throw ProtocolError("a field is longer than its frame allows");
    auto bytes = rest_.first(size);
    rest_ = rest_.subspan(size);
    return bytes;
  }
  std::string Text() {
    auto bytes = Bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
  }
  bool AtEnd() const { return rest_.empty(); }
  std::span<const std::uint8_t> Rest() const { return rest_; }

 private:
  template <typename T>
  T Raw() {
    T value;
    if (rest_.size() < sizeof value) throw ProtocolError("a frame ends too early");
    std::memcpy(&value, rest_.data(), sizeof value);
    rest_ = rest_.subspan(sizeof value);
    return value;
  }

  std::span<const std::uint8_t> rest_;
};

// Takes the next whole frame of `buffer` from `offset` on and moves the
// offset past it: the frame's bytes without their length, or nothing while
// the frame is not complete. A length beyond `limit` is a ProtocolError.
inline std::optional<std::span<const std::uint8_t>> NextFrame(const std::vector<std::uint8_t>& buffer,
                                                              std::size_t& offset,
                                                              std::uint32_t limit = kMaxFrameBytes) {
  if (buffer.size() - offset < sizeof(std::uint32_t)) return std::nullopt;
  std::uint32_t length = 0;
  std::memcpy(&length, buffer.data() + offset, sizeof length);
  if (length > limit) throw ProtocolError("a frame is longer than any message");
  if (buffer.size() - offset - sizeof length < length) return std::nullopt;
  std::span<const std::uint8_t> frame(buffer.data() + offset + sizeof length, length);
  offset += sizeof length + length;
  return frame;
}

}  // namespace vpc
