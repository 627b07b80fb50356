// What the search saw on a medium where nothing was found, against virtual
// PCs with the faults a user meets: every finding comes from the bus.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "comport/KORComPort.h"
#include "platform/Current.h"
#include "search/Diagnosis.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

namespace {

using devicesearch::LineFinding;
using devicesearch::Media;

class SearchDiagnosis : public testing::Test {
 protected:
  devicesearch::Diagnosis Diagnose(const std::string& options, const Media& media) {
    auto machineOptions = sim::MachineOptions::Parse("clock=manual," + options);
    // The on-board controller's waits give up after a second of the
    // machine's time; a long step per message pump keeps that short.
    machineOptions.pumpNanoseconds = 1'000'000;
    machine_ = sim::Machine::Create(machineOptions);
    platform::StartProcess(machine_->StartProcess("diagnosis"));
    comPort_ = std::make_unique<comport::KORComPort>();
    const auto finds = devicesearch::SearchDevices(*comPort_, media);
    return devicesearch::Diagnose(*comPort_, media, finds);
  }
  void TearDown() override { comPort_.reset(); }

  static std::string Sentences(const devicesearch::Diagnosis& diagnosis) {
    std::string text;
    for (const auto& line : devicesearch::DescribeDiagnosis(diagnosis)) text += line + "\n";
    return text;
  }

