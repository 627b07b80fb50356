// The "Control Center" tab's data logging: choosing the log file, the
// logging box, the delay box, the counter and the tick's logging step.
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>

#include "MainMenuForm.h"
#include "logging/LogFile.h"
#include "logging/LogFormat.h"
#include "monitor/LogSchedule.h"
#include "numbers/NumberText.h"
#include "platform/Current.h"

namespace {

constexpr double kMaxDelaySeconds = 3600;
// Past this many lines the ticked state is applied again (it changes nothing).
constexpr double kCounterLimit = 1'000'000;

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

double NumberIn(const QString& text) { return numbers::Val(text.toStdString()); }

// No log being written: the box greyed and disabled, the counter blank, and
// "Make New Log" the way to start one.
void ShowNotLogging(MainMenuForm& form) {
  form.Check3->setText(QStringLiteral("Not Logging to File"));
  form.Check3->Value(2);
  form.Check3->setEnabled(false);
  form.Label14->setText(QString());
  form.Label7->setEnabled(false);
  form.Label13->setEnabled(false);
  form.MakeLog_CMD->setEnabled(true);
}

}  // namespace

QString MainMenuForm::ChooseLogFile() {
  QFileDialog dialog(this, QString(), QString(), QStringLiteral("Excel Files (*.xls)"));
  dialog.setObjectName(QStringLiteral("dlgCommonDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // An existing log is continued after a restart line, never overwritten.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void MainMenuForm::MakeLog_CMD_Click() {
  const QString chosen = ChooseLogFile();
  if (chosen.isEmpty()) return;
  LogFileName = chosen;
  // The extension is compared as typed: "LOG.XLS" is refused.
  if (!LogFileName.endsWith(QStringLiteral(".xls"), Qt::CaseSensitive)) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("There was a Problem!"),
                    QStringLiteral("Either an invalid filename or no file was selected, no settings were loaded."),
                    QMessageBox::Ok, this);
    box.exec();
    LogFileName.clear();
    ShowNotLogging(*this);
    ShowLogCounter();
    return;
  }
  // A new count starts: the counter blanked when logging last stopped.
  Label14->setText(QStringLiteral("0"));
  Check3->setEnabled(true);
  Check3->Value(1);
  MakeLog_CMD->setEnabled(false);
  lostLogLines_ = 0;
  lostStartLine_ = !logging::StartLogFile(LocalPath(LogFileName));
  ShowLogCounter();
}

void MainMenuForm::Check3_Click() {
  try {
    switch (Check3->Value()) {
      case 1:
        Check3->setText(QStringLiteral("Logging to File"));
        if (Check2->Value() == 0 && Check1->Value() == 0) Check2->Value(1);
        Label7->setEnabled(true);
        Label13->setEnabled(true);
        break;
      case 0:
        // The file is open only while a line is written, so there is
        // nothing to close here.
        ShowNotLogging(*this);
        lostLogLines_ = 0;
        ShowLogCounter();
        break;
      default:
        break;
    }
  } catch (...) {
    Check3->Value(2);
    Check3->setEnabled(false);
    LogFileName.clear();
    MakeLog_CMD->setEnabled(true);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"),
                    QStringLiteral("There has been a problem writing to the log file.\n"
                                   "This file may be locked by another application."),
                    QMessageBox::Ok, this);
    box.exec();
  }
}

void MainMenuForm::Text1_Change() {
  if (NumberIn(Text1->text()) > kMaxDelaySeconds) Text1->setText(QStringLiteral("3600"));
}

void MainMenuForm::LogReadings(std::optional<float> remote, std::optional<float> local) {
  auto& clock = platform::Current();
  const double now = clock.Timer();
  const double delay = NumberIn(Text1->text());
  if (Check3->Value() != 1 || (Check1->Value() != 1 && Check2->Value() != 1) || LogFileName.isEmpty()) return;
  // A line holds a measured reading of both channels, or it is not written.
  if (!remote || !local) return;
  if (!monitor::LogLineDue(now, delay, LastLogTime)) return;

  const double at = clock.Timer();
  LastLogTime = monitor::LogTimeOf(at);
  const std::string line = logging::LogSampleLine(static_cast<int>(std::floor(at)), *remote, *local);
  if (!logging::AppendToLogFile(LocalPath(LogFileName), line)) {
    // Not counted: the counter tells the lines that are in the file. Logging
    // stays on and tries again with the next line.
    ++lostLogLines_;
    ShowLogCounter();
    return;
  }
  const double count = NumberIn(Label14->text()) + 1;
  Label14->setText(QString::number(count, 'f', 0));
  lostLogLines_ = 0;
  ShowLogCounter();
  if (count > kCounterLimit) Check3_Click();
}

// The counter speaks for itself. While lines are being lost it turns red and
// the number lost shows beside it, so that nobody has to hover to see it; a
// header or restart line that was not written counts among them.
void MainMenuForm::ShowLogCounter() {
  const int lost = lostLogLines_ + (lostStartLine_ ? 1 : 0);
  const bool losing = lost > 0;
  if (losing != !Label14->toolTip().isEmpty()) {
    QPalette palette;
    if (losing) {
      palette = Label14->palette();
      palette.setColor(QPalette::WindowText, QColor(200, 0, 0));
    }
    // A default palette gives the label back its inherited colours.
    Label14->setPalette(palette);
  }
  const QString header = lostStartLine_ ? QStringLiteral(", its header or restart line among them") : QString();
  Label14->setToolTip(losing ? QStringLiteral("%1 line(s) could not be written to the log file%2: it may be locked, "
                                              "read-only or removed, or the disk is full. Logging tries again "
                                              "with the next line.")
                                   .arg(lost)
                                   .arg(header)
                             : QString());
  lostLinesLabel_->setPalette(Label14->palette());
  lostLinesLabel_->setText(losing ? QStringLiteral("(%1 lost)").arg(lost) : QString());
  lostLinesLabel_->setToolTip(Label14->toolTip());
  lostLinesLabel_->setAccessibleName(losing ? QStringLiteral("%1 lines lost").arg(lost)
                                            : QStringLiteral("No lines lost"));
  lostLinesLabel_->setAccessibleDescription(Label14->toolTip());
  Label14->setAccessibleName(Label14->text().isEmpty() ? QStringLiteral("Logged lines")
                                                       : QStringLiteral("Logged: %1 Lines").arg(Label14->text()));
  Label14->setAccessibleDescription(Label14->toolTip());
}
