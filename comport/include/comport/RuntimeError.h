#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace comport {

// A failure the component's callers see as a run-time error with a number
// and a text, as a caller of the original component does (for example a
// value that does not fit the integer a method converts it to).
class RuntimeError : public std::runtime_error {
 public:
  static constexpr std::int16_t kOverflow = 6;
  static constexpr std::int16_t kSubscriptOutOfRange = 9;
  static constexpr std::int16_t kTypeMismatch = 13;

  RuntimeError(std::int16_t number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  static RuntimeError Overflow() { return {kOverflow, "Overflow"}; }
  static RuntimeError SubscriptOutOfRange() { return {kSubscriptOutOfRange, "Subscript out of range"}; }
  static RuntimeError TypeMismatch() { return {kTypeMismatch, "Type mismatch"}; }

  std::int16_t Number() const { return number_; }
  std::string Description() const { return what(); }

 private:
  std::int16_t number_;
};

}  // namespace comport
