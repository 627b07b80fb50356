// The register map held against the chip's documented register table, typed
// in here independently of the map's own table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registers/RegisterMap.h"

namespace {

using registers::BitNameSet;

struct Documented {
  int code;
  const char* name;
  bool writable;
};

// Every code the chip answers, read and write codes alike, with its name.
const std::vector<Documented> kDocumented = {
    {0x00, "Local Temperature", false},
    {0x01, "Remote Temperature", false},
    {0x02, "Status", false},
    {0x03, "Configuration", true},
    {0x04, "Conversion Rate", true},
    {0x05, "Local Temp. High Limit", true},
    {0x06, "Local Temp. Low Limit", true},
    {0x07, "Remote Temp. High Limit", true},
    {0x08, "Remote Temp. Low Limit", true},
    {0x09, "Configuration", true},
    {0x0A, "Conversion Rate", true},
    {0x0B, "Local Temp. High Limit", true},
    {0x0C, "Local Temp. Low Limit", true},
    {0x0D, "Remote Temp. High Limit", true},
    {0x0E, "Remote Temp. Low Limit", true},
    {0x0F, "One-Shot", true},
    {0x10, "Remote Temperature Value (Low Byte)", false},
    {0x11, "Remote Temperature Offset (High Byte)", true},
    {0x12, "Remote Temperature Offset (Low Byte)", true},
    {0x13, "Remote Temperature High Limit (Low Byte)", true},
    {0x14, "Remote Temperature Low Limit (Low Byte)", true},
    {0xFE, "Manufacturers ID", false},
    {0xFF, "Die Revision Code", false},
};

std::vector<std::string> AllNames(BitNameSet set) {
  std::vector<std::string> out;
  const auto& names = registers::BitNames(set);
  for (int bit = 7; bit >= 0; --bit) out.emplace_back(names[static_cast<std::size_t>(bit)]);
  return out;
}

TEST(RegisterMap, NamesAndWritabilityOfEveryDocumentedCode) {
  for (const Documented& d : kDocumented) {
    SCOPED_TRACE(d.code);
    ASSERT_TRUE(registers::RegisterName(d.code).has_value());
    EXPECT_EQ(*registers::RegisterName(d.code), d.name);
    EXPECT_EQ(registers::IsWritable(d.code), d.writable);
  }
}

TEST(RegisterMap, CodesWithoutANameGiveNothing) {
  for (const int code : {0x15, 0x16, 0x19, 0x27, 0x80, 0xFD, 0x100, -1}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(registers::RegisterName(code).has_value());
  }
  // The local fraction byte is read by the monitoring loop but has no name.
  EXPECT_NE(registers::FindRegister(0x19), nullptr);
  EXPECT_FALSE(registers::IsWritable(0x19));
}

TEST(RegisterMap, BitNameSetsAsDocumented) {
  EXPECT_EQ(AllNames(BitNameSet::Generic),
            (std::vector<std::string>{"Bit 7", "Bit 6", "Bit 5", "Bit 4", "Bit 3", "Bit 2", "Bit 1", "Bit 0"}));
  EXPECT_EQ(AllNames(BitNameSet::Status),
            (std::vector<std::string>{"ADC On", "Local High", "Local Low", "Remote High", "Remote Low",
                                      "Rem Sen oc", "Reserved", "Reserved"}));
  EXPECT_EQ(AllNames(BitNameSet::ConfigurationRead),
            (std::vector<std::string>{"ALERT", "Op. Mode", "Unused", "Unused", "Unused", "Unused", "Unused",
                                      "Unused"}));
  EXPECT_EQ(AllNames(BitNameSet::ConfigurationWrite),
            (std::vector<std::string>{"ALERT", "Run/Stop", "Unused", "Unused", "Unused", "Unused", "Unused",
                                      "Unused"}));
  EXPECT_EQ(AllNames(BitNameSet::ConversionRate),
            (std::vector<std::string>{"Unused", "Unused", "Unused", "Unused", "Bit 3", "Bit 2", "Bit 1",
                                      "Bit 0"}));
}

TEST(RegisterMap, WhichCodeSelectsWhichBitNames) {
  for (const int code : {0x00, 0x01, 0x05, 0x06, 0x07, 0x08, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x27, 0xFE, 0xFF}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(registers::BitNameSetFor(code), BitNameSet::Generic);
  }
  EXPECT_EQ(registers::BitNameSetFor(0x02), BitNameSet::Status);
  // The same register shows "Op. Mode" at its read code and "Run/Stop" at its write code.
  EXPECT_EQ(registers::BitNameSetFor(0x03), BitNameSet::ConfigurationRead);
  EXPECT_EQ(registers::BitNameSetFor(0x09), BitNameSet::ConfigurationWrite);
  EXPECT_EQ(registers::BitNameSetFor(0x04), BitNameSet::ConversionRate);
  EXPECT_EQ(registers::BitNameSetFor(0x0A), BitNameSet::ConversionRate);
  // The extended registers and unknown codes keep whatever the digits showed.
  for (const int code : {0x10, 0x11, 0x12, 0x13, 0x14, 0x19, 0x15, 0x80, 0x100}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(registers::BitNameSetFor(code).has_value());
  }
}

TEST(RegisterMap, ReadAndWriteCodesMapBothWays) {
  for (int read = 0x03; read <= 0x08; ++read) {
    EXPECT_EQ(registers::ToWriteCode(read), read + 6);
    EXPECT_EQ(registers::ToReadCode(read + 6), read);
  }
  for (const int code : {0x00, 0x01, 0x02, 0x0F, 0x10, 0x14, 0xFE, 0xFF}) {
    EXPECT_EQ(registers::ToWriteCode(code), code);
    EXPECT_EQ(registers::ToReadCode(code), code);
  }
  EXPECT_EQ(registers::ToReadCode(0x03), 0x03);
  EXPECT_EQ(registers::ToWriteCode(0x09), 0x09);
}

TEST(RegisterMap, ConversionRateLabels) {
  const auto& labels = registers::ConversionRateLabels();
  const std::vector<std::string> documented{"0.0625", "0.125", "0.25", "0.5", "  1", "  2", "  4", "  8"};
  EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.end()), documented);
  EXPECT_EQ(registers::kConversionRateHeading, "ADC Sampling");
}

