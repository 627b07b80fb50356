// The search wizard: its pages, load, page logic, Cancel and closing. The
// search, the results and Finish are in InitFormSearch.cpp.
#include "InitForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "DesignName.h"
#include "Handler.h"
#include "Logo.h"
#include "MachineLine.h"
#include "MainMenuForm.h"
#include "WindowPlacement.h"
#include "link/LinkNewComPort.h"
#include "numbers/NumberText.h"

namespace {

using app::Named;

// The chip's name in the texts, from the one constant.
const QString kChip = QString::fromLatin1(devicesearch::kChipName);

// Windows build numbers of the 95 family (95, 95 OSR2, 98, 98 SE, ME), where
// the on-board SMBus is reached, and of the two on which USB is not.
constexpr std::array kOnBoardBuilds{950, 1111, 1998, 2222, 3000};
constexpr std::array kNoUsbBuilds{950, 1111};

QLabel* WrappedLabel(const char* name, QWidget* parent) {
  auto* label = Named(new QLabel(parent), name);
  label->setWordWrap(true);
  return label;
}

template <std::size_t N>
bool OneOf(int value, const std::array<int, N>& values) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

// Colour value 192: red 0xC0.
const QColor InitForm::kDarkRed(0xC0, 0, 0);

void InitForm::SetForeColor(QWidget* control, const QColor& color) {
  QPalette palette = control->palette();
  palette.setColor(QPalette::WindowText, color);
  control->setPalette(palette);
}

InitForm::InitForm(QWidget* parent)
    : QWidget(parent),
      PagePlace(new QStackedWidget(this)),
      Image1(Named(new QLabel(this), "Image1")),
      BackCMD(Named(new QPushButton(QStringLiteral("< Back"), this), "BackCMD")),
      NextCMD(Named(new QPushButton(QStringLiteral("Next >"), this), "NextCMD")),
      FinishCMD(Named(new QPushButton(QStringLiteral("Finish"), this), "FinishCMD")),
      CancelCMD(Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelCMD")) {
  setObjectName(QStringLiteral("InitForm"));
  BuildWelcomePanel();
  BuildMediumPanel();
  BuildSearchingPanel();
  BuildResultsPanel();
  LayOut();

  connect(NextCMD, &QPushButton::clicked, this, [this] { app::RunHandler(this, [this] { NextCMD_Click(); }); });
  connect(BackCMD, &QPushButton::clicked, this, [this] { app::RunHandler(this, [this] { BackCMD_Click(); }); });
  connect(FinishCMD, &QPushButton::clicked, this, [this] { app::RunHandler(this, [this] { FinishCMD_Click(); }); });
  connect(CancelCMD, &QPushButton::clicked, this, [this] { app::RunHandler(this, [this] { CancelCMD_Click(); }); });
  Form_Load();
}

InitForm::~InitForm() = default;

MainMenuForm* InitForm::MainWindow() const { return mainMenuForm_; }

void InitForm::BuildWelcomePanel() {
  WelcomePanel = Named(new QWidget, "WelcomePanel");
  WelcomeLBL = WrappedLabel("WelcomeLBL", WelcomePanel);
  QFont large = WelcomeLBL->font();
  large.setPointSizeF(large.pointSizeF() * 1.3);
  large.setBold(true);
  WelcomeLBL->setFont(large);
  WelcomeInstructionsLBL = WrappedLabel("WelcomeInstructionsLBL", WelcomePanel);
  auto* layout = new QVBoxLayout(WelcomePanel);
  layout->addWidget(WelcomeLBL);
  layout->addSpacing(16);
  layout->addWidget(WelcomeInstructionsLBL);
  layout->addStretch();
}

void InitForm::BuildMediumPanel() {
  SeclectComsMediumPanel = Named(new QWidget, "SeclectComsMediumPanel");
  QWidget* page = SeclectComsMediumPanel;
  PPCheck = Named(new controls::CheckBox(QStringLiteral("Parallel Printer Port"), page), "PPCheck");
  SMBusCheck = Named(new controls::CheckBox(QStringLiteral("On-Board SMBus"), page), "SMBusCheck");
  USBCheck = Named(new controls::CheckBox(QStringLiteral("USB"), page), "USBCheck");
  PPSearchDescLBL = WrappedLabel("PPSearchDescLBL", page);
  SMBusSearchDescLBL = WrappedLabel("SMBusSearchDescLBL", page);
  USBSearchDescLBL = WrappedLabel("USBSearchDescLBL", page);
  SMBusBaseAddressTXT = Named(new controls::TextBox(QStringLiteral("000"), page), "SMBusBaseAddressTXT");
  SMBusBaseAddressTXT->SetKeyFilter(controls::HexKeyFilter);
  SMBusBaseAddressTXT->setMaximumWidth(SMBusBaseAddressTXT->fontMetrics().horizontalAdvance(QStringLiteral("0xFFFFFF")) + 12);
  SMBusBaseAddressTXT->setAccessibleName(QStringLiteral("SMBus base address (Hex)"));
  SearchMediumInstLBL = WrappedLabel("SearchMediumInstLBL", page);
  // Each description belongs to its box: it is the box's description for a
  // screen reader (set with the texts at load).
  for (QLabel* description : {PPSearchDescLBL, SMBusSearchDescLBL, USBSearchDescLBL})
    description->setIndent(24);

  auto* layout = new QGridLayout(page);
  layout->setColumnStretch(0, 1);
  layout->addWidget(PPCheck, 0, 0, 1, 2);
  layout->addWidget(PPSearchDescLBL, 1, 0, 1, 2);
  layout->setRowMinimumHeight(2, 10);
  layout->addWidget(SMBusCheck, 3, 0, 1, 2);
  layout->addWidget(SMBusSearchDescLBL, 4, 0);
  layout->addWidget(SMBusBaseAddressTXT, 4, 1, Qt::AlignBottom);
  layout->setRowMinimumHeight(5, 10);
  layout->addWidget(USBCheck, 6, 0, 1, 2);
  layout->addWidget(USBSearchDescLBL, 7, 0, 1, 2);
  layout->setRowStretch(8, 1);
  layout->addWidget(SearchMediumInstLBL, 9, 0, 1, 2);
}

void InitForm::BuildSearchingPanel() {
  SearchingPanel = Named(new QWidget, "SearchingPanel");
  SearchingLBL = Named(new QLabel(QStringLiteral("Searching"), SearchingPanel), "SearchingLBL");
  QFont bold = SearchingLBL->font();
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  bold.setBold(true);
  SearchingLBL->setFont(bold);
  SearchingDetailsLBL = WrappedLabel("SearchingDetailsLBL", SearchingPanel);
  SearchProgress = Named(new QProgressBar(SearchingPanel), "SearchProgress");
  SearchProgress->setRange(0, devicesearch::kProgressPerMedium);
  SearchProgress->setValue(0);
  SearchProgress->setTextVisible(false);
  SearchingLBL->setBuddy(SearchProgress);
  SearchProgress->setAccessibleName(QStringLiteral("Search progress"));
  auto* layout = new QVBoxLayout(SearchingPanel);
  layout->addWidget(SearchingLBL);
  layout->addSpacing(12);
  layout->addWidget(SearchingDetailsLBL);
  layout->addSpacing(12);
  layout->addWidget(SearchProgress);
  layout->addStretch();
}

void InitForm::BuildResultsPanel() {
  SearchResultsPanel = Named(new QWidget, "SearchResultsPanel");
  QWidget* page = SearchResultsPanel;
  SearchResultsDescLBL = Named(new QLabel(QStringLiteral("Search Results"), page), "SearchResultsDescLBL");
  QFont bold = SearchResultsDescLBL->font();
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  bold.setBold(true);
  SearchResultsDescLBL->setFont(bold);
  SearchResultsLIST = Named(new controls::ListBox(page), "SearchResultsLIST");
  SearchResultsLIST->setAccessibleName(QStringLiteral("Search Results"));
  SearchResultsDescLBL->setBuddy(SearchResultsLIST);
  SearchResultsLBL = WrappedLabel("SearchResultsLBL", page);
  // The diagnosis can run to a sentence per port and more: it scrolls
  // rather than push the buttons off the window.
  diagnosisArea_ = new QScrollArea(page);
  diagnosisArea_->setFrameShape(QFrame::NoFrame);
  diagnosisArea_->setWidgetResizable(true);
  diagnosisArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SearchDiagnosisLBL = WrappedLabel("SearchDiagnosisLBL", diagnosisArea_);
  SearchDiagnosisLBL->setTextFormat(Qt::RichText);
  SearchDiagnosisLBL->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SearchDiagnosisLBL->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  diagnosisArea_->setWidget(SearchDiagnosisLBL);
  diagnosisArea_->hide();
  SearchInsLBL = WrappedLabel("SearchInsLBL", page);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(SearchResultsDescLBL);
  layout->addWidget(SearchResultsLIST, 1);
  layout->addWidget(SearchResultsLBL);
  layout->addWidget(diagnosisArea_, 3);
  layout->addWidget(SearchInsLBL);
}

void InitForm::LayOut() {
  Image1->setPixmap(app::LogoPixmap({120, 64}));
  Image1->setAccessibleName(QStringLiteral("Logo"));
  Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  BackCMD->setAccessibleName(QStringLiteral("Back"));
  NextCMD->setAccessibleName(QStringLiteral("Next"));
  for (QPushButton* button : {BackCMD, NextCMD, FinishCMD, CancelCMD}) button->setMinimumWidth(88);
  NextCMD->setDefault(true);

  // Which PC the search looks at, beside the buttons on every page.
  QLabel* machine = app::NewMachineLine(this);
  machine->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(machine, 1);
  buttons->addSpacing(8);
  buttons->addWidget(BackCMD);
  buttons->addWidget(NextCMD);
  buttons->addSpacing(8);
  buttons->addWidget(FinishCMD);
  buttons->addSpacing(8);
  buttons->addWidget(CancelCMD);

  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setHorizontalSpacing(16);
  layout->addWidget(Image1, 0, 0);
  layout->addWidget(PagePlace, 0, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(0, 1);
  layout->addWidget(separator, 1, 0, 1, 2);
  layout->addLayout(buttons, 2, 0, 1, 2);
  PagePlace->setMinimumSize(480, 360);
}

void InitForm::Form_Load() {
  // The pages and the buttons' states come first: they cannot fail, so a
  // load that fails later leaves the welcome page with its own buttons.
  WizardStep = kWelcomeStep;
  Panels = {WelcomePanel, SeclectComsMediumPanel, SearchingPanel, SearchResultsPanel};
  for (QWidget* panel : Panels) PagePlace->addWidget(panel);
  ShowPanel(kWelcomeStep);
  PPCheck->Value(1);
  SMBusCheck->Value(0);
  USBCheck->Value(0);
  USBCheck->setEnabled(false);
  USBCheck->hide();
  USBSearchDescLBL->hide();
  BackCMD->setEnabled(false);
  FinishCMD->setEnabled(false);
  SetTexts();
  app::CentreOnScreen(*this);
  try {
    BuildInfo = std::make_unique<app::SystemInformation>();
    // The program's first use of the component object creates it: the
    // printer ports are enumerated and the on-board host searched for.
    LinkNewComPort::ComPort().PrinterPort()->SMBusProtocall()->BitsToStayHigh(kBitsToStayHigh);
    discoveredHost_ = devicesearch::DiscoveredHost(*LinkNewComPort::ComPort().SMBus());
    ApplyMediumRules();
    finds_ = {};
  } catch (...) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("Error in Init Form Load"),
                    QMessageBox::Ok, this);
    box.exec();
  }
}

