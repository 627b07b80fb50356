// The host backend's decisions that do not need the hardware: its options,
// who holds a port or a controller, which adapter is the PC's own SMBus,
// configuration space through the kernel's files, and the requests made of
// ppdev and i2c-dev against a recorded kernel. That the real kernel answers
// them so is proved in the QEMU PC test, as are port instructions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <vector>

#include "ScratchTree.h"
#include "host/ClaimedParport.h"
#include "host/HostPorts.h"
#include "host/HostOptions.h"
#include "host/PresentedController.h"
#include "host/HostProcess.h"
#include "host/RawController.h"
#include "host/SmbusAdapter.h"
#include "platform/Current.h"

namespace {

namespace fs = std::filesystem;
using platform::host::HostOptions;

using Tree = ScratchTree;

TEST(HostOptions, DefaultsAreTheUnprivilegedPathsAndBadItemsAreNamed) {
  const auto defaults = HostOptions::Parse("");
  EXPECT_EQ(defaults.ports, HostOptions::PortAccess::Ppdev);
  EXPECT_EQ(defaults.smbus, HostOptions::Smbus::Kernel);
  EXPECT_FALSE(defaults.i2cAdapter);

  const auto chosen = HostOptions::Parse("ports=ioperm,i2c=3");
  EXPECT_EQ(chosen.ports, HostOptions::PortAccess::Ioperm);
  EXPECT_EQ(chosen.i2cAdapter, 3);
  EXPECT_EQ(HostOptions::Parse("smbus=raw").smbus, HostOptions::Smbus::Raw);

  for (const auto& [text, named] : std::vector<std::pair<std::string, std::string>>{
           {"ports=lpt", "ports=lpt"},
           {"i2c=-1", "i2c=-1"},
           {"i2c=3x", "i2c=3x"},
           {"smbus", "smbus"},
           {"speed=9", "speed=9"},
           {"smbus=raw,i2c=1", "i2c"}}) {
    try {
      HostOptions::Parse(text);
      ADD_FAILURE() << text << " was taken";
    } catch (const std::invalid_argument& bad) {
      EXPECT_NE(std::string(bad.what()).find(named), std::string::npos) << bad.what();
    }
  }
}

TEST(HostParports, AnotherRegisteredClientIsNamedFromTheProcTree) {
  Tree proc("parport-proc");
  proc.File("parport0/devices/active", "none\n");
  EXPECT_EQ(platform::host::OtherParportUser(proc.Path(), 0), "");
  proc.File("parport0/devices/ppdev0/timeslice", "200\n");
  EXPECT_EQ(platform::host::OtherParportUser(proc.Path(), 0), "ppdev0");
  EXPECT_EQ(platform::host::OtherParportUser(proc.Path(), 1), "");
}

TEST(HostParports, AMissingDeviceNodeIsRefusedWithWhatToDo) {
  Tree dev("parport-dev");
  const auto result = platform::host::ClaimedParport::Claim({0, 0x378}, HostOptions::PortAccess::Ppdev, dev.Path(),
                                                           dev.Path());
  EXPECT_EQ(result.outcome, platform::host::ClaimedParport::Outcome::Refused);
  EXPECT_EQ(result.port, nullptr);
  EXPECT_NE(result.message.find("modprobe ppdev"), std::string::npos) << result.message;
}

// The kernel behind /dev/parport0 and /dev/i2c-1 as a test scripts it: the
// requests are recorded and answered as ppdev and i2c-dev answer them.
class RecordedKernel : public platform::host::DeviceNodes {
 public:
  static constexpr int kFd = 42;

  struct SmbusRequest {
    std::uintptr_t address;
    int readWrite, command, size;
    bool operator==(const SmbusRequest&) const = default;
  };

  int Open(const std::string& path, int) override {
    if (path != "/dev/parport0" && path != "/dev/i2c-1") {
      errno = ENOENT;
      return -1;
    }
    return kFd;
  }
  int Control(int fd, unsigned long request, void* argument) override {
    EXPECT_EQ(fd, kFd);
    requests.push_back(request);
    if (const auto refusal = refusals.find(request); refusal != refusals.end()) {
      errno = refusal->second;
      return -1;
    }
    if (request == PPRSTATUS) *static_cast<unsigned char*>(argument) = 0x78;
    if (request == I2C_SLAVE) selected = reinterpret_cast<std::uintptr_t>(argument);
    if (request == I2C_SMBUS) return Smbus(*static_cast<i2c_smbus_ioctl_data*>(argument));
    return 0;
  }
  void Close(int fd) override { closed.push_back(fd); }

  std::map<unsigned long, int> refusals;     // request -> errno
  std::map<std::uintptr_t, std::uint16_t> devices;  // address -> what it reads
  std::vector<unsigned long> requests;
  std::vector<SmbusRequest> smbus;
  std::vector<int> closed;

