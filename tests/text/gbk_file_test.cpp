#include <gtest/gtest.h>

#include <fstream>

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

}  // namespace
}  // namespace vorlane
