// The per-day audit log of unattended runs: <program folder>/AuditLog/
// <yyyy-mm-dd>/all.csv, one record per run written in two pieces around the
// audit ("%s,%d" before it, ",%d\n" after it), with millisecond ticks.
#pragma once

#include "platform.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace carrack {

// The low 32 bits of a millisecond count read as a signed 32-bit value, as
// the Windows tick counter prints with "%d": counts of 2^31 ms (about 24.8
// days) and more print as negative numbers.
std::int32_t tickFromMilliseconds(std::uint64_t ms);

// The tick now: milliseconds since boot, wrapped as above.
std::int32_t tickCount();

// "%04d-%02d-%02d" of the date, e.g. "2020-06-10".
std::string dayFolderName(const LocalDate& date);

// <programFolder>/AuditLog/<day>/all.csv.
std::string dayLogPath(const std::string& programFolder, const LocalDate& date);

// Creates the AuditLog folder and the day folder where they do not exist
// (a failed creation is left to the open that follows), then opens all.csv
// with "ab+": created if missing, every write appended, bytes unchanged.
// Returns the open stream, owned by the caller, or nullptr when the open
// fails (errno says why). path receives the file's path in both cases.
std::FILE* openDayLog(const std::string& programFolder, const LocalDate& date, std::string& path);

// The same for the running program's folder and today's local date.
std::FILE* openDayLog(std::string& path);

// Argument 2 as it goes into the record: its bytes unchanged (commas too),
// except that carriage returns and line feeds become spaces, so that one
// run always stays one line of the log.
std::string recordField(const char* text);

}  // namespace carrack