  std::shared_ptr<sim::Machine> machine_;
  std::unique_ptr<comport::KORComPort> comPort_;
};

const Media kPrinterPorts{true, false, false};

TEST_F(SearchDiagnosis, AWorkingBoardAcknowledgesWithItsOwnWiringOnly) {
  const auto diagnosis = Diagnose("", kPrinterPorts);
  ASSERT_EQ(diagnosis.printerPorts.size(), 2u);
  const auto& lpt1 = diagnosis.printerPorts[0];
  EXPECT_EQ(lpt1.lines, LineFinding::IdleHigh);
  ASSERT_EQ(lpt1.answers.size(), 1u);
  EXPECT_EQ(lpt1.answers[0].address, 0x98);
  EXPECT_EQ(lpt1.answers[0].inverted, comport::kTrue);
  EXPECT_EQ(lpt1.answers[0].id, 0x41);
  EXPECT_EQ(diagnosis.printerPorts[1].lines, LineFinding::BothStuck);
  EXPECT_EQ(diagnosis.printerPorts[1].portAddress, 0x278);
  // The port is given back, with the wiring the search leaves.
  EXPECT_EQ(comPort_->PrinterPort()->LockPortOpen(), comport::kFalse);
  EXPECT_EQ(comPort_->PrinterPort()->SMBusProtocall()->DataInverted(), comport::kTrue);
}

struct FaultRow {
  const char* name;
  const char* options;
  LineFinding lines;
  const char* says;
};

class PrinterPortFaults : public SearchDiagnosis, public testing::WithParamInterface<FaultRow> {};

TEST_P(PrinterPortFaults, AreNamedFromWhatThePortShows) {
  const auto diagnosis = Diagnose(std::string("ports=1,") + GetParam().options, kPrinterPorts);
  ASSERT_EQ(diagnosis.printerPorts.size(), 1u);
  EXPECT_EQ(diagnosis.printerPorts[0].lines, GetParam().lines);
  EXPECT_TRUE(diagnosis.printerPorts[0].answers.empty());
  const std::string text = Sentences(diagnosis);
  EXPECT_NE(text.find(GetParam().says), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Boards, PrinterPortFaults,
    testing::Values(
        FaultRow{"SdaHeld", "hold=sda", LineFinding::SdaStuck, "LPT1 (378h): SDA does not follow the port"},
        FaultRow{"SclHeld", "hold=scl", LineFinding::SclStuck, "SCL does not follow the port while SDA does"},
        FaultRow{"NoPullUps", "no-pullups", LineFinding::BothStuck, "neither SCL nor SDA follows the port"},
        FaultRow{"NoBoard", "board-port=0", LineFinding::BothStuck, "no adapter is attached"},
        FaultRow{"SilentChip", "never-ack=0x4C", LineFinding::IdleHigh,
                 "SCL and SDA idle high and follow the port, but no device acknowledged any of the nine addresses"},
        FaultRow{"ChipOffTheList", "chip-address=0x4F", LineFinding::IdleHigh, "no device acknowledged"},
        FaultRow{"PortOfAnotherProgram", "personality=xp,claimed-by-other=1", LineFinding::PortInUse,
                 "another program holds this port"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchDiagnosis, NoPrinterPortIsSaid) {
  const auto diagnosis = Diagnose("ports=0", kPrinterPorts);
  EXPECT_TRUE(diagnosis.printerPorts.empty());
  EXPECT_EQ(Sentences(diagnosis), "Printer port: this PC reports no printer port.\n");
}

TEST_F(SearchDiagnosis, OnBoardNamesTheControllerAndWhatAnswered) {
  const Media onBoard{false, true, false};
  auto diagnosis = Diagnose("", onBoard);
  ASSERT_TRUE(diagnosis.onBoard);
  EXPECT_FALSE(diagnosis.onBoard->stalled);
  ASSERT_EQ(diagnosis.onBoard->answers.size(), 1u);
  EXPECT_EQ(diagnosis.onBoard->answers[0].address, 0x4E);
  EXPECT_EQ(Sentences(diagnosis),
            "On-board SMBus: host controller 8086:7113 at I/O base 5000h; a QTS5460 answers at 4Eh.\n");

  diagnosis = Diagnose("onboard-never-ack=0x4E", onBoard);
  EXPECT_EQ(Sentences(diagnosis),
            "On-board SMBus: host controller 8086:7113 at I/O base 5000h; no device answered at any of the nine "
            "addresses.\n");

  diagnosis = Diagnose("smbus=none", onBoard);
  EXPECT_NE(Sentences(diagnosis).find("no supported SMBus host controller was found"), std::string::npos);

  // A busy controller is noticed once, not waited out at every address.
  diagnosis = Diagnose("smbus-busy", onBoard);
  EXPECT_TRUE(diagnosis.onBoard->stalled);
  EXPECT_NE(Sentences(diagnosis).find("did not finish a transaction"), std::string::npos);
}

TEST_F(SearchDiagnosis, ATypedBaseAndTheProbesThatFailedAreSaid) {
  Media onBoard{false, true, false};
  onBoard.onBoardHost = devicesearch::OnBoardHost{devicesearch::kIntelLayoutId, 0x6000, true};
  const auto diagnosis = Diagnose("smbus=none", onBoard);
  EXPECT_EQ(diagnosis.failures.size(), 9u);
  EXPECT_EQ(Sentences(diagnosis),
            "On-board SMBus: the typed base address 6000h was used with the Intel register layout, but the "
            "controller there did not finish a transaction: it stays busy or is not there.\n"
            "On-board SMBus: 9 probes failed and found nothing: Overflow (error 6).\n");
}

TEST_F(SearchDiagnosis, AClaimTheCallerHeldIsKeptAndAnyOtherGivenBack) {
  machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual,personality=xp,ports=1"));
  platform::StartProcess(machine_->StartProcess("diagnosis"));
  comPort_ = std::make_unique<comport::KORComPort>();
  auto port = comPort_->PrinterPort();
  devicesearch::Diagnose(*comPort_, kPrinterPorts, {});
  EXPECT_EQ(machine_->Arbiter().Holder(1), 0u);

  port->LockPortOpen(comport::kTrue);
  const auto holder = machine_->Arbiter().Holder(1);
  ASSERT_NE(holder, 0u);
  const auto diagnosis = devicesearch::Diagnose(*comPort_, kPrinterPorts, {});
  EXPECT_EQ(diagnosis.printerPorts.at(0).answers.size(), 1u);
  EXPECT_EQ(port->LockPortOpen(), comport::kTrue);
  EXPECT_EQ(machine_->Arbiter().Holder(1), holder);
  port->LockPortOpen(comport::kFalse);
}

TEST(DiagnosisWords, FailedProbesAreCountedByPlaceAndReason) {
  devicesearch::Diagnosis diagnosis;
  diagnosis.printerPorts.push_back({0, 0x378, LineFinding::IdleHigh, {}, {}, {}, {}});
  const std::string overflow = "Overflow (error 6)", mismatch = "Type mismatch (error 13)";
  for (const auto& [onBoard, port, error] : std::vector<std::tuple<bool, int, std::string>>{
           {false, 0, overflow}, {false, 0, mismatch}, {false, 0, overflow}, {true, 0, overflow}, {false, 1, overflow}})
    diagnosis.failures.push_back({onBoard, static_cast<std::uint8_t>(port), 0x98, error});
  EXPECT_EQ(devicesearch::DescribeDiagnosis(diagnosis),
            (std::vector<std::string>{
                "LPT1 (378h): SCL and SDA idle high and follow the port, but no device acknowledged any of the nine "
                "addresses with either adapter wiring.",
                "LPT1 (378h): 2 probes failed and found nothing: Overflow (error 6).",
                "LPT1 (378h): 1 probe failed and found nothing: Type mismatch (error 13).",
                "On-board SMBus: 1 probe failed and found nothing: Overflow (error 6).",
                "LPT2: 1 probe failed and found nothing: Overflow (error 6)."}));
}

TEST(DiagnosisWords, AnAnswerThatIsNotTheChipShowsItsId) {
  devicesearch::Diagnosis diagnosis;
  diagnosis.printerPortSearched = true;
  diagnosis.printerPorts.push_back({1, 0x278, LineFinding::IdleHigh, {}, {},
                                    {{0x9A, comport::kFalse, 0x12}, {0x30, comport::kTrue, std::nullopt}}, {}});
  diagnosis.usbSearched = true;
  EXPECT_EQ(devicesearch::DescribeDiagnosis(diagnosis),
            (std::vector<std::string>{
                "LPT2 (278h): SCL and SDA idle high; a device acknowledges 4Dh (direct adapter), but its ID register "
                "FEh reads 12h; a QTS5460 reads 41h; a device acknowledges 18h (inverting adapter), but its ID "
                "register could not be read; a QTS5460 reads 41h.",
                "USB: nothing is searched for on USB."}));
}

}  // namespace
