// The packet error code, platform detection and the wide-number routines.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>
#include <string_view>

#include "VirtualPc.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/RuntimeError.h"

namespace comport {
namespace {

namespace procedures = CommunicationsProcedures;

std::uint8_t Pec(std::string_view text) {
  return procedures::ComputePEC({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(PacketErrorCode, MatchesTheCrc8SmbusCheckValues) {
  EXPECT_EQ(Pec("123456789"), 0xF4);
  EXPECT_EQ(Pec("abc"), 0x5F);
  EXPECT_EQ(Pec(""), 0);
}

TEST(PlatformDetection, BuildTextAndVersionCode) {
  struct Row {
    const char* personality;
    const char* build;
    std::int16_t code;
  };
  for (const Row& row : {Row{"95", "950", 95}, Row{"98se", "2222", 98}, Row{"me", "3000", 0}, Row{"nt4", "1381", 400},
                         Row{"nt351", "1057", 351}, Row{"xp", "2600", 2000}}) {
    testing::VirtualPc pc(std::string("personality=") + row.personality);
    EXPECT_EQ(procedures::GetWindowsBuildText(), row.build) << row.personality;
    EXPECT_EQ(procedures::GetWindowsVersionCode(), row.code) << row.personality;
  }
}

TEST(WideArithmetic, SignedReinterpretation) {
  EXPECT_EQ(procedures::ToSigned32(4294967294.0), -2);
  EXPECT_EQ(procedures::ToSigned32(4294967295.0), -1);
  EXPECT_EQ(procedures::ToSigned32(2147483648.0), -2147483647 - 1);
  // Bit by bit, a fraction counts for nothing and bits above 30 are not looked at.
  EXPECT_EQ(procedures::ToSigned32(2147483647.5), -1);
  EXPECT_EQ(procedures::ToSigned32(4294967296.0 + 5), -2147483643);
  EXPECT_EQ(procedures::ToSigned32(65535), 65535);
  EXPECT_EQ(procedures::ToSigned32(2147483647.0), 2147483647);
  EXPECT_EQ(procedures::RoundToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(procedures::RoundToInt32(-2147483648.0), -2147483647 - 1);
  EXPECT_EQ(procedures::ToSigned32(2.5), 2);  // ties go to the even neighbour
  EXPECT_EQ(procedures::ToSigned32(-7), -7);
  try {
    procedures::ToSigned32(-3e9);
    FAIL() << "no overflow";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), 6);
    EXPECT_EQ(error.Description(), "Overflow");
  }
}

// Values the routines cannot hold as bit patterns end in the overflow error,
// never in a conversion whose result the language leaves undefined.
TEST(WideArithmetic, NanInfinitiesAndValuesPast2To64AreOverflows) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  const double two64 = std::ldexp(1.0, 64);
  const std::vector<std::pair<const char*, std::function<void()>>> calls{
      {"ToSigned32 NaN", [&] { procedures::ToSigned32(nan); }},
      {"ToSigned32 +inf", [&] { procedures::ToSigned32(inf); }},
      {"ToSigned32 -inf", [&] { procedures::ToSigned32(-inf); }},
      {"ToSigned32 2^64", [&] { procedures::ToSigned32(two64); }},
      {"ToSigned32 2^65", [&] { procedures::ToSigned32(2 * two64 + 8192); }},
      {"BitAndWide NaN", [&] { procedures::BitAndWide(nan, 1); }},
      {"BitAndWide inf", [&] { procedures::BitAndWide(1, inf); }},
      {"BitAndWide 2^200", [&] { procedures::BitAndWide(std::ldexp(1.0, 200), 1); }},
      {"BitOrWide NaN", [&] { procedures::BitOrWide(1, nan); }},
      {"BitOrWide -inf", [&] { procedures::BitOrWide(-inf, 1); }},
      {"BitOrWide -2^64", [&] { procedures::BitOrWide(-two64, 1); }},
  };
  for (const auto& [name, call] : calls) {
    try {
      call();
      ADD_FAILURE() << name << ": no overflow";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), RuntimeError::kOverflow) << name;
    }
  }
  // Just below the limit the routines still answer.
  EXPECT_EQ(procedures::ToSigned32(two64 - 2048), -2048);
  EXPECT_EQ(procedures::BitOrWide(two64 - 65536, 1), two64 - 65535);
}

TEST(WideArithmetic, AndAndOrOnWideValues) {
  const double two40 = std::ldexp(1.0, 40);
  EXPECT_EQ(procedures::BitAndWide(two40 + 255, two40 + 15), two40 + 15);
  EXPECT_EQ(procedures::BitAndWide(std::ldexp(1.0, 63) + std::ldexp(1.0, 50), std::ldexp(1.0, 50)),
            std::ldexp(1.0, 50));
  EXPECT_EQ(procedures::BitAndWide(0xFFFFFFFFu, 0x80000001u), 2147483649.0);
  EXPECT_EQ(procedures::BitOrWide(65536, 1), 65537);
  EXPECT_EQ(procedures::BitOrWide(0x80000000u, 0x12345678u), 2452903544.0);
}

}  // namespace
}  // namespace comport