 private:
  int Smbus(i2c_smbus_ioctl_data& request) {
    // Only a quick command and a send byte come without a data buffer.
    const bool noData = request.size == I2C_SMBUS_QUICK ||
                        (request.size == I2C_SMBUS_BYTE && request.read_write == I2C_SMBUS_WRITE);
    if (!noData && !request.data) {
      errno = EINVAL;
      return -1;
    }
    smbus.push_back({selected, request.read_write, request.command, static_cast<int>(request.size)});
    const auto device = devices.find(selected);
    if (device == devices.end()) {
      errno = ENXIO;
      return -1;
    }
    if (request.read_write == I2C_SMBUS_READ && request.data) {
      if (request.size == I2C_SMBUS_WORD_DATA)
        request.data->word = device->second;
      else
        request.data->byte = static_cast<std::uint8_t>(device->second);
    }
    return 0;
  }
  std::uintptr_t selected = 0;
};

struct ClaimRow {
  const char* name;
  unsigned long refused;  // the request that fails
  int error;
  const char* registered;  // the other client in the /proc tree, if any
  platform::host::ClaimedParport::Outcome outcome;
  const char* says;
};

void PrintTo(const ClaimRow& row, std::ostream* out) { *out << row.name; }

class ParportClaims : public ::testing::TestWithParam<ClaimRow> {};

TEST_P(ParportClaims, ARefusedClaimIsToldByWhoHoldsThePort) {
  Tree proc("parport-claims");
  if (*GetParam().registered)
    proc.File(std::string("parport0/devices/") + GetParam().registered + "/timeslice", "200\n");
  RecordedKernel kernel;
  kernel.refusals[GetParam().refused] = GetParam().error;
  const auto result = platform::host::ClaimedParport::Claim({0, 0x378}, HostOptions::PortAccess::Ppdev, "/dev",
                                                           proc.Path(), kernel);
  EXPECT_EQ(result.outcome, GetParam().outcome);
  EXPECT_EQ(result.port, nullptr);
  EXPECT_NE(result.message.find(GetParam().says), std::string::npos) << result.message;
  EXPECT_EQ(kernel.closed, std::vector<int>{RecordedKernel::kFd});
}

using Outcome = platform::host::ClaimedParport::Outcome;
INSTANTIATE_TEST_SUITE_P(
    Refusals, ParportClaims,
    ::testing::Values(
        ClaimRow{"AnotherProgramHoldsItExclusively", PPCLAIM, EBUSY, "", Outcome::HeldByOther,
                 "/dev/parport0 is held by another program"},
        ClaimRow{"AnotherProgramIsRegistered", PPCLAIM, ENXIO, "ppdev1", Outcome::HeldByOther,
                 "/dev/parport0 is held by another program"},
        ClaimRow{"ThePrinterDriverIsRegistered", PPCLAIM, ENXIO, "lp0", Outcome::Refused,
                 "held by the kernel driver lp0; unload it"},
        ClaimRow{"NobodyIsRegistered", PPEXCL, EPERM, "", Outcome::Refused, "permission denied"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostParports, AGrantedClaimReadsThroughPpdevAndIsReleasedOnce) {
  RecordedKernel kernel;
  {
    auto result = platform::host::ClaimedParport::Claim({0, 0x378}, HostOptions::PortAccess::Ppdev, "/dev",
                                                        "/nonexistent", kernel);
    ASSERT_EQ(result.outcome, platform::host::ClaimedParport::Outcome::Granted) << result.message;
    EXPECT_EQ(result.port->Read(0x379), 0x78);
  }
  EXPECT_EQ(kernel.requests, (std::vector<unsigned long>{PPEXCL, PPCLAIM, PPRSTATUS, PPRELEASE}));
  EXPECT_EQ(kernel.closed, std::vector<int>{RecordedKernel::kFd});
}

// The presented controller's registers, as the component drives them, end in
// i2c-dev's requests, and the answers come back in the data registers.
TEST(I2cAdapters, TransactionsBecomeTheKernelsSmbusRequests) {
  using platform::host::PresentedController;
  RecordedKernel kernel;
  kernel.devices = {{0x0C, 0x98}, {0x4E, 0x4241}};
  PresentedController controller(std::make_unique<platform::host::I2cDevAdapter>(1, "/dev", kernel));
  constexpr std::int32_t kBase = PresentedController::kBase;
  ASSERT_EQ(controller.AddMultiPort(kBase, 16), 1);
  const auto run = [&](std::uint8_t addressByte, std::uint8_t command, int protocol) {
    controller.CanOutp(kBase, 0x1E);
    controller.CanOutp(kBase + 3, command);
    controller.CanOutp(kBase + 4, addressByte);
    controller.CanOutp(kBase + 2, 0x40 | protocol << 2);
    return controller.CanInp(kBase) & 0x1E;
  };
  constexpr int kByte = 1, kByteData = 2, kWordData = 3;
  // The alert read: a receive byte from the Alert Response Address.
  EXPECT_EQ(run(0x0C << 1 | 1, 0, kByte), 0x02);
  EXPECT_EQ(controller.CanInp(kBase + 5), 0x98);
  EXPECT_EQ(run(0x4E << 1 | 1, 0xFE, kByteData), 0x02);
  EXPECT_EQ(controller.CanInp(kBase + 5), 0x41);
  EXPECT_EQ(run(0x4E << 1 | 1, 0x05, kWordData), 0x02);
  EXPECT_EQ(controller.CanInpw(kBase + 5), 0x4241);
  EXPECT_EQ(run(0x4E << 1, 0x03, kByte), 0x02);  // a send byte
  EXPECT_EQ(run(0x2A << 1 | 1, 0xFE, kByteData), 0x04);
  EXPECT_EQ(kernel.smbus, (std::vector<RecordedKernel::SmbusRequest>{
                              {0x0C, I2C_SMBUS_READ, 0, I2C_SMBUS_BYTE},
                              {0x4E, I2C_SMBUS_READ, 0xFE, I2C_SMBUS_BYTE_DATA},
                              {0x4E, I2C_SMBUS_READ, 0x05, I2C_SMBUS_WORD_DATA},
                              {0x4E, I2C_SMBUS_WRITE, 0x03, I2C_SMBUS_BYTE},
                              {0x2A, I2C_SMBUS_READ, 0xFE, I2C_SMBUS_BYTE_DATA}}));
}

// An arm64 board: becoming root would not help, so neither refusal asks for it.
TEST(HostParports, WithoutPortInstructionsIopermAndRawAccessAreRefusedForTheProcessor) {
  if (platform::host::PortInstructionsAvailable()) GTEST_SKIP() << "this processor has port instructions";
  Tree tree("no-port-instructions");
  const auto claim = platform::host::ClaimedParport::Claim({0, 0x378}, HostOptions::PortAccess::Ioperm, tree.Path(),
                                                          tree.Path());
  EXPECT_EQ(claim.outcome, platform::host::ClaimedParport::Outcome::Refused);
  EXPECT_EQ(claim.message.find("root"), std::string::npos) << claim.message;
  EXPECT_NE(claim.message.find("ports=ppdev"), std::string::npos) << claim.message;
  try {
    platform::host::RawController::Create({tree.Path(), tree.Path("ioports")});
    ADD_FAILURE() << "smbus=raw started without port instructions";
  } catch (const platform::BackendUnavailable& refusal) {
    EXPECT_EQ(std::string(refusal.what()).find("root"), std::string::npos) << refusal.what();
    EXPECT_NE(std::string(refusal.what()).find("smbus=kernel"), std::string::npos) << refusal.what();
  }
}

TEST(I2cAdapters, ThePcsOwnSmbusIsTheFirstAdapterTheKernelNamesSmbus) {
  Tree adapters("i2c-class");
  EXPECT_FALSE(platform::host::FindOnBoardAdapter(adapters.Path()));
  adapters.File("i2c-0/name", "i915 gmbus dpc\n");
  adapters.File("i2c-12/name", "SMBus I801 adapter at f040\n");
  adapters.File("i2c-3/name", "SMBus PIIX4 adapter port 0 at 0b00\n");
  adapters.File("i2c-x/name", "SMBus nonsense\n");
  EXPECT_EQ(platform::host::FindOnBoardAdapter(adapters.Path()), 3);
}

TEST(RawController, PortsADriverRequestedAreNamedAndBusesAreNot) {
  const std::string ioports =
      "0000-0cf7 : PCI Bus 0000:00\n"
      "  0060-0060 : keyboard\n"
      "0d00-ffff : PCI Bus 0000:00\n"
      "  b100-b10f : 0000:00:01.3\n"
      "    b100-b107 : piix4_smbus\n"
      "  f040-f05f : 0000:00:1f.4\n";
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xB100, 4), "piix4_smbus");
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xB106, 4), "piix4_smbus");  // overlaps at its start
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xB108, 4), "");           // the PCI function's own resource
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xF040, 4), "");
  EXPECT_EQ(platform::host::PortOwner(ioports, 0x5000, 4), "");
  EXPECT_EQ(platform::host::PortOwner(ioports, 0x0060, 1), "keyboard");
}

