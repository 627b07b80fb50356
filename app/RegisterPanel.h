#pragma once

#include <QString>
#include <cstdint>

class MainMenuForm;
class QLabel;
class QPushButton;

namespace controls {
class ClickLabel;
}

// The register panel's routines of the module Additional_functions: what the
// Read/Write tab's handlers share. Every register access goes through the
// link's ReadDeviceRegister and WriteDeviceRegister and their variables.
namespace Additional_functions {

// The panel's variables. The one main window holds them for the whole run.
struct PanelVariables {
  // Code of the selected register: normally its read code; the pointer box
  // can leave a write code or any other code here until the next write or
  // selection.
  std::int16_t CurrentRegister = 0;
  // Value last read for the panel.
  std::int16_t LastReadValue = 0;
  // Value last written, or fetched as the base of a bit edit.
  std::int16_t LastWrittenValue = 0;
  // Non-zero only inside a box write: the digits show LastWrittenValue.
  std::int16_t ShowWrittenBits = 0;
};

// CurrentRegister 0x03..0x08 to its write code, 0x09..0x0E back to its read
// code; other codes stay.
void ToWriteAddress(PanelVariables& panel);
void ToReadAddress(PanelVariables& panel);

// Reads CurrentRegister; its value becomes LastWrittenValue and WriteValue,
// the base of a bit edit.
void ReadSelectedRegister(PanelVariables& panel);

// Redraws the panel: written and read values, code, name, digits and their
// names, and the standby indicator, which reads the configuration register
// and so leaves RegisterPointer at 0x03 and ReadValue holding that byte.
void RefreshRegisterPanel(MainMenuForm& form);

// Entering the Read/Write tab: the first register selected and read, the
// write frame disabled, continuous reading off.
void InitRegisterPanel(MainMenuForm& form);

// Enables or disables the hex and decimal boxes and their buttons together.
void EnableWriteFrame(MainMenuForm& form, bool writable);

// Whether selecting the register by its ribbon shows "X" as the previous
// value written: every ribbon but those of the extended registers 0x10..0x14.
bool ResetsWrittenFields(int code);

// Waits, at most about a second, until the chip reports no conversion
// running (status bit 7 clear); reads the status register to find out.
void WaitForConversion();

// The digit of bit k (0..7).
controls::ClickLabel* BitDigit(MainMenuForm& form, int k);

// Gives each digit the accessible name of its bit ("Bit 6, Op. Mode").
void NameBitDigits(MainMenuForm& form);

// A value label's text, readable by assistive technology as its description.
void ShowValue(QLabel& label, const QString& text);

// A write-frame button: green when its box is as last used, red when the box
// was edited since; the state is told to assistive technology too.
void ColourUpdateButton(QPushButton& button, bool edited);

// Upper-case hexadecimal of a 16-bit value, as the panel shows codes and values.
QString HexText(std::int16_t value);

}  // namespace Additional_functions
