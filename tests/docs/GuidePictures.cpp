// Takes every picture of the user guide from the program's own windows, on
// virtual PCs whose clocks this program drives, so that an hour of readings
// or an alert takes a moment. Run under xvfb-run with the output folder as
// the only argument; each picture is named on stdout as it is written. Fails
// when a picture comes out blank.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "controls/TickTimer.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/FileDialogs.h"

namespace {

// The pictures' clock: the guide's readings start at nine in the morning.
constexpr double kStartOfDay = 9 * 3600.0;
constexpr int kBoardChipAddressByte = 0x98;

class Pictures {
 public:
  explicit Pictures(const QString& folder) : out_(folder) {}

  // Saves the widget as it is drawn now. A picture of a drawn window has
  // dozens of colours; one with fewer is blank or unpainted.
  void Save(const char* name, QWidget& widget) {
    QTest::qWait(100);
    const QImage image = widget.grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    const QString path = out_.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (image.isNull() || colours.size() < 32 || !image.save(path)) {
      std::fprintf(stderr, "%s: blank or not written\n", name);
      ++failures_;
      return;
    }
    std::printf("%s.png\n", name);
    std::fflush(stdout);
  }

  // A step that could not be taken: its picture would show the wrong state.
  void Fail(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    ++failures_;
  }

  int Failures() const { return failures_; }

 private:
  QDir out_;
  int failures_ = 0;
};

// A virtual PC for one picture, on a clock this program drives, running the
// program as its process.
std::shared_ptr<sim::Machine> StartMachine(const std::string& options) {
  auto parsed = sim::MachineOptions::Parse(options.empty() ? "clock=manual" : "clock=manual," + options);
  // The on-board controller's waits and the one-shot's wait give up or end
  // after machine time passes: a long step per message pump keeps them short.
  parsed.pumpNanoseconds = 20'000'000;
  auto machine = sim::Machine::Create(parsed);
  machine->GetClock().SetStartTimeOfDay(kStartOfDay);
  platform::StartProcess(machine->StartProcess("QtsEval"));
  platform::Current().SetMessagePump(&controls::PumpMessages);
  return machine;
}

void Advance(sim::Machine& machine, double seconds) {
  machine.GetClock().Advance(static_cast<std::uint64_t>(std::llround(seconds * 1e9)));
}

bool Show(QWidget& window) {
  window.show();
  if (QTest::qWaitForWindowExposed(&window)) return true;
  std::fprintf(stderr, "a window was never shown\n");
  return false;
}

// ---- the search wizard ----

void Next(InitForm& wizard) { wizard.NextCMD->click(); }

void Search(InitForm& wizard, bool onBoard) {
  Next(wizard);
  wizard.SMBusCheck->Value(onBoard ? 1 : 0);
  Next(wizard);
}

void WizardPicture(Pictures& pictures, const char* name, const std::string& options,
                   const std::function<void(InitForm&)>& steps) {
  auto machine = StartMachine(options);
  auto* wizard = new InitForm;
  if (Show(*wizard)) {
    steps(*wizard);
    pictures.Save(name, *wizard);
  }
  wizard->WizardFinished = true;  // closing it here must not end the run
  delete wizard->MainWindow();
  delete wizard;
}

// ---- the main window ----

// The main window linked to the board's chip as Finish leaves it.
struct MainWindow {
  explicit MainWindow(const std::string& options) : machine(StartMachine(options)) {
    LinkNewComPort::LinkPrinterPort(0, comport::kTrue, kBoardChipAddressByte);
    form = std::make_unique<MainMenuForm>();
  }

  void ToTab(int tab) { form->MainTab->setCurrentIndex(tab); }

  // The monitoring loop runs on this program's ticks, one per `step` of
  // machine time, instead of its own timer.
  void Monitor(double seconds, double step) {
    form->Timer1->Enabled(false);
    for (double t = 0; t < seconds; t += step) {
      form->Timer1_Timer();
      Advance(*machine, step);
    }
  }

  void EasySetup() { QTest::mouseClick(form->Command1, Qt::LeftButton); }

