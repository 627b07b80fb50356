// The search wizard's search, its results page and Finish.
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>

#include "Handler.h"
#include "InitForm.h"
#include "MainMenuForm.h"
#include "controls/TickTimer.h"
#include "link/LinkNewComPort.h"
#include "search/Diagnosis.h"
#include "search/ResultEntries.h"

namespace {

const QString kChip = QString::fromLatin1(devicesearch::kChipName);
const QString kProblemTitle = QStringLiteral("A problem was detected");

// A statement of the result filling or of Finish: when it fails, it is left
// out and the next one runs.
void Skip(const std::function<void()>& statement) {
  try {
    statement();
  } catch (...) {
  }
}

void Problem(QWidget* window, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kProblemTitle, text, QMessageBox::Ok, window);
  box.exec();
}

}  // namespace

void InitForm::StartSearch() {
  if (PPCheck->Value() != 1 && SMBusCheck->Value() != 1 && USBCheck->Value() != 1) {
    Problem(this, QStringLiteral("Please select a search medium"));
    return;
  }
  const std::optional<devicesearch::OnBoardHost> host = OnBoardHostForSearch();
  // On a Linux PC the on-board medium is the kernel's adapters: no base to type.
  if (SMBusCheck->Value() == 1 && !kernelMedia_ && !host) return;

  WizardStep = kSearchingStep;
  ShowPanel(kSearchingStep);
  SearchingPanel->repaint();
  for (QPushButton* button : {BackCMD, NextCMD, FinishCMD, CancelCMD}) button->setEnabled(false);
  setCursor(Qt::WaitCursor);
  searching_ = true;

  std::exception_ptr failure;
  finds_ = {};
  diagnosis_.clear();
  try {
    if (mainMenuForm_ == nullptr) {
      mainMenuForm_ = new MainMenuForm;
      mainMenuForm_->setAttribute(Qt::WA_DeleteOnClose);
    }
    searchedMedia_ = devicesearch::Media(PPCheck->Value() == 1, SMBusCheck->Value() == 1, USBCheck->Value() == 1);
    searchedMedia_.onBoardHost = host;
    devicesearch::UseAdapters(searchedMedia_, adapterMedia_, kernelMedia_);
    SearchProgress->setRange(0, devicesearch::ProgressMaximum(searchedMedia_));
    SearchProgress->setValue(0);
    finds_ = devicesearch::SearchDevices(LinkNewComPort::ComPort(), searchedMedia_,
                                         [this](int step) { AdvanceProgress(step); });
    // Nothing found: look at each medium while the hourglass still shows.
    if (finds_.Empty())
      diagnosis_ = devicesearch::DescribeDiagnosis(
          devicesearch::Diagnose(LinkNewComPort::ComPort(), searchedMedia_, finds_));
  } catch (...) {
    failure = std::current_exception();
  }

  // The buttons were disabled, but a click held back by the search's waits
  // would reach them once enabled: it is dropped here.
  controls::DropHeldInput();
  searching_ = false;
  CancelCMD->setEnabled(true);
  BackCMD->setEnabled(true);
  FinishCMD->setEnabled(true);
  NextCMD->setEnabled(false);
  unsetCursor();
  FillResults();
  WizardStep = kResultsStep;
  ShowPanel(kResultsStep);
  SearchProgress->setValue(0);
  if (failure) app::ShowError(this, app::ReportOf(failure));
}

// The base address box is read back: a non-zero base that discovery did not
// find is used for the on-board pass (with the Intel register layout). Text
// that is not a base address is refused here, on the medium page.
std::optional<devicesearch::OnBoardHost> InitForm::OnBoardHostForSearch() {
  if (SMBusCheck->Value() != 1 || kernelMedia_) return std::nullopt;
  const QString typed = SMBusBaseAddressTXT->text();
  const std::optional<std::int32_t> base = devicesearch::ReadTypedBase(typed.toStdString());
  if (!base) {
    Problem(this, QStringLiteral("\"%1\" is not an SMBus base address. Type the base address of the SMBus host "
                                 "controller in hexadecimal digits, at most FFFF (for example 5000), or 0 to use "
                                 "the controller the search finds itself.")
                      .arg(typed));
    SMBusBaseAddressTXT->setFocus();
    SMBusBaseAddressTXT->selectAll();
    return std::nullopt;
  }
  return devicesearch::HostForSearch(discoveredHost_, *base);
}

void InitForm::AdvanceProgress(int step) {
  SearchProgress->setValue(std::min(SearchProgress->maximum(), SearchProgress->value() + step));
  SearchingPanel->repaint();
}

