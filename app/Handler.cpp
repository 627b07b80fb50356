#include "Handler.h"

#include <QMessageBox>
#include <QWidget>
#include <new>

#include "comport/RuntimeError.h"

namespace app {

namespace {
constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;
}  // namespace

ErrorReport ReportOf(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const comport::RuntimeError& error) {
    return {error.Number(), QString::fromStdString(error.Description())};
  } catch (const std::bad_alloc&) {
    return {kOutOfMemory, QStringLiteral("Out of memory")};
  } catch (const std::exception& error) {
    return {kInternalError, QString::fromLocal8Bit(error.what())};
  } catch (...) {
    return {kInternalError, QStringLiteral("Internal error")};
  }
}

void ShowError(QWidget* window, const ErrorReport& report) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                  QStringLiteral("Run-time error '%1':\n\n%2").arg(report.number).arg(report.text), QMessageBox::Ok,
                  window);
  box.setObjectName(QStringLiteral("RunTimeError"));
  box.exec();
}

void RunHandler(QWidget* window, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ShowError(window, ReportOf(std::current_exception()));
  }
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowError(activeWindow(), ReportOf(std::current_exception()));
    return false;
  }
}

}  // namespace app
