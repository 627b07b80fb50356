// Shows every page of the search wizard on a real (virtual) X display and
// saves each as a PNG in the folder given as the only argument; fails when a
// picture is blank. Run under xvfb-run.
#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <cstdio>
#include <functional>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "controls/TickTimer.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/WindowPicture.h"

namespace {

struct Shot {
  const char* name;
  const char* machine;  // virtual PC options
  std::function<void(InitForm&)> prepare;
};

void ToMediumPage(InitForm& wizard) { wizard.NextCMD->click(); }

void Search(InitForm& wizard, bool onBoard) {
  wizard.NextCMD->click();
  wizard.SMBusCheck->Value(onBoard ? 1 : 0);
  wizard.NextCMD->click();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const QString folder = windowpicture::OutputFolder(argc, argv);
  if (folder.isEmpty()) return 2;
  const QDir out(folder);
  const std::vector<Shot> shots{
      {"welcome", "", [](InitForm&) {}},
      {"medium", "", ToMediumPage},
      {"medium-nt", "personality=xp", ToMediumPage},
      {"searching", "",
       [](InitForm& wizard) {
         // The page as the search shows it, part way through two media.
         ToMediumPage(wizard);
         wizard.PagePlace->setCurrentWidget(wizard.SearchingPanel);
         wizard.SearchProgress->setRange(0, 66);
         wizard.SearchProgress->setValue(16);
         for (QPushButton* button : {wizard.BackCMD, wizard.NextCMD, wizard.FinishCMD, wizard.CancelCMD})
           button->setEnabled(false);
       }},
      {"results", "", [](InitForm& wizard) { Search(wizard, true); }},
      {"results-ten", "ports=3,board-port=1+3,chip-address=0x18+0x19+0x1A+0x29+0x4E",
       [](InitForm& wizard) { Search(wizard, true); }},
      {"nothing-found", "ports=2,hold=sda", [](InitForm& wizard) { Search(wizard, false); }},
      // Every sentence the diagnosis can grow to: three ports, a typed base
      // where nothing answers, and the probes that failed there.
      {"nothing-found-long", "ports=3,board-port=0,smbus=none",
       [](InitForm& wizard) {
         wizard.NextCMD->click();
         wizard.SMBusCheck->Value(1);
         wizard.SMBusBaseAddressTXT->setText(QStringLiteral("6000"));
         wizard.NextCMD->click();
       }},
  };

  int failures = 0;
  for (const Shot& shot : shots) {
    auto options = sim::MachineOptions::Parse(std::string("clock=manual,") + shot.machine);
    // The on-board controller's waits give up after a second of the machine's
    // time: a long step per message pump keeps that short in real time.
    options.pumpNanoseconds = 20'000'000;
    auto machine = sim::Machine::Create(options);
    platform::StartProcess(machine->StartProcess("QtsEval"));
    platform::Current().SetMessagePump(&controls::PumpMessages);
    auto* wizard = new InitForm;
    wizard->show();
    if (!QTest::qWaitForWindowExposed(wizard)) {
      std::fprintf(stderr, "the wizard was never shown\n");
      return 1;
    }
    shot.prepare(*wizard);
    QTest::qWait(200);
    const QString path = out.filePath(QStringLiteral("InitForm-%1.png").arg(QLatin1String(shot.name)));
    if (!windowpicture::Save(*wizard, path)) ++failures;
    wizard->WizardFinished = true;  // closing it here must not end the run
    delete wizard->MainWindow();
    delete wizard;
  }
  return failures == 0 ? 0 : 1;
}
