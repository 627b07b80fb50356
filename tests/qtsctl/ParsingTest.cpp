// The tool's reading of numbers and names, and its decoding of register bytes.
#include <gtest/gtest.h>

#include "qtsctl/BadInput.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/RegisterDecoding.h"

namespace {

using qtsctl::BadInput;
using qtsctl::RegisterUse;

TEST(InputParsing, DeviceAddressesKeepOutOfTheReservedOnes) {
  EXPECT_EQ(qtsctl::ParseDeviceAddress("0x03"), 0x03);
  EXPECT_EQ(qtsctl::ParseDeviceAddress("0X77"), 0x77);
  EXPECT_EQ(qtsctl::ParseDeviceAddress("76"), 0x4C);
  for (const char* text : {"0x02", "0x78", "0", "0x4C ", "", "0x", "4C", "-5", "99999999999999999999"})
    EXPECT_THROW(qtsctl::ParseDeviceAddress(text), BadInput) << text;
}

TEST(InputParsing, RegistersByCodeOrByName) {
  EXPECT_EQ(qtsctl::ParseRegister("0xFF", RegisterUse::Read), 0xFF);
  EXPECT_EQ(qtsctl::ParseRegister("0", RegisterUse::Write), 0x00);
  EXPECT_THROW(qtsctl::ParseRegister("256", RegisterUse::Read), BadInput);
  // A name gives the read or the write code of its register.
  EXPECT_EQ(qtsctl::ParseRegister("Configuration", RegisterUse::Read), 0x03);
  EXPECT_EQ(qtsctl::ParseRegister("configuration", RegisterUse::Write), 0x09);
  EXPECT_EQ(qtsctl::ParseRegister("REMOTE-TEMP-LOW-LIMIT", RegisterUse::Write), 0x0E);
  EXPECT_EQ(qtsctl::ParseRegister("remote temperature offset (high byte)", RegisterUse::Write), 0x11);
  EXPECT_EQ(qtsctl::ParseRegister("one-shot", RegisterUse::Write), 0x0F);
  EXPECT_EQ(qtsctl::ParseRegister("Manufacturers ID", RegisterUse::Read), 0xFE);
  EXPECT_THROW(qtsctl::ParseRegister("Manufacturers ID", RegisterUse::Write), BadInput);
  EXPECT_THROW(qtsctl::ParseRegister("Remote", RegisterUse::Read), BadInput);
}

TEST(InputParsing, ValuesAndIntervals) {
  EXPECT_EQ(qtsctl::ParseRegisterValue("255"), 255);
  EXPECT_THROW(qtsctl::ParseRegisterValue("256"), BadInput);
  EXPECT_DOUBLE_EQ(qtsctl::ParseInterval("0.25"), 0.25);
  EXPECT_DOUBLE_EQ(qtsctl::ParseInterval("0"), 0);
  for (const char* text : {"-0.5", "86401", "nan", "1s", ""}) EXPECT_THROW(qtsctl::ParseInterval(text), BadInput) << text;
}

TEST(RegisterDecoding, TemperaturesLimitsAndFractions) {
  EXPECT_EQ(qtsctl::RegisterMeaning(0x00, 25), "25 C");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x0D, 0x5A), "90 C");  // a write code decodes like its read code
  EXPECT_EQ(qtsctl::RegisterMeaning(0x10, 0xA0), "+0.625 C");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x19, 0x1F), "+0 C");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x11, 0x12), "");
}

TEST(RegisterDecoding, StatusConfigurationAndRate) {
  EXPECT_EQ(qtsctl::RegisterMeaning(0x02, 0x00), "no flags");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x02, 0x94), "ADC On, Remote High, Rem Sen oc");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x03, 0xC0), "ALERT masked, Standby Mode is On");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x09, 0x00), "ALERT enabled, Standby Mode is Off");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x04, 0x00), "0.0625 conversions/s");
  EXPECT_EQ(qtsctl::RegisterMeaning(0x0A, 0xF4), "1 conversions/s");  // bits 7..4 are unused
  EXPECT_EQ(qtsctl::RegisterMeaning(0x04, 0x08), "rate code 8 is undefined");
}

TEST(RegisterDecoding, AlertFlags) {
  // Only the four limit flags make an alert.
  EXPECT_EQ(qtsctl::LimitFlagNames(0x84), "");
  EXPECT_EQ(qtsctl::LimitFlagNames(0x68), "Local High, Local Low, Remote Low");
}

}  // namespace
