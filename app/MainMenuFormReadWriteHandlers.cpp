// The "Read/Write" tab's handlers: register selection, bit digits, write
// boxes, standby, one-shot, continuous reading, and the alert frame's
// "Clr Alert Hardware Int". A failure ends a handler at that step and is
// shown with the error's number and text; the program goes on.
#include <QButtonGroup>
#include <QMessageBox>
#include <QPushButton>
#include <string>

#include "Handler.h"
#include "MainMenuForm.h"
#include "RegisterPanel.h"
#include "link/LinkNewComPort.h"
#include "numbers/NumberText.h"
#include "registers/RegisterMap.h"

using namespace Additional_functions;

namespace {

namespace link = LinkNewComPort;

constexpr int kContinuousIntervalMilliseconds = 5;

void Read(int code) {
  link::RegisterPointer = static_cast<std::int16_t>(code);
  link::ReadDeviceRegister();
}

void Write(int code, std::int32_t value) {
  link::RegisterPointer = static_cast<std::int16_t>(code);
  link::WriteValue = value;
  link::WriteDeviceRegister();
}

// The value of a box read as hexadecimal, as "&H" before its text reads.
std::int32_t HexBoxValue(const QLineEdit& box) {
  return numbers::ToLong(numbers::ReadHexDigits(box.text().toStdString()).value);
}

// A write that fails must not leave the selected register at its write code,
// nor the digits showing the value that was to be written: the next refresh
// would show a read of the write code, or bits that were never written.
class WriteEnding {
 public:
  explicit WriteEnding(PanelVariables& panel) : panel_(panel) {}
  ~WriteEnding() {
    ToReadAddress(panel_);
    panel_.ShowWrittenBits = 0;
  }
  WriteEnding(const WriteEnding&) = delete;
  WriteEnding& operator=(const WriteEnding&) = delete;

 private:
  PanelVariables& panel_;
};

// A box's value written to the selected register (at its write code), then
// the panel redrawn with the digits showing what was written.
void WriteBoxValue(MainMenuForm& form, std::int32_t value) {
  PanelVariables& panel = form.Panel;
  const WriteEnding ending(panel);
  panel.ShowWrittenBits = 1;
  // A value beyond 16 bits fails here, before anything is sent; one that
  // does not fit a byte fails in the write, before anything is sent either.
  const std::int16_t written = numbers::ToInteger(value);
  ToWriteAddress(panel);
  Write(panel.CurrentRegister, value);
  panel.LastWrittenValue = written;
  ToReadAddress(panel);
  RefreshRegisterPanel(form);
}

}  // namespace

void MainMenuForm::ConnectReadWriteTab() {
  connect(RegisterRibbons, &QButtonGroup::idClicked, this, &MainMenuForm::RegisterRibbon_Click);
  for (int k = 0; k < 8; ++k) {
    // A double click toggles the bit a second time, as its click does.
    connect(BitDigit(*this, k), &controls::ClickLabel::Click, this, [this, k] { bit_Click(k); });
    connect(BitDigit(*this, k), &controls::ClickLabel::DblClick, this, [this, k] { bit_Click(k); });
  }
  connect(Command4, &QPushButton::clicked, this, &MainMenuForm::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &MainMenuForm::Command5_Click);
  connect(Command3, &QPushButton::clicked, this, &MainMenuForm::Command3_Click);
  connect(Text6, &QLineEdit::textChanged, this, [this] { ColourUpdateButton(*Command4, true); });
  connect(Text7, &QLineEdit::textChanged, this, [this] { ColourUpdateButton(*Command5, true); });
  Text2->SetKeyFilter([this](int key) {
    const int accepted = controls::HexKeyFilter(key);
    if (accepted != 0) ColourUpdateButton(*Command3, true);
    return accepted;
  });
  connect(SSRibbon3, &QAbstractButton::clicked, this, &MainMenuForm::SSRibbon3_Click);
  connect(CommandButton1, &QPushButton::clicked, this, &MainMenuForm::CommandButton1_Click);
  connect(SSRibbon5, &QAbstractButton::clicked, this, &MainMenuForm::SSRibbon5_Click);
  connect(Timer3, &controls::TickTimer::Tick, this, &MainMenuForm::Timer3_Timer);
  connect(Command2, &QPushButton::clicked, this, &MainMenuForm::Command2_Click);
}

void MainMenuForm::RegisterRibbon_Click(int code) {
  app::RunHandler(this, [this, code] {
    Panel.CurrentRegister = static_cast<std::int16_t>(code);
    EnableWriteFrame(*this, registers::IsWritable(code));
    Read(Panel.CurrentRegister);
    Panel.LastReadValue = numbers::ToInteger(link::ReadValue);
    RefreshRegisterPanel(*this);
    if (ResetsWrittenFields(code)) {
      ShowValue(*Label12, QStringLiteral("X"));
      ShowValue(*Label20, QStringLiteral("X"));
    }
    Text2->setText(HexText(Panel.CurrentRegister));
  });
}

