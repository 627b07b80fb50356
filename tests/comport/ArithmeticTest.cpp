// The packet error code, platform detection and the wide-number routines.
#include <gtest/gtest.h>

#include <cmath>
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
  EXPECT_EQ(procedures::ToSigned32(36893488147419103232.0 + 8192), -2147475456);  // 2^65: the wide slices
  EXPECT_EQ(procedures::ToSigned32(65535), 65535);
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