void InitForm::FillResults() {
  int idx = 0;
  int n = 0;
  const auto setEntryAddress = [this](int index, std::uint8_t address) {
    if (EntryAddresses.size() <= static_cast<std::size_t>(index)) EntryAddresses.resize(index + 1);
    EntryAddresses[index] = address;
  };
  const auto found = [this] {
    SearchInsLBL->setText(QStringLiteral("Click Finish to continue..."));
    SearchResultsLIST->ListIndex(0);
  };
  for (const devicesearch::PrinterPortFind& find : finds_.printerPort) {
    if (find.address == 0) continue;
    ++n;
    std::int16_t portAddress = 0;
    Skip([&] { LinkNewComPort::ComPort().PrinterPort()->PortAddressIndex(find.portIndex); });
    Skip([&] { portAddress = LinkNewComPort::ComPort().PrinterPort()->PortAddress(); });
    Skip([&] {
      SearchResultsLIST->AddItem(
          QString::fromStdString(devicesearch::PrinterPortEntryText(find.address, portAddress, n)), idx);
    });
    Skip(found);
    Skip([&] { setEntryAddress(idx, find.address); });
    ++idx;
  }
  for (const std::uint8_t address : finds_.onBoard) {
    if (address == 0) continue;
    Skip([&] { SearchResultsLIST->AddItem(QString::fromStdString(devicesearch::OnBoardEntryText(address)), idx); });
    Skip(found);
    Skip([&] { setEntryAddress(idx, address); });
    ++idx;
  }
  for (const devicesearch::AdapterFind& find : finds_.adapters.found) {
    Skip([&] {
      SearchResultsLIST->AddItem(QString::fromStdString(devicesearch::AdapterEntryText(find.adapter, find.address)),
                                 idx);
    });
    Skip(found);
    Skip([&] { setEntryAddress(idx, find.address); });
    ++idx;
  }
  if (idx == 0) {
    SearchResultsLBL->setText(QStringLiteral("Sorry, no ") + kChip +
                              QStringLiteral("s were found. Please check all connections and try again"));
    SearchInsLBL->setText(QStringLiteral("Click Back to continue..."));
    FinishCMD->setEnabled(false);
    SearchResultsLIST->Clear();
    ShowDiagnosis();
  } else {
    SearchResultsLBL->setText(QStringLiteral("Please select one of the ") + kChip + QStringLiteral("s found above."));
    SearchInsLBL->setText(QStringLiteral("Click 'Finish' to Continue"));
  }
}

void InitForm::ShowDiagnosis() {
  if (diagnosis_.empty()) return;  // the search failed before it could look
  const QString heading = QStringLiteral("What the search saw:");
  // One row per sentence, with a hanging bullet.
  QString html = QStringLiteral("<b>%1</b><table cellspacing=\"3\">").arg(heading);
  QString plain = heading;
  for (const std::string& line : diagnosis_) {
    const QString sentence = QString::fromStdString(line);
    html += QStringLiteral("<tr><td>&bull;</td><td>%1</td></tr>").arg(sentence.toHtmlEscaped());
    plain += QStringLiteral("\n") + sentence;
  }
  SearchDiagnosisLBL->setText(html + QStringLiteral("</table>"));
  SearchDiagnosisLBL->setAccessibleName(plain);
  diagnosisArea_->show();
}

void InitForm::ClearResults() {
  SearchResultsLIST->Clear();
  finds_ = {};
  EntryAddresses.clear();
  diagnosis_.clear();
  SearchDiagnosisLBL->clear();
  SearchDiagnosisLBL->setAccessibleName({});
  diagnosisArea_->hide();
}

void InitForm::FinishCMD_Click() {
  const int listIndex = SearchResultsLIST->ListIndex();
  // The list always has an entry selected after a successful search; a
  // selection the user took away names nothing to finish with.
  if (listIndex < 0) return;
  const auto tag = devicesearch::ReadEntryTag(SearchResultsLIST->Text().toStdString());
  if (tag && tag->medium == devicesearch::EntryTag::Medium::PrinterPort) FinishPrinterPortEntry(tag->value);
  if (tag && tag->medium == devicesearch::EntryTag::Medium::OnBoard)
    FinishOnBoardEntry(static_cast<std::uint8_t>(tag->value));
  if (tag && tag->medium == devicesearch::EntryTag::Medium::Adapter)
    FinishAdapterEntry(tag->adapter, static_cast<std::uint8_t>(tag->value));
  WizardFinished = true;
  Skip([&] { LinkNewComPort::CurrentDeviceAddress = EntryAddresses.at(static_cast<std::size_t>(listIndex)); });
  if (mainMenuForm_ != nullptr) mainMenuForm_->show();
  close();
}

void InitForm::FinishPrinterPortEntry(int entryNumber) {
  const auto index = static_cast<std::size_t>(entryNumber - 1);
  if (index >= finds_.printerPort.size() || index >= EntryAddresses.size()) return;
  const devicesearch::PrinterPortFind& find = finds_.printerPort[index];
  for (const auto& step : LinkNewComPort::PrinterPortLinkSteps(find.portIndex, find.inverted, EntryAddresses[index]))
    Skip(step);
}

void InitForm::FinishOnBoardEntry(std::uint8_t address) {
  for (const auto& step : LinkNewComPort::OnBoardSMBusLinkSteps(address)) Skip(step);
}

void InitForm::FinishAdapterEntry(int adapter, std::uint8_t address) {
  for (const auto& step : LinkNewComPort::KernelAdapterLinkSteps(adapter, address)) Skip(step);
}
