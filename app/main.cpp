#include <QApplication>
#include <iostream>

#include "AppVersion.h"
#include "Handler.h"
#include "Startup.h"
#include "WindowPlacement.h"
#include "controls/TickTimer.h"
#include "platform/Current.h"

int main(int argc, char* argv[]) {
  // The command line is read before any window exists, so that --help, a
  // bad option and a device that does not answer work without a display.
  // Qt's own settings come from its environment variables (QT_QPA_PLATFORM
  // and the like).
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const app::StartChoice start = app::StartFromCommandLine(arguments, std::cout, std::cerr);
  if (start.exitCode) return *start.exitCode;

  int qtArgc = 1;
  app::Application application(qtArgc, argv);
  QApplication::setApplicationName(QStringLiteral("QtsEval"));
  QApplication::setApplicationVersion(app::VersionResourceText());
  QGuiApplication::setDesktopFileName(QString::fromLatin1(app::kDesktopFileName));
  // The communications component's waits hand control to the window here.
  platform::Current().SetMessagePump(&controls::PumpMessages);

  // The search wizard is the start-up window, unless the command line named
  // a device for a script or a test.
  if (start.deviceLinked)
    app::OpenMainWindow();
  else
    app::OpenSearchWizard();
  return QApplication::exec();
}
