// The platform layer's own logic: choosing a backend, following the running
// process, and reading the host's parallel ports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "host/HostParports.h"
#include "platform/Current.h"

namespace {

TEST(Backends, UnknownMachineIsNamedInTheRefusal) {
  try {
    platform::CreateBackendProcess("vax", "");
    FAIL() << "accepted";
  } catch (const platform::BackendUnavailable& refusal) {
    EXPECT_STREQ(refusal.what(),
                 "unknown machine \"vax\": choose sim (the virtual PC), shared (the virtual PC that every program "
                 "shares) or host");
  }
}

TEST(Backends, BadVirtualPcOptionsAreReportedNotIgnored) {
  EXPECT_THROW(platform::CreateBackendProcess("sim", "ports=9"), platform::BackendUnavailable);
  EXPECT_NE(platform::CreateBackendProcess("sim", "ports=1"), nullptr);
}

class Recorder : public platform::ProcessObserver {
 public:
  void ProcessStarted(platform::Process& process) override { events.push_back({"start", &process}); }
  void ProcessEnding(platform::Process& process) override { events.push_back({"end", &process}); }
  std::vector<std::pair<std::string, platform::Process*>> events;
};

TEST(CurrentProcess, ObserversSeeTheOldProcessEndBeforeTheNewOneStarts) {
  auto first = platform::CreateBackendProcess("sim", "");
  platform::StartProcess(first);
  Recorder recorder;
  platform::AddObserver(recorder);
  auto second = platform::CreateBackendProcess("sim", "");
  platform::StartProcess(second);
  platform::RemoveObserver(recorder);
  platform::StartProcess(second);  // removed observers hear nothing more

  ASSERT_EQ(recorder.events.size(), 4u);
  EXPECT_EQ(recorder.events[0], std::make_pair(std::string("start"), first.get()));
  EXPECT_EQ(recorder.events[1], std::make_pair(std::string("end"), first.get()));
  EXPECT_EQ(recorder.events[2], std::make_pair(std::string("start"), second.get()));
  EXPECT_EQ(recorder.events[3], std::make_pair(std::string("end"), second.get()));
  EXPECT_EQ(&platform::Current(), second.get());
}

TEST(HostParports, AreReadFromTheParportTreeInNumberOrder) {
  const auto root = std::filesystem::temp_directory_path() / ("parport-" + std::to_string(getpid()));
  std::filesystem::remove_all(root);
  const auto port = [&](const std::string& name, const std::string& content) {
    std::filesystem::create_directories(root / name);
    std::ofstream(root / name / "base-addr") << content;
  };
  port("parport10", "956\t1980\n");
  port("parport0", "888\t1912\n");
  port("parport1", "632\t1656\n");
  port("parportX", "1\n");
  port("parport2", "garbage\n");
  std::filesystem::create_directories(root / "default");

  const auto ports = platform::host::EnumerateParports(root.string());
  std::filesystem::remove_all(root);
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0].number, 0);
  EXPECT_EQ(ports[0].base, 0x378);
  EXPECT_EQ(ports[1].base, 0x278);
  EXPECT_EQ(ports[2].number, 10);
  EXPECT_EQ(ports[2].base, 0x3BC);
  EXPECT_TRUE(platform::host::EnumerateParports((root / "missing").string()).empty());
}

}  // namespace
