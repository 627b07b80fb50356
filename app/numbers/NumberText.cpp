#include "numbers/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "comport/RuntimeError.h"

namespace numbers {

namespace {

using comport::RuntimeError;

constexpr std::uint64_t kMaxRadixValue = 0xFFFF'FFFF;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Walks the text's characters with the blanks left out, as the platform's
// reader sees them.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) { SkipBlanks(); }

  bool AtEnd() const { return position_ == text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[position_]; }
  char Take() {
    const char c = Peek();
    ++position_;
    SkipBlanks();
    return c;
  }
  // The character after the next one, blanks left out.
  char PeekSecond() const {
    Cursor ahead = *this;
    if (ahead.AtEnd()) return '\0';
    ahead.Take();
    return ahead.Peek();
  }

 private:
  void SkipBlanks() {
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
  }

  std::string_view text_;
  std::size_t position_ = 0;
};

int DigitValue(char c, int radix) {
  int value = radix;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < radix ? value : -1;
}

double RadixValue(std::uint64_t magnitude, RadixSign sign) {
  if (sign == RadixSign::Unsigned) return static_cast<double>(magnitude);
  if (magnitude <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(magnitude));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
}

LenientNumber ReadRadixDigits(Cursor& cursor, int radix, RadixSign sign) {
  std::uint64_t magnitude = 0;
  bool anyDigit = false;
  for (int digit; (digit = DigitValue(cursor.Peek(), radix)) >= 0; cursor.Take()) {
    magnitude = magnitude * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
    if (magnitude > kMaxRadixValue) throw RuntimeError::Overflow();
    anyDigit = true;
  }
  return {RadixValue(magnitude, sign), anyDigit && cursor.AtEnd()};
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

bool IsExponentMark(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

LenientNumber ReadDecimal(Cursor& cursor) {
  // The number is copied without blanks into the form from_chars reads.
  std::string normal;
  if (cursor.Peek() == '+' || cursor.Peek() == '-') {
    if (cursor.Take() == '-') normal += '-';
  }
  bool anyDigit = false;
  bool point = false;
  // Decimal exponent of the leading digit, to tell an overflow from an
  // underflow when the value is out of range.
  long magnitudeDigits = 0;
  bool nonZero = false;
  for (;;) {
    const char c = cursor.Peek();
    if (IsDecimalDigit(c)) {
      anyDigit = true;
      if (c != '0') nonZero = true;
      if (!point && nonZero) ++magnitudeDigits;
      if (point && !nonZero) --magnitudeDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    normal += cursor.Take();
  }
  if (!anyDigit) return {0, false};
  long exponent = 0;
  if (IsExponentMark(cursor.Peek())) {
    const char second = cursor.PeekSecond();
    Cursor signAhead = cursor;
    signAhead.Take();
    if (second == '+' || second == '-') signAhead.Take();
    if (IsDecimalDigit(signAhead.Peek())) {
      cursor = signAhead;
      normal += 'e';
      if (second == '-') normal += '-';
      while (IsDecimalDigit(cursor.Peek())) {
        const char digit = cursor.Take();
        normal += digit;
        // Enough to tell an overflow from an underflow; from_chars reads the rest.
        if (exponent < 100'000) exponent = exponent * 10 + (digit - '0');
      }
      if (second == '-') exponent = -exponent;
    }
  }
  double value = 0;
  const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small to hold reads as zero; too large is an overflow.
    if (nonZero && magnitudeDigits + exponent > 0) throw RuntimeError::Overflow();
    value = 0;
  } else if (result.ec != std::errc{}) {
    value = 0;
  }
  if (!std::isfinite(value)) throw RuntimeError::Overflow();
  return {value, cursor.AtEnd()};
}

}  // namespace

LenientNumber ReadNumber(std::string_view text, RadixSign sign) {
  Cursor cursor(text);
  if (cursor.Peek() != '&') return ReadDecimal(cursor);
  cursor.Take();
  const char radix = cursor.Peek();
  if (radix == 'H' || radix == 'h') {
    cursor.Take();
    return ReadRadixDigits(cursor, 16, sign);
  }
  if (radix == 'O' || radix == 'o') {
    cursor.Take();
    return ReadRadixDigits(cursor, 8, sign);
  }
  return {0, false};
}

LenientNumber ReadHexDigits(std::string_view digits, RadixSign sign) {
  Cursor cursor(digits);
  return ReadRadixDigits(cursor, 16, sign);
}

std::optional<double> ReadArgumentNumber(std::string_view text) {
  if (text.find_first_of(" \t\n") != std::string_view::npos) return std::nullopt;
  try {
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const LenientNumber number =
        hex ? ReadHexDigits(text.substr(2), RadixSign::Unsigned) : ReadNumber(text, RadixSign::Unsigned);
    if (!number.whole) return std::nullopt;
    return number.value;
  } catch (const RuntimeError&) {
    return HUGE_VAL;
  }
}

double Val(std::string_view text) { return ReadNumber(text).value; }

double ToNumber(std::string_view text) {
  const LenientNumber number = ReadNumber(text);
  if (!number.whole) throw RuntimeError::TypeMismatch();
  return number.value;
}

std::int32_t ToLong(double value) {
  // The default rounding mode rounds to nearest with ties to even.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
    throw RuntimeError::Overflow();
  return static_cast<std::int32_t>(rounded);
}

std::int16_t ToInteger(double value) {
  const std::int32_t whole = ToLong(value);
  if (whole < std::numeric_limits<std::int16_t>::min() || whole > std::numeric_limits<std::int16_t>::max())
    throw RuntimeError::Overflow();
  return static_cast<std::int16_t>(whole);
}

std::uint8_t ToByte(double value) {
  const std::int32_t whole = ToLong(value);
  if (whole < 0 || whole > 0xFF) throw RuntimeError::Overflow();
  return static_cast<std::uint8_t>(whole);
}

std::string Hex(std::int16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(static_cast<std::uint16_t>(value)));
  return text;
}

std::string Hex(std::int32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
  return text;
}

}  // namespace numbers
