// A fresh temporary folder under the system temporary folder, removed with
// everything in it when the object goes out of scope.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace testsupport {

class TempDir {
public:
  // A fresh name is taken by creating it: create_directory fails for a name
  // that exists, so a folder made by someone else is never used. Only the
  // owner may enter it (as with mkdtemp, which Windows lacks).
  TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 gen((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
      char name[32];
      std::snprintf(name, sizeof name, "gktest-%012llx",
                    static_cast<unsigned long long>(gen() & 0xffffffffffffull));
      std::error_code ec;
      if (std::filesystem::create_directory(base / name, ec)) {
        m_path = base / name;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::string str() const { return m_path.string(); }

private:
  std::filesystem::path m_path;
};

}  // namespace testsupport
