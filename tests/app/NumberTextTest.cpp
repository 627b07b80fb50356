// The lenient number reader and the integer conversions the windows and
// qtsctl share.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <string>

#include "comport/RuntimeError.h"
#include "numbers/NumberText.h"

namespace {

using comport::RuntimeError;
using numbers::RadixSign;

struct ReadCase {
  const char* text;
  double value;
  bool whole;
};

// Names the case by its text, so test lists stay readable and the same from
// build to build (the default prints the struct's bytes, pointer included).
void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << "text \"";
  for (const char* p = c.text; *p; ++p) {
    if (*p == '\t') *os << "\\t";
    else if (*p == '\n') *os << "\\n";
    else *os << *p;
  }
  *os << '"';
}

class LenientReading : public testing::TestWithParam<ReadCase> {};

TEST_P(LenientReading, ReadsAsFarAsTheNumberGoes) {
  const ReadCase& c = GetParam();
  const numbers::LenientNumber number = numbers::ReadNumber(c.text);
  EXPECT_EQ(number.value, c.value) << '"' << c.text << '"';
  EXPECT_EQ(number.whole, c.whole) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, LenientReading,
                         testing::Values(ReadCase{"", 0, false}, ReadCase{"12", 12, true},
                                         ReadCase{"1A", 1, false}, ReadCase{"A1", 0, false},
                                         ReadCase{"1E2", 100, true}, ReadCase{"1d2", 100, true},
                                         ReadCase{"1E", 1, false}, ReadCase{"1E+", 1, false},
                                         ReadCase{"2.5e-1", 0.25, true}, ReadCase{" 1 2\t3\n", 123, true},
                                         ReadCase{"-5", -5, true}, ReadCase{"+.5", 0.5, true},
                                         ReadCase{"1.2.3", 1.2, false}, ReadCase{".", 0, false},
                                         ReadCase{"-", 0, false}, ReadCase{"1,000", 1, false},
                                         ReadCase{"1E-400", 0, true}, ReadCase{"&HFF", 255, true},
                                         ReadCase{"&hff", 255, true}, ReadCase{"&H", 0, false},
                                         ReadCase{"&HFFFF", -1, true}, ReadCase{"&H8000", -32768, true},
                                         ReadCase{"&H0FFFF", -1, true}, ReadCase{"&H10000", 65536, true},
                                         ReadCase{"&HFFFFFFFF", -1, true}, ReadCase{"&H1FG", 31, false},
                                         ReadCase{"&O17", 15, true}, ReadCase{"&X1", 0, false}));

TEST(LenientReading, HexDigitsAndTheUnsignedReading) {
  EXPECT_EQ(numbers::ReadHexDigits("1ff").value, 0x1FF);
  EXPECT_EQ(numbers::ReadHexDigits("").value, 0);
  EXPECT_FALSE(numbers::ReadHexDigits("").whole);
  EXPECT_EQ(numbers::ReadHexDigits("FFFF").value, -1);
  EXPECT_EQ(numbers::ReadHexDigits("FFFF", RadixSign::Unsigned).value, 0xFFFF);
  EXPECT_EQ(numbers::ReadNumber("&HBC00", RadixSign::Unsigned).value, 0xBC00);
}

TEST(LenientReading, ValuesBeyondRangeAreOverflows) {
  for (const char* text : {"1E400", "-1E309", "&H100000000", "&O77777777777"}) {
    try {
      numbers::Val(text);
      ADD_FAILURE() << text << " read without an error";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), RuntimeError::kOverflow) << text;
    }
  }
}

TEST(StrictConversion, TextThatIsNotANumberAsAWholeIsATypeMismatch) {
  EXPECT_EQ(numbers::ToNumber(" 1E2 "), 100);
  for (const char* text : {"1A", "", "  ", "&H"}) {
    try {
      numbers::ToNumber(text);
      ADD_FAILURE() << '"' << text << "\" converted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), RuntimeError::kTypeMismatch) << text;
    }
  }
}

TEST(IntegerConversion, RoundsTiesToEvenAndChecksTheWidth) {
  EXPECT_EQ(numbers::ToLong(2.5), 2);
  EXPECT_EQ(numbers::ToLong(3.5), 4);
  EXPECT_EQ(numbers::ToLong(-2.5), -2);
  EXPECT_EQ(numbers::ToInteger(40.5), 40);
  EXPECT_EQ(numbers::ToInteger(41.5), 42);
  EXPECT_EQ(numbers::ToByte(255.4), 255);
  EXPECT_EQ(numbers::ToByte(-0.5), 0);
  EXPECT_THROW(numbers::ToByte(255.5), RuntimeError);
  EXPECT_THROW(numbers::ToByte(-1), RuntimeError);
  EXPECT_THROW(numbers::ToInteger(32767.5), RuntimeError);
  EXPECT_THROW(numbers::ToLong(2147483647.5), RuntimeError);
  EXPECT_THROW(numbers::ToLong(NAN), RuntimeError);
  EXPECT_THROW(numbers::ToLong(INFINITY), RuntimeError);
}

TEST(HexText, TwosComplementInTheValuesOwnWidth) {
  EXPECT_EQ(numbers::Hex(std::int16_t{-1}), "FFFF");
  EXPECT_EQ(numbers::Hex(std::int32_t{-1}), "FFFFFFFF");
  EXPECT_EQ(numbers::Hex(0xFE), "FE");
  EXPECT_EQ(numbers::Hex(0), "0");
}

// Whatever is typed or pasted: the reader ends with a value or one of the
// runtime's errors, never a crash or undefined behaviour (the sanitizer
// build runs this too), and it agrees with itself.
TEST(LenientReading, AnyTextEndsInAValueOrARuntimeError) {
  const std::string alphabet = "0123456789+-.eEdDhHoO&xAFaf \t\n\x01\xff";
  std::mt19937 random(20261207);
  for (int round = 0; round < 200'000; ++round) {
    std::string text(random() % 24, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    if (round % 1000 == 0) text.assign(random() % 4000, '9');
    try {
      const numbers::LenientNumber number = numbers::ReadNumber(text);
      ASSERT_TRUE(std::isfinite(number.value)) << text;
      ASSERT_EQ(numbers::Val(text), number.value);
      if (number.whole) {
        ASSERT_EQ(numbers::ToNumber(text), number.value);
      }
    } catch (const RuntimeError& error) {
      ASSERT_TRUE(error.Number() == RuntimeError::kOverflow || error.Number() == RuntimeError::kTypeMismatch);
    }
    // The hexadecimal boxes read their text as if "&H" stood before it.
    double hexDigits = 0;
    double prefixed = 0;
    try {
      hexDigits = numbers::ReadHexDigits(text).value;
    } catch (const RuntimeError& error) {
      ASSERT_EQ(error.Number(), RuntimeError::kOverflow) << text;
      hexDigits = NAN;
    }
    try {
      prefixed = numbers::ReadNumber("&H" + text).value;
    } catch (const RuntimeError&) {
      prefixed = NAN;
    }
    ASSERT_TRUE(hexDigits == prefixed || (std::isnan(hexDigits) && std::isnan(prefixed))) << text;
  }
}

}  // namespace
