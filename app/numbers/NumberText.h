#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers as users type them into the program's boxes and qtsctl's
// arguments: one lenient reader for all of them, and the integer
// conversions and hexadecimal text the windows show. Nothing here knows Qt.
//
// The reader works as the original platform's number parser: blanks, tabs
// and line feeds are skipped wherever they stand; it reads as far as the
// text can continue a number and ignores the rest, so "1A" reads 1 and an
// empty text 0. A decimal number has an optional sign, digits with at most
// one decimal point, and an optional exponent marked E or D ("1E2" and "1D2"
// are 100). "&H" starts hexadecimal digits and "&O" octal digits.
//
// Failures throw comport::RuntimeError with the runtime's numbers: 6
// "Overflow" for a value beyond the target's range, 13 "Type mismatch" for
// text that is not a number as a whole where one is required.
namespace numbers {

struct LenientNumber {
  double value = 0;
  // True when the number reached the end of the text (blanks aside) and held
  // at least one digit: "12", " 1E2 ", "&HFF" are whole; "1A", "", "&H" not.
  bool whole = false;
};

// How hexadecimal and octal digits become a value. As the platform does:
// up to 0xFFFF taken as a signed 16-bit number (FFFF is -1), up to
// 0xFFFFFFFF as a signed 32-bit number, beyond that an overflow. Or as the
// plain unsigned value, for addresses typed on a command line.
enum class RadixSign { Platform, Unsigned };

// The lenient reader. Throws Overflow when the value does not fit a double
// or (hexadecimal and octal) the platform's 32 bits.
LenientNumber ReadNumber(std::string_view text, RadixSign sign = RadixSign::Platform);

// The text read as hexadecimal digits, as if "&H" stood before it.
LenientNumber ReadHexDigits(std::string_view digits, RadixSign sign = RadixSign::Platform);

// A number as a command-line argument gives it: decimal (the lenient
// reader's syntax), or hexadecimal digits after 0x; held to the whole text,
// and blanks, which the reader would skip, are refused. Empty when the text
// is not such a number; a value too large for the reader reads as infinity.
std::optional<double> ReadArgumentNumber(std::string_view text);

// The value the lenient reader gives (the platform's Val).
double Val(std::string_view text);

// The whole text as a number, or Type mismatch (the platform's strict
// conversion of text to a number).
double ToNumber(std::string_view text);

// A number to an integer of the given width: nearest integer, ties to even;
// Overflow when it does not fit.
std::int32_t ToLong(double value);
std::int16_t ToInteger(double value);
std::uint8_t ToByte(double value);

// Upper-case hexadecimal digits without prefix or leading zeros, of the
// value's two's-complement form in its own width: Hex(std::int16_t{-1}) is
// "FFFF", Hex(-1) "FFFFFFFF", Hex(254) "FE".
std::string Hex(std::int16_t value);
std::string Hex(std::int32_t value);

}  // namespace numbers
