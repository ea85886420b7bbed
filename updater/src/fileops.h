// File and folder operations used to install an update.
#pragma once

#include <QString>

// Copies the file `source` to `target`, creating the target's folders. An
// existing target makes the copy fail unless `overwrite` is set; with it the
// data is written to a temporary file beside the target and renamed over it,
// so a failed copy never leaves the target missing or truncated. A replaced
// target keeps its permission bits; a new one gets the source's; neither
// ever keeps group or other write, set-user-id or set-group-id. The source's
// modification time is kept. A read-only existing target (owner write bit
// clear) is not replaced: false. False also when the source does not exist.
bool copyFile(const QString& source, const QString& target, bool overwrite);

// Copies every file below `source` into the same place below `target`
// (files overwritten through copyFile), in name order ignoring case,
// including hidden files; stops at the first failure, keeping what was
// copied. Empty folders are not created. False for an empty path, and for a
// symbolic link in the source tree (links are never followed).
bool copyDir(const QString& source, const QString& target);

// Deletes the folder `folder` with everything in it. Symbolic links inside
// are deleted as links, never followed. The result is that of removing the
// folder itself (false when something inside could not be removed); parents
// are never touched. False for an empty path; true when there is no such
// folder (a file of that name is left alone).
bool removeDir(const QString& folder);

// True when a file or folder named `path` exists.
bool fileExists(const QString& path);