void InitForm::SetTexts() {
  setWindowTitle(kChip + QStringLiteral(" Search Wizard"));
  WelcomeLBL->setText(QStringLiteral("This ") + kChip + QStringLiteral(" Search Wizard will ") +
                      QStringLiteral("find any ") + kChip + QStringLiteral("s that can be controlled by this software"));
  WelcomeInstructionsLBL->setText(QStringLiteral("Click 'Next' to start."));
  PPSearchDescLBL->setText(QStringLiteral("Remember to connect the ") + kChip +
                           QStringLiteral(" evaluation board to the printer port"));
  SearchMediumInstLBL->setText(QStringLiteral("Click 'Next' to search for the ") + kChip + QStringLiteral("."));
  SearchingDetailsLBL->setText(QStringLiteral("Please wait while searching for available ") + kChip +
                               QStringLiteral("s."));
  SearchResultsLBL->setText(QStringLiteral("Please select one of the ") + kChip + QStringLiteral("s found above."));
  SearchInsLBL->setText(QStringLiteral("Click 'Next' to Continue"));
}

// The build number decides which media can be searched on this system.
void InitForm::ApplyMediumRules() {
  const auto build = [this] { return static_cast<int>(numbers::Val(BuildInfo->BuildNumber().toStdString())); };
  if (OneOf(build(), kOnBoardBuilds)) {
    SMBusSearchDescLBL->setText(
        QStringLiteral("The Southbridge or ICH of Intel chipsets. For unsupported Intel chipsets, enter SMBBA "
                       "here (Hex)."));
    SMBusBaseAddressTXT->setText(
        QString::fromStdString(numbers::Hex(LinkNewComPort::ComPort().SMBus()->SMBusBaseAddress())));
  } else {
    SMBusSearchDescLBL->setText(QStringLiteral("Sorry, SMBus communication is only supported on Windows 95,98 and ME."));
    SetForeColor(SMBusSearchDescLBL, kDarkRed);
    SMBusCheck->Value(0);
    SMBusCheck->setEnabled(false);
    SMBusBaseAddressTXT->setEnabled(false);
  }
  const bool usbRefused = OneOf(build(), kNoUsbBuilds);
  if (usbRefused) {
    USBSearchDescLBL->setText(QStringLiteral("Sorry, USB communication is not supported on Windows 95."));
    SetForeColor(USBSearchDescLBL, kDarkRed);
    USBCheck->Value(0);
    USBCheck->setEnabled(false);
  }
  ApplyAdapterRules(usbRefused);
  PPCheck->setAccessibleDescription(PPSearchDescLBL->text());
  SMBusCheck->setAccessibleDescription(SMBusSearchDescLBL->text());
  SMBusBaseAddressTXT->setAccessibleDescription(SMBusSearchDescLBL->text());
  USBCheck->setAccessibleDescription(USBSearchDescLBL->text());
}

