// The Windows working folder under Wine: fresh names, an access list for the
// owner alone, removal of the whole tree (read-only files included), keep()
// and a failed creation that leaves nothing.
#include "workfolder.h"

#include <testsupport/file_bytes.h>
#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;
using testsupport::utf8Of;

namespace {

std::vector<unsigned char> tokenUser() {
  HANDLE token = nullptr;
  std::vector<unsigned char> buf(256);
  DWORD size = 0;
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    if (!::GetTokenInformation(token, TokenUser, buf.data(), static_cast<DWORD>(buf.size()), &size))
      buf.clear();
    ::CloseHandle(token);
  }
  if (buf.empty()) return buf;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid;
  return std::vector<unsigned char>(static_cast<unsigned char*>(sid),
                                    static_cast<unsigned char*>(sid) + ::GetLengthSid(sid));
}

}  // namespace

TEST(WorkFolderWindows, FreshFoldersWithAnAccessListForTheOwnerAlone) {
  testsupport::TempDir dir;
  WorkFolder first, second;
  ASSERT_TRUE(first.create(utf8Of(dir.path())));
  ASSERT_TRUE(second.create(utf8Of(dir.path())));
  EXPECT_NE(first.path(), second.path());
  for (const WorkFolder* work : {&first, &second}) {
    const std::string& path = work->path();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), '\\');
    const fs::path folder = fs::u8path(path.substr(0, path.size() - 1));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(folder.parent_path(), dir.path());
    const std::string name = utf8Of(folder.filename());
    EXPECT_EQ(name.rfind("tmpUpdata", 0), 0u) << name;
    EXPECT_EQ(name.size(), 15u) << "tmpUpdata and six characters";

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, &dacl, nullptr, &sd),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);
    // Entries for this account only. Wine keeps access lists as Unix mode
    // bits and reads back the owner's bits as this account and LocalSystem;
    // any other entry (Everyone, Users, the parent's) would be a leak.
    ASSERT_GE(dacl->AceCount, 1u);
    const std::vector<unsigned char> user = tokenUser();
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      ACCESS_ALLOWED_ACE* ace = nullptr;
      ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
      EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
      const PSID sid = reinterpret_cast<PSID>(&ace->SidStart);
      EXPECT_TRUE(::EqualSid(sid, const_cast<unsigned char*>(user.data())) ||
                  ::IsWellKnownSid(sid, WinLocalSystemSid))
          << "entry " << i;
    }
    ::LocalFree(sd);
  }
}

TEST(WorkFolderWindows, RemovalTakesTheWholeTreeReadOnlyFilesIncluded) {
  testsupport::TempDir dir;
  std::ofstream(dir.path() / "outside.txt") << "keep";
  std::string path;
  {
    WorkFolder work;
    ASSERT_TRUE(work.create(utf8Of(dir.path())));
    path = work.path();
    const fs::path root = fs::u8path(path);
    fs::create_directories(root / "a" / "b");
    std::ofstream(root / "a" / "b" / "deep.txt") << "x";
    std::ofstream(root / "locked.txt") << "y";
    ASSERT_TRUE(::SetFileAttributesW((root / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  }  // removed here
  EXPECT_FALSE(fs::exists(fs::u8path(path.substr(0, path.size() - 1))));
  EXPECT_EQ(testsupport::fileBytes(dir.path() / "outside.txt"), "keep");
}

TEST(WorkFolderWindows, KeptFolderStaysAndAFailedCreationLeavesNothing) {
  testsupport::TempDir dir;
  std::string path;
  {
    WorkFolder work;
    ASSERT_TRUE(work.create(utf8Of(dir.path())));
    path = work.path();
    work.keep();
  }
  EXPECT_TRUE(fs::is_directory(fs::u8path(path)));
  WorkFolder missingParent;
  EXPECT_FALSE(missingParent.create(utf8Of(dir.path() / "no" / "such")));
  EXPECT_TRUE(missingParent.path().empty());
  EXPECT_FALSE(fs::exists(dir.path() / "no"));
}
