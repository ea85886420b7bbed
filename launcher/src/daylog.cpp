#include "daylog.h"

#include <cerrno>
#include <cstring>

namespace carrack {

std::int32_t tickFromMilliseconds(std::uint64_t ms) {
  const auto low = static_cast<std::uint32_t>(ms);
  // Two's-complement reading of the low word, without relying on the
  // implementation-defined narrowing conversion.
  return low <= 0x7fffffffu ? static_cast<std::int32_t>(low)
                            : static_cast<std::int32_t>(low - 0x80000000u) - 0x7fffffff - 1;
}

std::int32_t tickCount() { return tickFromMilliseconds(platform::millisecondsSinceBoot()); }

std::string dayFolderName(const LocalDate& date) {
  char buf[64];  // room for any three ints
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date.year, date.month, date.day);
  return buf;
}

std::string dayLogPath(const std::string& programFolder, const LocalDate& date) {
  const char sep = platform::pathSeparator();
  std::string path = programFolder;
  if (path.empty() || path.back() != sep) path += sep;
  return path + "AuditLog" + sep + dayFolderName(date) + sep + "all.csv";
}

std::FILE* openDayLog(const std::string& programFolder, const LocalDate& date, std::string& path) {
  path = dayLogPath(programFolder, date);
  if (programFolder.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  const char sep = platform::pathSeparator();
  const std::string dayFolder = path.substr(0, path.find_last_of(sep));
  const std::string logFolder = dayFolder.substr(0, dayFolder.find_last_of(sep));
  for (const std::string* folder : {&logFolder, &dayFolder}) {
    if (!platform::pathExists(*folder)) platform::createFolder(*folder);
  }
  return platform::openAppend(path);
}

std::FILE* openDayLog(std::string& path) {
  return openDayLog(platform::programFolder(), platform::localDate(), path);
}

std::string recordField(const char* text) {
  std::string field = text != nullptr ? text : "";
  for (char& c : field) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return field;
}

}  // namespace carrack
