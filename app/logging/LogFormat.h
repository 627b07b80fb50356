#pragma once

#include <string>

// The log file's lines, byte for byte: 8-bit ASCII text, every line ending in
// CR LF, fields separated by TAB. QtsEval's logging and qtsctl's monitor both
// write through these, so that their files are interchangeable.
namespace logging {

// First line of a new or empty log file.
std::string LogHeaderLine();

// Written when logging starts again on a file that already holds lines.
// Restart and sample lines begin with a CR of their own, before the CR LF
// that ends every line.
std::string LogRestartLine();

// One logged reading: the time of day as hh:mm:ss (24-hour), then the remote
// and the local temperature. The seconds are taken modulo one day.
std::string LogSampleLine(int secondsSinceMidnight, float remote, float local);

// The shortest decimal text of a reading, as a single shows it: at most seven
// significant digits, read back as a double ("25.125", "0", "-3.5").
std::string NumberText(float reading);

// A reading as the sample line writes it: NumberText preceded by a sign
// position (a space, or the minus sign) and followed by a space: " 25.125 ",
// "-3.5 ".
std::string LogNumber(float reading);

// "hh:mm:ss" of a time of day in whole seconds since midnight.
std::string TimeOfDayText(int secondsSinceMidnight);

}  // namespace logging
