#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "support/temp_folder.h"
#include "text/gbk_file.h"

namespace vorlane {
namespace {

#ifdef _WIN32
#define N(s) L##s
#else
#define N(s) s
#endif

TEST(NativePathTest, JoinsSplitsAndExtendsByTheSystemsSeparator) {
#ifdef _WIN32
  EXPECT_EQ(JoinPath(L"C:\\a", L"b.txt"), L"C:\\a\\b.txt");
  EXPECT_EQ(JoinPath(L"C:\\a\\", L"b.txt"), L"C:\\a\\b.txt");
  EXPECT_EQ(ParentPath(L"C:\\a\\b.txt"), L"C:\\a");
  EXPECT_EQ(ParentPath(L"C:/a/b/"), L"C:/a");
  EXPECT_EQ(ParentPath(L"C:\\a"), L"C:\\");
#else
  EXPECT_EQ(JoinPath("/a", "b.txt"), "/a/b.txt");
  EXPECT_EQ(JoinPath("/a/", "b.txt"), "/a/b.txt");
  EXPECT_EQ(ParentPath("/a/b.txt"), "/a");
  EXPECT_EQ(ParentPath("/a/b/"), "/a");
  EXPECT_EQ(ParentPath("/a"), "/");
#endif
  EXPECT_EQ(JoinPath(NativePath(), N("b")), N("b"));
  EXPECT_EQ(ParentPath(N("b.txt")), NativePath());
  EXPECT_EQ(WithSuffix(N("b.zip"), ".~1.tmp"), N("b.zip.~1.tmp"));
}

TEST(NativePathTest, FoldersAndFilesAreMadeSizedAndRemoved) {
  const test::TempFolder folder("vorlane-gbk-file");
  const NativePath root = folder.path().native();
  const NativePath deep = JoinPath(JoinPath(JoinPath(root, N("a")), N("b")), N("c"));
  EXPECT_TRUE(CreateFolders(deep));
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_TRUE(CreateFolders(deep)) << "already there";
  EXPECT_FALSE(RegularFileSize(deep).has_value()) << "a folder is not a file";

  const NativePath file = JoinPath(deep, N("f.bin"));
  EXPECT_FALSE(RegularFileSize(file).has_value());
  std::ofstream(folder / "a/b/c/f.bin", std::ios::binary) << std::string(5000, 'x');
  EXPECT_EQ(RegularFileSize(file), 5000u);
  // A file where a folder should go stops the making.
  EXPECT_FALSE(CreateFolders(JoinPath(file, N("d"))));
  EXPECT_FALSE(IsFolder(file));

  EXPECT_TRUE(RemoveFileAt(file));
  EXPECT_FALSE(RegularFileSize(file).has_value());
  EXPECT_TRUE(RemoveFileAt(file)) << "nothing there is what was asked";
  EXPECT_FALSE(RemoveFileAt(NativePath()));
  EXPECT_FALSE(CreateFolders(NativePath()));
}

TEST(NativePathTest, TheCurrentFolderIsWhereRelativeNamesOpen) {
  const NativePath here = CurrentFolder();
  ASSERT_FALSE(here.empty());
  EXPECT_TRUE(IsFolder(here));
}

TEST(NativePathTest, AFolderTreeGoesWholeAndAFolderIsWritableOrNot) {
  const test::TempFolder folder("vorlane-tree");
  const NativePath root = JoinPath(folder.path().native(), N("update"));
  const NativePath sub = JoinPath(JoinPath(root, N("unpacked")), N("data"));
  ASSERT_TRUE(CreateFolders(sub));
  EXPECT_TRUE(CanWriteIn(root));
  test::WriteFileBytes(std::filesystem::path(JoinPath(root, N("m_update.exe"))), "MZ");
  test::WriteFileBytes(std::filesystem::path(JoinPath(sub, N("locked.bin"))), "x");
  std::filesystem::permissions(std::filesystem::path(JoinPath(sub, N("locked.bin"))),
                               std::filesystem::perms::owner_read);
  // What was there before the write probe is all that is there after it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root), std::filesystem::directory_iterator()),
            2);
  EXPECT_TRUE(RemoveFolderTree(root));
  EXPECT_FALSE(IsFolder(root));
  EXPECT_TRUE(RemoveFolderTree(root));  // nothing there is nothing to remove
  EXPECT_FALSE(CanWriteIn(root));       // a folder that is not there
  EXPECT_FALSE(CanWriteIn(NativePath()));
#ifndef _WIN32
  // A link inside goes as a link: what it points at stays.
  const NativePath outside = JoinPath(folder.path().native(), "kept");
  ASSERT_TRUE(CreateFolders(outside));
  test::WriteFileBytes(std::filesystem::path(JoinPath(outside, "file")), "k");
  ASSERT_TRUE(CreateFolders(root));
  std::filesystem::create_directory_symlink(outside, JoinPath(root, "link"));
  EXPECT_TRUE(RemoveFolderTree(root));
  EXPECT_TRUE(RegularFileSize(JoinPath(outside, "file")).has_value());
  // A folder the user may not write in (not for root, who may write anywhere).
  if (::geteuid() != 0) {
    ASSERT_TRUE(CreateFolders(root));
    std::filesystem::permissions(root,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(CanWriteIn(root));
    std::filesystem::permissions(root, std::filesystem::perms::owner_all);
  }
#endif
}

}  // namespace
}  // namespace vorlane