TEST(RegisterMap, BitsAndFixedValues) {
  EXPECT_EQ(registers::kStatusLimitFlags, 0x78);
  EXPECT_EQ(registers::kStatusRemoteOpen, 0x04);
  EXPECT_EQ(registers::kConfigStandby, 0x40);
  EXPECT_EQ(registers::kConfigAlertMask, 0x80);
  EXPECT_EQ(registers::kOneShotStart, 0xFF);
  EXPECT_EQ(registers::kAlertResponseAddressByte, (registers::kAlertResponseAddress << 1) | 1);
  EXPECT_EQ(registers::kAlertResponseAddressByte, 0x19);
}

TEST(RegisterMap, TemperatureFractionUsesBitsSevenToFive) {
  EXPECT_DOUBLE_EQ(registers::TemperatureFraction(0xFF), 0.875);
  EXPECT_DOUBLE_EQ(registers::TemperatureFraction(0x1F), 0.0);
  EXPECT_DOUBLE_EQ(registers::TemperatureFraction(0x20), 0.125);
  EXPECT_DOUBLE_EQ(registers::TemperatureFraction(0xA0), 0.625);
  EXPECT_DOUBLE_EQ(registers::TemperatureFraction(0xE0), 0.875);
}

TEST(RegisterMap, MonitoredTemperatureHasNoSign) {
  EXPECT_FLOAT_EQ(registers::MonitoredTemperature(0x7F, 0xE0), 127.875f);
  // Every high byte above 127 counts as 127, never as a negative value.
  EXPECT_FLOAT_EQ(registers::MonitoredTemperature(0x80, 0x00), 127.0f);
  EXPECT_FLOAT_EQ(registers::MonitoredTemperature(0xFF, 0x20), 127.125f);
  EXPECT_FLOAT_EQ(registers::MonitoredTemperature(25, 0x1F), 25.0f);
  // The chip's own reading keeps every whole degree.
  EXPECT_FLOAT_EQ(registers::ChipTemperature(0xFF, 0x20), 255.125f);
  EXPECT_FLOAT_EQ(registers::ChipTemperature(0x80, 0x1F), 128.0f);
}

}  // namespace
