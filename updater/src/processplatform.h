// The operating-system half of process control, in plain C++ types (strings
// are UTF-8) so that each system's file builds without Qt:
// processcontrol_posix.cpp on Linux, processcontrol_win.cpp on Windows,
// chosen by the build. processcontrol.h offers the same operations to the
// rest of the updater in Qt types.
#pragma once

#include <cstdint>
#include <string>

// Name of the single-instance lock (on Windows the named mutex itself).
inline constexpr const char* kSingleInstanceLockName = "GKBriselUpdate.exe";

// Start modes of startProgram.
enum StartMode : int {
  StartElevatedWhereAvailable = 0,  // "RunAs" where the system has elevation
  StartOpen = 1,                    // always plain "open", never elevated
};

namespace processplatform {

// True for a name that findProcessByName may match: not empty, not "." or
// "..", without a separator ("/" or "\\") or a zero byte.
inline bool isMatchableProcessName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// Takes the process-wide single-instance lock; see checkSingleInstance in
// processcontrol.h. Linux: a socket in the abstract namespace; Windows: the
// named mutex, created owned, its handle kept open (not inheritable) until
// the process ends.
bool checkSingleInstance();

// The name under which checkSingleInstance holds its lock first.
std::string singleInstanceLockName();

// Enables SeDebugPrivilege in this process's token (Windows); true on
// systems without such a right.
bool enableDebugPrivilege();

// Id of a process whose executable's file name is exactly `name`
// (case-sensitive): the first, in ascending id order, whose executable lies
// in `preferredFolder` if any does, else the first at all; 0 when none
// matches or the name is not matchable. The system's own processes (ids 0
// and 4 on Windows, 1 on Linux) and this process are never reported.
std::int64_t findProcessByName(const std::string& name, const std::string& preferredFolder);

// Stops process `pid` and waits, bounded, until it is gone; true when it is.
// Linux asks first (SIGTERM) and forces after `graceMs` (SIGKILL), through a
// process descriptor opened first, so that no signal reaches a process that
// takes the id after this one ends; Windows terminates it with exit code 0
// at once, through a handle. Ids <= 0, the system's own processes, ids
// beyond the system's range and this process are refused.
bool killProcess(std::int64_t pid, int graceMs);

// killProcess for a process found by name: stops `pid` only while its
// executable's file name is still `name` (compared as findProcessByName
// does), checked through the descriptor or handle that the stop then uses.
// When the found process has ended and its id names another program, that
// program is left alone and the result is true: the found one is gone.
bool killProcessIfNamed(std::int64_t pid, const std::string& name, int graceMs);

// Starts `path` without waiting for it; `parameters`, when not empty, reaches
// the program as its one argument. Windows: through the shell with the verb
// "open" for StartOpen and below Windows 7, "RunAs" otherwise; Linux:
// detached, unelevated, standard streams on the null device. True when the
// start was possible.
bool startProgram(const std::string& path, int mode, const std::string& parameters);

}  // namespace processplatform