  std::shared_ptr<sim::Machine> machine;
  std::unique_ptr<MainMenuForm> form;
};

void ControlCenterPictures(Pictures& pictures, const QTemporaryDir& files) {
  {
    MainWindow window("");
    if (!Show(*window.form)) return;
    pictures.Save("main-window", *window.form);
    window.ToTab(MainMenuForm::kControlCenterTab);
    pictures.Save("control-center-off", *window.form);
    // A minute after Easy Setup the diode's cycle passes the 90 C limit.
    window.EasySetup();
    window.Monitor(60, 0.1);
    pictures.Save("control-center-easy-setup", *window.form);
  }
  {
    // An hour of readings into a log, the chart zoomed out to show it all.
    // A tick every half second (the program's loop runs as fast as the bus
    // lets it) keeps the hour within the chart's memory and takes seconds.
    MainWindow window("");
    if (!Show(*window.form)) return;
    window.ToTab(MainMenuForm::kControlCenterTab);
    window.EasySetup();
    FileDialogs dialogs(files.filePath(QStringLiteral("bench.xls")));
    QTest::mouseClick(window.form->MakeLog_CMD, Qt::LeftButton);
    window.Monitor(3600, 0.5);
    for (int i = 0; i < 10; ++i) QTest::keyClick(window.form->Strip1, Qt::Key_Left);
    pictures.Save("control-center-hour", *window.form);
  }
  {
    // The remote diode steady at 70 C; the remote high limit's pointer moved
    // down from 90 to 60 C with the keyboard, as a drag would.
    MainWindow window("scenario=constant:70");
    if (!Show(*window.form)) return;
    window.ToTab(MainMenuForm::kControlCenterTab);
    window.EasySetup();
    window.Monitor(20, 0.1);
    auto* gauge = window.form->LGauge1;
    gauge->setFocus();
    QTest::keyClick(gauge, Qt::Key_Right);
    QTest::keyClick(gauge, Qt::Key_Right);
    for (int i = 0; i < 3; ++i) QTest::keyClick(gauge, Qt::Key_PageDown);
    window.Monitor(10, 0.1);
    pictures.Save("control-center-alert", *window.form);
  }
}

void LogDialogPicture(Pictures& pictures, const QTemporaryDir& files) {
  const QString folder = files.filePath(QStringLiteral("logs"));
  QDir().mkpath(folder);
  MainWindow window("");
  if (!Show(*window.form)) return;
  window.ToTab(MainMenuForm::kControlCenterTab);
  // The dialog is modal: it is taken, named and accepted from a timer.
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer.stop();
    dialog->setDirectory(folder);
    dialog->selectFile(QDir(folder).filePath(QStringLiteral("bench.xls")));
    pictures.Save("log-dialog", *dialog);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  timer.start();
  QTest::mouseClick(window.form->MakeLog_CMD, Qt::LeftButton);
}

void ReadWritePictures(Pictures& pictures) {
  MainWindow window("");
  if (!Show(*window.form)) return;
  window.ToTab(MainMenuForm::kReadWriteTab);
  window.form->RegisterRibbons->button(registers::kConfiguration)->click();
  pictures.Save("readwrite-register", *window.form);
  // Standby, then one conversion on request.
  window.form->SSRibbon3->click();
  window.form->CommandButton1->click();
  pictures.Save("readwrite-standby", *window.form);
}

// The shared virtual PC on real time: the window charts the board while a
// separate qtsctl process lowers the remote high limit below the diode.
void SharedMachinePicture(Pictures& pictures, const QString& qtsctl, const QTemporaryDir& files) {
  // The machine of this run only: its own runtime and state folders.
  qputenv("XDG_RUNTIME_DIR", files.filePath(QStringLiteral("run")).toLocal8Bit());
  qputenv("XDG_STATE_HOME", files.filePath(QStringLiteral("state")).toLocal8Bit());
  QDir().mkpath(files.filePath(QStringLiteral("run")));
  const auto run = [&](const QStringList& arguments) {
    QProcess process;
    process.start(qtsctl, QStringList{QStringLiteral("--machine"), QStringLiteral("shared")} + arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  };
  try {
    platform::StartProcess(platform::CreateBackendProcess("shared", "scenario=constant:80"));
  } catch (const platform::BackendUnavailable& refusal) {
    pictures.Fail(refusal.what());
    return;
  }
  platform::Current().SetMessagePump(&controls::PumpMessages);
  LinkNewComPort::LinkPrinterPort(0, comport::kTrue, kBoardChipAddressByte);
  {
    MainMenuForm form;
    if (Show(form)) {
      form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
      form.Check2->Value(1);
      form.alert_button->Value(1);
      // Zoomed in on the last 18 seconds, so that a few seconds fill the plot.
      for (int i = 0; i < 3; ++i) QTest::keyClick(form.Strip1, Qt::Key_Right);
      QTest::qWait(4000);
      if (!run({QStringLiteral("write"), QStringLiteral("0x4C"), QStringLiteral("remote-temp-high-limit"),
                QStringLiteral("75")})) {
        pictures.Fail("qtsctl could not write the limit on the shared machine");
      }
      QTest::qWait(3000);
      pictures.Save("shared-machine", form);
      form.StopMonitorTimers();
    }
  }
  platform::StartProcess(nullptr);
  QProcess::execute(qtsctl.left(qtsctl.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral("qtsvpc"),
                    {QStringLiteral("stop")});
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  Pictures pictures(folder);
  QTemporaryDir files;

  WizardPicture(pictures, "wizard-welcome", "", [](InitForm&) {});
  WizardPicture(pictures, "wizard-media", "", Next);
  WizardPicture(pictures, "wizard-results", "", [](InitForm& wizard) { Search(wizard, true); });
  // The board's cable unplugged: nothing answers on LPT1.
  WizardPicture(pictures, "wizard-nothing-found", "board-port=0", [](InitForm& wizard) { Search(wizard, false); });
  LogDialogPicture(pictures, files);
  ControlCenterPictures(pictures, files);
  ReadWritePictures(pictures);
  SharedMachinePicture(pictures, QCoreApplication::applicationDirPath() + QStringLiteral("/qtsctl"), files);
  return pictures.Failures() == 0 ? 0 : 1;
}
