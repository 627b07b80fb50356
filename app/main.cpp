#include <QApplication>
#include <iostream>

#include "Handler.h"
#include "Startup.h"
#include "WindowPlacement.h"
#include "controls/TickTimer.h"
#include "platform/Current.h"

int main(int argc, char* argv[]) {
  // The command line is read before any window exists, so that --help and a
  // bad option work without a display. Qt's own settings come from its
  // environment variables (QT_QPA_PLATFORM and the like).
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (auto exitCode = app::StartMachineFromCommandLine(arguments, std::cout, std::cerr)) return *exitCode;

  int qtArgc = 1;
  app::Application application(qtArgc, argv);
  QApplication::setApplicationName(QStringLiteral("QtsEval"));
  QApplication::setApplicationVersion(app::VersionResourceText());
  // The communications component's waits hand control to the window here.
  platform::Current().SetMessagePump(&controls::PumpMessages);

  app::OpenMainWindowOnDefaultBoard();
  return QApplication::exec();
}
