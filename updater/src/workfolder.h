// The updater's private working folder: made fresh for each run in the
// system temporary folder, reachable only by this process's user, and
// removed with everything in it at the end. Paths are UTF-8; one
// implementation file per system (workfolder_posix.cpp, workfolder_win.cpp). Files fetched and
// unpacked there cannot be replaced or redirected by another local user between their check and
// their installation.
#pragma once

#include <string>

class WorkFolder {
public:
  // Names of working folders start with this.
  static constexpr const char* kNamePrefix = "tmpUpdata";

  WorkFolder() = default;
  // Removes the folder unless keep() was called.
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Makes a folder of a fresh name "<parent>/tmpUpdataXXXXXX" with mode
  // 0700, then checks through an open handle that it is a real folder (not a
  // link), owned by this process's effective user, with no access for group
  // or others. False (and nothing left behind) when any step fails.
  bool create(const std::string& parent);
  // The folder's path with a trailing "/"; empty before create().
  std::string path() const { return path_; }
  // Deletes the folder and everything in it, entering every level through a
  // handle and never following a link; true when it is gone.
  bool remove();
  // Leaves the folder on disk at destruction (a started installer still
  // needs its file).
  void keep() { m_keep = true; }

private:
  std::string path_;
  bool m_keep = false;
};
