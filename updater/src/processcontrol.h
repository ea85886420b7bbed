// Process control for the updater: one instance at a time, the hand-over to a
// copy of its own executable, finding and stopping the running application,
// starting programs, and waiting without blocking event processing.
//
// The operating-system part lives in processcontrol_<os>.cpp behind the
// Qt-free processplatform.h, chosen by the build; processcontrol.cpp holds
// what is the same everywhere and passes strings on as UTF-8. Every operation
// fails silently towards its caller (results are for tests and for callers
// that want them); none of them shares state with another.
#pragma once

#include "processplatform.h"

#include <QString>
#include <QtGlobal>

// Takes the process-wide single-instance lock. False exactly when another
// holder (another updater) already has it; true otherwise, including when the
// lock could not be created at all. The lock is held until the process ends
// and the kernel drops it then, also after a crash; programs that this
// process starts do not inherit it.
bool checkSingleInstance();

// The first name under which checkSingleInstance holds its lock. Windows:
// the mutex name, kSingleInstanceLockName. Linux: a socket in
// the abstract namespace named after the lock and the system temporary
// folder (QDir::tempPath(), so TMPDIR selects it), with "#0". A name that a
// process of another user holds is skipped for the next ("#1" ... "#7"),
// so no other user can keep the updater from running; a name held by this
// user means another updater runs. The holder answers every probe (a
// listener that never does counts as a stranger), and every name is asked
// before one is taken.
QString singleInstanceLockName();

// Grants this process the right to stop other users' processes where the
// system has such a right; on Linux there is nothing to enable: true.
bool enableDebugPrivilege();

// True for a name that findProcessByName may match: not empty, not "." or
// "..", without a separator ("/" or "\\").
bool isMatchableProcessName(const QString& name);

// Id of a process whose executable's file name is exactly `name`
// (case-sensitive): the first, in ascending id order, whose executable lies
// in `preferredFolder` if any does, else the first at all; 0 when none
// matches or the name is not matchable. Process 1 and this process are never
// reported. Processes whose executable cannot be read are passed over.
qint64 findProcessByName(const QString& name, const QString& preferredFolder = QString());

// Stops process `pid`: asks it to end (SIGTERM) so it may save its data, and
// forces it (SIGKILL) when it is still there after `graceMs` milliseconds.
// Both signals go to the process that held the id when the stop began,
// never to one that takes the id after it ends. True when the process is
// gone (a dead child not yet reaped counts as gone).
// Ids <= 0, ids beyond the system's process id range and this process's
// own id are refused (false).
bool killProcess(qint64 pid, int graceMs = 3000);

// killProcess for a process that findProcessByName found under `name`: a
// process that has ended since leaves its id to others, so the stop checks,
// on the process it then signals, that its executable is still named
// `name`. Another program holding the id is left alone (true: the found
// process is gone).
bool killProcessIfNamed(qint64 pid, const QString& name, int graceMs = 3000);

// Starts `path` detached from this process, without elevation (both modes),
// its standard input, output and error on the null device; `parameters`,
// when not empty, is passed as the program's one argument.
// Nothing is waited for; the result says whether the start was possible and
// callers are free to ignore it.
bool startProgram(const QString& path, int mode, const QString& parameters);

// Runs a local event loop for `ms` milliseconds, so the calling thread keeps
// processing its events (timers, network, queued calls) while waiting.
// A negative `ms` waits as 0 does: one pass over the pending events.
void waitMs(int ms);

// Path of the self-copy for executable `exePath`: same folder, the file name
// without its last extension, "_Old", then "." and that extension when there
// is one (GKBriselUpdate.exe -> GKBriselUpdate_Old.exe, GKBriselUpdate ->
// GKBriselUpdate_Old). Native separators.
QString selfCopyPath(const QString& exePath);

// The hand-over of a start without arguments: replaces any previous
// self-copy with a fresh copy of `exePath` (keeping its permissions, so it
// stays executable) and starts it with the single argument "old". Failures
// are not reported; an old copy that could not be replaced is started.
void handOverToSelfCopy(const QString& exePath);