TEST(RawController, ADriverBoundToASupportedControllerIsNamedWithItsModule) {
  Tree pci("pci-devices");
  pci.File("0000:00:01.0/vendor", "0x8086\n");
  pci.File("0000:00:01.0/device", "0x7000\n");
  pci.File("0000:00:01.3/vendor", "0x8086\n");
  pci.File("0000:00:01.3/device", "0x7113\n");
  EXPECT_EQ(platform::host::BoundControllerDriver(pci.Path()), "");
  pci.File("drivers/piix4_smbus/module/.keep", "");
  pci.File("module/i2c_piix4/.keep", "");
  fs::remove_all(pci.Path("drivers/piix4_smbus/module"));
  fs::create_directory_symlink(pci.Path("module/i2c_piix4"), pci.Path("drivers/piix4_smbus/module"));
  pci.Link("0000:00:01.3/driver", pci.Path("drivers/piix4_smbus"));
  const std::string refusal = platform::host::BoundControllerDriver(pci.Path());
  EXPECT_NE(refusal.find("0000:00:01.3"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("piix4_smbus"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("modprobe -r i2c_piix4"), std::string::npos) << refusal;
}

// The address latch decodes fields as the chipset does (device 0 with
// function 11 is 00:01.3), reaches the aligned dword, and a function without
// a config file reads all ones.
TEST(RawController, ConfigurationGoesThroughTheKernelsFiles) {
  Tree pci("pci-config");
  std::string config(256, '\0');
  config[0] = '\x86';
  config[1] = '\x80';
  config[2] = '\x13';
  config[3] = '\x71';
  config[0x90] = '\x01';
  config[0x91] = '\xB1';
  pci.File("0000:00:01.3/config", config);
  platform::host::RawController raw({pci.Path(), pci.Path("ioports")});
  const auto read = [&](std::uint32_t address) {
    raw.CanOutpd(0xCF8, static_cast<std::int32_t>(address));
    return static_cast<std::uint32_t>(raw.CanInpd(0xCFC));
  };
  EXPECT_EQ(read(0x80000B00u), 0x71138086u);          // 0:0 function 11
  EXPECT_EQ(read(0x80000B92u), 0x0000B101u);          // register 0x92 reaches dword 0x90
  EXPECT_EQ(static_cast<std::uint32_t>(raw.CanInpd(0xCF8)), 0x80000B90u);
  EXPECT_EQ(read(0x80003B00u), 0xFFFFFFFFu);          // 0:7:3 is not there
  EXPECT_EQ(read(0x00000B00u), 0xFFFFFFFFu);          // window closed
  raw.CanOutpd(0xCF8, static_cast<std::int32_t>(0x80000BD0u));
  raw.CanOutpd(0xCFC, 0x00010000);
  EXPECT_EQ(read(0x80000BD0u), 0x00010000u);
}

// The attach counter is the user's own: another user who makes the shared
// object first (open to everyone, or cut to nothing so that the next count
// would kill the program) neither steers the count nor ends the program.
TEST(HostAttachCounter, AnotherUsersObjectIsNotUsed) {
  if (::geteuid() == 0) {
    for (const off_t size : {off_t{0}, off_t{4}}) {
      const std::string name = "test-" + std::to_string(::getpid()) + "-" + std::to_string(size);
      const std::vector<std::string> objects{"/qtseval-" + name,
                                             "/qtseval-" + std::to_string(::geteuid()) + "-" + name};
      const pid_t other = ::fork();
      if (other == 0) {
        bool made = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        for (const auto& object : objects) {
          const int fd = shm_open(object.c_str(), O_CREAT | O_EXCL | O_RDWR, 0666);
          made = made && fd >= 0 && ::fchmod(fd, 0666) == 0 && ::ftruncate(fd, size) == 0;
          if (made && size == 4) {
            const std::int32_t five = 5;
            made = ::write(fd, &five, sizeof five) == sizeof five;
          }
        }
        ::_exit(made ? 0 : 1);
      }
      int status = 0;
      ::waitpid(other, &status, 0);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      {
        platform::host::HostProcess process(HostOptions::Parse(""), nullptr);
        auto& counter = process.SharedCounter(name);
        EXPECT_EQ(counter.load(), 0) << "size " << size;
        EXPECT_EQ(++counter, 1);
      }
      for (const auto& object : objects) {
        struct stat left {};
        const int fd = shm_open(object.c_str(), O_RDONLY, 0);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::fstat(fd, &left), 0);
        EXPECT_EQ(left.st_size, size) << object;
        ::close(fd);
        shm_unlink(object.c_str());
      }
    }
  }
  // The user's own counter is one for all the user's programs.
  const std::string name = "test-" + std::to_string(::getpid()) + "-own";
  {
    platform::host::HostProcess first(HostOptions::Parse(""), nullptr);
    platform::host::HostProcess second(HostOptions::Parse(""), nullptr);
    ++first.SharedCounter(name);
    EXPECT_EQ(second.SharedCounter(name).load(), 1);
  }
  shm_unlink(("/qtseval-" + std::to_string(::geteuid()) + "-" + name).c_str());
}

}  // namespace
