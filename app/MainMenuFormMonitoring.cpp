// The "Control Center" tab's monitoring loop: the tick, the three monitor
// boxes, the alert light and the chart's buttons; and the wiring of the
// tab's handlers.
#include <QPushButton>
#include <cmath>

#include "ControlCenter.h"
#include "Handler.h"
#include "MainMenuForm.h"
#include "logging/LogFormat.h"
#include "monitor/BarReading.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"

namespace {

using namespace registers;

constexpr double kStampHeight = 0.1;

// One step of a tick. A step that fails is dropped without a word and the
// tick goes on with the next one: the loop never stops on an error.
template <typename Step>
void Suppressed(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

void ShowBar(controls::PercentBar& bar, const monitor::BarReading& reading) {
  bar.Caption(QString::fromStdString(reading.caption));
  bar.Value(reading.percent);
}

QString TimeOfDayNow() {
  return QString::fromStdString(
      logging::TimeOfDayText(static_cast<int>(std::floor(platform::Current().Timer()))));
}

}  // namespace

void MainMenuForm::ConnectControlCenter() {
  // The chart runs on the machine's clocks: its millisecond counter, carried
  // past its wrap after 49.7 days, places the samples; the time of day
  // labels them.
  Strip1->SetClocks(
      [last = std::uint32_t{0}, total = std::uint64_t{0}, started = false]() mutable {
        const std::uint32_t now = platform::Current().GetTickCount();
        if (started) total += static_cast<std::uint32_t>(now - last);
        started = true;
        last = now;
        return static_cast<double>(total) / 1000.0;
      },
      [] { return platform::Current().Timer(); });

  connect(Timer1, &controls::TickTimer::Tick, this, &MainMenuForm::Timer1_Timer);
  connect(alert_button, &controls::CheckBox::Click, this, &MainMenuForm::alert_button_Click);
  connect(Check1, &controls::CheckBox::Click, this, &MainMenuForm::Check1_Click);
  connect(Check2, &controls::CheckBox::Click, this, &MainMenuForm::Check2_Click);
  connect(Command6, &QPushButton::clicked, this, &MainMenuForm::Command6_Click);
  connect(Strip1, &controls::StripChart::MouseDown, this,
          [this](Qt::MouseButton button) { Strip1_MouseDown(button); });

  connect(LGauge1, &controls::LimitGauge::PointerMoved, this, [this] {
    app::RunHandler(this, [this] {
      LimitPointerMoved(*LGauge1, ToWriteCode(kRemoteHighLimit), ToWriteCode(kRemoteLowLimit));
    });
  });
  connect(LGauge2, &controls::LimitGauge::PointerMoved, this, [this] {
    app::RunHandler(this, [this] {
      LimitPointerMoved(*LGauge2, ToWriteCode(kLocalHighLimit), ToWriteCode(kLocalLowLimit));
    });
  });
  connect(Selector1, &controls::Selector::ValueChanged, this, &MainMenuForm::Selector1_Change);
  connect(Command1, &QPushButton::clicked, this, &MainMenuForm::Command1_Click);

  connect(MakeLog_CMD, &QPushButton::clicked, this, &MainMenuForm::MakeLog_CMD_Click);
  connect(Check3, &controls::CheckBox::Click, this, &MainMenuForm::Check3_Click);
  connect(Text1, &QLineEdit::textChanged, this, &MainMenuForm::Text1_Change);
}

float MainMenuForm::ReadTemperature(std::int16_t highRegister, std::int16_t lowRegister) {
  // The high byte first: the chip holds the matching low byte until it is read.
  const std::uint8_t high = app::ReadRegisterAt(highRegister);
  const std::uint8_t low = app::ReadRegisterAt(lowRegister);
  return MonitoredTemperature(high, low);
}

std::int16_t MainMenuForm::SoftwareAlertPresent() {
  return (app::ReadRegisterAt(kStatus) & kStatusLimitFlags) != 0 ? 1 : 0;
}

void MainMenuForm::Timer1_Timer() {
  // The readings handed to the logging step: the last remote and local
  // temperature this tick formed. A temperature whose read failed is not
  // formed, so it is neither charted, shown nor logged.
  std::optional<float> remote;
  std::optional<float> local;

  if (alert_button->Value() == 1) {
    Suppressed([&] {
      ShowAlertLight(SoftwareAlertPresent() == 1 ? AlertLook::Alert : AlertLook::Clear);
    });
  }

  if (Check2->Value() == 1) {
    Suppressed([&] {
      const float reading = ReadTemperature(kRemoteTemperature, kRemoteTemperatureLow);
      Strip1->AddSample(0, reading);
      remote = reading;
    });
    Suppressed([&] {
      const float reading = ReadTemperature(kLocalTemperature, kLocalTemperatureLow);
      Strip1->AddSample(1, reading);
      local = reading;
    });
  }

  // The bars read the temperatures again, for themselves.
  if (Check1->Value() == 1) {
    const bool printerPort = LinkNewComPort::UsePrinterPort != 0;
    Suppressed([&] {
      const float reading = ReadTemperature(kRemoteTemperature, kRemoteTemperatureLow);
      ShowBar(*Percent2, monitor::BarOf(monitor::Channel::Remote, printerPort, reading));
      remote = reading;
    });
    Suppressed([&] {
      const float reading = ReadTemperature(kLocalTemperature, kLocalTemperatureLow);
      ShowBar(*Percent1, monitor::BarOf(monitor::Channel::Local, printerPort, reading));
      local = reading;
    });
  }

  // The due rule of the logging step holds across midnight, so the time of
  // the last line needs no reset at the end of the day.
  Suppressed([&] { LogReadings(remote, local); });
}

void MainMenuForm::ShowAlertLight(AlertLook look) {
  switch (look) {
    case AlertLook::Off:
      alert_detect_light->Caption(QStringLiteral("Alert Detect Off"));
      alert_detect_light->BackColor(QColor(192, 192, 192));
      break;
    case AlertLook::Clear:
      alert_detect_light->Caption(QStringLiteral("No Alert Detected"));
      alert_detect_light->BackColor(QColor(0, 255, 0));
      break;
    case AlertLook::Alert:
      alert_detect_light->Caption(QStringLiteral("Alert Detected"));
      alert_detect_light->BackColor(QColor(255, 0, 0));
      break;
  }
}

void MainMenuForm::UpdateMonitorState() {
  if (Check1->Value() == 1 || Check2->Value() == 1 || alert_button->Value() == 1) {
    Timer1->Interval(app::kLoopInterval);
    Timer1->Enabled(true);
  } else {
    Timer1->Enabled(false);
  }
  Check2->setText(Check2->Value() == 1 ? QStringLiteral("Graphing Now") : QStringLiteral("Graphing Stopped"));
  if (alert_button->Value() == 1) {
    alert_button->setText(QStringLiteral("Checking for a software Alert"));
    ShowAlertLight(AlertLook::Clear);
  } else {
    alert_button->setText(QStringLiteral("Not checking for a software Alert"));
    ShowAlertLight(AlertLook::Off);
  }
  if (Check1->Value() == 1) {
    Check1->setText(QStringLiteral("Bargraphs are On"));
  } else {
    Check1->setText(QStringLiteral("Bargraphs are Off"));
    Percent2->Value(0);
    Percent2->Caption(QString());
    Percent1->Value(0);
    Percent1->Caption(QString());
  }
}

void MainMenuForm::alert_button_Click() { UpdateMonitorState(); }

// Logging needs the graph or the bars: with both off it stops.
void MainMenuForm::Check1_Click() {
  UpdateMonitorState();
  if (Check2->Value() == 0 && Check1->Value() == 0) Check3->Value(0);
}

void MainMenuForm::Check2_Click() { Check1_Click(); }

void MainMenuForm::Command6_Click() { Strip1->Clear(); }

void MainMenuForm::Strip1_MouseDown(Qt::MouseButton button) {
  if (button == Qt::LeftButton) Strip1->Stamp(kStampHeight, TimeOfDayNow());
}
