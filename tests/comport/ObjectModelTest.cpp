// The object tree, shared process-wide state and the interface's conversions.
#include <gtest/gtest.h>

#include "VirtualPc.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/KORComPort.h"
#include "comport/RuntimeError.h"
#include "platform/Current.h"
#include "sim/MachineOptions.h"

namespace comport {
namespace {

int ErrorNumber(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

TEST(ObjectModel, TheTreeAndItsChildren) {
  testing::VirtualPc pc;
  KORComPort com;
  ASSERT_TRUE(com.PrinterPort() && com.USB() && com.SMBus());
  auto port = com.PrinterPort();
  ASSERT_TRUE(port->SMBusProtocall() && port->DataPort() && port->StatusPort() && port->ControlPort());
  auto eeprom = port->EEPROM();
  EXPECT_EQ(port->EEPROM(), eeprom);
  port->EEPROM(nullptr);
  auto fresh = port->EEPROM();
  ASSERT_TRUE(fresh);
  EXPECT_NE(fresh, eeprom);
  port->DataPort(nullptr);
  EXPECT_FALSE(port->DataPort());
  com.PortType(3);
  EXPECT_EQ(com.PortType(), 3);
  com.USB()->OpenUSBPort();
  com.USB()->CloseUSBPort();
}

TEST(ObjectModel, PortAndEngineSettingsAreSharedByTheProcess) {
  testing::VirtualPc pc;
  KORComPort first;
  KORComPort second;
  first.PrinterPort()->DeviceAddress(0x9A);
  EXPECT_EQ(second.PrinterPort()->SMBusProtocall()->DeviceAddress(), 0x9A);
  EXPECT_EQ(second.PrinterPort()->EEPROM()->DeviceAddress(), 0x9A);
  first.PrinterPort()->SMBusProtocall()->ArbitrationOn(kTrue);
  first.PrinterPort()->SMBusProtocall()->UsePEC(kTrue);
  EXPECT_EQ(second.PrinterPort()->SMBusProtocall()->ArbitrationOn(), kTrue);
  EXPECT_EQ(second.PrinterPort()->SMBusProtocall()->UsePEC(), kFalse);  // per object

  // A new process starts from scratch.
  testing::VirtualPc next;
  EXPECT_EQ(first.PrinterPort()->DeviceAddress(), 0);
  EXPECT_EQ(first.PrinterPort()->SMBusProtocall()->ArbitrationOn(), kFalse);
}

TEST(ObjectModel, ConstructionResetsTheEngineSettingsItOwns) {
  testing::VirtualPc pc;
  SMBusProtocall first;
  first.MaxArbitrationDenials(5);
  first.Delay(2);
  first.ActAsMaster(kTrue);
  first.ArbitrationOn(kTrue);
  SMBusProtocall second;
  EXPECT_EQ(first.MaxArbitrationDenials(), 20);
  EXPECT_EQ(first.Delay(), 0);
  EXPECT_EQ(second.ActAsMaster(), kFalse);
  EXPECT_EQ(second.ArbitrationOn(), kTrue);
}

TEST(ObjectModel, StoredOnlyMembers) {
  testing::VirtualPc pc;
  SMBusProtocall protocall;
  protocall.TotalSpeed(5);
  EXPECT_EQ(protocall.TotalSpeed(), 0);
  EXPECT_EQ(protocall.Detect(0x378), 0);
  protocall.CheckForAck(kTrue);
  protocall.ThereWasNoAck(7);
  protocall.AddressPointer(0x11);
  protocall.FinalPEC(300);
  EXPECT_EQ(protocall.CheckForAck(), kTrue);
  EXPECT_EQ(protocall.ThereWasNoAck(), 7);
  EXPECT_EQ(protocall.AddressPointer(), 0x11);
  EXPECT_EQ(protocall.FinalPEC(), 300);
  EXPECT_TRUE(protocall.GetPECData().IsArray());
  EXPECT_TRUE(protocall.GetPECData().Array().empty());
  EXPECT_EQ(protocall.GetBlockReadData().Array().size(), 34u);
  EEPROM eeprom;
  eeprom.Delay(-3);
  EXPECT_EQ(eeprom.Delay(), -3);
  SMBus smbus;
  smbus.DeviceID(0x71138086);
  smbus.SMBusBaseAddress(0x5000);
  smbus.FrameDelay(0.5f);
  smbus.DeviceAddress(0x4E);
  EXPECT_EQ(smbus.DeviceID(), 0x71138086);
  EXPECT_EQ(smbus.SMBusBaseAddress(), 0x5000);
  EXPECT_EQ(smbus.FrameDelay(), 0.5f);
  EXPECT_EQ(smbus.DeviceAddress(), 0x4E);
}

TEST(ObjectModel, ConversionsFailAsRunTimeErrors) {
  testing::VirtualPc pc;
  SMBusProtocall protocall;
  EXPECT_EQ(ErrorNumber([&] { protocall.WriteWord(0x98, 0, 3e9f); }), 6);
  EXPECT_EQ(ErrorNumber([&] { protocall.WriteData(-1e10f); }), 6);
  EXPECT_EQ(ErrorNumber([&] { protocall.BlockWrite(1, Variant()); }), 13);
  EXPECT_EQ(ErrorNumber([&] { protocall.BlockWrite(3, Variant({0, 0, 0, 1, 2})); }), 9);
  EXPECT_TRUE(pc.Log().empty());  // none of them reached the port
}


TEST(ObjectModel, AnUnknownPlatformFailsThePortDiscovery) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("personality=xp,clock=manual"));
  platform::StartProcess(std::make_shared<testing::UnknownPlatform>(machine->StartProcess("odd")));
  EXPECT_EQ(CommunicationsProcedures::GetWindowsBuildText(), "Unrecognised Build Number (2600)");
  EXPECT_EQ(CommunicationsProcedures::GetWindowsVersionCode(), -1);
  EXPECT_EQ(ErrorNumber([] { KORComPort com; }), 13);
  EXPECT_EQ(ErrorNumber([] { SMBusProtocall protocall; }), 13);
}

TEST(ObjectModel, DestructionKeepsALockedClaim) {
  testing::VirtualPc pc("personality=xp,clock=manual");
  {
    PrinterPort port;
    port.LockPortOpen(kTrue);
  }
  EXPECT_NE(pc.Machine().Arbiter().Holder(1), 0u);
  PrinterPort port;
  EXPECT_EQ(port.LockPortOpen(), kTrue);
  port.LockPortOpen(kFalse);
  EXPECT_EQ(pc.Machine().Arbiter().Holder(1), 0u);
}

}  // namespace
}  // namespace comport
