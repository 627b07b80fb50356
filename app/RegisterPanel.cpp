// The register panel's routines: selection state, redraw, tab entry.
#include "RegisterPanel.h"

#include <QLabel>
#include <QPushButton>
#include <array>

#include "MainMenuForm.h"
#include "link/LinkNewComPort.h"
#include "numbers/NumberText.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"

namespace Additional_functions {

namespace {

namespace link = LinkNewComPort;

constexpr char kStandbyOn[] = "Standby Mode is On";
constexpr char kStandbyOff[] = "Standby Mode is Off";
constexpr char kContinuousOff[] = "Continuous Reading is Off";
constexpr char kEditedDescription[] = "Changed since the last update";

// A conversion of the chip takes tens of milliseconds; a chip that still
// reports one running after this long is not waited for any more.
constexpr std::uint32_t kConversionWaitMilliseconds = 1000;

void Read(int code) {
  link::RegisterPointer = static_cast<std::int16_t>(code);
  link::ReadDeviceRegister();
}

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void ShowStandby(MainMenuForm& form, bool standby) {
  form.SSPanel2->Caption(QString::fromLatin1(standby ? kStandbyOn : kStandbyOff));
  form.SSRibbon3->Value(standby);
  form.CommandButton1->setEnabled(standby);
}

}  // namespace

void ToWriteAddress(PanelVariables& panel) {
  panel.CurrentRegister = static_cast<std::int16_t>(registers::ToWriteCode(panel.CurrentRegister));
}

void ToReadAddress(PanelVariables& panel) {
  panel.CurrentRegister = static_cast<std::int16_t>(registers::ToReadCode(panel.CurrentRegister));
}

void ReadSelectedRegister(PanelVariables& panel) {
  Read(panel.CurrentRegister);
  panel.LastWrittenValue = numbers::ToInteger(link::ReadValue);
  link::WriteValue = numbers::ToLong(link::ReadValue);
}

void RefreshRegisterPanel(MainMenuForm& form) {
  const PanelVariables& panel = form.Panel;
  ShowValue(*form.Label12, HexText(panel.LastWrittenValue));
  ShowValue(*form.Label20, QString::number(panel.LastWrittenValue));
  ShowValue(*form.Label9, HexText(panel.CurrentRegister));
  ShowValue(*form.Label16, HexText(panel.LastReadValue));
  ShowValue(*form.Label2, QString::number(panel.LastReadValue));
  if (const auto name = registers::RegisterName(panel.CurrentRegister)) ShowValue(*form.Label6, Latin1(*name));

  const int shown = panel.ShowWrittenBits != 0 ? panel.LastWrittenValue : panel.LastReadValue;
  for (int k = 7; k >= 0; --k)
    BitDigit(form, k)->setText((shown >> k & 1) != 0 ? QStringLiteral("1") : QStringLiteral("0"));
  if (const auto set = registers::BitNameSetFor(panel.CurrentRegister)) {
    const auto& names = registers::BitNames(*set);
    for (int k = 0; k < 8; ++k) form.bitname.at(k)->setText(Latin1(names[static_cast<std::size_t>(k)]));
    NameBitDigits(form);
  }

  Read(registers::kConfiguration);
  ShowStandby(form, (numbers::ToLong(link::ReadValue) & registers::kConfigStandby) != 0);
}

void InitRegisterPanel(MainMenuForm& form) {
  form.SSRibbon4->Value(true);
  form.Panel.CurrentRegister = registers::kLocalTemperature;
  // The tab change stopped Timer3 already; the caption follows the ribbon.
  form.SSRibbon5->Value(false);
  form.SSPanel7->Caption(QString::fromLatin1(kContinuousOff));
  EnableWriteFrame(form, false);
  Read(registers::kLocalTemperature);
  form.Panel.LastReadValue = numbers::ToInteger(link::ReadValue);
  RefreshRegisterPanel(form);
}

void EnableWriteFrame(MainMenuForm& form, bool writable) {
  for (QWidget* control : {static_cast<QWidget*>(form.Text6), static_cast<QWidget*>(form.Text7),
                           static_cast<QWidget*>(form.Command4), static_cast<QWidget*>(form.Command5)})
    control->setEnabled(writable);
}

bool ResetsWrittenFields(int code) {
  return code < registers::kRemoteTemperatureLow || code > registers::kRemoteLowLimitLow;
}

void WaitForConversion() {
  platform::Process& process = platform::Current();
  const std::uint32_t start = process.GetTickCount();
  for (;;) {
    Read(registers::kStatus);
    if ((numbers::ToLong(link::ReadValue) & registers::kStatusBusy) == 0) return;
    if (process.GetTickCount() - start >= kConversionWaitMilliseconds) return;
    process.DoEvents();
  }
}

controls::ClickLabel* BitDigit(MainMenuForm& form, int k) {
  const std::array<controls::ClickLabel*, 8> digits{form.bit0, form.bit1, form.bit2, form.bit3,
                                                     form.bit4, form.bit5, form.bit6, form.bit7};
  return digits.at(static_cast<std::size_t>(k));
}

void NameBitDigits(MainMenuForm& form) {
  for (int k = 0; k < 8; ++k) {
    const QString number = QStringLiteral("Bit %1").arg(k);
    const QString name = form.bitname.at(k)->text();
    BitDigit(form, k)->setAccessibleName(name == number ? number : number + QStringLiteral(", ") + name);
  }
}

void ShowValue(QLabel& label, const QString& text) {
  label.setText(text);
  label.setAccessibleDescription(text);
}

void ColourUpdateButton(QPushButton& button, bool edited) {
  // The platform's red (0x0000FF) and green (0x00FF00) colour values.
  button.setStyleSheet(edited ? QStringLiteral("background-color: #FF0000;")
                              : QStringLiteral("background-color: #00FF00;"));
  button.setAccessibleDescription(edited ? QString::fromLatin1(kEditedDescription) : QString());
}

QString HexText(std::int16_t value) { return QString::fromStdString(numbers::Hex(value)); }

}  // namespace Additional_functions
