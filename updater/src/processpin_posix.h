// Stopping a process pinned by a process descriptor (Linux pidfd, 5.3 on).
// A process id names whichever process holds it at the moment: once the
// found process ends and its parent reaps it, the id can pass to another
// one. A descriptor keeps naming the process it was opened on, so signals
// sent and waits made through it can never reach a later holder of the id.
// Private to the Linux process control; declared here for its tests.
#pragma once

#include <sys/types.h>

namespace processpin {

// A descriptor of process `pid` (close-on-exec), or -1 with errno set:
// ESRCH when no such process exists, ENOSYS where the kernel has none.
int openProcess(pid_t pid);

// Stops the process that `pidfd` refers to and waits until it has ended:
// asks first (SIGTERM), waits up to `graceMs` ms, then forces (SIGKILL) and
// waits up to 2 s more. A process that has ended counts as gone, reaped or
// not. True when it is gone; false when the signal is refused (a process of
// another user) or it outlives the waits. Does not close `pidfd`.
bool stopPinned(int pidfd, int graceMs);

}  // namespace processpin
