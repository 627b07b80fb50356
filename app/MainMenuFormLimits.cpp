// The "Control Center" tab's limits and rate: entering the tab, the limit
// gauges, the conversion-rate selector and Easy Setup.
#include <tuple>

#include "ControlCenter.h"
#include "Handler.h"
#include "MainMenuForm.h"
#include "monitor/LimitEdit.h"
#include "registers/RegisterMap.h"

namespace {

using namespace registers;
using controls::LimitGauge;

// What Easy Setup writes: 8 conversions per second, limits 0 and 90 C.
constexpr int kEasySetupRate = 7;
constexpr int kEasySetupHighLimit = 90;
constexpr int kEasySetupLowLimit = 0;

constexpr int kHighCaption = 3;
constexpr int kLowCaption = 2;

// The limits as the gauges caption them: the value, then " C".
void CaptionLimits(LimitGauge& gauge, int high, int low) {
  gauge.CaptionIndex(kHighCaption);
  gauge.Caption(QString::number(high) + QStringLiteral(" C"));
  gauge.CaptionIndex(kLowCaption);
  gauge.Caption(QString::number(low) + QStringLiteral(" C"));
}

// The limits a gauge's pointers were loaded with.
void CaptionLimits(LimitGauge& gauge) {
  CaptionLimits(gauge, static_cast<int>(gauge.PointerValue(LimitGauge::kHigh)),
                static_cast<int>(gauge.PointerValue(LimitGauge::kLow)));
}

}  // namespace

// Loads a gauge's band and pointers from its two limit registers, high limit
// first; the bytes are shown as they are, without a sign.
void MainMenuForm::LoadGauge(LimitGauge& gauge, int highRegister, int lowRegister) {
  const int high = app::ReadRegisterAt(highRegister);
  gauge.BandUpper(high);
  gauge.PointerValue(LimitGauge::kHigh, high);
  const int low = app::ReadRegisterAt(lowRegister);
  gauge.BandLower(low);
  gauge.PointerValue(LimitGauge::kLow, low);
}

void MainMenuForm::InitControlCenter() {
  // Each change runs the box's click handling: the loop stops, the bars
  // blank and logging stops.
  alert_button->Value(0);
  Check2->Value(0);
  Check1->Value(0);
  ShowAlertLight(AlertLook::Off);

  // Leave standby, so that the chip converts while the tab watches it.
  const std::uint8_t configuration = app::ReadRegisterAt(kConfiguration);
  if (configuration & kConfigStandby) {
    app::WriteRegisterAt(ToWriteCode(kConfiguration), static_cast<std::uint8_t>(configuration & ~kConfigStandby));
  }
  // Shown as the chip holds it, also a code that is no position; the
  // selector writes only what the user turns it to.
  Selector1->Value(app::ReadRegisterAt(kConversionRate));

  LoadGauge(*LGauge2, kLocalHighLimit, kLocalLowLimit);
  CaptionLimits(*LGauge2);
  LoadGauge(*LGauge1, kRemoteHighLimit, kRemoteLowLimit);

  Percent2->Value(0);
  Percent2->Caption(QString());
  Percent1->Value(0);
  Percent1->Caption(QString());
  CaptionLimits(*LGauge1);
}

void MainMenuForm::LimitPointerMoved(LimitGauge& gauge, int highWriteRegister, int lowWriteRegister) {
  if (EasySetupActive == 1) return;
  const int moved = gauge.PointerIndex();
  const auto edit = monitor::LimitPointerMove(
      moved,
      {gauge.BandLower(), gauge.BandUpper(), gauge.PointerValue(LimitGauge::kLow),
       gauge.PointerValue(LimitGauge::kHigh)},
      {highWriteRegister, lowWriteRegister});
  if (!edit) return;
  if (edit->bandLower) gauge.BandLower(*edit->bandLower);
  if (edit->bandUpper) gauge.BandUpper(*edit->bandUpper);
  if (edit->lowPointer) gauge.PointerValue(LimitGauge::kLow, *edit->lowPointer);
  if (edit->highPointer) gauge.PointerValue(LimitGauge::kHigh, *edit->highPointer);
  for (const monitor::LimitWrite& write : edit->writes) app::WriteRegisterAt(write.code, write.value);
  CaptionLimits(gauge, edit->high, edit->low);
}

void MainMenuForm::Selector1_Change(int position) {
  app::RunHandler(this, [&] { app::WriteRegisterAt(ToWriteCode(kConversionRate), position); });
}

void MainMenuForm::Command1_Click() {
  app::RunHandler(this, [this] {
    EasySetupActive = 1;
    // A failed step ends Easy Setup; the gauges must not stay deaf after it.
    try {
      EasySetup();
    } catch (...) {
      EasySetupActive = 0;
      throw;
    }
    EasySetupActive = 0;
  });
}

void MainMenuForm::EasySetup() {
  app::WriteRegisterAt(ToWriteCode(kConversionRate), kEasySetupRate);
  Selector1->Value(kEasySetupRate);
  app::WriteRegisterAt(ToWriteCode(kLocalHighLimit), kEasySetupHighLimit);
  app::WriteRegisterAt(ToWriteCode(kLocalLowLimit), kEasySetupLowLimit);
  app::WriteRegisterAt(ToWriteCode(kRemoteHighLimit), kEasySetupHighLimit);
  app::WriteRegisterAt(ToWriteCode(kRemoteLowLimit), kEasySetupLowLimit);

  // Read back, each gauge captioned right after its pointers.
  for (auto [gauge, high, low] : {std::tuple{LGauge2, kLocalHighLimit, kLocalLowLimit},
                                  std::tuple{LGauge1, kRemoteHighLimit, kRemoteLowLimit}}) {
    LoadGauge(*gauge, high, low);
    CaptionLimits(*gauge);
  }

  Timer1->Interval(app::kLoopInterval);
  Timer1->Enabled(true);
  Check2->Value(1);
  alert_button->Value(1);
  ShowAlertLight(AlertLook::Clear);
  Check1->Value(1);
}