void InitForm::ShowPanel(int step) { PagePlace->setCurrentWidget(Panels.at(static_cast<std::size_t>(step - 1))); }

void InitForm::NextCMD_Click() {
  WizardForward = true;
  switch (WizardStep) {
    case kWelcomeStep:
      WizardStep = kMediumStep;
      ShowPanel(kMediumStep);
      BackCMD->setEnabled(true);
      break;
    case kMediumStep:
      StartSearch();
      break;
    case kResultsStep:
      ShowPanel(kResultsStep);
      BackCMD->setEnabled(true);
      FinishCMD->setEnabled(true);
      NextCMD->setEnabled(false);
      break;
    default:
      break;
  }
}

void InitForm::BackCMD_Click() {
  WizardForward = false;
  switch (WizardStep) {
    case kMediumStep:
      WizardStep = kWelcomeStep;
      ShowPanel(kWelcomeStep);
      BackCMD->setEnabled(false);
      break;
    case kResultsStep:
      ClearResults();
      WizardStep = kMediumStep;
      ShowPanel(kMediumStep);
      NextCMD->setEnabled(true);
      FinishCMD->setEnabled(false);
      break;
    default:
      break;
  }
}

void InitForm::CancelCMD_Click() {
  if (!WizardFinished) delete mainMenuForm_;
  close();
}

void InitForm::closeEvent(QCloseEvent* event) {
  // No button works while the search runs; the close box waits for it too.
  if (searching_) {
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

void InitForm::Form_Unload() {
  if (WizardFinished) return;
  // Before Finish, closing the wizard ends the program: every window goes.
  delete mainMenuForm_;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != this) window->close();
  QCoreApplication::quit();
}
