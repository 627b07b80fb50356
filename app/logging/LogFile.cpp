#include "logging/LogFile.h"

#include <filesystem>
#include <fstream>

#include "logging/LogFormat.h"

namespace logging {

bool StartLogFile(const std::string& path) {
  std::error_code error;
  const bool holdsLines = std::filesystem::exists(path, error) && std::filesystem::file_size(path, error) > 0 && !error;
  return AppendToLogFile(path, holdsLines ? LogRestartLine() : LogHeaderLine());
}

bool AppendToLogFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::app);
  if (!file) return false;
  file << text;
  file.close();
  return !file.fail();
}

}  // namespace logging
