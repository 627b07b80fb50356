// A small client of the port access library and the component for the QEMU
// PC test: claims and holds a printer port, waits for a held one, times port
// accesses and register reads, and reads registers through the raw host
// controller at a base the caller gives (as a program may set it).
//
//   hostprobe hold PORT VALUE SECONDS      claim, write VALUE to data, read it back, hold, release
//   hostprobe wait PORT SECONDS            claim as soon as the port is free
//   hostprobe bench-ports PORT SECONDS     port accesses per second on the claimed port
//   hostprobe bench-smbus ADDRESS REGISTER SECONDS   on-board register reads per second
//   hostprobe raw-read BASE ADDRESS REGISTER...      PIIX4-layout controller at BASE
//
// Runs on whatever machine QTS_MACHINE names (the host in the guest).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "LptBridge.h"
#include "comport/SMBus.h"
#include "platform/Current.h"

namespace {

using Clock = std::chrono::steady_clock;

long Number(const char* text) { return std::strtol(text, nullptr, 0); }

int BaseOf(int port) {
  ParallelPortInfo info{sizeof(ParallelPortInfo), 0, 0};
  return GetParallelPortInfo(port, &info) ? static_cast<int>(info.portAddress & 0xFFFF) : -1;
}

int Hold(int port, int value, int seconds) {
  const int base = BaseOf(port);
  if (base < 0 || !ClaimParallelPort(port, -1)) {
    std::printf("claim refused, last error 0x%08X\n", platform::Current().GetLastError());
    return 1;
  }
  std::printf("claimed LPT%d at 0x%X\n", port, base);
  OutByte(base, value);
  std::printf("data read back 0x%02X\n", InByte(base) & 0xFF);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  ReleaseParallelPort(port);
  std::printf("released\n");
  return 0;
}

int Wait(int port, int seconds) {
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  bool told = false;
  while (Clock::now() < end) {
    if (ClaimParallelPort(port, -1)) {
      std::printf("claimed LPT%d\n", port);
      ReleaseParallelPort(port);
      return 0;
    }
    if (!told && platform::Current().GetLastError() == LPTBRIDGE_ERROR_PORT_HELD) {
      std::printf("held by another program\n");
      std::fflush(stdout);
      told = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::printf("still not claimed\n");
  return 1;
}

template <typename Step>
double PerSecond(int seconds, Step step) {
  long count = 0;
  const auto start = Clock::now();
  const auto end = start + std::chrono::seconds(seconds);
  while (Clock::now() < end) count += step();
  return count / std::chrono::duration<double>(Clock::now() - start).count();
}

int BenchPorts(int port, int seconds) {
  const int base = BaseOf(port);
  if (base < 0 || !ClaimParallelPort(port, -1)) return 1;
  const double rate = PerSecond(seconds, [base] {
    for (int i = 0; i < 100; ++i) {
      OutByte(base, i);
      InByte(base + 1);
    }
    return 200;
  });
  ReleaseParallelPort(port);
  std::printf("port accesses per second: %.0f\n", rate);
  return 0;
}

int BenchSmbus(int address, int reg, int seconds) {
  comport::SMBus smbus;
  if (smbus.DeviceID() == 0) return 1;
  const double rate = PerSecond(seconds, [&] {
    smbus.PortRead(static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(reg));
    return 1;
  });
  std::printf("register reads per second: %.0f\n", rate);
  return 0;
}

int RawRead(int base, int address, const std::vector<int>& registers) {
  comport::SMBus smbus;
  smbus.DeviceID(0x71138086);
  smbus.SMBusBaseAddress(base);
  for (int reg : registers)
    std::printf("0x%02X\n", smbus.PortRead(static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(reg)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "hold") return Hold(Number(argv[2]), Number(argv[3]), Number(argv[4]));
  if (args.size() == 3 && args[0] == "wait") return Wait(Number(argv[2]), Number(argv[3]));
  if (args.size() == 3 && args[0] == "bench-ports") return BenchPorts(Number(argv[2]), Number(argv[3]));
  if (args.size() == 4 && args[0] == "bench-smbus") return BenchSmbus(Number(argv[2]), Number(argv[3]), Number(argv[4]));
  if (args.size() >= 4 && args[0] == "raw-read") {
    std::vector<int> registers;
    for (int i = 4; i < argc; ++i) registers.push_back(static_cast<int>(Number(argv[i])));
    return RawRead(Number(argv[2]), Number(argv[3]), registers);
  }
  std::fprintf(stderr, "usage: see the comment at the top of hostprobe.cpp\n");
  return 2;
}
