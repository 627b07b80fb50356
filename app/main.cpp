#include <QApplication>

#include "MainMenuForm.h"
#include "WindowPlacement.h"
#include "controls/TickTimer.h"
#include "platform/Current.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QtsEval"));
  QApplication::setApplicationVersion(app::VersionResourceText());
  // The communications component's waits hand control to the window here.
  platform::Current().SetMessagePump(&controls::PumpMessages);

  auto* window = new MainMenuForm;
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  return QApplication::exec();
}
