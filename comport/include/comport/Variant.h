#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "comport/RuntimeError.h"

namespace comport {

// The tagged value through which block data crosses the interface. It is
// either Empty or an array of 16-bit elements indexed from 0; the component
// uses no other kinds.
class Variant {
 public:
  Variant() = default;
  explicit Variant(std::vector<std::int16_t> array) : array_(std::move(array)) {}

  bool IsEmpty() const { return !array_; }
  bool IsArray() const { return array_.has_value(); }

  // The array; a Variant that holds none is a type mismatch.
  const std::vector<std::int16_t>& Array() const {
    if (!array_) throw RuntimeError::TypeMismatch();
    return *array_;
  }

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::optional<std::vector<std::int16_t>> array_;
};

}  // namespace comport
