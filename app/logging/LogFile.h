#pragma once

#include <string>

// The log file is open only while one line is written, so that other programs
// may read it between lines.
namespace logging {

// Appends the header to a missing or empty file, the restart line to one
// that holds lines already. False when the file cannot be written.
bool StartLogFile(const std::string& path);

// Opens the file for appending, writes the text and closes it again.
bool AppendToLogFile(const std::string& path, const std::string& text);

}  // namespace logging
