// The result list's lines: what they show and the tag that Finish reads back.
#include <gtest/gtest.h>

#include <set>

#include "search/ResultEntries.h"

namespace {

using devicesearch::EntryTag;
using devicesearch::ReadEntryTag;

TEST(ResultEntries, LinesAreBuiltAsTheWizardShowsThem) {
  EXPECT_EQ(devicesearch::PrinterPortEntryText(0x98, 0x378, 1),
            "Found an QTS5460 at:4Ch, on printer port:378h" + std::string(50, ' ') + "Printer 1");
  EXPECT_EQ(devicesearch::OnBoardEntryText(0x4C),
            "An QTS5460 was found at:4Ch, on the SMBus" + std::string(98, ' ') + "SMBus4C");
}

// Every entry of the largest search (three ports, two wirings, nine
// addresses) reads back as itself: entry 12 is not entry 2.
TEST(ResultEntries, EveryPrinterEntryNumberReadsBackAsItself) {
  for (int n = 1; n <= 54; ++n) {
    const auto tag = ReadEntryTag(devicesearch::PrinterPortEntryText(0x9C, 0x278, n));
    ASSERT_TRUE(tag) << n;
    EXPECT_EQ(tag->medium, EntryTag::Medium::PrinterPort);
    EXPECT_EQ(tag->value, n);
  }
}

TEST(ResultEntries, OnBoardEntriesReadBackTheirAddress) {
  for (const std::uint8_t address : {0x18, 0x2B, 0x4C, 0x4E}) {
    const auto tag = ReadEntryTag(devicesearch::OnBoardEntryText(address));
    ASSERT_TRUE(tag) << int{address};
    EXPECT_EQ(tag->medium, EntryTag::Medium::OnBoard);
    EXPECT_EQ(tag->value, address);
  }
}

// Adapter names carry "SMBus", "I2C" and digits of their own: the tag at the
// end is what counts.
TEST(ResultEntries, AdapterEntriesNameTheAdapterAndReadBackAdapterAndAddress) {
  platform::I2cAdapterInfo bridge;
  bridge.number = 9;
  bridge.name = "CP2112 SMBus Bridge";
  bridge.medium = platform::AdapterMedium::Usb;
  EXPECT_EQ(devicesearch::AdapterEntryText(bridge, 0x4C),
            "An QTS5460 was found at:4Ch, on USB adapter i2c-9, CP2112 SMBus Bridge" + std::string(98, ' ') +
                "I2C9:4C");
  platform::I2cAdapterInfo header;
  header.number = 12;
  header.name = "Synopsys DesignWare I2C adapter";
  const std::string entry = devicesearch::AdapterEntryText(header, 0x18);
  EXPECT_EQ(entry.substr(0, entry.find("  ")), "An QTS5460 was found at:18h, on i2c-12, Synopsys DesignWare I2C adapter");
  for (const auto& [adapter, address] : {std::pair{bridge, 0x4C}, std::pair{header, 0x18}}) {
    const auto tag = ReadEntryTag(devicesearch::AdapterEntryText(adapter, static_cast<std::uint8_t>(address)));
    ASSERT_TRUE(tag) << adapter.name;
    EXPECT_EQ(tag->medium, EntryTag::Medium::Adapter);
    EXPECT_EQ(tag->adapter, adapter.number);
    EXPECT_EQ(tag->value, address);
  }
}

TEST(ResultEntries, OtherTextHasNoTag) {
  for (const char* text : {"", "Printer", "Printer ", "Printer 0", "Printer 07", "Printer x", "Printer1",
                           "An QTS5460 was found at:4Ch, on the SMBus", "SMBus4G", "SMBus123", "I2C9", "I2C:4C",
                           "I2C9:4G", "I2Cx:4C"})
    EXPECT_FALSE(ReadEntryTag(text)) << '"' << text << '"';
}

}  // namespace