void MainMenuForm::bit_Click(int k) {
  app::RunHandler(this, [this, k] {
    // A read-only register is selected: not even a read.
    if (!Text6->isEnabled()) return;
    const WriteEnding ending(Panel);
    ReadSelectedRegister(Panel);
    ToWriteAddress(Panel);
    // The digit as shown chooses set or clear; the other bits come from the
    // fresh read.
    controls::ClickLabel* digit = BitDigit(*this, k);
    const int mask = 1 << k;
    std::int32_t value;
    if (digit->text() != QStringLiteral("1")) {
      digit->setText(QStringLiteral("1"));
      value = Panel.LastWrittenValue | mask;
    } else {
      digit->setText(QStringLiteral("0"));
      value = (Panel.LastWrittenValue & 0xFF) & ~mask;
    }
    Write(Panel.CurrentRegister, value);
    Panel.LastWrittenValue = numbers::ToInteger(value);
    Panel.LastReadValue = Panel.LastWrittenValue;
    ToReadAddress(Panel);
    RefreshRegisterPanel(*this);
  });
}

void MainMenuForm::Command4_Click() {
  app::RunHandler(this, [this] {
    const std::int32_t value = HexBoxValue(*Text6);
    WriteBoxValue(*this, value);
    Text7->setText(QString::number(value));
    ColourUpdateButton(*Command4, false);
    ColourUpdateButton(*Command5, false);
  });
}

void MainMenuForm::Command5_Click() {
  app::RunHandler(this, [this] {
    // Text that is not a number as a whole is refused before anything is
    // sent; the lenient reader would take "1A" as 1.
    const QString text = Text7->text();
    const numbers::LenientNumber number = numbers::ReadNumber(text.toStdString());
    if (!number.whole) {
      const QString what = text.trimmed().isEmpty() ? QStringLiteral("The Dec box is empty.")
                                                    : QStringLiteral("\"%1\" is not a decimal number.").arg(text);
      QMessageBox::warning(this, QStringLiteral("Error"), what + QStringLiteral(" Nothing was written."));
      return;
    }
    const std::int32_t value = numbers::ToLong(number.value);
    WriteBoxValue(*this, value);
    Text6->setText(QString::fromStdString(numbers::Hex(value)));
    ColourUpdateButton(*Command4, false);
    ColourUpdateButton(*Command5, false);
  });
}

void MainMenuForm::Command3_Click() {
  app::RunHandler(this, [this] {
    Panel.ShowWrittenBits = 0;
    const std::int32_t value = HexBoxValue(*Text6);
    link::WriteValue = value;
    Panel.LastWrittenValue = numbers::ToInteger(value);
    // The code is used as typed, a write code too; the write frame stays as
    // the last ribbon left it.
    Panel.CurrentRegister = numbers::ToInteger(HexBoxValue(*Text2));
    Text7->setText(QString::number(value));
    ColourUpdateButton(*Command4, false);
    ColourUpdateButton(*Command5, false);
    ColourUpdateButton(*Command3, false);
    Read(Panel.CurrentRegister);
    Panel.LastReadValue = numbers::ToInteger(link::ReadValue);
    RefreshRegisterPanel(*this);
  });
}

void MainMenuForm::SSRibbon3_Click() {
  app::RunHandler(this, [this] {
    const bool standby = SSRibbon3->Value();
    SSPanel2->Caption(standby ? QStringLiteral("Standby Mode is On") : QStringLiteral("Standby Mode is Off"));
    CommandButton1->setEnabled(standby);
    Read(registers::kConfiguration);
    const std::int32_t configuration = numbers::ToLong(link::ReadValue);
    // Leaving standby keeps only the ALERT mask bit.
    Write(registers::ToWriteCode(registers::kConfiguration),
          standby ? configuration | registers::kConfigStandby : configuration & registers::kConfigAlertMask);
  });
}

void MainMenuForm::CommandButton1_Click() {
  app::RunHandler(this, [this] {
    Write(registers::kOneShot, registers::kOneShotStart);
    // The temperature found is that of this conversion, not of the one before.
    WaitForConversion();
    Read(registers::kRemoteTemperature);
    ShowValue(*Label1, QString::number(numbers::ToLong(link::ReadValue)) + QStringLiteral("C"));
  });
}

void MainMenuForm::SSRibbon5_Click() {
  if (SSRibbon5->Value()) {
    SSPanel7->Caption(QStringLiteral("Continuous Reading is On"));
    Timer3->Interval(kContinuousIntervalMilliseconds);
    Timer3->Enabled(true);
  } else {
    SSPanel7->Caption(QStringLiteral("Continuous Reading is Off"));
    Timer3->Enabled(false);
  }
}

void MainMenuForm::Timer3_Timer() {
  app::RunHandler(this, [this] {
    // The one-shot register is write-only on the chip: nothing to watch.
    if (SSRibbon16->Value()) return;
    try {
      Read(Panel.CurrentRegister);
      Panel.LastReadValue = numbers::ToInteger(link::ReadValue);
      RefreshRegisterPanel(*this);
    } catch (...) {
      // The next tick would fail the same way, and the one after: continuous
      // reading stops before the failure is shown, once.
      SSRibbon5->Value(false);
      SSRibbon5_Click();
      throw;
    }
  });
}

void MainMenuForm::Command2_Click() {
  app::RunHandler(this, [] {
    Read(registers::kStatus);
    link::ReadAlertResponse();
  });
}
