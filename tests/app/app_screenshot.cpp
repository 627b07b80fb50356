// Shows the main window on a real (virtual) X display and saves each tab as
// a PNG in the folder given as the only argument; fails when a picture is
// blank. Run under xvfb-run.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "MainMenuForm.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/FileDialogs.h"
#include "support/WindowPicture.h"

namespace {

// Easy Setup, then a minute of the loop on the remote diode's
// default cycle (30 to 100 C), ending near its top with the alert on, a time
// stamp, and a log being written.
void RunControlCenter(MainMenuForm& form, sim::Machine& machine, const QString& logFile) {
  QTest::mouseClick(form.Command1, Qt::LeftButton);
  {
    FileDialogs dialogs(logFile);
    QTest::mouseClick(form.MakeLog_CMD, Qt::LeftButton);
  }
  form.Timer1->Enabled(false);
  constexpr double kTick = 0.02;
  for (int i = 0; i < 3000; ++i) {
    form.Timer1_Timer();
    if (i == 2000) {
      QTest::mouseClick(form.Strip1, Qt::LeftButton, {}, QPoint(form.Strip1->width() / 2, form.Strip1->height() / 2));
    }
    machine.GetClock().Advance(static_cast<std::uint64_t>(kTick * 1e9));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const QString folder = windowpicture::OutputFolder(argc, argv);
  if (folder.isEmpty()) return 2;
  const QDir out(folder);

  // The program on a virtual board whose clock this drives, so that the
  // Control Center tab can show minutes of monitoring in a moment.
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual"));
  machine->GetClock().SetStartTimeOfDay(12 * 3600.0);
  platform::StartProcess(machine->StartProcess("QtsEval"));
  LinkNewComPort::LinkPrinterPort(0, comport::kTrue, 0x98);
  machine->Board()->Chip().SetLocalTemperature(25.125);
  MainMenuForm form;
  QTemporaryDir logs;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) {
    std::fprintf(stderr, "the main window was never shown\n");
    return 1;
  }
  const char* names[] = {"main", "readwrite", "controlcenter"};
  int failures = 0;
  for (int tab = 0; tab < form.MainTab->count(); ++tab) {
    form.MainTab->setCurrentIndex(tab);
    // The Read/Write tab with the configuration register selected.
    if (tab == MainMenuForm::kReadWriteTab) form.RegisterRibbons->button(0x03)->click();
    if (tab == MainMenuForm::kControlCenterTab) RunControlCenter(form, *machine, logs.filePath("log.xls"));
    QTest::qWait(200);
    const QString path = out.filePath(QStringLiteral("MainMenuForm-%1.png").arg(QLatin1String(names[tab])));
    if (!windowpicture::Save(form, path)) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
