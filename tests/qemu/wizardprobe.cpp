// The search wizard and the main window on this PC, driven as a user would
// drive them, for the QEMU guest (offscreen): Next twice, the media and the
// entries it shows, Finish on the entry that names the adapter given, and
// the Control Center's bars after one tick. One line per finding on stdout:
//
//   usb-box shown|hidden enabled|disabled TEXT     onboard-box ... TEXT
//   entry TEXT (the visible part)                  diagnosis TEXT
//   linked i2c-N 0xAA                              remote CAPTION  local CAPTION
//   search-ms N (the wizard's whole search)
//
//   wizardprobe [ADAPTER]          (QTS_MACHINE=host)
//   wizardprobe --adapters-only    the search of the kernel's adapters alone, timed
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <iostream>
#include <string>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "Startup.h"
#include "controls/CheckBox.h"
#include "controls/ListBox.h"
#include "controls/PercentBar.h"
#include "controls/TickTimer.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"

namespace {

void Print(const char* what, const QString& text) { std::printf("%s %s\n", what, qPrintable(text.simplified())); }

void Box(const char* what, QWidget* box, QLabel* description) {
  std::printf("%s %s %s %s\n", what, box->isHidden() ? "hidden" : "shown", box->isEnabled() ? "enabled" : "disabled",
              qPrintable(description->text()));
}

}  // namespace

int main(int argc, char** argv) {
  const app::StartChoice start = app::StartFromCommandLine({}, std::cout, std::cerr);
  if (start.exitCode) return *start.exitCode;
  const bool adaptersOnly = argc > 1 && std::string(argv[1]) == "--adapters-only";
  const QString adapter = argc > 1 && !adaptersOnly
                              ? QStringLiteral("i2c-") + QString::fromLatin1(argv[1]) + QStringLiteral(",")
                              : QString();
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  platform::Current().SetMessagePump(&controls::PumpMessages);
  InitForm* wizard = app::OpenSearchWizard();
  wizard->NextCMD->click();
  Box("onboard-box", wizard->SMBusCheck, wizard->SMBusSearchDescLBL);
  Box("usb-box", wizard->USBCheck, wizard->USBSearchDescLBL);
  if (adaptersOnly) wizard->PPCheck->Value(0);
  QElapsedTimer clock;
  clock.start();
  wizard->NextCMD->click();
  std::printf("search-ms %lld\n", static_cast<long long>(clock.elapsed()));
  if (adaptersOnly) return 0;
  int chosen = -1;
  for (int i = 0; i < wizard->SearchResultsLIST->ListCount(); ++i) {
    const QString entry = wizard->SearchResultsLIST->List(i).section(QStringLiteral("   "), 0, 0);
    Print("entry", entry);
    if (chosen < 0 && !adapter.isEmpty() && entry.contains(adapter)) chosen = i;
  }
  for (const QString& line : wizard->SearchDiagnosisLBL->accessibleName().split(QLatin1Char('\n')))
    Print("diagnosis", line);
  if (chosen < 0) return 1;
  wizard->SearchResultsLIST->ListIndex(chosen);
  MainMenuForm* main = wizard->MainWindow();
  wizard->FinishCMD->click();
  std::printf("linked i2c-%d 0x%02X\n", LinkNewComPort::I2cAdapter, LinkNewComPort::CurrentDeviceAddress);
  main->MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
  main->Check1->Value(1);
  main->Timer1_Timer();
  Print("remote", main->Percent2->Caption());
  Print("local", main->Percent1->Caption());
  return 0;
}
