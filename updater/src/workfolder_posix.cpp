// The private working folder on POSIX systems: mkdtemp(3) for the fresh
// name, fstat(2) on an O_NOFOLLOW handle for the checks, and a removal that
// walks the tree with openat/unlinkat relative to folder handles.
#include "workfolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <string>
#include <vector>

namespace {

// Deepest folder level the removal descends into; a tree made by us never
// comes near it, and the bound keeps the recursion small.
constexpr int kMaxRemoveDepth = 256;

// Removes everything inside the open folder `dir` (which it closes).
bool emptyFolder(int dir, int depth) {
  DIR* listing = ::fdopendir(dir);
  if (listing == nullptr) {
    ::close(dir);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(listing)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
  }
  bool ok = true;
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      ok = false;
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      const int child =
          depth < kMaxRemoveDepth
              ? ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
              : -1;
      if (child < 0 || !emptyFolder(child, depth + 1)) ok = false;
      if (::unlinkat(dir, name.c_str(), AT_REMOVEDIR) != 0) ok = false;
    } else if (::unlinkat(dir, name.c_str(), 0) != 0) {
      ok = false;  // links are removed as links
    }
  }
  ::closedir(listing);  // closes `dir`
  return ok;
}

}  // namespace

WorkFolder::~WorkFolder() {
  if (!m_keep) remove();
}

bool WorkFolder::create(const std::string& parentUtf8) {
  const QString parent = QString::fromStdString(parentUtf8);
  path_.clear();
  m_keep = false;
  QByteArray pattern =
      QFile::encodeName(QDir(parent).absolutePath() + "/" + kNamePrefix + "XXXXXX");
  if (::mkdtemp(pattern.data()) == nullptr) return false;
  const int fd = ::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  const bool sound = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) &&
                     st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
  if (fd >= 0) ::close(fd);
  path_ = (QFile::decodeName(pattern) + "/").toStdString();
  if (!sound) {
    remove();
    return false;
  }
  return true;
}

bool WorkFolder::remove() {
  if (path_.empty()) return true;
  QByteArray folder = QFile::encodeName(QString::fromStdString(path_));
  folder.chop(1);  // the trailing "/"
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) path_.clear();
    return errno == ENOENT;
  }
  emptyFolder(fd, 0);
  if (::rmdir(folder.constData()) != 0 && errno != ENOENT) return false;
  path_.clear();
  return true;
}
