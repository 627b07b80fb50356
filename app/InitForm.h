#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SystemInformation.h"
#include "controls/CheckBox.h"
#include "controls/ListBox.h"
#include "controls/TextBox.h"
#include "search/AdapterMedia.h"
#include "search/DeviceSearch.h"

class MainMenuForm;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QStackedWidget;

// The program's start-up window: a four-page wizard that chooses the media,
// searches them for the chip, lists what it found and hands the chosen
// device to the main window. Closing it before Finish ends the program. The
// controls keep their design names.
class InitForm : public QWidget {
  Q_OBJECT

 public:
  explicit InitForm(QWidget* parent = nullptr);
  ~InitForm() override;

  static constexpr int kWelcomeStep = 1;
  static constexpr int kMediumStep = 2;
  static constexpr int kSearchingStep = 3;
  static constexpr int kResultsStep = 4;

  // The line OR mask the wizard gives the printer port at load: the data
  // register's upper four bits stay high.
  static constexpr std::uint8_t kBitsToStayHigh = 240;

  // The main window, loaded when a search starts; null before.
  MainMenuForm* MainWindow() const;

  // Wizard state.
  std::uint8_t WizardStep = kWelcomeStep;
  bool WizardForward = false;
  bool WizardFinished = false;
  // The page frames in page order: WizardStep n shows Panels[n - 1].
  std::array<QWidget*, 4> Panels{};
  std::unique_ptr<app::SystemInformation> BuildInfo;
  // One element per result-list entry, in list order: the 8-bit form for a
  // printer-port entry, the 7-bit address for an on-board entry.
  std::vector<std::uint8_t> EntryAddresses;

  QStackedWidget* PagePlace;
  QLabel* Image1;

  QWidget* WelcomePanel;
  QLabel* WelcomeLBL;
  QLabel* WelcomeInstructionsLBL;

  QWidget* SeclectComsMediumPanel;
  controls::CheckBox* PPCheck;
  controls::CheckBox* SMBusCheck;
  controls::CheckBox* USBCheck;
  QLabel* PPSearchDescLBL;
  QLabel* SMBusSearchDescLBL;
  QLabel* USBSearchDescLBL;
  controls::TextBox* SMBusBaseAddressTXT;
  QLabel* SearchMediumInstLBL;

  QWidget* SearchingPanel;
  QLabel* SearchingLBL;
  QLabel* SearchingDetailsLBL;
  QProgressBar* SearchProgress;

  QWidget* SearchResultsPanel;
  QLabel* SearchResultsDescLBL;
  QLabel* SearchResultsLBL;
  controls::ListBox* SearchResultsLIST;
  // Below the "Sorry" text when nothing was found: what the search saw on
  // each medium.
  QLabel* SearchDiagnosisLBL;
  QLabel* SearchInsLBL;

  QPushButton* BackCMD;
  QPushButton* NextCMD;
  QPushButton* FinishCMD;
  QPushButton* CancelCMD;

 protected:
  // Form_Unload: closing the wizard before Finish ends the program.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The colour of a description that says why a medium cannot be searched.
  static const QColor kDarkRed;
  static void SetForeColor(QWidget* control, const QColor& color);

  void BuildWelcomePanel();
  void BuildMediumPanel();
  void BuildSearchingPanel();
  void BuildResultsPanel();
  void LayOut();

  void Form_Load();
  void SetTexts();
  void ApplyMediumRules();
  // The kernel's adapters as media (InitFormMedia.cpp). `usbRefused`: the
  // personality's rule has refused USB.
  void ApplyAdapterRules(bool usbRefused);
  void ApplyKernelMediumRule(controls::CheckBox* box, QLabel* description, const std::string& unavailable,
                             const QString& available);
  void ShowPanel(int step);
  void NextCMD_Click();
  void BackCMD_Click();
  void CancelCMD_Click();
  void Form_Unload();

  // Search, results and Finish (InitFormSearch.cpp).
  void StartSearch();
  std::optional<devicesearch::OnBoardHost> OnBoardHostForSearch();
  void AdvanceProgress(int step);
  void FillResults();
  void ShowDiagnosis();
  void ClearResults();
  void FinishCMD_Click();
  void FinishPrinterPortEntry(int entryNumber);
  void FinishOnBoardEntry(std::uint8_t address);
  void FinishAdapterEntry(int adapter, std::uint8_t address);

  QScrollArea* diagnosisArea_;  // holds SearchDiagnosisLBL
  QPointer<MainMenuForm> mainMenuForm_;
  // What discovery found when the wizard loaded; a typed base is judged
  // against it at every search.
  devicesearch::OnBoardHost discoveredHost_;
  // The kernel's adapters when the wizard loaded, and whether they are this
  // machine's media (a Linux PC) rather than additions to a Windows
  // personality's (the virtual PC's USB bridge).
  devicesearch::AdapterMedia adapterMedia_;
  bool kernelMedia_ = false;
  devicesearch::Media searchedMedia_;
  devicesearch::Finds finds_;
  // What the search saw, when it found nothing.
  std::vector<std::string> diagnosis_;
  bool searching_ = false;
};
