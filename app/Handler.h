#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

class QWidget;

// How the program meets a failure inside an event handler: the handler ends
// at the failed step, the user sees the error's number and text in a message
// box, and the program keeps running. No exception ever ends the program.
namespace app {

struct ErrorReport {
  int number;
  QString text;
};

// The number and text of a caught exception: a run-time error of the
// component or of the number conversions keeps its own; out of memory is
// 7; anything else is 51 with what the exception says.
ErrorReport ReportOf(std::exception_ptr failure);

// Shows the report as the runtime shows an unhandled error: a critical box
// with "Run-time error 'N':" and the text, over `window`.
void ShowError(QWidget* window, const ErrorReport& report);

// Runs one handler; a failure ends it and is shown over `window`.
void RunHandler(QWidget* window, const std::function<void()>& handler);

// The last line of defence: an exception that escapes a handler without
// RunHandler is shown the same way instead of ending the program.
class Application : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
