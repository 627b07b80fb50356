#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "comport/Boolean.h"
#include "comport/KORComPort.h"

// The program's link to the chip: the component object, the variables that
// every register access passes through, and the two register routines. All of
// it runs on the window thread.
//
// Calling convention: set RegisterPointer (and WriteValue for a write), call
// the routine, then take ReadValue at once, before control goes back to the
// window, because every caller shares these variables.
namespace LinkNewComPort {

// 1: registers are reached over the printer port; any other value: over the
// on-board SMBus. The opposite coding from the component's PortType.
inline std::int16_t UsePrinterPort = 0;
// Base I/O address of the selected printer port, as the component reports it.
inline std::int16_t PrinterPortAddress = 0;
// The chip's address in the form the medium takes: the address byte (7-bit
// address shifted left, for example 0x98) over the printer port, the 7-bit
// address (0x4C) over the on-board SMBus.
inline std::int16_t CurrentDeviceAddress = 0;
// The kernel's adapter i2c-N that registers are reached over, on a machine
// that offers its adapters (the USB bridge of the virtual PC, a Linux PC's
// adapters); -1: none, the medium UsePrinterPort names.
inline int I2cAdapter = -1;
// Command code of the next read or write.
inline std::int16_t RegisterPointer = 0;
// The byte the last successful read returned, 0..255.
inline float ReadValue = 0;
// Value for the next write; it must fit a byte.
inline std::int32_t WriteValue = 0;

// The program's one component object, created the first time anything
// touches it and kept until the program ends. A new process (see
// platform::StartProcess) is a new run of the program: it gets a new object,
// and the variables above start again from 0.
comport::KORComPort& ComPort();

// Reads register RegisterPointer of device CurrentDeviceAddress into
// ReadValue. The outcome on the bus is not checked: the component reports bus
// problems only through its events. Throws comport::RuntimeError (Overflow)
// before anything is sent when the address or the pointer does not fit a
// byte; ReadValue then keeps its value. RegisterPointer never changes.
void ReadDeviceRegister();

// Writes WriteValue to register RegisterPointer of device
// CurrentDeviceAddress; nothing is read back and ReadValue stays. Throws
// comport::RuntimeError (Overflow) before anything is sent when WriteValue,
// the pointer or the address does not fit a byte.
void WriteDeviceRegister();

// A receive byte from the SMBus Alert Response Address: the alerting device
// answers with its address and releases ALERT. The answer is discarded. Over
// the printer port (UsePrinterPort 1) the program drives it bit by bit
// through the protocol object, on whichever port the component has selected;
// over the on-board SMBus the host controller runs it (SMBus.ReceiveByte);
// over a kernel adapter the kernel does.
void ReadAlertResponse();

// The link state a chosen device leaves behind (the search wizard's Finish,
// and a device named on the command line). They stop at the first failing
// statement. Over the printer port:
// `portIndex` from 0, `dataInverted` the adapter's wiring as found, and the
// address byte. Over the on-board SMBus: the 7-bit address.
void LinkPrinterPort(std::uint8_t portIndex, comport::Boolean dataInverted, std::uint8_t deviceAddress);
void LinkOnBoardSMBus(std::uint8_t deviceAddress);
// Over a kernel adapter: its number and the 7-bit address.
void LinkKernelAdapter(int adapter, std::uint8_t deviceAddress);

// The same link states as their single statements, in order, for a caller
// that goes on past a failing one (the wizard's Finish).
using LinkStep = std::function<void()>;
std::vector<LinkStep> PrinterPortLinkSteps(std::uint8_t portIndex, comport::Boolean dataInverted,
                                           std::uint8_t deviceAddress);
std::vector<LinkStep> OnBoardSMBusLinkSteps(std::uint8_t deviceAddress);
std::vector<LinkStep> KernelAdapterLinkSteps(int adapter, std::uint8_t deviceAddress);

}  // namespace LinkNewComPort
